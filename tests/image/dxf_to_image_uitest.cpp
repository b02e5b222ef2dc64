// DXFを背景画像に変換 from the main frame's menu, under the offscreen platform.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cstring>
#include <filesystem>
#include <functional>

#include "dxf/dxf_store.h"
#include "image/dxf_to_image.h"
#include "image/image_slot.h"
#include "image/ui/dxf_to_image_dialog.h"
#include "model/document.h"
#include "model/ui/document_ui.h"
#include "platform/folders.h"
#include "shell/ui/application.h"
#include "shell/ui/main_frame.h"
#include "view/view_state.h"

namespace fs = std::filesystem;

namespace {
constexpr int kDxfToImage = 32960;

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

void StoreCross() {
    GrowDxfElementBlock(4);
    DxfElement* d = g_dxfElementsBlock.Data();
    const double pts[3][2] = {{0, -10}, {0, 10}, {5, 0}};
    const uint8_t pens[3] = {DXF_PEN_MOVE, DXF_PEN_DRAW, DXF_PEN_POINT};
    for (int k = 0; k < 3; ++k) {
        d[k + 1] = DxfElement{};
        d[k + 1].pen = pens[k];
        d[k + 1].x = pts[k][0];
        d[k + 1].y = pts[k][1];
        d[k + 1].colour = 1;
    }
    g_dxfElementCount = 3;
}
}  // namespace

class DxfToImageUiTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        const fs::path program = fs::path(m_root.path().toStdString()) / "program";
        fs::create_directories(program);
        SetProgramFolder(program);
    }

    void theMenuCommandRunsAndCancelsTheDialog() {
        CPelmo_3DApp app;
        app.SetDocumentFactory([] { return MakeDocument(); });
        QVERIFY(app.InitInstance({}));
        CMainFrame* frame = app.MainFrame();
        StoreCross();
        g_extentCenterX = 0;
        g_extentCenterY = 0;
        g_extentSize = 40;
        g_bgImagePath = "old.tif";
        g_bgImage.showOnBase = 0;

        // Cancelled after 底面表示: the switch stays, the path goes, no picture is made.
        bool seen = false;
        WhenModal([&](QWidget* dlg) {
            seen = qobject_cast<CDxfToImageDlg*>(dlg) != nullptr;
            QCOMPARE(Control<QLabel>(dlg, "1289")->text(), QString());
            QVERIFY(Control<QRadioButton>(dlg, "1079")->isChecked());
            Control<QCheckBox>(dlg, "1131")->click();
            Control<QPushButton>(dlg, "2")->click();
        });
        frame->ExecuteCommand(kDxfToImage);
        QVERIFY(seen);
        QCOMPARE(g_bgImage.showOnBase, 1);
        QVERIFY(g_bgImagePath.empty());
        QVERIFY(g_bgImageHandle.Empty());

        // 実行 with 太い and 4000: the picture replaces the main image.
        WhenModal([&](QWidget* dlg) {
            Control<QRadioButton>(dlg, "1080")->click();
            Control<QRadioButton>(dlg, "1087")->click();
            Control<QPushButton>(dlg, "1")->click();
        });
        frame->ExecuteCommand(kDxfToImage);
        QCOMPARE(g_dxfImageSizeIndex, 1);
        QCOMPARE(g_dxfImageThickLines, 1);
        QCOMPARE(g_bgImage.width, 4000);
        QVERIFY(!g_bgImageHandle.Empty());
        // The line runs along row 2000 (north 0), columns 1000..3000, thick.
        const auto px = [](int c, int r) { return g_bgImage.pixels[static_cast<size_t>(r) * 4000 + c]; };
        QCOMPARE(int(px(2000, 2000)), 61);
        QCOMPARE(int(px(2000, 2001)), 61);
        QCOMPARE(int(px(2000, 2003)), 0x50);

        // Opened again, the dialog warns that the picture will be replaced.
        WhenModal([&](QWidget* dlg) {
            QVERIFY(!Control<QLabel>(dlg, "1289")->text().isEmpty());
            QVERIFY(Control<QRadioButton>(dlg, "1080")->isChecked());
            QVERIFY(Control<QRadioButton>(dlg, "1087")->isChecked());
            Control<QPushButton>(dlg, "2")->click();
        });
        frame->ExecuteCommand(kDxfToImage);
        GrowDxfElementBlock(0);
        g_dxfElementCount = 0;
    }

private:
    QTemporaryDir m_root;
};

QTEST_MAIN(DxfToImageUiTest)
#include "dxf_to_image_uitest.moc"
