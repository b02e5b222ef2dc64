// The image list window from the menu: 背景画像選択 with a main image opens it; a click in
// the state column cycles a slot's mode, one in the name column only selects; 主画像に設定
// and 削除 rearrange the slots; brightness typed beyond 100 gives 100; Shift-JIS file names
// are shown as they read.
#include <QColorDialog>
#include <QLineEdit>
#include <filesystem>
#include <fstream>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include "../support/ui_driver.h"
#include "../windows/window_test_main.h"
#include "image/image_slot.h"
#include "image/image_list.h"
#include "image/image_writers.h"
#include "image/ui/image_list_dialog.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"

using namespace ui_driver;

namespace {
QString g_root;
constexpr int kImageSelect = 32865;

// Slots 0..n-1 hold small 32-bit images; the paths end in the given names.
void PutImages(const std::vector<std::string>& names) {
    ResetImageSlots();
    for (size_t k = 0; k < names.size(); ++k) {
        ImageSlot& s = g_imageSlots[k];
        s = ImageSlot{};
        s.width = 4 + int32_t(k);
        s.height = 3;
        s.stride = ImageRowStride(s);
        s.loaded = 1;
        s.blendMode = BLEND_OVERWRITE;
        s.positionKnown = 1;
        g_imageSlotHandles[k] = AllocImageBlock(size_t(s.stride) * 3);
        g_imageSlotPaths[k] = "/tmp/survey/" + names[k];
    }
    LoadMainImageSlot();
}

QString Cell(QTableWidget* list, int row, int col) { return list->item(row, col)->text().trimmed(); }
}  // namespace

class ImageListWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseProgramFolderIn(g_root); }
    void cleanup() { ResetImageSlots(); }

    void listFromTheMenu() {
        MainWindow window;
        QVERIFY(Start(window, QSize(800, 600)));
        // "地図.bmp" in Shift-JIS bytes.
        PutImages({"\x92\x6e\x90\x7d.bmp", "b.tif", "c.png"});
        Choose(window.frame, kImageSelect);
        CBgImageListDlg* dialog = CBgImageListDlg::Instance();
        QVERIFY(dialog);
        auto* list = Control<QTableWidget>(dialog, "1134");
        QCOMPARE(list->rowCount(), 8);
        QCOMPARE(Cell(list, 0, 1), QString::fromUtf8("地図.bmp"));
        QCOMPARE(Cell(list, 0, 2), QString::fromUtf8("主画像"));
        QCOMPARE(Cell(list, 1, 2), QString::fromUtf8("上書"));
        QCOMPARE(Cell(list, 3, 2), QString());

        // The name column only selects; the state column cycles.
        emit list->cellClicked(1, 1);
        QCOMPARE(g_imageSlots[1].blendMode, BLEND_OVERWRITE);
        emit list->cellClicked(1, 2);
        QCOMPARE(g_imageSlots[1].blendMode, BLEND_BLACK_LINES);
        QCOMPARE(Cell(list, 1, 2), QString::fromUtf8("黒線合成"));

        // 主画像に設定 on row 0 or an empty row does nothing; on row 2 it swaps in c.png.
        for (int row : {0, 5}) {
            list->selectRow(row);
            Press(dialog, "1144");
            QCOMPARE(Cell(list, 0, 1), QString::fromUtf8("地図.bmp"));
        }
        list->selectRow(2);
        Press(dialog, "1144");
        QCOMPARE(Cell(list, 0, 1), QString("c.png"));
        QCOMPARE(g_bgImage.width, 6);

        // Deleting row 0 moves every image up; row 0 is the main image again.
        list->selectRow(0);
        Press(dialog, "1145");
        QCOMPARE(Cell(list, 2, 1), QString());
        QCOMPARE(Cell(list, 0, 2), QString::fromUtf8("主画像"));
        QCOMPARE(UsedImageSlotCount(), 2);

        auto* brightness = Control<QLineEdit>(dialog, "1082");
        brightness->setText("150");
        emit brightness->editingFinished();
        QCOMPARE(g_imageBrightness, 100);
        brightness->setText("40");
        emit brightness->editingFinished();
        QCOMPARE(g_imageBrightness, 40);
        QCOMPARE(brightness->text().trimmed(), QString("40"));
        g_imageBrightness = 100;

        // A new main image closes the list.
        FreeImageSlots();
        QTRY_VERIFY(!CBgImageListDlg::Instance());
    }

    // 追加読込 takes a placed picture into the next row; Shift on the swatch with row 1
    // selected gives that slot its low colour and leaves the view's background.
    void addAndSwatch() {
        MainWindow window;
        QVERIFY(Start(window, QSize(800, 600)));
        PutImages({"main.bmp"});
        Choose(window.frame, kImageSelect);
        CBgImageListDlg* dialog = CBgImageListDlg::Instance();
        QVERIFY(dialog);
        const std::filesystem::path picture = std::filesystem::path(g_root.toStdString()) / "more.bmp";
        std::vector<uint32_t> row(16, 0x00336699);
        QVERIFY(WriteBmp24File(picture.string(), 16, 8, [&](int32_t) { return row.data(); }));
        std::ofstream(picture.parent_path() / "more.bpw", std::ios::binary) << "1\r\n0\r\n0\r\n-1\r\n1000.5\r\n2007.5\r\n";
        QueueFileDialogAnswer(picture.string());
        ClearRecordedMessages();
        Press(dialog, "1135");
        QVERIFY(RecordedMessages().empty());
        auto* list = Control<QTableWidget>(dialog, "1134");
        QCOMPARE(Cell(list, 1, 1), QString("more.bmp"));
        QCOMPARE(Cell(list, 1, 2), QString::fromUtf8("上書"));
        QCOMPARE(g_imageSlots[1].positionKnown, 1);
        QCOMPARE(g_bgImage.width, 4);  // the main image stays active

        const uint32_t background = ViewBackgroundColorRef();
        list->selectRow(1);
        WhenModal([](QWidget* d) {
            auto* chooser = qobject_cast<QColorDialog*>(d);
            QVERIFY(chooser);
            chooser->setCurrentColor(QColor(0x11, 0x22, 0x33));
            QMetaObject::invokeMethod(chooser, "accept");
        });
        QTest::mouseClick(Control<QWidget>(dialog, "1019"), Qt::LeftButton, Qt::ShiftModifier, QPoint(5, 5));
        QCOMPARE(g_imageSlots[1].colorLow, uint32_t(0x00332211));
        QCOMPARE(ViewBackgroundColorRef(), background);
    }
};

int main(int argc, char** argv) { return RunWindowTest<ImageListWindowTest>(argc, argv, &g_root); }

#include "image_list_uitest.moc"
