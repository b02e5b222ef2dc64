// The bird's-eye view in the program's own windows: a new document opens on the start-up
// data set in the bird's-eye view with the coloured, shaded surface, and the view's
// camera commands turn, tilt, reset and switch it; the mouse turns it and the wheel
// changes the exaggeration.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QWheelEvent>
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

// Mouse events as the window system hands them to the view, through the application (so
// that the program's key and button state sees them too).
void SendMouse(QWidget* view, QEvent::Type type, QPoint at, Qt::MouseButton button,
               Qt::MouseButtons held, Qt::KeyboardModifiers modifiers) {
    QMouseEvent event(type, QPointF(at), QPointF(view->mapToGlobal(at)), button, held,
                      modifiers);
    QApplication::sendEvent(view, &event);
}

void SendWheel(QWidget* view, QPoint at, QPoint angleDelta, Qt::KeyboardModifiers modifiers) {
    QWheelEvent event(QPointF(at), QPointF(view->mapToGlobal(at)), QPoint(), angleDelta,
                      Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &event);
}

// What the view shows now, without asking it for a new frame.
QImage Shown(QWidget* view) {
    g_redrawMask = 0;
    return view->grab().toImage();
}

// The full picture of the present state with no button held.
QImage FullPicture(QWidget* view) {
    g_redrawMask = -1;
    return view->grab().toImage();
}

struct StartedProgram {
    CPelmo_3DApp app;
    CMainFrame* frame = nullptr;
    CPelmo_3DView* view = nullptr;
};

bool Start(StartedProgram& program) {
    program.app.SetDocumentFactory([] { return MakeDocument(); });
    if (!program.app.InitInstance({})) return false;
    program.frame = program.app.MainFrame();
    program.frame->resize(1024, 768);
    program.view = qobject_cast<CPelmo_3DView*>(program.frame->ViewWidget());
    return program.view && QTest::qWaitForWindowExposed(program.frame);
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

    // Under X11 the wheel with Alt held arrives sideways; it still steps the exaggeration,
    // and the exaggeration box shows the new value.
    void altWheelStepsTheExaggerationAlsoWhenItArrivesSideways() {
        StartedProgram program;
        QVERIFY(Start(program));
        QCOMPARE(g_birdsEyeOn, 1);
        const QPoint centre = program.view->rect().center();
        const double scale = g_viewScale;
        g_heightScale = 1.0;
        struct Case {
            QPoint angle;
            Qt::KeyboardModifiers modifiers;
            double want;
        };
        const Case cases[] = {
            {QPoint(120, 0), Qt::AltModifier, 1.1},   // X11: Alt turns the wheel sideways
            {QPoint(120, 0), Qt::AltModifier, 1.2},
            {QPoint(-120, 0), Qt::AltModifier, 1.1},
            {QPoint(0, 120), Qt::AltModifier, 1.2},   // where Alt leaves the wheel alone
            {QPoint(120, 0), Qt::NoModifier, 1.2},    // a sideways wheel of its own: nothing
        };
        for (const Case& c : cases) {
            SendWheel(program.view, centre, c.angle, c.modifiers);
            QVERIFY2(std::abs(g_heightScale - c.want) < 1e-9,
                     qPrintable(QString::number(g_heightScale)));
        }
        QCOMPARE(g_viewScale, scale);
        QCOMPARE(program.frame->HeightEdit()->text(), QString("1.2"));
        // Sideways too, the step follows the value and the lower limit holds.
        const struct {
            double from;
            int delta;
            double want;
        } steps[] = {{1.95, 120, 2.05}, {0.15, -120, 0.1}, {0.1, -120, 0.1}};
        for (const auto& st : steps) {
            g_heightScale = st.from;
            SendWheel(program.view, centre, QPoint(st.delta, 0), Qt::AltModifier);
            QVERIFY2(std::abs(g_heightScale - st.want) < 1e-9, qPrintable(QString::number(g_heightScale)));
        }
        g_heightScale = 1.2;
        // Without Alt the wheel zooms.
        SendWheel(program.view, centre, QPoint(0, 120), Qt::NoModifier);
        QVERIFY(std::abs(g_viewScale - scale * 1.2) < 1e-9);
    }

    // The drag shows quick pictures of the points while the camera turns; when the drag ends
    // the full picture comes back, whichever of the button and the key goes up first.
    void cameraDragEndsWithTheFullPicture() {
        StartedProgram program;
        QVERIFY(Start(program));
        CPelmo_3DView* view = program.view;
        QVERIFY(g_colorBandOn != 0);  // the full picture is the coloured surface
        struct Case {
            const char* name;
            Qt::MouseButton button;
            Qt::Key key;  // Qt::Key_unknown: none
            Qt::KeyboardModifier modifier;
            bool keyUpFirst;
        };
        const Case cases[] = {
            {"Alt, button up first", Qt::LeftButton, Qt::Key_Alt, Qt::AltModifier, false},
            {"Alt, key up first", Qt::LeftButton, Qt::Key_Alt, Qt::AltModifier, true},
            {"Ctrl, button up first", Qt::LeftButton, Qt::Key_Control, Qt::ControlModifier,
             false},
            {"Ctrl, key up first", Qt::LeftButton, Qt::Key_Control, Qt::ControlModifier, true},
            {"Shift, button up first", Qt::LeftButton, Qt::Key_Shift, Qt::ShiftModifier, false},
            {"Shift, key up first", Qt::LeftButton, Qt::Key_Shift, Qt::ShiftModifier, true},
            {"right-button pan", Qt::RightButton, Qt::Key_unknown, Qt::NoModifier, false},
        };
        for (const Case& c : cases) {
            const bool key = c.key != Qt::Key_unknown;
            const Qt::KeyboardModifiers held = key ? Qt::KeyboardModifiers(c.modifier)
                                                   : Qt::KeyboardModifiers(Qt::NoModifier);
            const double azimuth = g_birdsEyeAzimuth, roll = g_birdsEyeRoll;
            const double centreX = g_viewCenterX, centreY = g_viewCenterY;
            QPoint at = view->rect().center();
            if (key) QTest::keyPress(view, c.key, held);
            SendMouse(view, QEvent::MouseButtonPress, at, c.button, c.button, held);
            for (int step = 0; step < 4; ++step) {
                at += QPoint(15, 4);
                SendMouse(view, QEvent::MouseMove, at, Qt::NoButton, c.button, held);
            }
            const bool moved = g_birdsEyeAzimuth != azimuth || g_birdsEyeRoll != roll ||
                               g_viewCenterX != centreX || g_viewCenterY != centreY;
            QVERIFY2(moved, c.name);
            if (key && c.keyUpFirst) QTest::keyRelease(view, c.key);
            const Qt::KeyboardModifiers atRelease = key && c.keyUpFirst ? Qt::NoModifier : held;
            SendMouse(view, QEvent::MouseButtonRelease, at, c.button, Qt::NoButton, atRelease);
            if (key && !c.keyUpFirst) QTest::keyRelease(view, c.key);
            const QImage shown = Shown(view);
            QVERIFY2(shown == FullPicture(view), c.name);
        }
    }
};

int main(int argc, char** argv) {
    return RunWindowTest<BirdsEyeViewTest>(argc, argv, &g_root);
}

#include "birds_eye_uitest.moc"
