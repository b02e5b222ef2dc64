// The bird's-eye view in the program's own windows: a new document opens on the start-up
// data set in the bird's-eye view with the coloured, shaded surface, and the view's
// camera commands turn, tilt, reset and switch it.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <filesystem>
#include <set>

#include "model/document.h"
#include "model/terrain_data.h"
#include "model/ui/document_ui.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "platform/qt/qt_platform.h"
#include "shell/ui/application.h"
#include "shell/ui/main_frame.h"
#include "view/back_buffer.h"
#include "view/color_band_params.h"
#include "view/display_flags.h"
#include "view/ui/pelmo_3d_view.h"
#include "view/view_state.h"
#include "../windows/window_test_main.h"

namespace fs = std::filesystem;

namespace {
QString g_root;

constexpr int kBirdsEye = 32805;
constexpr int kRotateRight = 32781;
constexpr int kRotateLeft = 32780;
constexpr int kTiltDown = 32777;
constexpr int kResetBirdsEye = 32782;

bool Enabled(CMainFrame* frame, int id) {
    frame->RefreshCommandStates();
    const auto actions = frame->Actions(id);
    return !actions.empty() && actions.front()->isEnabled();
}

bool Checked(CMainFrame* frame, int id) {
    frame->RefreshCommandStates();
    const auto actions = frame->Actions(id);
    return !actions.empty() && actions.front()->isChecked();
}
}  // namespace

class BirdsEyeViewTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // The start-up data set the build made beside the program.
        const fs::path made =
            fs::path(QCoreApplication::applicationDirPath().toStdString()) / "../../DATA1.VEW";
        if (!fs::exists(made)) QSKIP("the build made no start-up data set");
        const fs::path program = fs::path(g_root.toStdString()) / "program";
        fs::create_directories(program);
        fs::copy_file(made, program / "DATA1.VEW");
        const fs::path bands = fs::path(made).replace_extension(".CDF");
        if (fs::exists(bands)) fs::copy_file(bands, program / "DATA1.CDF");
        SetProgramFolder(program);
    }

    void startsInTheBirdsEyeViewAndSteersTheCamera() {
        CPelmo_3DApp app;
        app.SetDocumentFactory([] { return MakeDocument(); });
        QVERIFY(app.InitInstance({}));
        CMainFrame* frame = app.MainFrame();
        frame->resize(1280, 960);
        auto* view = qobject_cast<CPelmo_3DView*>(frame->ViewWidget());
        QVERIFY(view);
        QVERIFY(QTest::qWaitForWindowExposed(frame));

        QVERIFY(g_pointCount > 0);
        QVERIFY(g_tinPresent != 0);
        QCOMPARE(g_birdsEyeOn, 1);
        QVERIFY(g_colorBandOn != 0);
        QVERIFY(Checked(frame, kBirdsEye));
        // The start-up set's colour-band file asks for shaded elevation bands.
        if (fs::exists(fs::path(ProgramFolder()) / "DATA1.CDF")) {
            QCOMPARE(g_colorBandParams.mode, 0);
            QVERIFY(g_colorBandParams.shading != 0);
        }

        // The surface fills a good part of the view in many shades.
        const QImage picture = view->grab().toImage();
        const QRgb background = qRgb((g_colorTable[10] >> 16) & 0xFF,
                                     (g_colorTable[10] >> 8) & 0xFF, g_colorTable[10] & 0xFF);
        int surface = 0;
        std::set<QRgb> shades;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const QRgb p = picture.pixel(x, y);
                if (p == background) continue;
                ++surface;
                shades.insert(p);
            }
        QVERIFY(surface > picture.width() * picture.height() / 20);
        QVERIFY(shades.size() > 20);
        const QByteArray screens = qgetenv("NOSTREL_SCREENS");
        if (!screens.isEmpty()) {
            QDir().mkpath(QString::fromLocal8Bit(screens));
            QVERIFY(picture.save(QString::fromLocal8Bit(screens) + "/birdseye_startup.png"));
        }

        // The camera commands, through the menu's routing.
        QVERIFY(Enabled(frame, kRotateRight));
        frame->ExecuteCommand(kRotateRight);
        frame->ExecuteCommand(kRotateRight);
        frame->ExecuteCommand(kRotateLeft);
        QVERIFY(std::abs(g_birdsEyeAzimuth - 0.174533) < 1e-12);
        frame->ExecuteCommand(kTiltDown);
        // The start tilt comes from the colour-band file in degrees with six decimals.
        QVERIFY(std::abs(g_birdsEyeTilt - (-0.2 - 0.0872665)) < 1e-8);
        const QImage turned = view->grab().toImage();
        QVERIFY(turned != picture);
        g_heightScale = 3;
        frame->ExecuteCommand(kResetBirdsEye);
        QCOMPARE(g_birdsEyeAzimuth, 0.0);
        QCOMPARE(g_birdsEyeTilt, -0.2);
        QCOMPARE(g_heightScale, 1.0);

        // To the plan and back: the steps are for the bird's-eye view only.
        frame->ExecuteCommand(kBirdsEye);
        QCOMPARE(g_birdsEyeOn, 0);
        QVERIFY(!Enabled(frame, kRotateRight));
        QVERIFY(!Checked(frame, kBirdsEye));
        frame->ExecuteCommand(kBirdsEye);
        QCOMPARE(g_birdsEyeOn, 1);
    }
};

int main(int argc, char** argv) {
    return RunWindowTest<BirdsEyeViewTest>(argc, argv, &g_root);
}

#include "birds_eye_uitest.moc"
