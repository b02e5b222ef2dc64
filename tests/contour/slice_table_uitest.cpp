// The elevation table and the slice quantities in the program's windows, chosen from the
// menus and driven with real mouse events and keys: the table filled in bulk and typed,
// the area calculation started through its method dialog (also the program's own, its
// lines drawn and dragged across to mark them invalid), the quantities computed and
// listed in both layouts, copied, a line picked in the view for its area information,
// the area list's rows highlighting their lines, and the slice lines turned into contours.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <functional>

#include "contour/contour_calc.h"
#include "contour/contour_files.h"
#include "contour/elevation_table.h"
#include "contour/slice_quantities.h"
#include "contour/slice_store.h"
#include "contour/slice_line_tool.h"
#include "contour/slice_lines.h"
#include "contour/ui/area_list_dialog.h"
#include "contour/ui/elevation_area_dialog.h"
#include "contour/ui/quantity_dialogs.h"
#include "model/document.h"
#include "model/terrain_data.h"
#include "platform/clipboard.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "shell/command_table.h"
#include "shell/tool_windows.h"
#include "shell/ui/application.h"
#include "shell/ui/flex_grid.h"
#include "shell/ui/main_frame.h"
#include "view/back_buffer.h"
#include "view/display_flags.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"
#include "slice_table_support.h"
#include "model/ui/document_ui.h"
#include "../support/ui_driver.h"
#include "../windows/window_test_main.h"

namespace fs = std::filesystem;

namespace {
QString g_root;

constexpr int kElevationArea = 32889;
constexpr int kAreaList = 32892;
constexpr int kAreaInfo = 32893;
constexpr int kQuantityCalc = 32895;
constexpr int kQuantityList = 32896;
constexpr int kSliceToContour = 32900;
constexpr int kValidInvalid = 32901;

fs::path Fixture() { return fs::path(NOSTREL_SOURCE_DIR) / "tests/data/plan_grid.RND"; }

bool Enabled(CMainFrame* frame, int id) {
    frame->RefreshCommandStates();
    const auto actions = frame->Actions(id);
    return !actions.empty() && actions.front()->isEnabled();
}

void Choose(CMainFrame* frame, int id) {
    QVERIFY2(Enabled(frame, id), qPrintable(QString("command %1 disabled").arg(id)));
    frame->Actions(id).front()->trigger();
}

void WhenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        if (!modal) qFatal("no modal dialog");
        modal->activateWindow();
        QApplication::setActiveWindow(modal);
        if (!QTest::qWaitForWindowActive(modal)) qWarning("the dialog did not become active");
        act(modal);
        if (modal && modal->isVisible()) modal->close();
    });
}

template <typename W>
W* Control(QWidget* window, const char* id) {
    W* w = window->findChild<W*>(QString::fromLatin1(id));
    if (!w) qFatal("control %s missing", id);
    return w;
}

void ClickCell(CMSFlexGrid* grid, int row, int col) {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(row, col)).center(),
                      QApplication::doubleClickInterval() + 50);
}

void MouseClick(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton); }

int CountColor(const QImage& image, QRgb color) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == color;
    return n;
}

void Type(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

// Stands in for the slice-line calculation: a ground square at every level whose area
// falls by 20 per metre above 100, the rows' areas summed as the calculation leaves them.
void FakeSliceCalculation(double, int32_t) {
    g_sliceLineCount = 0;
    g_sliceExtraBlocks = 0;
    for (int32_t i = 1; i <= g_sliceLevelCount; ++i) {
        const double area = 50 - 20 * (g_sliceLevels[i].elevation - 100);
        slicetest::AddSliceLine(0, 1, g_sliceLevels[i].attribute, g_sliceLevels[i].elevation, area,
                                slicetest::Square(std::sqrt(area)));
        g_sliceLevels[i].area = area;
    }
}
}  // namespace

class SliceTableUiTest : public QObject {
    Q_OBJECT
    CPelmo_3DApp* m_app = nullptr;
    CMainFrame* m_frame = nullptr;

private slots:
    void initTestCase() {
        const fs::path program = fs::path(g_root.toStdString()) / "program";
        fs::create_directories(program);
        SetProgramFolder(program);
    }
    void init() {
        m_app = new CPelmo_3DApp;
        m_app->SetDocumentFactory([] { return MakeDocument(); });
        QVERIFY(m_app->InitInstance({}));
        m_frame = m_app->MainFrame();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame));
        QueueFileDialogAnswer(Fixture().string());
        m_frame->ExecuteCommand(cmd::kFileOpen);
        QVERIFY(g_tinPresent != 0);
        ClearRecordedMessages();
        SetSliceAreaCalculation(FakeSliceCalculation);
    }
    void cleanup() {
        SetSliceAreaCalculation({});
        delete m_app;
        m_app = nullptr;
        QVERIFY(!IsToolWindowOpen(ToolWindow::kElevationArea));
        QVERIFY(!IsToolWindowOpen(ToolWindow::kQuantityList));
        QVERIFY(!IsToolWindowOpen(ToolWindow::kAreaList));
    }

    void tableFilledTypedAndCalculated() {
        QVERIFY(!Enabled(m_frame, kQuantityCalc));  // no slice lines yet
        Choose(m_frame, kElevationArea);
        auto* dlg = dynamic_cast<CElevationAreaDlg*>(GetToolWindow(ToolWindow::kElevationArea));
        QVERIFY(dlg);
        QVERIFY(QTest::qWaitForWindowExposed(dlg));
        auto* grid = Control<CMSFlexGrid>(dlg, "1257");
        QVERIFY(grid->GetRows() >= 40);
        QCOMPARE(grid->GetTextMatrix(0, 3), QString::fromUtf8("合計面積"));

        // 一括入力: 100 to 102 every 0.5, index 1.
        WhenModal([](QWidget* batch) {
            Type(Control<QLineEdit>(batch, "1269"), "100");
            Type(Control<QLineEdit>(batch, "1270"), "102");
            Type(Control<QLineEdit>(batch, "1271"), "0.5");
            QCOMPARE(Control<QLineEdit>(batch, "1273")->text().trimmed(), QString("1.000"));
            Control<QPushButton>(batch, "1")->click();
        });
        Control<QPushButton>(dlg, "1263")->click();
        QCOMPARE(g_sliceLevelCount, 5);
        QCOMPARE(grid->GetTextMatrix(2, 1), QString(" 100.500"));
        QCOMPARE(grid->GetTextMatrix(3, 2), QString("   1 "));
        QCOMPARE(Control<QLabel>(dlg, "1264")->text(), QString("   5 "));

        // Typed: a click on an elevation, Enter moves to the attribute, then to the next
        // row's elevation; the empty row after the last appends.
        ClickCell(grid, 5, 1);
        auto* editor = Control<QLineEdit>(dlg, "1258");
        QVERIFY(editor->isVisible());
        Type(editor, "101.75");
        QVERIFY(editor->isVisible());
        QCOMPARE(grid->GetCol(), 2);
        Type(editor, "0");
        QCOMPARE(grid->GetRow(), 6);
        Type(editor, "102.5");
        QCOMPARE(g_sliceLevelCount, 6);
        QCOMPARE(g_sliceLevels[5].elevation, 101.75);
        QCOMPARE(g_sliceLevels[6].elevation, 102.5);
        ClickCell(grid, 2, 3);  // the area column is not edited
        QVERIFY(!editor->isVisible());

        // 面積計算 through the method dialog.
        WhenModal([](QWidget* method) {
            QVERIFY(!Control<QLineEdit>(method, "1084")->isEnabled());
            Control<QRadioButton>(method, "1077")->click();
            QVERIFY(Control<QLineEdit>(method, "1084")->isEnabled());
            Control<QPushButton>(method, "1132")->click();
        });
        Control<QPushButton>(dlg, "1267")->click();
        QCOMPARE(g_sliceMethod, 1);
        QVERIFY(g_sliceSmoothness > 0);
        QCOMPARE(g_sliceLineCount, 6);
        QCOMPARE(g_showSliceContours, -1);
        QCOMPARE(grid->GetTextMatrix(1, 3), QString("50.000 "));

        // 表コピー and 貼り付け: the rows come back once more, without a heading row.
        Control<QPushButton>(dlg, "1260")->click();
        QVERIFY(GetClipboardText().find("\r\n") != std::string::npos);
        Control<QPushButton>(dlg, "1136")->click();
        QCOMPARE(g_sliceLevelCount, 12);
        QCOMPARE(g_sliceLevels[7].elevation, 100.0);

        // The command again closes the dialog.
        Choose(m_frame, kElevationArea);
        QVERIFY(!IsToolWindowOpen(ToolWindow::kElevationArea));
    }

    // The program's own calculation on the survey's TIN: the hill about point 5 (110 m)
    // gives a ring at 106 and at 107, drawn in the view; dragged across from the summit
    // to point 1 with the valid/invalid tool, both rings and nothing else turn invalid.
    void calculatedFromTheMenusDrawnAndMarkedInvalid() {
        SetSliceAreaCalculation({});
        g_sliceRangeMode = 1;
        if (g_birdsEyeOn) m_frame->ExecuteCommand(32805);
        g_colorBandOn = 0;
        m_frame->ExecuteCommand(32800);
        QWidget* view = m_frame->ViewWidget();
        const QRgb ground = ui_driver::Rgb(g_colorTable[50]);
        const QRgb invalid = ui_driver::Rgb(g_colorTable[21]);
        const QImage before = view->grab().toImage();
        QCOMPARE(CountColor(before, ground), 0);

        Choose(m_frame, kElevationArea);
        auto* dlg = dynamic_cast<CElevationAreaDlg*>(GetToolWindow(ToolWindow::kElevationArea));
        QVERIFY(dlg);
        QVERIFY(QTest::qWaitForWindowExposed(dlg));
        WhenModal([](QWidget* batch) {
            Type(Control<QLineEdit>(batch, "1269"), "106");
            Type(Control<QLineEdit>(batch, "1270"), "107");
            Type(Control<QLineEdit>(batch, "1271"), "1");
            MouseClick(Control<QPushButton>(batch, "1"));
        });
        MouseClick(Control<QPushButton>(dlg, "1263"));
        QCOMPARE(g_sliceLevelCount, 2);

        // The method dialog refuses a tolerance of 0 and keeps the one before.
        ClearRecordedMessages();
        WhenModal([](QWidget* method) {
            QCOMPARE(method->objectName(), QString("areaContourMethodDialog"));
            MouseClick(Control<QRadioButton>(method, "1076"));
            auto* tolerance = Control<QLineEdit>(method, "1186");
            Type(tolerance, "0");
            QCOMPARE(tolerance->text().trimmed(), QString("0.000010"));
            MouseClick(Control<QPushButton>(method, "1132"));
        });
        MouseClick(Control<QPushButton>(dlg, "1267"));
        QCOMPARE(g_contourLevelTolerance, 0.00001);
        QCOMPARE(RecordedMessages().size(), size_t{2});
        QCOMPARE(RecordedMessages()[0].text, std::string(kContourToleranceMessage));
        QCOMPARE(QString::fromStdString(RecordedMessages()[1].text),
                 QString::fromUtf8("面積計算終了"));
        QCOMPARE(g_sliceLineCount, 2);
        QVERIFY(g_sliceLevels[1].area > g_sliceLevels[2].area);
        QVERIFY(g_sliceLevels[2].area > 0);
        const QImage drawn = view->grab().toImage();
        QVERIFY(CountColor(drawn, ground) > 20);
        const int invalidBefore = CountColor(drawn, invalid);
        Choose(m_frame, kElevationArea);
        QVERIFY(!IsToolWindowOpen(ToolWindow::kElevationArea));

        Choose(m_frame, kValidInvalid);
        bool asked = false;
        ui_driver::WhenModal("quantityValidDialog", [&asked](QWidget* valid) {
            asked = true;
            QVERIFY(Control<QRadioButton>(valid, "1293")->isChecked());  // both valid: 無効
            MouseClick(Control<QPushButton>(valid, "1"));
        });
        ui_driver::Drag(view, {ui_driver::WindowPosition(5), ui_driver::WindowPosition(1)});
        QTRY_VERIFY(asked);
        int32_t invalidLines = 0, selected = 0;
        ForEachSliceLine([&](int32_t, SliceLine& l) {
            invalidLines += l.valid == 0;
            selected += l.selected != 0;
        });
        QCOMPARE(invalidLines, 2);
        QCOMPARE(selected, 0);
        view->repaint();
        QVERIFY(CountColor(view->grab().toImage(), invalid) > invalidBefore + 20);
        Choose(m_frame, kValidInvalid);
    }

    void quantitiesListedInBothLayouts() {
        for (double e : {100.0, 101.0, 102.0}) QVERIFY(AppendSliceLevel(e, 0));
        FakeSliceCalculation(0, 0);
        g_sliceReferenceLevel = 101;
        g_sliceRangeMode = 1;
        WhenModal([](QWidget* calc) {
            QCOMPARE(Control<QComboBox>(calc, "1301")->currentIndex(), 0);
            QCOMPARE(Control<QComboBox>(calc, "1302")->currentIndex(), 2);
            QCOMPARE(Control<QComboBox>(calc, "1303")->currentIndex(), 1);
            MouseClick(Control<QPushButton>(calc, "1"));
        });
        Choose(m_frame, kQuantityCalc);
        QCOMPARE(RecordedMessages().size(), size_t{1});
        QCOMPARE(QString::fromStdString(RecordedMessages()[0].text), QString::fromUtf8("数量合計[60.000]"));
        auto* list = dynamic_cast<CQuantityListDlg*>(GetToolWindow(ToolWindow::kQuantityList));
        QVERIFY(list);
        CMSFlexGrid* grid = list->Grid();
        QCOMPARE(grid->GetCols(), 7);  // earthwork layout for ground space
        QCOMPARE(grid->GetTextMatrix(0, 5), QString::fromUtf8("累加土量１"));
        QCOMPARE(grid->GetTextMatrix(3, 5), QString("60.0"));
        MouseClick(Control<QRadioButton>(list, "1292"));
        QCOMPARE(grid->GetCols(), 8);
        QCOMPARE(grid->GetTextMatrix(3, 6), QString("-20.0"));
        MouseClick(Control<QPushButton>(list, "1135"));  // 表コピー
        QCOMPARE(GetClipboardText(), QuantityTableText(QuantityLayout::kStorage));

        Choose(m_frame, kQuantityList);
        QVERIFY(!IsToolWindowOpen(ToolWindow::kQuantityList));
        Choose(m_frame, kQuantityList);
        QVERIFY(IsToolWindowOpen(ToolWindow::kQuantityList));
        CloseToolWindow(ToolWindow::kQuantityList);

        // Stopped: neither total nor list.
        ClearRecordedMessages();
        WhenModal([](QWidget* calc) { MouseClick(Control<QPushButton>(calc, "2")); });
        Choose(m_frame, kQuantityCalc);
        QVERIFY(RecordedMessages().empty());
        QVERIFY(!IsToolWindowOpen(ToolWindow::kQuantityList));
    }

    void validDialogAnswersTheDrag() {
        struct Case { int32_t start; const char* radio; const char* button; bool applied; int32_t valid; };
        const Case cases[] = {{1, "1293", "1", true, 0}, {0, "1294", "1", true, 1},
                              {1, "1293", "2", false, 1}};
        for (const Case& c : cases) {
            QuantityValidValues values{c.start};
            WhenModal([c](QWidget* dlg) {
                QCOMPARE(Control<QRadioButton>(dlg, c.start ? "1294" : "1293")->isChecked(), true);
                Control<QRadioButton>(dlg, c.radio)->click();
                Control<QPushButton>(dlg, c.button)->click();
            });
            QCOMPARE(RunQuantityValidDialog(values), c.applied);
            QCOMPARE(values.valid, c.applied ? c.valid : c.start);
        }
    }

    void areaInfoPickAndAreaListHighlight() {
        // Line 1 runs round the survey's corner points, line 2 is a small square about
        // point 5: a click on a corner point picks line 1 and nothing else.
        auto at = [](int32_t i) { return std::pair<double, double>{g_points[i].x, g_points[i].y}; };
        slicetest::AddSliceLine(0, 1, 0, 104, 400, {at(1), at(3), at(9), at(7), at(1)});
        const auto [cx, cy] = at(5);
        slicetest::AddSliceLine(0, 1, 0, 106, 4,
                                {{cx - 1, cy - 1}, {cx - 1, cy + 1}, {cx + 1, cy + 1},
                                 {cx + 1, cy - 1}, {cx - 1, cy - 1}});
        if (g_birdsEyeOn) m_frame->ExecuteCommand(32805);
        m_frame->ExecuteCommand(32800);  // the whole survey in the plan view
        g_showSliceContours = -1;  // as the area calculation leaves it
        g_projectionValid = 0;
        QWidget* view = m_frame->ViewWidget();
        view->repaint();

        Choose(m_frame, kAreaInfo);
        QString shown;
        int32_t highlighted = 0;
        WhenModal([&shown, &highlighted](QWidget* info) {
            QCOMPARE(info->objectName(), QString("CContourAreaInfoDlg"));
            highlighted = g_highlightedSliceLine;
            for (QLabel* l : info->findChildren<QLabel*>())
                if (l->text().startsWith('[') && l->text().endsWith("m")) shown = l->text();
            auto* water = info->findChild<QRadioButton*>(QString::fromUtf8("貯水面"));
            QVERIFY(water);
            QTest::mouseClick(water, Qt::LeftButton);
            for (QPushButton* b : info->findChildren<QPushButton*>())
                if (b->text() == QString::fromUtf8("閉じる")) b->click();
        });
        QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(g_viewportCenterX + g_points[1].screenX,
                                                           g_viewportCenterY - g_points[1].screenY));
        QCOMPARE(shown, QString("[ 104.000]m"));
        QCOMPARE(highlighted, 1);
        QCOMPARE(g_highlightedSliceLine, 0);  // shown only while the dialog is up
        QCOMPARE(FirstSliceLine()->kind, 1);

        // The list shows the water line with a negative area; a row click highlights.
        Choose(m_frame, kAreaList);
        auto* list = dynamic_cast<CAreaListDlg*>(GetToolWindow(ToolWindow::kAreaList));
        QVERIFY(list);
        QVERIFY(QTest::qWaitForWindowExposed(list));
        CMSFlexGrid* grid = list->Grid();
        QCOMPARE(grid->GetCols(), 5);
        QCOMPARE(grid->GetRows(), 2 + 4);
        QCOMPARE(grid->GetTextMatrix(0, 3), QString::fromUtf8("面積"));
        QCOMPARE(grid->GetTextMatrix(1, 3), QString("     -400.000"));
        QCOMPARE(grid->GetTextMatrix(1, 4), QString::fromUtf8(" 貯水面"));
        QCOMPARE(grid->GetTextMatrix(2, 1), QString("  106.000"));
        ClickCell(grid, 2, 1);
        QCOMPARE(g_highlightedSliceLine, 2);
        ClickCell(grid, 5, 1);  // an empty row names no line
        QCOMPARE(g_highlightedSliceLine, 2);
        Control<QPushButton>(list, "1135")->click();
        QCOMPARE(GetClipboardText(), SliceAreaListText());

        // The command again closes it, and the highlight goes with it.
        Choose(m_frame, kAreaList);
        QVERIFY(!IsToolWindowOpen(ToolWindow::kAreaList));
        QCOMPARE(g_highlightedSliceLine, 0);
    }

    void sliceLinesBecomeContours() {
        QVERIFY(AppendSliceLevel(100, 1));
        FakeSliceCalculation(0, 0);
        QueueMessageAnswer(msg::kIdYes);
        Choose(m_frame, kSliceToContour);
        QCOMPARE(QString::fromStdString(RecordedMessages().at(0).text),
                 QString::fromUtf8("数量計算に無効のデータを出力しますか"));
        QCOMPARE(g_drawingContoursLoaded, -1);
        QCOMPARE(g_showDrawingContours, -1);
    }
};

int main(int argc, char** argv) { return RunWindowTest<SliceTableUiTest>(argc, argv, &g_root); }

#include "slice_table_uitest.moc"
