// The point tools in the program's own windows, each switched on from its menu item and
// driven with real mouse events on the view of a 3 x 3 survey grid with its TIN: adding
// with the three methods (the edit dialog for one at a time), dragging a point and copying
// it, a four-point crossing, validity by click and by rectangle with Insert or Delete
// held, and the panel's wheel.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <cmath>
#include <filesystem>
#include <functional>

#include "../support/ui_driver.h"
#include "../windows/window_test_main.h"
#include "dxf/dxf_store.h"
#include "model/document.h"
#include "model/terrain_data.h"
#include "model/ui/document_ui.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "pointedit/point_array.h"
#include "pointedit/point_input_settings.h"
#include "pointedit/ui/point_input_dialogs.h"
#include "shell/command_table.h"
#include "shell/tool_mode.h"
#include "shell/tool_windows.h"
#include "shell/ui/application.h"
#include "shell/ui/main_frame.h"
#include "view/display_flags.h"
#include "view/raster_primitives.h"
#include "view/ui/pelmo_3d_view.h"
#include "view/view_state.h"

namespace fs = std::filesystem;

using namespace ui_driver;

namespace {
QString g_root;
constexpr int kShowAll = 32800;
constexpr int kBirdsEyeSwitch = 32805;
constexpr int kPointModify = 32842;
constexpr int kPointAdd = 32843;
constexpr int kFourPoint = 32846;
constexpr int kValidInvalid = 32847;

fs::path Fixture() { return fs::path(NOSTREL_SOURCE_DIR) / "tests/data/plan_grid.RND"; }

QPoint At(double x, double y) {
    return {g_viewportCenterX + static_cast<int>(std::lround((y - g_viewCenterY) * g_viewScale)),
            g_viewportCenterY - static_cast<int>(std::lround((x - g_viewCenterX) * g_viewScale))};
}
QPoint PointAt(int32_t i) { return At(g_points[i].x, g_points[i].y); }

void Drag(QWidget* view, QPoint from, QPoint to) {
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, from, QApplication::doubleClickInterval() + 50);
    QTest::mouseMove(view, (from + to) / 2);
    QTest::mouseMove(view, to);
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, to);
}

void Type(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->setText(text);
    emit edit->editingFinished();
}

QWidget* PanelWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "pointInputParamDialog" && w->isVisible()) return w;
    return nullptr;
}

// The elevation of the plane through three points at (x, y).
double PlaneZ(int32_t a, int32_t b, int32_t c, double x, double y) {
    const RandomPoint &pa = g_points[a], &pb = g_points[b], &pc = g_points[c];
    const double ux = pb.x - pa.x, uy = pb.y - pa.y, uz = pb.z - pa.z;
    const double vx = pc.x - pa.x, vy = pc.y - pa.y, vz = pc.z - pa.z;
    const double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
    return pa.z - (nx * (x - pa.x) + ny * (y - pa.y)) / nz;
}
}  // namespace

class PointToolsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseProgramFolderIn(g_root); }

    void toolsFromTheirMenus() {
        MainWindow window;
        QVERIFY(Start(window));
        CMainFrame* frame = window.frame;
        CPelmo_3DView* view = window.view;
        OpenFile(frame, Fixture());
        QCOMPARE(g_pointCount, 9);
        if (g_birdsEyeOn) Choose(frame, kBirdsEyeSwitch);
        frame->ExecuteCommand(kShowAll);
        view->grab();

        // ---- Add, method 0: the panel's elevation ----
        Choose(frame, kPointAdd);
        QCOMPARE(g_toolMode, MODE_POINT_EDIT);
        QCOMPARE(g_pointEditState, POINT_EDIT_ADD);
        QWidget* panel = PanelWindow();
        QVERIFY(panel);
        Control<QRadioButton>(panel, 1222)->click();
        QCOMPARE(g_newPointMethod, 0);
        Type(Control<QLineEdit>(panel, 1224), "12.34");
        QCOMPARE(g_newPointZ, 12.34);
        // The wheel over the panel: one notch up with step 1.
        QWheelEvent wheel(QPointF(5, 5), panel->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(panel, &wheel);
        QCOMPARE(Control<QLineEdit>(panel, 1224)->text(), QString("13.000"));
        Type(Control<QLineEdit>(panel, 1224), "s0.5");
        QCOMPARE(g_elevationWheelStep, 0.5);
        QCOMPARE(g_newPointZ, 13.0);
        Click(view, At(1004, 2013));
        QCOMPARE(g_pointCount, 10);
        QCOMPARE(g_points[10].z, 13.0);
        QVERIFY(std::fabs(g_points[10].x - 1004) < 0.2 && std::fabs(g_points[10].y - 2013) < 0.2);

        // ---- Method 2: the TIN's elevation, checked against both diagonals' planes ----
        Control<QRadioButton>(panel, 1228)->click();
        QCOMPARE(g_newPointMethod, 2);
        Click(view, At(1016, 2013));
        QCOMPARE(g_pointCount, 11);
        {
            const RandomPoint& p = g_points[11];
            bool onPlane = false;
            for (auto t : {std::array<int32_t, 3>{5, 6, 9}, {5, 9, 8}, {5, 6, 8}, {6, 9, 8}})
                onPlane |= std::fabs(p.z - PlaneZ(t[0], t[1], t[2], p.x, p.y)) < 1e-9;
            QVERIFY2(onPlane, qPrintable(QString::number(p.z)));
        }

        // ---- Method 1: through the edit dialog; cancel, then register ----
        Control<QRadioButton>(panel, 1223)->click();
        WhenModal([](QWidget* d) {
            QCOMPARE(d->windowTitle(), QString::fromUtf8("新規ランダム点作成"));
            QVERIFY(!Control<QAbstractButton>(d, 1011)->isVisible());
            // A right click in the dialog closes it without registering.
            QTest::mouseClick(d, Qt::RightButton, Qt::NoModifier, QPoint(3, 3));
        });
        Click(view, At(1004, 2004));
        QCOMPARE(g_pointCount, 11);
        QCOMPARE(int(g_points[12].hidden), int(kEndMarker));
        WhenModal([](QWidget* d) {
            Type(Control<QLineEdit>(d, 1027), "77.5");
            Type(Control<QLineEdit>(d, 1028), "ABCDEFGHIJKL");
            QCOMPARE(Control<QLineEdit>(d, 1028)->text(), QString("ABCDEFGHIJK"));
            // Shift+S in a number field registers.
            QTest::keyClick(Control<QLineEdit>(d, 1027), Qt::Key_S, Qt::ShiftModifier);
        });
        Click(view, At(1004, 2004));
        QCOMPARE(g_pointCount, 12);
        QCOMPARE(g_points[12].z, 77.5);
        QCOMPARE(QString(g_points[12].name), QString("ABCDEFGHIJK"));

        // ---- Modify: a drag of more than 9 pixels, then 複写 ----
        Choose(frame, kPointModify);
        QCOMPARE(g_pointEditState, POINT_EDIT_MODIFY);
        bool copyShown = false;
        WhenModal([&copyShown](QWidget* d) {
            copyShown = Control<QAbstractButton>(d, 1011)->isVisible();
            Control<QAbstractButton>(d, 1011)->click();
        });
        const QPoint g5 = PointAt(5);
        Drag(view, g5, g5 + QPoint(30, 0));
        QVERIFY(copyShown);
        QCOMPARE(g_pointCount, 13);
        QCOMPARE(g_points[5].y, 2010.0);
        QCOMPARE(g_points[13].z, g_points[5].z);
        QVERIFY(std::fabs(g_points[13].y - (2010 + 30 / g_viewScale)) <= 1 / g_viewScale);
        QCOMPARE(g_points[13].x, g_points[5].x);
        // A drag of 9 pixels is a click: the dialog shows the point in place, no 複写.
        WhenModal([&copyShown](QWidget* d) {
            copyShown = Control<QAbstractButton>(d, 1011)->isVisible();
            QVERIFY(Control<QWidget>(d, 1097)->isVisible());
            Control<QAbstractButton>(d, 2)->click();
        });
        Drag(view, PointAt(1), PointAt(1) + QPoint(9, 0));
        QVERIFY(!copyShown);
        QCOMPARE(g_pointCount, 13);

        // ---- Four-point: G1-G9 against G3-G7 meets at G5's place ----
        Choose(frame, kFourPoint);
        QCOMPARE(g_pointEditState, POINT_EDIT_FOUR_POINT);
        for (int32_t i : {1, 9, 3}) Click(view, PointAt(i));
        WhenModal([](QWidget* d) { Control<QAbstractButton>(d, 1081)->click(); });
        Click(view, PointAt(7));
        QCOMPARE(g_pointCount, 14);
        QVERIFY(std::fabs(g_points[14].x - 1010) < 1e-9 && std::fabs(g_points[14].y - 2010) < 1e-9);
        QVERIFY(std::fabs(g_points[14].z - 110) < 1e-9);

        // ---- Valid and invalid: a click, then rectangles with Insert and Delete held ----
        Choose(frame, kValidInvalid);
        QCOMPARE(g_pointEditState, POINT_EDIT_VALID_INVALID);
        ClearRecordedMessages();
        Click(view, PointAt(5));
        QCOMPARE(int(g_points[5].invalid), 1);
        Click(view, PointAt(5));
        QCOMPARE(int(g_points[5].invalid), 0);
        // G2 is on the outline: it stays valid, with the message.
        Click(view, PointAt(2));
        QCOMPARE(int(g_points[2].invalid), 0);
        QCOMPARE(int(RecordedMessages().size()), 1);
        QCOMPARE(QString::fromStdString(RecordedMessages()[0].text),
                 QString::fromUtf8("外周の点は無効にできません。"));
        // Over the whole grid: Delete leaves the eight outline points alone, Insert makes
        // every point valid, outline points too.
        const QPoint a = At(1025, 1995), b = At(995, 2025);
        int outlinePoints = 0;
        for (int32_t i = 1; i <= g_pointCount; ++i) outlinePoints += g_points[i].flags & 1;
        QCOMPARE(outlinePoints, 8);
        QTest::keyPress(view, Qt::Key_Delete);
        Drag(view, a, b);
        QTest::keyRelease(view, Qt::Key_Delete);
        for (int32_t i = 1; i <= g_pointCount; ++i)
            QCOMPARE(int(g_points[i].invalid), (g_points[i].flags & 1) ? 0 : 1);
        g_points[2].invalid = 1;
        QTest::keyPress(view, Qt::Key_Insert);
        Drag(view, a, b);
        QTest::keyRelease(view, Qt::Key_Insert);
        for (int32_t i = 1; i <= g_pointCount; ++i) QCOMPARE(int(g_points[i].invalid), 0);

        // The tools' panel closes with the tool's end.
        QTest::mouseDClick(view, Qt::RightButton, Qt::NoModifier, QPoint(20, 20));
        QCOMPARE(g_toolMode, MODE_NONE);
    }

    // The coordinate-input settings fall back to what is offered and take a choice at once.
    void coordInputSettings() {
        InitDataModel();
        g_dxfElementCount = 0;
        g_coordInputSnap = 2;
        bool dxfEnabled = true, noneChecked = false;
        WhenModal([&](QWidget* d) {
            dxfEnabled = Control<QRadioButton>(d, 1226)->isEnabled();
            noneChecked = Control<QRadioButton>(d, 1225)->isChecked();
            Control<QAbstractButton>(d, 1132)->click();
        });
        CCoordInputParamDlg::Run(nullptr);
        QVERIFY(!dxfEnabled);
        QVERIFY(noneChecked);
        QCOMPARE(g_coordInputSnap, 0);
        g_dxfElementCount = 3;
        WhenModal([](QWidget* d) {
            QVERIFY(Control<QRadioButton>(d, 1226)->isEnabled());
            QVERIFY(!Control<QRadioButton>(d, 1228)->isEnabled());  // no random points
            Control<QRadioButton>(d, 1304)->click();
            Control<QAbstractButton>(d, 1132)->click();
        });
        CCoordInputParamDlg::Run(nullptr);
        QCOMPARE(g_coordInputSnap, 4);
        g_dxfElementCount = 0;
    }
};

int main(int argc, char** argv) { return RunWindowTest<PointToolsTest>(argc, argv, &g_root); }

#include "point_tools_uitest.moc"
