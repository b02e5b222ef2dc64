// ランダム点カラーを背景画像に変換 from the main frame's menu, under the offscreen platform.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cstring>
#include <filesystem>
#include <functional>

#include "image/image_slot.h"
#include "image/point_colour_image.h"
#include "image/ui/point_colour_dialog.h"
#include "model/document.h"
#include "model/terrain_data.h"
#include "model/ui/document_ui.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "shell/ui/application.h"
#include "shell/ui/main_frame.h"

namespace fs = std::filesystem;

namespace {
constexpr int kPointColours = 33010;

void WhenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        if (!modal) qFatal("no modal dialog");
        act(modal);
        if (modal && modal->isVisible()) modal->close();
    });
}

template <typename W>
W* Control(QWidget* dialog, const char* id) {
    W* w = dialog->findChild<W*>(QString::fromLatin1(id));
    if (!w) qFatal("control %s missing", id);
    return w;
}

void AddPoint(double east, double north, const char* name) {
    EnsurePointCapacity(g_pointCount + 1);
    RandomPoint& p = g_points[++g_pointCount];
    p = RandomPoint{};
    p.x = north;
    p.y = east;
    std::strncpy(p.name, name, sizeof p.name - 1);
    SetPointEndMarker();
    g_pointsPresent = -1;
}
}  // namespace

class PointColourUiTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        const fs::path program = fs::path(m_root.path().toStdString()) / "program";
        fs::create_directories(program);
        SetProgramFolder(program);
    }

    void theMenuCommandMakesAndSavesThePicture() {
        CPelmo_3DApp app;
        app.SetDocumentFactory([] { return MakeDocument(); });
        QVERIFY(app.InitInstance({}));
        CMainFrame* frame = app.MainFrame();
        ClearRecordedMessages();

        // No coloured point: the message, nothing made, BMP保存 stays off.
        WhenModal([&](QWidget* dlg) {
            QVERIFY(qobject_cast<CRndc2bmp*>(dlg));
            QVERIFY(Control<QRadioButton>(dlg, "1080")->isChecked());
            QVERIFY(Control<QRadioButton>(dlg, "1087")->isChecked());
            QCOMPARE(Control<QSpinBox>(dlg, "1084")->value(), 12);
            QVERIFY(!Control<QPushButton>(dlg, "1125")->isEnabled());
            Control<QRadioButton>(dlg, "1079")->click();
            Control<QPushButton>(dlg, "1")->click();
            QVERIFY(!Control<QPushButton>(dlg, "1125")->isEnabled());
            Control<QPushButton>(dlg, "2")->click();
        });
        frame->ExecuteCommand(kPointColours);
        QCOMPARE(int(RecordedMessages().size()), 1);
        QCOMPARE(QString::fromStdString(RecordedMessages()[0].text), QString("No Colore Pixel"));
        QVERIFY(g_bgImageHandle.Empty());

        // Two coloured points, 2048, simple fill, no passes; then saved under a Japanese name.
        AddPoint(0, 0, "#FF0000");
        AddPoint(100, 50, "#0000FF");
        const fs::path saved = fs::path(m_root.path().toStdString()) / "色画像.bmp";
        QueueFileDialogAnswer(saved.string());
        WhenModal([&](QWidget* dlg) {
            Control<QRadioButton>(dlg, "1079")->click();
            Control<QRadioButton>(dlg, "1086")->click();
            Control<QSpinBox>(dlg, "1084")->setValue(0);
            Control<QPushButton>(dlg, "1")->click();
            QVERIFY(Control<QPushButton>(dlg, "1125")->isEnabled());
            Control<QPushButton>(dlg, "1125")->click();
            Control<QPushButton>(dlg, "2")->click();
        });
        frame->ExecuteCommand(kPointColours);
        QCOMPARE(g_bgImage.width, 2048);
        QCOMPARE(g_bgImage.height, 2048);
        QCOMPARE(g_bgImage.pixels[2], uint8_t(0xFF));  // red at the lower-left pixel
        QCOMPARE(g_bgImage.corners[1][0], 100.0);
        QVERIFY(fs::exists(saved));
        QCOMPARE(QString::fromStdString(g_bgImagePath), QString::fromStdString(saved.string()));
        QVERIFY(!RecordedFileDialogs().empty());
        QCOMPARE(QString::fromStdString(RecordedFileDialogs().back().title), QString::fromUtf8("背景画像の保存"));
        ResetImageSlots();
    }

private:
    QTemporaryDir m_root;
};

QTEST_MAIN(PointColourUiTest)
#include "point_colour_uitest.moc"
