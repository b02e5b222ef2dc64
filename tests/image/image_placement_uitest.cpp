// The image placement dialog from the menu: 背景パラメータ設定 opens it over a loaded image;
// a vertex button, a click on the picture in the view and a typed coordinate register a
// pair, whose marks show on the view; 登録 moves the image; キャンセル puts it back exactly;
// the command again closes the dialog.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QtTest>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "../support/ui_driver.h"
#include "../windows/window_test_main.h"
#include "image/image_slot.h"
#include "image/image_writers.h"
#include "image/ui/image_placement_dialog.h"
#include "platform/file_dialog.h"
#include "shell/tool_mode.h"

using namespace ui_driver;
namespace fs = std::filesystem;

namespace {
QString g_root;
constexpr int kImageSelect = 32865;
constexpr int kImagePlacement = 32867;

// A 40 x 20 picture of 5 m pixels with its world file: upper-left corner (1000, 2100).
fs::path MapImage() {
    const fs::path path = fs::path(g_root.toStdString()) / "map.bmp";
    std::vector<uint32_t> row(40, 0x00808080);
    WriteBmp24File(path.string(), 40, 20, [&](int32_t) { return row.data(); });
    std::ofstream(fs::path(g_root.toStdString()) / "map.bpw", std::ios::binary)
        << "5\r\n0\r\n0\r\n-5\r\n1002.5\r\n2097.5\r\n";
    return path;
}

QPoint ClientOf(double east, double north) {
    return QPoint(int(std::lround(g_viewportCenterX + (east - g_viewCenterY) * g_viewScale)),
                  int(std::lround(g_viewportCenterY - (north - g_viewCenterX) * g_viewScale)));
}
void GroundOf(QPoint p, double& east, double& north) {
    east = g_viewCenterY + (p.x() - g_viewportCenterX) / g_viewScale;
    north = g_viewCenterX + (g_viewportCenterY - p.y()) / g_viewScale;
}

CBgImagePositionDlg* OpenDialog(CMainFrame* frame) {
    Choose(frame, kImagePlacement);
    auto* dialog = CBgImagePositionDlg::Instance();
    if (dialog && !QTest::qWaitForWindowExposed(dialog)) return nullptr;
    return dialog;
}

bool SamePlacement(const ImageSlot& a, const ImageSlot& b) {
    return std::memcmp(a.corners, b.corners, sizeof a.corners) == 0 &&
           std::memcmp(a.pairGround, b.pairGround, sizeof a.pairGround) == 0 &&
           std::memcmp(a.pairImage, b.pairImage, sizeof a.pairImage) == 0 &&
           std::memcmp(a.pairSet, b.pairSet, sizeof a.pairSet) == 0 && a.positionKnown == b.positionKnown &&
           std::memcmp(&a.mapping, &b.mapping, sizeof a.mapping) == 0;
}
}  // namespace

class ImagePlacementWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseProgramFolderIn(g_root); }
    void cleanup() { ResetImageSlots(); }

    void placementFromTheMenu() {
        MainWindow window;
        QVERIFY(Start(window, QSize(800, 600)));
        CMainFrame* frame = window.frame;
        QVERIFY(!Enabled(frame, kImagePlacement));
        QueueFileDialogAnswer(MapImage().string());
        Choose(frame, kImageSelect);
        QCOMPARE(g_bgImage.width, 40);
        QCOMPARE(g_bgImage.positionKnown, 1);
        const ImageSlot loaded = g_bgImage;

        // One pair: the picture's point under a click is moved onto the typed coordinate.
        CBgImagePositionDlg* dialog = OpenDialog(frame);
        QVERIFY(dialog);
        QVERIFY(!Control<QPushButton>(dialog, 1)->isEnabled());
        Control<QCheckBox>(dialog, 1206)->click();  // 頂点２ waits for pair 1
        QVERIFY(!Control<QCheckBox>(dialog, 1206)->isChecked());
        Control<QCheckBox>(dialog, 1205)->click();
        const QPoint at = ClientOf(1050, 2060);
        Click(window.view, at);
        QCOMPARE(dialog->State().pickState, 1);
        // The marks: the picked point's filled circle on the view.
        QTRY_VERIFY(Near(window.view->grab().toImage(), at, qRgb(255, 0, 255)));
        double east, north;
        GroundOf(at, east, north);
        Control<QLineEdit>(dialog, 1202)->setText("1100.5");
        Control<QLineEdit>(dialog, 1203)->setText("2000.25");
        Press(dialog, "1204");
        QCOMPARE(g_bgImage.pairSet[0], 1);
        Press(dialog, "1");
        QTRY_VERIFY(!CBgImagePositionDlg::Instance());
        for (int k = 0; k < 4; ++k) {
            QVERIFY(std::abs(g_bgImage.corners[k][0] - (loaded.corners[k][0] + 1100.5 - east)) < 1e-9);
            QVERIFY(std::abs(g_bgImage.corners[k][1] - (loaded.corners[k][1] + 2000.25 - north)) < 1e-9);
        }
        QVERIFY(fs::exists(fs::path(g_root.toStdString()) / "map.MPI"));

        // Two pairs picked in the view, then キャンセル: the placement as it was.
        const ImageSlot before = g_bgImage;
        dialog = OpenDialog(frame);
        QVERIFY(dialog);
        for (int k = 1; k <= 2; ++k) {
            Control<QCheckBox>(dialog, 1204 + k)->click();
            Click(window.view, QPoint(300 + 40 * k, 280));
            dialog->findChild<QTabBar*>("1282")->setCurrentIndex(1);
            Control<QCheckBox>(dialog, 1131)->click();
            Click(window.view, QPoint(320 + 60 * k, 250));
            QCOMPARE(g_bgImage.pairSet[k - 1], 1);
        }
        Press(dialog, "2");
        QTRY_VERIFY(!CBgImagePositionDlg::Instance());
        QVERIFY(SamePlacement(before, g_bgImage));
        QCOMPARE(g_toolMode, 0);

        // The command toggles the dialog.
        QVERIFY(OpenDialog(frame));
        Choose(frame, kImagePlacement);
        QTRY_VERIFY(!CBgImagePositionDlg::Instance());
    }
};

int main(int argc, char** argv) { return RunWindowTest<ImagePlacementWindowTest>(argc, argv, &g_root); }

#include "image_placement_uitest.moc"
