// The document road end to end in the program's own windows: start on the start-up data
// set, open a real survey with its TIN and outline through the menu, change it, save, open it
// again and find the same data, save it under a new name and find the same bytes.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>
#include <filesystem>
#include <vector>

#include "model/backup_file.h"
#include "model/bnd_file.h"
#include "model/document.h"
#include "model/point_in_outline.h"
#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "model/tri_file.h"
#include "model/ui/document_ui.h"
#include "platform/file_dialog.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "platform/qt/qt_platform.h"
#include "platform/text_io.h"
#include "shell/command_table.h"
#include "shell/ui/application.h"
#include "shell/ui/main_frame.h"
#include "shell/ui/mouse_info.h"
#include "shell/ui/recent_files.h"
#include "view/view_state.h"
#include "../support/survey_data.h"
#include "../windows/window_test_main.h"

namespace fs = std::filesystem;

namespace {
QString g_root;
fs::path g_survey;  // the real survey, found once before any load changes the current folder

fs::path Root() { return g_root.toStdString(); }

// Paths are compared by the file they name: the program may keep a folder reached through
// a symbolic link under its real name.
bool SameFile(const QString& listed, const fs::path& want) {
    std::error_code ec;
    return !listed.isEmpty() && fs::equivalent(fs::path(listed.toStdString()), want, ec);
}

struct Survey {
    fs::path path;
    int32_t edges = 0;
    int32_t outline = 0;
};

// The first points of the real survey with the TIN that the grid builder makes inside the
// quadrilateral of their extreme points, written as a document with its companions.
Survey WriteSurvey(const fs::path& path, int32_t points) {
    InitDataModel();
    g_currentDataPath = g_survey.string();
    if (ReadRndDocument() != -1) return {};
    g_pointCount = points;
    SetPointEndMarker();
    int32_t extreme[4] = {1, 1, 1, 1};  // lowest X, highest Y, highest X, lowest Y
    for (int32_t i = 2; i <= points; ++i) {
        const RandomPoint& p = g_points[i];
        if (p.x < g_points[extreme[0]].x) extreme[0] = i;
        if (p.y > g_points[extreme[1]].y) extreme[1] = i;
        if (p.x > g_points[extreme[2]].x) extreme[2] = i;
        if (p.y < g_points[extreme[3]].y) extreme[3] = i;
    }
    g_outline.Reset();
    for (int32_t v : extreme) {
        if (g_points[v].flags & kPointFlagOutline) continue;
        g_outline.Append(v);
        g_points[v].flags |= kPointFlagOutline;
    }
    g_outline.Close();
    OrientPolygonClockwise(g_outline);
    MarkPointsOutsideOutline(g_outline);
    BuildTinGrid();
    if (LastTinBuildResult() != TinBuildResult::kComplete) return {};
    TextFileWriter file(path);
    if (WriteRndText(file) != kRndWritten || !file.Close()) return {};
    WriteTriFile(path);
    WriteBndFile(path);
    Survey survey{path, g_tinEdgeCount, g_outline.Count()};
    InitDataModel();
    return survey;
}

struct Records {
    std::vector<RandomPoint> points;
    std::vector<TinEdge> edges;
    std::vector<int32_t> outline;
};

// What a save stores of the loaded data.
Records Loaded() {
    Records r;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        RandomPoint p{};
        std::memcpy(p.name, g_points[i].name, sizeof p.name);
        p.x = g_points[i].x;
        p.y = g_points[i].y;
        p.z = g_points[i].z;
        p.invalid = g_points[i].invalid;
        p.plotKind = g_points[i].plotKind;
        p.outside = g_points[i].outside;
        r.points.push_back(p);
    }
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        TinEdge e = g_tinEdges[i];
        e.state = 0;
        r.edges.push_back(e);
    }
    for (int32_t i = 0; i <= g_outline.Count() + 1; ++i) r.outline.push_back(g_outline[i]);
    return r;
}

bool operator==(const Records& a, const Records& b) {
    if (a.points.size() != b.points.size() || a.edges.size() != b.edges.size() ||
        a.outline != b.outline)
        return false;
    for (size_t i = 0; i < a.points.size(); ++i)
        if (std::memcmp(&a.points[i], &b.points[i], sizeof(RandomPoint)) != 0) return false;
    for (size_t i = 0; i < a.edges.size(); ++i)
        if (std::memcmp(&a.edges[i], &b.edges[i], sizeof(TinEdge)) != 0) return false;
    return true;
}

std::string Bytes(const fs::path& path) {
    std::string bytes;
    ReadFileBytes(path, bytes);
    return bytes;
}

// What the screen shows of the view, as the window last painted it.
QImage OnScreen(CMainFrame* frame) {
    const QWidget* view = frame->ViewWidget();
    const QPoint at = view->mapTo(frame, QPoint(0, 0));
    return frame->screen()
        ->grabWindow(frame->winId(), at.x(), at.y(), view->width(), view->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// The view's full picture of the present data.
QImage FullPicture(CMainFrame* frame) {
    g_redrawMask = -1;
    return frame->ViewWidget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool Enabled(CMainFrame* frame, int id) {
    const auto actions = frame->Actions(id);
    return !actions.empty() && actions.front()->isEnabled();
}
}  // namespace

class DocumentRoadTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        ClearRecordedMessages();
        ClearRecordedFileDialogs();
    }

    void openChangeSaveAndOpenAgain() {
        const fs::path program = Root() / "program";
        const fs::path work = Root() / "work";
        fs::create_directories(program);
        fs::create_directories(work);
        // The start-up set: the first ten points of the survey.
        const Survey start = WriteSurvey(work / "start.RND", 10);
        QVERIFY(start.edges > 0);
        g_currentDataPath = (work / "start.RND").string();
        QCOMPARE(ReadRndDocument(), -1);
        QCOMPARE(WriteBackupFile(program / "DATA1.VEW"), 0);
        const Survey survey = WriteSurvey(work / "site.RND", 400);
        QVERIFY(survey.edges > 0);
        const fs::path site = survey.path;
        ClearRecordedMessages();  // the builder's report
        SetProgramFolder(program);

        CPelmo_3DApp app;
        app.SetDocumentFactory([] { return MakeDocument(); });
        QVERIFY(app.InitInstance({}));
        CMainFrame* frame = app.MainFrame();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        frame->MouseInfo()->close();  // the whole view in sight
        QVERIFY(frame->windowTitle().contains("VODA XML"));
        QCOMPARE(g_pointCount, 10);
        QCOMPARE(g_tinEdgeCount, start.edges);

        // Open through the menu.
        QueueFileDialogAnswer(site.string());
        frame->ExecuteCommand(cmd::kFileOpen);
        QCOMPARE(g_pointCount, 400);
        QCOMPARE(g_tinEdgeCount, survey.edges);
        QCOMPARE(g_outline.Count(), survey.outline);
        QVERIFY(g_outline.IsClosed());
        QVERIFY(frame->windowTitle().contains("site.RND"));
        QVERIFY(SameFile(RecentFileList().Files().value(0), site));
        QVERIFY(Enabled(frame, cmd::kFileSave));
        QVERIFY(!frame->Document()->IsModified());

        // A change, as an editing tool makes it, then Save.
        g_points[7].z += 12.5;
        std::strcpy(g_points[8].name, "BM8");
        g_dataChanged = -1;
        QVERIFY(frame->Document()->IsModified());
        const Records changed = Loaded();
        frame->ExecuteCommand(cmd::kFileSave);
        QVERIFY(!frame->Document()->IsModified());
        QCOMPARE(RecordedFileDialogs().size(), size_t(1));  // saved under its name
        const std::string rnd = Bytes(site), tri = Bytes(work / "site.TRI"),
                          bnd = Bytes(work / "site.BND");
        QVERIFY(rnd.find("BM8") != std::string::npos);

        // Open it again: the same data.
        InitDataModel();
        QueueFileDialogAnswer(site.string());
        frame->ExecuteCommand(cmd::kFileOpen);
        QVERIFY(Loaded() == changed);

        // Save As another name: the same bytes there.
        const fs::path copy = work / "copy.RND";
        QueueFileDialogAnswer(copy.string());
        frame->ExecuteCommand(cmd::kFileSaveAs);
        QVERIFY(Bytes(copy) == rnd);
        QVERIFY(Bytes(work / "copy.TRI") == tri);
        QVERIFY(Bytes(work / "copy.BND") == bnd);
        QVERIFY(frame->windowTitle().contains("copy.RND"));
        const QStringList recent = RecentFileList().Files();
        QVERIFY(SameFile(recent.value(0), copy));
        QVERIFY(SameFile(recent.value(1), site));
        QVERIFY(RecordedMessages().empty());

        // New while changed asks first; No goes back to the start-up set, and the screen
        // shows it: no TIN or outline of the site is left there.
        const QImage siteOnScreen = OnScreen(frame);
        g_dataChanged = -1;
        QueueMessageAnswer(msg::kIdNo);
        frame->ExecuteCommand(cmd::kFileNew);
        QCOMPARE(RecordedMessages().size(), size_t(1));
        QCOMPARE(g_pointCount, 10);
        QVERIFY(frame->windowTitle().contains("VODA XML"));
        QVERIFY(!frame->Document()->IsModified());
        const QImage newOnScreen = OnScreen(frame);
        QVERIFY(newOnScreen != siteOnScreen);
        QVERIFY(newOnScreen == FullPicture(frame));
    }

    void recentListKeepsFourFiles() {
        const fs::path work = Root() / "recent";
        fs::create_directories(work);
        CPelmo_3DApp app;
        app.SetDocumentFactory([] { return MakeDocument(); });
        QVERIFY(app.InitInstance({}));
        std::vector<fs::path> files;
        for (int i = 0; i < 5; ++i) {
            files.push_back(WriteSurvey(work / ("s" + std::to_string(i) + ".RND"), 5 + i).path);
            QVERIFY(!files.back().empty());
            QVERIFY(app.Document()->OpenDocument(files.back().string()));
        }
        const QStringList recent = RecentFileList().Files();
        QCOMPARE(recent.size(), 4);
        QVERIFY(SameFile(recent.first(), files.back()));
        for (const QString& listed : recent) QVERIFY(!SameFile(listed, files.front()));

        // The second entry of the menu opens that file.
        app.MainFrame()->ExecuteCommand(cmd::kFileRecent + 1);
        QCOMPARE(g_pointCount, 5 + 3);
    }
};

int main(int argc, char** argv) {
    g_survey = SurveyFile("jacksboro_scatter20k.RND");
    return RunWindowTest<DocumentRoadTest>(argc, argv, &g_root);
}

#include "document_uitest.moc"
