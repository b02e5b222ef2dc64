// The commands that rework a finished TIN, from their menu items in the program's own
// windows: 平坦点削除 with its dialog driven by keys and buttons, 分水嶺探索 with real
// clicks on the view (Shift clears), and 尾根・谷 補正.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QtTest>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "model/document.h"
#include "model/terrain_data.h"
#include "model/tin_calc_command.h"
#include "model/tin_region_builder.h"
#include "model/ui/document_ui.h"
#include "model/watershed.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "shell/tool_mode.h"
#include "shell/ui/application.h"
#include "shell/ui/main_frame.h"
#include "view/raster_primitives.h"
#include "view/ui/pelmo_3d_view.h"
#include "view/view_state.h"
#include "../windows/window_test_main.h"

namespace fs = std::filesystem;

namespace {
QString g_root;
constexpr int kShowAll = 32800;
constexpr int kBirdsEyeSwitch = 32805;
constexpr int kWatershed = 32978;
constexpr int kFlatPoints = 32977;
constexpr int kRidgeValley = 32982;

QPoint At(double x, double y) {
    return {g_viewportCenterX + static_cast<int>(std::lround((y - g_viewCenterY) * g_viewScale)),
            g_viewportCenterY - static_cast<int>(std::lround((x - g_viewCenterX) * g_viewScale))};
}
// The middle of the edge between two points.
QPoint Between(int32_t p, int32_t q) {
    return At((g_points[p].x + g_points[q].x) / 2, (g_points[p].y + g_points[q].y) / 2);
}

void Choose(CMainFrame* frame, int id) {
    frame->RefreshCommandStates();
    QAction* a = frame->Actions(id).front();
    QVERIFY2(a->isEnabled(), qPrintable(QString::number(id)));
    a->trigger();
}

void Click(QWidget* view, QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::mouseClick(view, Qt::LeftButton, modifiers, at, QApplication::doubleClickInterval() + 50);
}

template <typename W>
W* Control(QWidget* dialog, int id) {
    W* w = dialog->findChild<W*>(QString::number(id));
    if (!w) qFatal("control %d missing", id);
    return w;
}

// Runs `act` on the modal dialog once it is up and active; a dialog left open is closed.
void WhenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        if (!modal) qFatal("no modal dialog");
        modal->activateWindow();
        if (!QTest::qWaitForWindowActive(modal)) qWarning("the dialog did not become active");
        act(modal);
        if (modal && modal->isVisible()) modal->close();
    });
}

int32_t AddPoint(double x, double y, double z) {
    EnsurePointCapacity(g_pointCount + 1);
    RandomPoint& p = g_points[++g_pointCount];
    p = RandomPoint{};
    p.x = x;
    p.y = y;
    p.z = z;
    std::snprintf(p.name, sizeof p.name, "P%d", g_pointCount % 100000);
    SetPointEndMarker();
    g_pointsPresent = -1;
    return g_pointCount;
}

void SetOutline(const std::vector<int32_t>& ring) {
    g_outline.Reset();
    for (int32_t v : ring) {
        g_outline.Append(v);
        g_points[v].flags |= kPointFlagOutline;
    }
    g_outline.Close();
}

int32_t MarkedCount(int16_t flag) {
    int32_t n = 0;
    for (int32_t i = 1; i <= g_pointCount; ++i) n += g_points[i].invalid == flag;
    return n;
}

int32_t WatershedMarks() {
    int32_t n = 0;
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) n += IsWatershedMarked(i);
    return n;
}
}  // namespace

class TerrainEditTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        const fs::path program = fs::path(g_root.toStdString()) / "program";
        fs::create_directories(program);
        SetProgramFolder(program);
    }

    void commandsFromTheirMenus() {
        CPelmo_3DApp app;
        app.SetDocumentFactory([] { return MakeDocument(); });
        QVERIFY(app.InitInstance({}));
        CMainFrame* frame = app.MainFrame();
        auto* view = qobject_cast<CPelmo_3DView*>(frame->ViewWidget());
        QVERIFY(view);
        QVERIFY(QTest::qWaitForWindowExposed(frame));

        // Without a TIN the watershed tool does not start.
        frame->RefreshCommandStates();
        QVERIFY(!frame->Actions(kWatershed).front()->isEnabled());

        // A V-shaped valley, its floor along the middle column.
        int32_t node[11][11];
        for (int32_t r = 0; r < 11; ++r)
            for (int32_t c = 0; c < 11; ++c)
                node[r][c] = AddPoint(10 * r, 10 * c, 3.0 * std::abs(c - 5) + 0.5 * r);
        std::vector<int32_t> ring;
        for (int32_t c = 0; c < 11; ++c) ring.push_back(node[0][c]);
        for (int32_t r = 1; r < 11; ++r) ring.push_back(node[r][10]);
        for (int32_t c = 9; c >= 0; --c) ring.push_back(node[10][c]);
        for (int32_t r = 9; r >= 1; --r) ring.push_back(node[r][0]);
        SetOutline(ring);
        OnTinCalc();
        QCOMPARE(LastTinBuildResult(), TinBuildResult::kComplete);
        if (g_birdsEyeOn) Choose(frame, kBirdsEyeSwitch);
        frame->ExecuteCommand(kShowAll);
        view->grab();

        // ---- 平坦点削除: Enter moves on, Escape is ignored, the buttons act ----
        const std::vector<RandomPoint> before(g_points + 1, g_points + 1 + g_pointCount);
        QString angleShown, titleAfterRun, titleAfterCancel;
        int32_t marksAfterRun = -1, marksAfterCancel = -1, marksBeforeClose = -1;
        bool openAfterKeys = false;
        WhenModal([&](QWidget* d) {
            auto* angle = Control<QLineEdit>(d, 1082);
            QCOMPARE(angle->text(), QString(" 5.000"));
            QApplication::setActiveWindow(d);
            angle->setFocus();
            QTRY_VERIFY(angle->hasFocus());
            angle->selectAll();
            QTest::keyClicks(angle, "90");
            QTest::keyClick(angle, Qt::Key_Return);  // moves on, as Tab does
            QTRY_VERIFY(!angle->hasFocus());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            openAfterKeys = d->isVisible();
            angleShown = angle->text();
            angle->setFocus();
            angle->selectAll();
            QTest::keyClicks(angle, "0.5");
            Control<QAbstractButton>(d, 1041)->click();
            titleAfterRun = d->windowTitle();
            marksAfterRun = MarkedCount(2);
            Control<QAbstractButton>(d, 1042)->click();
            titleAfterCancel = d->windowTitle();
            marksAfterCancel = MarkedCount(2);
            Control<QAbstractButton>(d, 1041)->click();
            marksBeforeClose = MarkedCount(2);
            Control<QAbstractButton>(d, 1)->click();
        });
        Choose(frame, kFlatPoints);
        QVERIFY(openAfterKeys);
        QCOMPARE(angleShown, QString(" 85.000"));
        QVERIFY(marksAfterRun > 0);
        QCOMPARE(titleAfterRun, QString::fromUtf8("平坦点削除 [ %1 ]点削除").arg(marksAfterRun));
        QCOMPARE(titleAfterCancel, QString::fromUtf8("平坦点削除"));
        QCOMPARE(marksAfterCancel, 0);
        QCOMPARE(marksBeforeClose, marksAfterRun);
        QCOMPARE(MarkedCount(2), 0);
        QCOMPARE(MarkedCount(1), marksAfterRun);
        std::copy(before.begin(), before.end(), g_points + 1);

        // ---- 分水嶺探索: clicks search, a Shift-click clears every search's marks ----
        Choose(frame, kWatershed);
        QCOMPARE(g_toolMode, MODE_OUTLINE_EDIT);
        QCOMPARE(g_outlineEditState, OUTLINE_EDIT_WATERSHED);
        view->grab();
        const std::vector<TinEdge> plain(g_tinEdges + 1, g_tinEdges + 1 + g_tinEdgeCount);
        Click(view, Between(node[5][2], node[5][3]));
        const int32_t afterFirst = WatershedMarks();
        QVERIFY(afterFirst > 1);
        view->grab();
        Click(view, Between(node[8][7], node[8][8]));
        QVERIFY(WatershedMarks() > afterFirst);
        for (int32_t i = 1; i <= g_tinEdgeCount; ++i)
            QVERIFY(!(g_tinEdges[i].a < 0 && g_tinEdges[i].apexSearch < 0));
        view->grab();
        QTest::keyPress(view, Qt::Key_Shift);
        Click(view, Between(node[2][2], node[2][3]), Qt::ShiftModifier);
        QTest::keyRelease(view, Qt::Key_Shift);
        QCOMPARE(WatershedMarks(), 0);
        for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
            const TinEdge& e = g_tinEdges[i];
            const TinEdge& p = plain[i - 1];
            QVERIFY(e.a == p.a && e.b == p.b && e.apexBack == p.apexBack &&
                    e.apexSearch == p.apexSearch);
        }
        Choose(frame, kWatershed);
        QCOMPARE(g_toolMode, MODE_NONE);

        // ---- 尾根・谷 補正 on contour lines the TIN crosses between ----
        InitDataModel();
        std::vector<int32_t> columns[4];
        const double xs[4] = {-6, 0, 6, 12}, y0[4] = {-10, 0, 10, 0}, zs[4] = {5, 10, 20, 25};
        const int32_t counts[4] = {12, 11, 10, 11};
        for (int k = 0; k < 4; ++k)
            for (int32_t i = 0; i < counts[k]; ++i) columns[k].push_back(AddPoint(xs[k], y0[k] + 20 * i, zs[k]));
        std::vector<int32_t> outline(columns[0]);
        outline.insert(outline.end(), columns[3].rbegin(), columns[3].rend());
        SetOutline(outline);
        OnTinCalc();
        QCOMPARE(LastTinBuildResult(), TinBuildResult::kComplete);
        frame->ExecuteCommand(kShowAll);
        auto joined = [&] {
            int32_t n = 0;
            for (int k : {1, 2})
                for (size_t i = 0; i + 1 < columns[k].size(); ++i)
                    for (int32_t r = 1; r <= g_tinEdgeCount; ++r) {
                        const int32_t a = std::abs(g_tinEdges[r].a), b = std::abs(g_tinEdges[r].b);
                        if ((a == columns[k][i] && b == columns[k][i + 1]) ||
                            (b == columns[k][i] && a == columns[k][i + 1]))
                            ++n;
                    }
            return n;
        };
        QCOMPARE(joined(), 0);
        Choose(frame, kRidgeValley);
        QCOMPARE(joined(), 19);
        view->grab();
    }
};

int main(int argc, char** argv) { return RunWindowTest<TerrainEditTest>(argc, argv, &g_root); }

#include "terrain_edit_uitest.moc"
