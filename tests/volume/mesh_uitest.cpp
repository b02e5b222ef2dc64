// The mesh windows from the menu: registration by a drag with its question and area
// dialog, the handles, the range dialog, the node editor, the mesh sections and the mesh
// text import, clipboard and point output.
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "../support/ui_driver.h"
#include "mesh_test_support.h"
#include "platform/clipboard.h"
#include "platform/message_box.h"
#include "route/route_data.h"
#include "shell/tool_mode.h"
#include "view/projection.h"
#include "view/view_painter.h"
#include "volume/mesh_area_tool.h"
#include "volume/mesh_data.h"
#include "volume/mesh_text.h"

namespace fs = std::filesystem;
using namespace ui_driver;

namespace {
constexpr int kBirdsEye = 32805;
constexpr int kMeshRegister = 32869;
constexpr int kMeshRange = 32903;
constexpr int kNodeEditor = 32878;
constexpr int kMeshSections = 32888;
constexpr int kMeshTextImport = 33057;
constexpr int kMeshElevationClipboard = 32848;
constexpr int kMeshAsRandom = 32841;

QPoint At(double x, double y) {
    return {g_viewportCenterX + static_cast<int>(std::lround((y - g_viewCenterY) * g_viewScale)),
            g_viewportCenterY - static_cast<int>(std::lround((x - g_viewCenterX) * g_viewScale))};
}

QPoint Handle(int index) {
    DragMeshArea(0, 0);
    return {g_viewportCenterX + g_meshHandleScreen[index][0], g_viewportCenterY - g_meshHandleScreen[index][1]};
}

void Type(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->setText(text);
    emit edit->editingFinished();
}

fs::path Fixture() { return fs::path(NOSTREL_SOURCE_DIR) / "tests/data/plan_grid.RND"; }
}  // namespace

class MeshUiTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        UseProgramFolderIn(m_root.path());
    }

    void areaRegistrationHandlesAndRange() {
        MainWindow w;
        QVERIFY(Start(w, QSize(900, 700)));
        OpenFile(w.frame, Fixture());
        QVERIFY(g_pointsPresent != 0);
        QVERIFY(!Enabled(w.frame, kMeshRange));

        // Without a mesh area the command starts the registration at once; a drag of
        // (30, 40) from a point of the survey defines the area and opens the area dialog.
        Choose(w.frame, kMeshRegister);
        QCOMPARE(g_toolMode, MODE_MESH_AREA_REGISTER);
        // The bird's-eye view refuses the drag.
        QVERIFY(g_birdsEyeOn != 0);
        ClearRecordedMessages();
        Drag(w.view, {QPoint(300, 300), QPoint(350, 320), QPoint(400, 340)});
        QCOMPARE(g_meshAreaDefined, 0);
        QCOMPARE(RecordedMessages().size(), size_t{1});
        Choose(w.frame, kBirdsEye);
        QCOMPARE(g_birdsEyeOn, 0);
        const double x0 = g_viewCenterX, y0 = g_viewCenterY;
        bool areaShown = false;
        WhenModal("meshAreaDialog", [&](QWidget* d) {
            areaShown = true;
            QCOMPARE(Control<QLineEdit>(d, 1039)->text(), QString("20.000"));
            Type(Control<QLineEdit>(d, 1036), "0");  // refused, shown again
            QCOMPARE(Control<QLineEdit>(d, 1036)->text(), QString::number(g_meshLength, 'f', 3));
            Type(Control<QLineEdit>(d, 1036), "80");
            Type(Control<QLineEdit>(d, 1035), "0");
            QCOMPARE(Control<QLineEdit>(d, 1038)->text(), QString("90.0000"));
            Type(Control<QLineEdit>(d, 1037), "60");
            Press(d, "1");
        });
        const double scale = g_viewScale;
        QVERIFY(scale > 0);
        Drag(w.view, {At(x0, y0), At(x0 + 30 / 2.0, y0 + 40 / 2.0), At(x0 + 30, y0 + 40)});
        QTRY_VERIFY(areaShown);
        QCOMPARE(g_meshAreaDefined, 1);
        QCOMPARE(g_toolMode, MODE_NONE);
        QCOMPARE(g_meshLength, 80.0);
        QCOMPARE(g_meshWidth, 60.0);
        QCOMPARE(g_meshRotation, 0.0);
        QVERIFY(std::fabs(g_meshOriginX - x0) < 2 / scale);

        // With an area the question comes first: 編集 opens the area dialog.
        bool asked = false, edited = false;
        WhenModal("meshRegisterDialog", [&](QWidget* d) {
            asked = true;
            Press(d, "edit");
        });
        WhenModal("meshAreaDialog", [&](QWidget* d) {
            edited = true;
            Type(Control<QLineEdit>(d, 1032), QString::number(g_meshOriginX + 5, 'f', 3));
            Press(d, "1");
        });
        Choose(w.frame, kMeshRegister);
        QTRY_VERIFY(asked && edited);
        QCOMPARE(g_toolMode, MODE_NONE);
        // 新規登録 switches the registration on; the command again switches it off.
        WhenModal("meshRegisterDialog", [](QWidget* d) { Press(d, "newRegistration"); });
        Choose(w.frame, kMeshRegister);
        QCOMPARE(g_toolMode, MODE_MESH_AREA_REGISTER);
        Choose(w.frame, kMeshRegister);
        QCOMPARE(g_toolMode, MODE_NONE);

        // The far-corner handle dragged further out: the rectangle follows, no dialog.
        const double length = g_meshLength, width = g_meshWidth;
        const QPoint far = Handle(2);
        Drag(w.view, {far, far + QPoint(10, 0), far + QPoint(20, -10)});
        QVERIFY(g_meshLength > length);
        QVERIFY(g_meshWidth > width);
        QCOMPARE(g_toolMode, MODE_NONE);
        // The origin handle: the area dialog opens after the drag.
        bool afterOrigin = false;
        WhenModal("meshAreaDialog", [&](QWidget* d) {
            afterOrigin = true;
            Press(d, "1");
        });
        const double originY = g_meshOriginY;
        const QPoint origin = Handle(0);
        Drag(w.view, {origin, origin + QPoint(5, 0), origin + QPoint(12, 0)});
        QTRY_VERIFY(afterOrigin);
        QVERIFY(g_meshOriginY > originY);

        // The range: without one, 初期化 and 削除 are disabled; 編集 makes the default one.
        QVERIFY(Enabled(w.frame, kMeshRange));
        WhenModal("meshRangeDialog", [](QWidget* d) {
            QVERIFY(!Control<QPushButton>(d, "initialise")->isEnabled());
            QVERIFY(!Control<QPushButton>(d, "delete")->isEnabled());
            Press(d, "edit");
        });
        Choose(w.frame, kMeshRange);
        QCOMPARE(g_toolMode, MODE_MESH_AREA_EDIT);
        QCOMPARE(g_meshAreaPolygonCount, 17);
        QVERIFY(Checked(w.frame, kMeshRange));
        Choose(w.frame, kMeshRange);
        QCOMPARE(g_toolMode, MODE_NONE);
        WhenModal("meshRangeDialog", [](QWidget* d) { Press(d, "delete"); });
        Choose(w.frame, kMeshRange);
        QCOMPARE(g_meshAreaPolygonCount, 0);
        QCOMPARE(g_toolMode, MODE_NONE);
    }

    void nodeEditorAndSections() {
        MainWindow w;
        QVERIFY(Start(w, QSize(900, 700)));
        OpenFile(w.frame, Fixture());
        QVERIFY(g_tinPresent != 0);
        if (g_birdsEyeOn) Choose(w.frame, kBirdsEye);
        QVERIFY(!Enabled(w.frame, kNodeEditor));
        // A mesh over the middle of the survey with its node elevations.
        const double x0 = g_viewCenterX - 20, y0 = g_viewCenterY - 20;
        meshtest::LayMesh(x0, y0, 0, 40, 40, 20, 20, [](int32_t c, int32_t r) { return 10.0 * c + r; });
        ProjectAllData(0);
        QVERIFY(Enabled(w.frame, kNodeEditor));
        Choose(w.frame, kNodeEditor);
        QCOMPARE(g_toolMode, MODE_MESH_ELEVATION_EDIT);
        bool edited = false;
        WhenModal("meshElevationEditDialog", [&](QWidget* d) {
            edited = true;
            QCOMPARE(Control<QLabel>(d, 1082)->text(), QString("1/1"));
            QVERIFY(!Control<QPushButton>(d, 1078)->isEnabled());
            QVERIFY(!Control<QPushButton>(d, 1080)->isEnabled());
            Type(Control<QLineEdit>(d, 1069), "abc");  // no number: the old value stays
            QCOMPARE(Control<QLineEdit>(d, 1069)->text(), QString("11.000"));
            Type(Control<QLineEdit>(d, 1069), "12.5");
            Press(d, "1077");
            QCOMPARE(Control<QLabel>(d, 1082)->text(), QString("2/1"));
            Control<QCheckBox>(d, 1072)->click();
            Press(d, "1133");
        });
        Click(w.view, At(x0 + 1, y0 + 1));
        QTRY_VERIFY(edited);
        QCOMPARE(meshtest::NodeAt(1, 1).z, 12.5);
        QCOMPARE(meshtest::NodeAt(2, 1).valid, 0);
        Choose(w.frame, kNodeEditor);
        QCOMPARE(g_toolMode, MODE_NONE);

        // Mesh sections: cancelled, then along the width axis with letters for the rows.
        QVERIFY(Enabled(w.frame, kMeshSections));
        WhenModal("meshSectionDialog", [](QWidget* d) { Press(d, "1224"); });
        Choose(w.frame, kMeshSections);
        QCOMPARE(g_stationCount, 0);
        WhenModal("meshSectionDialog", [](QWidget* d) {
            QVERIFY(Control<QRadioButton>(d, 1163)->isChecked());
            QVERIFY(Control<QRadioButton>(d, 1056)->isChecked());
            Control<QRadioButton>(d, 1054)->click();
            Control<QComboBox>(d, 1061)->setCurrentIndex(1);
            Press(d, "1132");
        });
        QueueMessageAnswer(msg::kIdNo);  // no save
        Choose(w.frame, kMeshSections);
        QCOMPARE(g_stationCount, 3);
        QCOMPARE(QString(g_stations[3].name), QString("1-C"));
        // A second run asks before the route is replaced; declined, it stays.
        ClearRecordedMessages();
        std::snprintf(g_stations[1].name, sizeof g_stations[1].name, "mine");
        WhenModal("meshSectionDialog", [](QWidget* d) { Press(d, "1132"); });
        QueueMessageAnswer(msg::kIdCancel);
        Choose(w.frame, kMeshSections);
        QCOMPARE(QString(g_stations[1].name), QString("mine"));
        QCOMPARE(RecordedMessages().size(), size_t{1});
    }

    // Every mesh and volume command of the menus, through the states of the data: each
    // has a handler and is enabled exactly by its rule.
    void menuStatesOfTheMeshAndVolumeCommands() {
        MainWindow w;
        QVERIFY(Start(w, QSize(900, 700)));
        enum { kNothing, kMeshNoTin, kTinOnly, kTinAndArea, kTinAndElevations, kVolumes, kStates };
        const char* const names[kStates] = {"no data", "mesh without a TIN", "TIN only",
                                            "TIN and mesh area", "TIN and mesh elevations", "mesh volumes"};
        struct Row {
            int id;
            int enabled[kStates];
        };
        const Row rows[] = {
            {32903, {0, 1, 0, 1, 1, 1}},  // mesh range: a mesh area
            {32877, {0, 0, 0, 1, 1, 1}},  // node elevations: TIN or contours, and an area
            {32878, {0, 1, 0, 0, 1, 1}},  // node editor: node elevations
            {32807, {1, 1, 1, 1, 1, 1}},  // average-elevation volume: always
            {32888, {0, 0, 0, 1, 1, 1}},  // mesh sections: an area and a surface
            {32882, {1, 1, 1, 1, 1, 1}},  // read .MSH
            {32883, {0, 1, 0, 1, 1, 1}},  // save .MSH: a mesh area
            {32887, {1, 1, 1, 1, 1, 1}},  // read .MVO
            {33057, {1, 1, 1, 1, 1, 1}},  // mesh text import
            {32848, {0, 1, 0, 1, 1, 1}},  // elevation table to the clipboard
            {33016, {0, 0, 0, 0, 0, 1}},  // volume table: the volume is computed
            {32841, {0, 1, 0, 1, 1, 1}},  // mesh as random points
            {33006, {0, 0, 0, 1, 1, 1}},  // triangular lattice: a TIN and an area
            {32851, {1, 1, 1, 1, 1, 1}},  // datum volume
            {32870, {1, 1, 1, 1, 1, 1}},  // surface area
            {32871, {1, 1, 1, 1, 1, 1}},  // horizontal area
            {33076, {1, 1, 1, 1, 1, 1}},  // TIN against TIN
        };
        auto check = [&](int state) {
            for (const Row& r : rows) {
                QVERIFY2(MenuAction(w.frame, r.id), qPrintable(QString("%1 has no menu item").arg(r.id)));
                QVERIFY2(w.frame->FrameCommands().HasCommandHandler(r.id) ||
                             w.app.Document()->HasCommandHandler(r.id),
                         qPrintable(QString("%1 has no handler").arg(r.id)));
                QVERIFY2(Enabled(w.frame, r.id) == (r.enabled[state] != 0),
                         qPrintable(QString("%1 with %2").arg(r.id).arg(names[state])));
            }
        };
        auto lay = [] {
            meshtest::LayMesh(g_viewCenterX - 20, g_viewCenterY - 20, 0, 40, 40, 20, 20,
                              [](int32_t c, int32_t r) { return 10.0 * c + r; });
        };

        QVERIFY(g_painterLayers.meshLayer);  // the view draws the mesh
        check(kNothing);
        lay();
        check(kMeshNoTin);

        OpenFile(w.frame, Fixture());
        QVERIFY(g_tinPresent != 0);
        g_meshAreaDefined = g_meshElevationsDone = 0;
        check(kTinOnly);
        lay();
        g_meshElevationsDone = 0;
        check(kTinAndArea);
        g_meshElevationsDone = 1;
        check(kTinAndElevations);
        g_meshVolumeDone = 1;
        check(kVolumes);
    }

    void meshTextImportClipboardAndPoints() {
        MainWindow w;
        QVERIFY(Start(w, QSize(900, 700)));
        OpenFile(w.frame, Fixture());
        const fs::path folder = fs::path(m_root.path().toStdString()) / "text";
        fs::create_directories(folder);
        {
            std::ofstream out(folder / "mesh.csv", std::ios::binary);
            out << "Ox=100,Oy=200,Rotate=0,l_len=20,w_len=10,l_pich=10,w_pich=10\r\n1,2,3\r\n4,,6\r\n";
        }
        QVERIFY(Enabled(w.frame, kMeshTextImport));
        QueueMessageAnswer(msg::kIdOk);
        QueueFileDialogAnswer((folder / "mesh.csv").string());
        WhenModal("meshTextImportDialog", [](QWidget* d) {
            QVERIFY(!Control<QLineEdit>(d, "elevation")->isEnabled());
            Control<QRadioButton>(d, "given")->click();
            Type(Control<QLineEdit>(d, "elevation"), "7.25");
            QCOMPARE(Control<QLineEdit>(d, "elevation")->text(), QString("7.250"));
            Press(d, "start");
        });
        Choose(w.frame, kMeshTextImport);
        QCOMPARE(g_pointCount, 6);
        QCOMPARE(g_points[5].z, 7.25);
        QCOMPARE(g_points[5].invalid, int16_t{1});
        QVERIFY(g_tinPresent != 0);

        // The node elevations to the clipboard and as points.
        meshtest::LayMesh(0, 0, 0, 10, 10, 10, 10, [](int32_t c, int32_t r) { return c + r; });
        WhenModal("meshClipboardDialog", [](QWidget* d) { Press(d, "start"); });
        ClearRecordedMessages();
        Choose(w.frame, kMeshElevationClipboard);
        QCOMPARE(QString::fromStdString(GetClipboardText()),
                 QString("Ox=0.000\tOy=0.000\tRotate=0.0000000\tl_len=10.000\tw_len=10.000\tl_pich=10.000\t"
                         "w_pich=10.000\t\r\n2.000\t3.000\t\r\n3.000\t4.000\t\r\n"));
        QCOMPARE(QString::fromStdString(RecordedMessages().back().text), QString::fromUtf8("クリップボード出力終了"));

        QueueFileDialogAnswer((folder / "nodes").string());
        QueueMessageAnswer(msg::kIdYes);
        Choose(w.frame, kMeshAsRandom);
        QVERIFY(fs::exists(folder / "nodes.RND"));
        QCOMPARE(fs::file_size(folder / "nodes.TRI"), uintmax_t{16 + 5 * 16});

        // The text form of the elevation export: comma-separated, or numbered however else
        // the dialog is closed.
        WhenModal("meshTextFormatDialog", [](QWidget* d) { Press(d, "1114"); });
        QCOMPARE(AskMeshTextFormat(), 0);
        WhenModal("meshTextFormatDialog", [](QWidget* d) { d->close(); });
        QCOMPARE(AskMeshTextFormat(), 1);
    }

private:
    QTemporaryDir m_root;
};

QTEST_MAIN(MeshUiTest)
#include "mesh_uitest.moc"
