// ビットマップで保存 from the menu on a real survey: the TIN of jacksboro_grid.RND saved at
// the view's size as BMP with its position and world files; gdalinfo reads the view's
// corners from the world file; 背景画像選択 loads the picture back without asking whether
// it belongs to the data, and drawn alone it lies on the view's own picture within a
// pixel. Then the same view at 4000 x 3000.
#include <QComboBox>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QtTest>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "../support/survey_data.h"
#include "../support/ui_driver.h"
#include "../windows/window_test_main.h"
#include "image/image_slot.h"
#include "image/view_image_export.h"
#include "model/terrain_data.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "shell/command_table.h"
#include "view/display_flags.h"

using namespace ui_driver;
namespace fs = std::filesystem;

namespace {
QString g_root;
constexpr int kSaveView = 32886;
constexpr int kImageSelect = 32865;

// Answers the save dialog with a file and a size.
void AnswerSaveDialog(const fs::path& path, int width, int height) {
    WhenModal("imageSaveDialog", [=](QWidget* d) {
        auto* dialog = qobject_cast<QFileDialog*>(d);
        Control<QComboBox>(d, "1120")->setEditText(QString::number(width));
        Control<QComboBox>(d, "1121")->setEditText(QString::number(height));
        dialog->selectFile(QString::fromStdString(path.string()));
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

uint32_t U32(const std::string& b, size_t at) {
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
           uint32_t(uint8_t(b[at + 3])) << 24;
}

std::string Bytes(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

// How many pixels of `a` equal those of `b` moved by (dx, dy), over the inner part.
long Matches(const QImage& a, const QImage& b, int dx, int dy) {
    long n = 0;
    for (int y = 20; y < a.height() - 20; y += 2)
        for (int x = 20; x < a.width() - 20; x += 2) n += (a.pixel(x, y) & 0xFFFFFF) == (b.pixel(x + dx, y + dy) & 0xFFFFFF);
    return n;
}
}  // namespace

class ViewExportWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseProgramFolderIn(g_root); }
    void cleanup() { ResetImageSlots(); }

    void tinViewSavedAndLoadedBack() {
        MainWindow window;
        QVERIFY(Start(window, QSize(900, 700)));
        CMainFrame* frame = window.frame;
        OpenFile(frame, SurveyFile("jacksboro_grid.RND"));
        QVERIFY(g_pointCount > 1000);
        WhenModal([](QWidget* dlg) { Control<QPushButton>(dlg, "1191")->click(); });
        frame->ExecuteCommand(cmd::kAutoOutline);
        frame->ExecuteCommand(cmd::kTinCalc);
        QVERIFY(g_tinEdgeCount > 1000);
        frame->ExecuteCommand(32800);  // the overall view
        const QImage before = window.view->grab().toImage();
        const int width = g_bufferMaxX, height = g_bufferMaxY;
        const PlacementCorners corners = ViewExportCorners(g_viewScale);
        const double scale = g_viewScale;

        const fs::path bmp = fs::path(g_root.toStdString()) / "tin.bmp";
        AnswerSaveDialog(bmp, width, height);
        Choose(frame, kSaveView);
        QVERIFY(fs::exists(bmp));
        QVERIFY(fs::exists(bmp.parent_path() / "tin.MPI"));
        QVERIFY(fs::exists(bmp.parent_path() / "tin.BPW"));
        QCOMPARE(g_viewScale, scale);
        const std::string header = Bytes(bmp).substr(0, 54);
        QCOMPARE(int(U32(header, 18)), width);
        QCOMPARE(int(U32(header, 22)), height);

        // GDAL reads the world file beside the picture: the view's corners.
        QProcess gdal;
        gdal.start("gdalinfo", {"-json", QString::fromStdString(bmp.string())});
        if (gdal.waitForFinished(30000) && gdal.exitCode() == 0) {
            const QJsonObject c = QJsonDocument::fromJson(gdal.readAllStandardOutput())
                                      .object()["cornerCoordinates"].toObject();
            const char* names[4] = {"upperLeft", "upperRight", "lowerLeft", "lowerRight"};
            for (int k = 0; k < 4; ++k) {
                const QJsonArray p = c[names[k]].toArray();
                QVERIFY2(std::abs(p[0].toDouble() - corners.values[2 * k + 1]) < 0.001, names[k]);
                QVERIFY2(std::abs(p[1].toDouble() - corners.values[2 * k]) < 0.001, names[k]);
            }
        } else {
            QWARN("gdalinfo is not installed: the world file is not checked by GDAL");
        }

        // Loaded back: no question whether it belongs to the data.
        ClearRecordedMessages();
        QueueFileDialogAnswer(bmp.string());
        Choose(frame, kImageSelect);
        QCOMPARE(g_bgImage.width, width);
        QCOMPARE(g_bgImage.positionKnown, 1);
        QVERIFY(RecordedMessages().empty());
        // Drawn alone under the same view it shows the same picture, within a pixel.
        g_showTin = 0;
        g_showPoints = 0;
        g_colorBandOn = 0;
        g_redrawMask = -1;
        window.view->repaint();
        const QImage after = window.view->grab().toImage();
        long best = -1;
        int bestX = 99, bestY = 99;
        for (int dy = -3; dy <= 3; ++dy)
            for (int dx = -3; dx <= 3; ++dx) {
                const long n = Matches(before, after, dx, dy);
                if (n > best) best = n, bestX = dx, bestY = dy;
            }
        QVERIFY2(std::abs(bestX) <= 1 && std::abs(bestY) <= 1, qPrintable(QString("offset %1, %2").arg(bestX).arg(bestY)));

        // 4000 x 3000 from the menu; the view is as it was afterwards.
        const fs::path big = fs::path(g_root.toStdString()) / "big.bmp";
        AnswerSaveDialog(big, 4000, 3000);
        Choose(frame, kSaveView);
        const std::string bigHeader = Bytes(big).substr(0, 54);
        QCOMPARE(int(U32(bigHeader, 18)), 4000);
        QCOMPARE(int(U32(bigHeader, 22)), 3000);
        QCOMPARE(g_viewScale, scale);
        QCOMPARE(g_bufferMaxX, width);
    }
};

int main(int argc, char** argv) { return RunWindowTest<ViewExportWindowTest>(argc, argv, &g_root); }

#include "view_export_uitest.moc"
