// The list windows' table: cells addressed with the heading row and column counted, the
// current cell and selection set by code and by real clicks, and the cell rectangle the
// list windows lay their edit over.
#include <QSignalSpy>
#include <QtTest>

#include "../windows/window_test_main.h"
#include "shell/ui/flex_grid.h"

class FlexGridTest : public QObject {
    Q_OBJECT
private slots:
    void CellsCountHeadingsAndIgnoreOutside() {
        CMSFlexGrid grid;
        grid.SetRows(4);
        grid.SetCols(3);
        grid.SetTextMatrix(0, 1, "No.");
        grid.SetTextMatrix(3, 2, "12.5");
        grid.SetTextMatrix(4, 0, "beyond");  // no fifth row: ignored
        QCOMPARE(grid.GetTextMatrix(0, 1), QString("No."));
        QCOMPARE(grid.GetTextMatrix(3, 2), QString("12.5"));
        QCOMPARE(grid.GetTextMatrix(4, 0), QString());
        QCOMPARE(grid.GetTextMatrix(-1, 0), QString());
        // Shrinking drops the cells and keeps the current row inside.
        grid.SetRow(3);
        grid.SetRows(3);
        QCOMPARE(grid.GetRow(), 2);
        QCOMPARE(grid.GetTextMatrix(3, 2), QString());
        grid.SetRows(4);
        QCOMPARE(grid.GetTextMatrix(3, 2), QString());
    }

    void ClicksMoveTheCurrentCellAndShiftExtends() {
        CMSFlexGrid grid;
        grid.resize(400, 300);
        grid.SetRows(6);
        grid.SetCols(3);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QSignalSpy clicks(&grid, &CMSFlexGrid::Click);
        QSignalSpy changes(&grid, &CMSFlexGrid::RowColChange);

        auto centre = [&](int r, int c) {
            return QPoint(grid.columnViewportPosition(c) + grid.columnWidth(c) / 2,
                          grid.rowViewportPosition(r) + grid.rowHeight(r) / 2);
        };
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, centre(2, 2));
        QCOMPARE(grid.GetRow(), 2);
        QCOMPARE(grid.GetCol(), 2);
        QCOMPARE(grid.GetRowSel(), 2);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(changes.count(), 1);

        QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ShiftModifier, centre(4, 1));
        QCOMPARE(grid.GetRow(), 2);
        QCOMPARE(grid.GetRowSel(), 4);
        QCOMPARE(grid.GetColSel(), 1);
        QCOMPARE(changes.count(), 1);

        // The edit rectangle of the current cell is the cell's own.
        grid.SetRow(3);
        grid.SetCol(1);
        QCOMPARE(grid.GetCellLeft(), grid.columnViewportPosition(1));
        QCOMPARE(grid.GetCellTop(), grid.rowViewportPosition(3));
        QCOMPARE(grid.GetCellWidth(), grid.columnWidth(1));
        QCOMPARE(grid.GetCellHeight(), grid.rowHeight(3));
        QVERIFY(grid.GetRowIsVisible(3));
    }

    void ScrollingReportsAndMovesTheTopRow() {
        CMSFlexGrid grid;
        grid.resize(300, 120);
        grid.SetRows(200);
        grid.SetCols(2);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QSignalSpy scrolls(&grid, &CMSFlexGrid::Scroll);
        grid.SetTopRow(150);
        QVERIFY(scrolls.count() > 0);
        QVERIFY(grid.GetTopRow() >= 140);
        QVERIFY(!grid.GetRowIsVisible(1));
        QVERIFY(grid.GetRowIsVisible(grid.GetTopRow()));
    }
};

int main(int argc, char** argv) { return RunWindowTest<FlexGridTest>(argc, argv); }

#include "flex_grid_uitest.moc"
