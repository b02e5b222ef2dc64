// 外部データ取り込み from the menu: the import window's kind-dependent controls, the
// intensity limit edit and wheel, the text-format hint, and a SIMA file read into the
// points with the overall view.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWheelEvent>
#include <QtTest>
#include <filesystem>

#include "../support/ui_driver.h"
#include "../windows/window_test_main.h"
#include "exchange/import_request.h"
#include "exchange/sima_out.h"
#include "exchange/ui/import_dialog.h"
#include "exchange/ui/sima_out_dialog.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/tool_windows.h"

namespace fs = std::filesystem;
using namespace ui_driver;

namespace {
QString g_root;
constexpr int kImport = 32803;

CImportDlg* OpenImportWindow(CMainFrame* frame) {
    ClearRecordedMessages();
    if (g_pointCount > 0) QueueMessageAnswer(msg::kIdYes);
    Choose(frame, kImport);
    return frame->findChild<CImportDlg*>();
}

void Wheel(QWidget* w, int delta) {
    QWheelEvent e(QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}
}  // namespace

class ImportWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseProgramFolderIn(g_root); }

    void controlsFollowTheKind() {
        MainWindow window;
        QVERIFY(Start(window, QSize(800, 600)));
        CMainFrame* frame = window.frame;
        ResetImportChoices();
        CImportDlg* dialog = OpenImportWindow(frame);
        QVERIFY(dialog);
        QVERIFY(IsToolWindowOpen(ToolWindow::kImport));
        QVERIFY(Checked(frame, kImport));
        QVERIFY(Control<QRadioButton>(dialog, 1102)->isChecked());  // SIMA by default
        QVERIFY(!Control<QRadioButton>(dialog, 1103)->isVisible());
        auto* limit = Control<QLineEdit>(dialog, 1082);
        auto* swap = Control<QCheckBox>(dialog, 1135);
        QVERIFY(!limit->isEnabled());
        QVERIFY(!swap->isEnabled());

        Control<QRadioButton>(dialog, 1131)->click();
        QCOMPARE(g_importKind, 9);
        QVERIFY(limit->isEnabled());
        QVERIFY(swap->isEnabled());
        QVERIFY(Control<QCheckBox>(dialog, 1143)->isEnabled());

        // Typed and left: limited to 0..999; an emptied edit keeps the limit.
        auto* other = Control<QCheckBox>(dialog, 1008);
        const struct {
            const char* typed;
            const char* shown;
        } typed[] = {{"-3", " 0"}, {"1500", " 999"}, {"", " 999"}, {"40", " 40"}};
        for (const auto& t : typed) {
            limit->setFocus();
            QTRY_VERIFY(limit->hasFocus());
            limit->setText(t.typed);
            other->setFocus();
            QTRY_VERIFY(!limit->hasFocus());
            QCOMPARE(limit->text(), QString(t.shown));
        }
        // The wheel steps by 5 only while the edit has the focus.
        Wheel(limit, 120);
        QCOMPARE(limit->text(), QString(" 40"));
        limit->setFocus();
        QTRY_VERIFY(limit->hasFocus());
        Wheel(limit, 120);
        QCOMPARE(limit->text(), QString(" 45"));
        for (int i = 0; i < 12; ++i) Wheel(limit, -120);
        QCOMPARE(limit->text(), QString(" 0"));

        auto* drop = Control<QCheckBox>(dialog, 1143);
        auto* unused = Control<QCheckBox>(dialog, 1144);
        drop->click();
        unused->click();
        QVERIFY(!drop->isChecked());
        QCOMPARE(g_importRequest.belowLimitMode, 2);
        unused->click();
        QCOMPARE(g_importRequest.belowLimitMode, 0);
        swap->click();

        // DXF: intensity and XY controls off, the checked swap travels anyway.
        Control<QRadioButton>(dialog, 1132)->click();
        QVERIFY(!limit->isEnabled());
        QVERIFY(!swap->isEnabled());
        Control<QRadioButton>(dialog, 1131)->click();

        // Kind 9: the format hint comes before the file dialog; cancelling closes.
        ClearRecordedFileDialogs();
        Press(dialog, "1106");
        QCOMPARE(RecordedMessages().size(), size_t{1});
        QVERIFY(RecordedMessages()[0].text.rfind("テキストデータの書式は", 0) == 0);
        QCOMPARE(RecordedFileDialogs().size(), size_t{1});
        QCOMPARE(QString::fromStdString(RecordedFileDialogs()[0].filter),
                 QString::fromUtf8(" テキストファイル|*.TXT| ＣＳＶファイル|*.CSV|すべてのファイル|*.*|"));
        QVERIFY(!IsToolWindowOpen(ToolWindow::kImport));
        QCOMPARE(g_importRequest.readyCode, 0);

        // Opened again: the last kind, limit and swap.
        dialog = OpenImportWindow(frame);
        QVERIFY(dialog);
        QVERIFY(Control<QRadioButton>(dialog, 1131)->isChecked());
        QCOMPARE(Control<QLineEdit>(dialog, 1082)->text(), QString(" 0"));
        QVERIFY(Control<QCheckBox>(dialog, 1135)->isChecked());
        // The command closes the open window.
        Choose(frame, kImport);
        QVERIFY(!IsToolWindowOpen(ToolWindow::kImport));
        QTRY_VERIFY(!frame->findChild<CImportDlg*>());
    }

    void simaFileBecomesPoints() {
        MainWindow window;
        QVERIFY(Start(window, QSize(800, 600)));
        CMainFrame* frame = window.frame;
        ResetImportChoices();
        const int32_t before = g_pointCount;
        const fs::path path = fs::path(g_root.toStdString()) / "far.SIM";
        WriteFileBytes(path, "G00,01,-,\r\nA00,\r\nA01,1,F1,50000.000,60000.000,12.000,\r\n"
                             "A01,2,F2,50100.000,60100.000,13.000,\r\nA99,\r\n");
        CImportDlg* dialog = OpenImportWindow(frame);
        QVERIFY(dialog);
        Control<QRadioButton>(dialog, 1102)->click();
        QueueFileDialogAnswer(path.string());
        Press(dialog, "1106");
        QTRY_COMPARE(g_pointCount, before + 2);
        QCOMPARE(g_importRequest.readyCode, 0);
        QCOMPARE(QString(g_points[before + 1].name), QString("F1"));
        QVERIFY(!IsToolWindowOpen(ToolWindow::kImport));
        // The overall view takes the far points in.
        QVERIFY(g_extentCenterX > 0);
    }

    // Kinds 10 and 11 show their own dialogs before reading: the DXF parameters (a cancel
    // reads nothing) and the scanner's set-up point.
    void dxfAndScannerDialogs() {
        MainWindow window;
        QVERIFY(Start(window, QSize(800, 600)));
        CMainFrame* frame = window.frame;
        ResetImportChoices();
        const int32_t before = g_pointCount;
        const fs::path dxf = fs::path(g_root.toStdString()) / "p.dxf";
        WriteFileBytes(dxf, "0\nSECTION\n2\nENTITIES\n0\nPOINT\n10\n100\n20\n200\n30\n5\n0\nENDSEC\n0\nEOF\n");
        CImportDlg* dialog = OpenImportWindow(frame);
        QVERIFY(dialog);
        Control<QRadioButton>(dialog, 1132)->click();
        bool shown = false;
        WhenModal("dxfImportParamDialog", [&](QWidget* modal) {
            shown = true;
            Press(modal, "1223");  // 開始
        });
        QueueFileDialogAnswer(dxf.string());
        Press(dialog, "1106");
        QTRY_VERIFY(shown);
        QTRY_COMPARE(g_pointCount, before + 1);

        const fs::path scan = fs::path(g_root.toStdString()) / "s.3dd";
        WriteFileBytes(scan, "r25.000;eTB90.0;eTI60.0;eTW0\r");
        dialog = OpenImportWindow(frame);
        QVERIFY(dialog);
        Control<QRadioButton>(dialog, 1133)->click();
        shown = false;
        WhenModal("217", [&](QWidget* modal) {
            shown = true;
            auto* x = Control<QLineEdit>(modal, 1288);
            QCOMPARE(x->text(), QString("0.000"));
            x->setText("1000");
            Control<QLineEdit>(modal, 1289)->setText("2000");
            Control<QLineEdit>(modal, 1292)->setText("50");
            Press(modal, "1132");
        });
        QueueFileDialogAnswer(scan.string());
        Press(dialog, "1106");
        QTRY_VERIFY(shown);
        QTRY_COMPARE(g_pointCount, before + 2);
        QCOMPARE(g_points[g_pointCount].y, 1975.0);
        QVERIFY(std::fabs(g_points[g_pointCount].z - 62.5) < 1e-9);
    }

    // ＳＩＭＡ出力 from the menu: enabled with a TIN, the window proposes the data file's
    // name, writes in the chosen form and closes; the file reads back as SIMA points.
    void simaOutputFromTheMenu() {
        MainWindow window;
        QVERIFY(Start(window, QSize(800, 600)));
        CMainFrame* frame = window.frame;
        const int32_t tinPresent = g_tinPresent;
        const int32_t contours = g_drawingContoursLoaded;
        g_tinPresent = 0;
        g_drawingContoursLoaded = 0;
        QVERIFY(!Enabled(frame, 32850));
        // Three points and the TIN of their triangle.
        QCOMPARE(EnsurePointCapacity(10), 0);
        const double xy[3][2] = {{0, 0}, {10, 0}, {0, 10}};
        for (int i = 1; i <= 3; ++i) {
            g_points[i] = RandomPoint{};
            g_points[i].x = xy[i - 1][0], g_points[i].y = xy[i - 1][1], g_points[i].z = 5;
        }
        g_pointCount = 3;
        SetPointEndMarker();
        g_pointsPresent = -1;
        QCOMPARE(EnsureTinEdgeCapacity(10), 0);
        g_tinEdges[1] = TinEdge{1, 2, kNoApex, 3, 0};
        g_tinEdges[2] = TinEdge{2, 3, kNoApex, 1, 0};
        g_tinEdges[3] = TinEdge{3, 1, kNoApex, 2, 0};
        const int32_t edges = g_tinEdgeCount;
        g_tinEdgeCount = 3;
        SetTinEndRecord();
        g_tinPresent = -1;
        QVERIFY(Enabled(frame, 32850));
        ResetSimaOutChoices();
        g_currentDataPath = (fs::path(g_root.toStdString()) / "site.RND").string();
        Choose(frame, 32850);
        auto* dialog = frame->findChild<CSimaOutDlg*>();
        QVERIFY(dialog);
        QVERIFY(Checked(frame, 32850));
        QCOMPARE(Control<QLineEdit>(dialog, 1180)->text(),
                 QString::fromStdString((fs::path(g_root.toStdString()) / "site.SIM").string()));
        QVERIFY(!Control<QCheckBox>(dialog, 1131)->isChecked());  // no contours
        QVERIFY(Control<QCheckBox>(dialog, 1163)->isChecked());
        QVERIFY(Control<QRadioButton>(dialog, 1182)->isChecked());
        Control<QRadioButton>(dialog, 1181)->click();
        Press(dialog, "1166");
        QVERIFY(!IsToolWindowOpen(ToolWindow::kSimaOut));
        std::string bytes;
        QVERIFY(ReadFileBytes(fs::path(g_root.toStdString()) / "site.SIM", bytes));
        QVERIFY(bytes.rfind("G00,01,-,\r\nA00,\r\nA01,1,", 0) == 0);
        QVERIFY(bytes.find("E00,\r\nE01,") != std::string::npos);
        g_tinEdgeCount = edges;
        g_tinPresent = tinPresent;
        g_drawingContoursLoaded = contours;
    }
};

int main(int argc, char** argv) { return RunWindowTest<ImportWindowTest>(argc, argv, &g_root); }

#include "import_uitest.moc"
