// The document road: new with the start-up data set, open with the companions, save and
// save as, titles, the modified flag, the SIMA conversion and the display switches.
#include "model/document.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <vector>

#include "contour/contour_files.h"
#include "contour/slice_store.h"
#include "file_test_support.h"
#include "image/image_slot.h"
#include "model/backup_file.h"
#include "model/document_toggles.h"
#include "model/bnd_file.h"
#include "model/rnd_file.h"
#include "model/tri_file.h"
#include "shell/work_files.h"
#include "dxf/dxf_registration.h"
#include "dxf/dxf_store.h"
#include "platform/busy.h"
#include "platform/file_dialog.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/input.h"
#include "route/route_data.h"
#include "shell/work_folder.h"
#include "view/color_band_file.h"
#include "view/color_band_params.h"
#include "view/display_flags.h"
#include "view/raster_primitives.h"
#include "view/text_flags.h"
#include "view/view_state.h"

namespace fs = std::filesystem;

namespace {
// Four points on a square with a TIN of two triangles and the outline around them.
void MakeSquareData() {
    MakePoints(4);
    g_tinEdges[1] = TinEdge{1, 2, kNoApex, 3, 0};
    g_tinEdges[2] = TinEdge{2, 3, kNoApex, 1, 0};
    g_tinEdges[3] = TinEdge{3, 1, 2, 4, 0};
    g_tinEdgeCount = 3;
    SetTinEndRecord();
    g_tinPresent = -1;
    for (int v : {1, 2, 3, 4}) g_outline.Append(v);
    g_outline.Close();
}

class Document : public FileTest {
protected:
    void SetUp() override {
        FileTest::SetUp();
        ClearRecordedFileDialogs();
        m_keptProgramFolder = ProgramFolder();
        fs::create_directories(Dir() / "program");
        SetProgramFolder(Dir() / "program");
        g_workFolder = (Dir() / "").string();
        g_lastFolder.clear();
        CPelmo_3DDoc::Hooks hooks;
        hooks.addRecentFile = [this](const std::string& p) { recent.push_back(p); };
        hooks.titleChanged = [this] { titles.push_back(doc.PlainTitle()); };
        doc.SetHooks(hooks);
    }
    void TearDown() override {
        SetProgramFolder(m_keptProgramFolder);
        SetHeadlessKeyDown(key::kShift, false);
        FileTest::TearDown();
    }

    // Saves the square data as `name` in the test folder through Save As.
    fs::path SaveSquareAs(const std::string& name) {
        MakeSquareData();
        const fs::path path = Dir() / name;
        QueueFileDialogAnswer(path.string());
        doc.OnSaveRandomDataAs();
        return path;
    }

    CPelmo_3DDoc doc;
    std::vector<std::string> recent;
    std::vector<std::string> titles;
    fs::path m_keptProgramFolder;
};

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}
}  // namespace

TEST_F(Document, CompanionProbeFindsImagesOnlyWithTheirPlacement) {
    struct Case {
        std::vector<const char*> files;
        int32_t imageKind, dxf, contours, bands;
    };
    const Case cases[] = {
        {{}, 0, 0, 0, 0},
        {{"d.png"}, 0, 0, 0, 0},                    // an image without placement
        {{"d.png", "d.MPI"}, 3, 0, 0, 0},           // the .MPI places any kind
        {{"d.tif", "d.tfw"}, 1, 0, 0, 0},           // world-file pair
        {{"d.jpg", "d.tfw"}, 0, 0, 0, 0},           // a world file of another image
        {{"d.JPG", "d.jgw", "d.bmp"}, 2, 0, 0, 0},  // BMP comes before JPG
        {{"d.bmp", "d.bmpw"}, 2, 0, 0, 0},
        {{"d.TIF", "d.bmp", "d.mpi"}, 1, 0, 0, 0},
        {{"d.dxf", "d.CT1", "d.Cdf"}, 0, 1, 1, 1},
        {{"d.ct2", "d.ct3", "d.hlt"}, 0, 0, 0, 0},  // not loaded with a document
    };
    int n = 0;
    for (const Case& c : cases) {
        const fs::path folder = Dir() / ("case" + std::to_string(n++));
        fs::create_directories(folder);
        for (const char* f : c.files) ASSERT_TRUE(WriteFileBytes(folder / f, "x"));
        const CompanionFiles found = ProbeCompanionFiles(folder / "d.RND");
        SCOPED_TRACE(folder.filename().string());
        EXPECT_EQ(found.imageKind, c.imageKind);
        EXPECT_EQ(found.dxf, c.dxf);
        EXPECT_EQ(found.contours, c.contours);
        EXPECT_EQ(found.sliceContours, 0);
        EXPECT_EQ(found.colorBands, c.bands);
    }
}

// A file written by another program opens and is saved as the very same bytes.
TEST_F(Document, RealFileOpensAndSavesAsTheSameBytes) {
    const fs::path source = Data("jacksboro_scatter20k.RND");
    ASSERT_TRUE(fs::exists(source)) << source;
    ASSERT_TRUE(doc.OpenDocument(source.string()));
    EXPECT_EQ(g_pointCount, 20000);
    EXPECT_EQ(doc.PlainTitle(), "jacksboro_scatter20k.RND");
    EXPECT_EQ(doc.Title(), std::string(kTitlePrefix) + "jacksboro_scatter20k.RND");
    ASSERT_EQ(recent.size(), 1u);
    EXPECT_EQ(fs::path(recent[0]), fs::canonical(source));
    EXPECT_FALSE(doc.IsModified());
    // Without a TIN the points are shown in the bird's-eye view without colour bands.
    EXPECT_EQ(g_birdsEyeOn, 1);
    EXPECT_NE(g_showPoints, 0);
    EXPECT_EQ(g_colorBandOn, 0);
    EXPECT_GT(doc.ScrollWidth(), 0);

    const fs::path copy = Dir() / "copy.RND";
    QueueFileDialogAnswer(copy.string());
    doc.OnSaveRandomDataAs();
    EXPECT_TRUE(Read(copy) == Read(source)) << "saved differently";
    EXPECT_EQ(doc.PathName(), copy);
    EXPECT_EQ(doc.PlainTitle(), "copy.RND");
    EXPECT_FALSE(fs::exists(Dir() / "copy.TRI"));
    EXPECT_FALSE(fs::exists(Dir() / "copy.BND"));
    ASSERT_EQ(RecordedFileDialogs().size(), 1u);
    const FileDialogRequest& asked = RecordedFileDialogs()[0];
    EXPECT_TRUE(asked.save);
    EXPECT_EQ(asked.title, "ランダムファイルの保存");
    EXPECT_EQ(asked.fileName, "jacksboro_scatter20k.RND");
    EXPECT_EQ(asked.folder, g_workFolder);
    EXPECT_EQ(g_lastFolder, (Dir() / "").string());
    EXPECT_TRUE(RecordedMessages().empty());
}

TEST_F(Document, SaveWritesTheCompanionsAndSaveAsWritesThemAgainElsewhere) {
    const fs::path first = SaveSquareAs("first.RND");
    for (const char* ext : {".RND", ".TRI", ".BND"})
        EXPECT_TRUE(fs::exists(WithExtension(first, ext))) << ext;
    EXPECT_EQ(g_currentDataPath, first.string());
    EXPECT_FALSE(doc.IsModified());

    // Changes, then Save under the name the document has.
    g_points[2].z = 99.5;
    g_dataChanged = -1;
    EXPECT_TRUE(doc.IsModified());
    doc.OnCommand(cmd::kFileSave);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(RecordedFileDialogs().size(), 1u);  // no dialog for a document with a name

    fs::create_directories(Dir() / "other");
    const fs::path second = Dir() / "other" / "second.rnd";
    QueueFileDialogAnswer(second.string());
    doc.OnCommand(cmd::kFileSaveAs);
    for (const char* ext : {".RND", ".TRI", ".BND"})
        EXPECT_TRUE(Read(WithExtension(first, ext)) == Read(FindCompanion(second, ext))) << ext;
    EXPECT_EQ(doc.PathName(), second);

    // Opened again, the saved data come back.
    InitDataModel();
    ASSERT_TRUE(doc.OpenDocument(second.string()));
    EXPECT_EQ(g_pointCount, 4);
    EXPECT_DOUBLE_EQ(g_points[2].z, 99.5);
    EXPECT_EQ(g_tinEdgeCount, 3);
    EXPECT_EQ(g_outline.Count(), 4);
    EXPECT_TRUE(RecordedMessages().empty());
}

// The document's drawing is read without its registration, and saving leaves the
// registration file of that drawing as it was.
TEST_F(Document, OpenAndSaveKeepTheDrawingsRegistrationFile) {
    const fs::path path = SaveSquareAs("site.RND");
    Write("site.dxf", "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n1\n20\n2\n11\n3\n21\n4\n0\nENDSEC\n0\nEOF\n");
    const fs::path dxi = Dir() / "site.DXI";
    const std::string registration = "***\r\n         10.000         20.000          0.000          0.000\r\n"
                                     "         10.000         21.000          0.000          1.000\r\n"
                                     "         11.000         20.000          1.000          0.000\r\n"
                                     "          0.000          0.000          0.000          0.000\r\n"
                                     " 1 1 1 0\r\n";
    Write("site.DXI", registration);
    InitDataModel();
    ASSERT_TRUE(doc.OpenDocument(path.string()));
    ASSERT_EQ(g_dxfElementCount, 2);
    EXPECT_EQ(g_dxfElementsBlock.Data()[1].x, 2.0);  // north = the drawing's y, unregistered
    EXPECT_EQ(g_dxfRegistration.transformActive, 0);
    ASSERT_TRUE(doc.OnSaveDocument(path));
    ASSERT_TRUE(fs::exists(dxi));
    EXPECT_EQ(Read(dxi), registration);
}

TEST_F(Document, SavingWithoutTinOrOutlineRemovesTheirOldFiles) {
    const fs::path path = SaveSquareAs("s.RND");
    g_tinPresent = 0;
    g_tinEdgeCount = 0;
    g_outline.Reset();
    doc.OnFileSave();
    EXPECT_TRUE(fs::exists(path));
    EXPECT_FALSE(fs::exists(Dir() / "s.TRI"));
    EXPECT_FALSE(fs::exists(Dir() / "s.BND"));
    EXPECT_FALSE(doc.IsModified());
}

// Two documents whose names differ only in case live side by side: saving one, with or
// without TIN and outline, leaves every file of the other as it was, and each opens with
// its own companions.
TEST_F(Document, SavingLeavesTheFilesOfADocumentNamedInAnotherCase) {
    const fs::path other = SaveSquareAs("SITE.RND");
    std::vector<std::pair<fs::path, std::string>> otherFiles;
    for (const char* ext : {".RND", ".TRI", ".BND"}) {
        const fs::path f = WithExtension(other, ext);
        ASSERT_TRUE(fs::exists(f)) << f;
        otherFiles.emplace_back(f, Read(f));
    }

    InitDataModel();
    MakePoints(3);
    const fs::path mine = Dir() / "site.rnd";
    QueueFileDialogAnswer(mine.string());
    doc.OnSaveRandomDataAs();
    ASSERT_TRUE(fs::exists(mine));
    for (const auto& [f, bytes] : otherFiles) EXPECT_EQ(Read(f), bytes) << f;

    // site.rnd has no TIN and no outline, and takes none of SITE.RND's.
    InitDataModel();
    ASSERT_TRUE(doc.OpenDocument(mine.string()));
    EXPECT_EQ(g_pointCount, 3);
    EXPECT_EQ(g_tinEdgeCount, 0);
    EXPECT_EQ(g_outline.Count(), 0);

    // Saved again with a TIN and an outline of its own.
    g_tinEdges[1] = TinEdge{1, 2, kNoApex, 3, 0};
    g_tinEdgeCount = 1;
    SetTinEndRecord();
    g_tinPresent = -1;
    for (int v : {1, 2, 3}) g_outline.Append(v);
    g_outline.Close();
    doc.OnFileSave();
    EXPECT_TRUE(fs::exists(Dir() / "site.TRI"));
    for (const auto& [f, bytes] : otherFiles) EXPECT_EQ(Read(f), bytes) << f;

    InitDataModel();
    ASSERT_TRUE(doc.OpenDocument(other.string()));
    EXPECT_EQ(g_pointCount, 4);
    EXPECT_EQ(g_tinEdgeCount, 3);
    EXPECT_EQ(g_outline.Count(), 4);
    EXPECT_TRUE(RecordedMessages().empty());
}

// Files whose base name differs from the document's in case are never the document's to
// remove, whether their own document lies beside them or not, and whatever the save
// writes or drops.
TEST_F(Document, SavingKeepsFilesNamedInAnotherCaseWithOrWithoutTheirDocument) {
    struct Case {
        bool otherDocument;   // SITE.RND beside them
        bool tinAndOutline;   // what site.rnd has to write
    };
    for (const Case c : {Case{true, false}, Case{true, true}, Case{false, false}, Case{false, true}}) {
        SCOPED_TRACE(std::to_string(c.otherDocument) + std::to_string(c.tinAndOutline));
        InitDataModel();
        const fs::path folder = Dir() / ("f" + std::to_string(c.otherDocument) + std::to_string(c.tinAndOutline));
        fs::create_directories(folder);
        std::vector<std::string> others = {"SITE.TRI", "SITE.BND", "SITE.CT1", "SITE.CT2", "SITE.HLT", "SITE.CDF"};
        if (c.otherDocument) others.push_back("SITE.RND");
        for (const std::string& f : others) ASSERT_TRUE(WriteFileBytes(folder / f, "other " + f));

        if (c.tinAndOutline) MakeSquareData();
        else MakePoints(3);
        ASSERT_TRUE(doc.OnSaveDocument(folder / "site.rnd"));
        EXPECT_TRUE(fs::exists(folder / "site.rnd"));
        EXPECT_EQ(fs::exists(folder / "site.TRI"), c.tinAndOutline);
        for (const std::string& f : others) EXPECT_EQ(Read(folder / f), "other " + f) << f;

        // Opened again, it has what it saved and takes nothing of theirs.
        InitDataModel();
        ClearRecordedMessages();
        ASSERT_TRUE(doc.OpenDocument((folder / "site.rnd").string()));
        EXPECT_EQ(g_tinEdgeCount, c.tinAndOutline ? 3 : 0);
        EXPECT_EQ(g_outline.Count(), c.tinAndOutline ? 4 : 0);
        EXPECT_EQ(g_drawingContoursLoaded, 0);
        EXPECT_TRUE(RecordedMessages().empty());
    }
}

// A document opened with its companions and saved under another name elsewhere: each
// companion there is what its owner writes for the data in memory, the contour copies are
// the opened ones, and files no one here writes are neither made nor removed.
TEST_F(Document, SavingElsewhereWritesEachCompanionAsItsOwnerDoes) {
    SetWorkFilePaths();
    const fs::path site = SaveSquareAs("SITE.RND");
    {
        std::FILE* lines = std::fopen(g_contourLinesPath.c_str(), "wb");
        ASSERT_NE(lines, nullptr);
        for (const ContourRecord& r : {ContourRecord{kContourCodeStraight, 100.5, 2}, ContourRecord{0, 101.25, 201.5},
                                       ContourRecord{0, 103.75, 199.125}})
            ASSERT_TRUE(WriteContourRecord(lines, r));
        ASSERT_EQ(std::fclose(lines), 0);
    }
    g_contourMinZ = 100;
    g_contourMaxZ = 104;
    g_contourInterval = 0.5;
    g_indexContourInterval = 2.5;
    ASSERT_TRUE(RebuildContourIndex());
    g_drawingContoursLoaded = -1;
    ASSERT_EQ(CopyContourFilesToDocument(site.string()), 0);
    g_colorBandParams.waterLevel = 101.5;
    ASSERT_NE(WriteColorBandFile(WithExtension(site, ".CDF")), 0);
    const std::string flags = "unread text flags";
    Write("SITE.TFG", flags);
    std::map<std::string, std::string> source;
    for (const auto& entry : fs::directory_iterator(Dir()))
        if (entry.is_regular_file()) source[entry.path().filename().string()] = Read(entry.path());

    InitDataModel();
    ASSERT_TRUE(doc.OpenDocument(site.string()));
    ASSERT_EQ(g_drawingContoursLoaded, -1);
    EXPECT_DOUBLE_EQ(g_colorBandParams.waterLevel, 101.5);
    fs::create_directories(Dir() / "other");
    fs::create_directories(Dir() / "direct");
    const fs::path saved = Dir() / "other" / "NEW.RND";
    QueueFileDialogAnswer(saved.string());
    doc.OnSaveRandomDataAs();
    ASSERT_TRUE(fs::exists(saved));
    EXPECT_TRUE(RecordedMessages().empty());

    const fs::path direct = Dir() / "direct" / "NEW.RND";
    ASSERT_EQ(WriteTriFile(direct), 0);
    WriteBndFile(direct);
    ASSERT_NE(WriteColorBandFile(WithExtension(direct, ".CDF")), 0);
    ASSERT_EQ(CopyContourFilesToDocument(direct.string()), 0);
    for (const char* ext : {".TRI", ".BND", ".CDF", ".CT1", ".CT2"}) {
        ASSERT_TRUE(fs::exists(WithExtension(saved, ext))) << ext;
        EXPECT_EQ(Read(WithExtension(saved, ext)), Read(WithExtension(direct, ext))) << ext;
    }
    EXPECT_EQ(Read(WithExtension(saved, ".CT1")), source["SITE.CT1"]);
    EXPECT_EQ(Read(WithExtension(saved, ".CT2")), source["SITE.CT2"]);
    EXPECT_EQ(Read(WithExtension(saved, ".TRI")), source["SITE.TRI"]);
    EXPECT_FALSE(fs::exists(WithExtension(saved, ".TFG")));
    // The files beside the opened document are as they were.
    for (const auto& [name, bytes] : source) EXPECT_EQ(Read(Dir() / name), bytes) << name;
}

TEST_F(Document, SavingWithoutDataRefusesAndLeavesTheFileAsItWas) {
    const fs::path path = SaveSquareAs("keep.RND");
    const std::string before = Read(path);
    const std::string tri = Read(Dir() / "keep.TRI");
    InitDataModel();  // no random data
    ClearRecordedMessages();

    doc.OnSaveDocument(path);
    EXPECT_EQ(Read(path), before);
    EXPECT_EQ(Read(Dir() / "keep.TRI"), tri);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "保存するデータがありません");

    const fs::path fresh = Dir() / "fresh.RND";
    QueueFileDialogAnswer(fresh.string());
    doc.OnSaveRandomDataAs();
    EXPECT_FALSE(fs::exists(fresh));
    EXPECT_EQ(doc.PathName(), path);  // the name stays that of the file saved last
    for (const auto& entry : fs::directory_iterator(Dir()))
        EXPECT_EQ(entry.path().string().find(".saving"), std::string::npos);
}

TEST_F(Document, RefusedWriteKeepsTheOldFile) {
    const fs::path path = SaveSquareAs("far.RND");
    const std::string before = Read(path);
    g_points[1].x = 1e12;  // does not fit its column
    ClearRecordedMessages();
    EXPECT_FALSE(doc.OnSaveDocument(path));
    EXPECT_EQ(Read(path), before);
    EXPECT_EQ(RecordedMessages().size(), 1u);
}

TEST_F(Document, ReadOnlyFileIsNotReplaced) {
    const fs::path path = SaveSquareAs("locked.RND");
    const std::string before = Read(path);
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    g_points[1].z = 7.0;
    g_dataChanged = -1;
    ClearRecordedMessages();
    QueueFileDialogAnswer(path.string());  // Save asks for another name, and gets this one
    doc.OnFileSave();
    EXPECT_EQ(RecordedFileDialogs().size(), 2u);
    EXPECT_EQ(Read(path), before);
    EXPECT_EQ(RecordedMessages().size(), 1u);
    EXPECT_TRUE(doc.IsModified());

    const fs::path other = Dir() / "unlocked.RND";
    QueueFileDialogAnswer(other.string());
    doc.OnFileSave();  // the name is still the read-only file's
    EXPECT_TRUE(fs::exists(other));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.PathName(), other);
}

TEST_F(Document, UnreadableFileLeavesTheDocumentAsItWas) {
    const fs::path path = SaveSquareAs("good.RND");
    g_ipPointCount = 2;  // a route loaded beside the data
    const std::string title = doc.Title();
    fs::create_directories(Dir() / "folder.RND");
    for (const fs::path& bad : {Dir() / "missing.RND", Dir() / "folder.RND"}) {
        SCOPED_TRACE(bad.string());
        ClearRecordedMessages();
        recent.clear();
        EXPECT_FALSE(doc.OpenDocument(bad.string()));
        EXPECT_EQ(RecordedMessages().size(), 1u);
        EXPECT_EQ(g_pointCount, 4);
        EXPECT_EQ(g_tinEdgeCount, 3);
        EXPECT_EQ(g_outline.Count(), 4);
        EXPECT_EQ(g_ipPointCount, 2);
        EXPECT_EQ(g_currentDataPath, path.string());
        EXPECT_EQ(g_documentTitle, "good");
        EXPECT_EQ(doc.Title(), title);
        EXPECT_EQ(doc.PathName(), path);
        EXPECT_TRUE(recent.empty());
    }
}

TEST_F(Document, OpeningReplacesWhatBelongedToThePreviousData) {
    const fs::path path = SaveSquareAs("sq.RND");
    g_ipPointCount = 3;
    g_stationCount = 5;
    g_pickList.Append(1);
    g_points[1].flags |= kPointFlagPickList;
    g_drawingContoursLoaded = -1;
    g_showDrawingContours = -1;
    g_sliceContoursLoaded = -1;
    g_sliceLineCount = 7;
    g_showPointNames = -1;
    g_showGrid = -1;
    g_colorBandOn = -1;
    g_birdsEyeOn = 0;
    ASSERT_TRUE(doc.OpenDocument(path.string()));
    EXPECT_EQ(g_ipPointCount, 0);
    EXPECT_EQ(g_stationCount, 0);
    EXPECT_EQ(g_pickList.Count(), 0);
    EXPECT_EQ(g_points[1].flags & kPointFlagPickList, 0);
    EXPECT_EQ(g_drawingContoursLoaded, 0);
    EXPECT_EQ(g_showDrawingContours, 0);
    EXPECT_EQ(g_sliceContoursLoaded, 0);
    EXPECT_EQ(g_sliceLineCount, 0);
    EXPECT_EQ(g_showPointNames, 0);
    EXPECT_EQ(g_showGrid, 0);
    // With a TIN and no colour-band file: bird's-eye colours, points and TIN lines hidden.
    EXPECT_EQ(g_birdsEyeOn, 1);
    EXPECT_EQ(g_showPoints, 0);
    EXPECT_EQ(g_showTin, 0);
    EXPECT_NE(g_colorBandOn, 0);
    EXPECT_EQ(g_colorBandParams.mode, 2);
    EXPECT_EQ(g_colorBandParams.planOnly, 0);
    EXPECT_EQ(g_redrawMask, -1);
    EXPECT_DOUBLE_EQ(g_birdsEyeTilt, -0.2);
}

TEST_F(Document, OpeningAnotherFileOffersToSaveTheChangesFirst) {
    const fs::path mine = SaveSquareAs("mine.RND");
    const fs::path other = Data("jacksboro_scatter20k.RND");
    g_points[1].z = 42.0;
    g_dataChanged = -1;

    // Cancel: nothing happens.
    QueueFileDialogAnswer(other.string());
    QueueMessageAnswer(msg::kIdCancel);
    doc.OnCommand(cmd::kFileOpen);
    ASSERT_EQ(RecordedMessages().size(), 1u);
    EXPECT_EQ(RecordedMessages()[0].text, "mine.RND への変更を保存しますか?");
    EXPECT_EQ(g_pointCount, 4);
    EXPECT_TRUE(doc.IsModified());

    // Yes: saved, then the other file opens.
    QueueFileDialogAnswer(other.string());
    QueueMessageAnswer(msg::kIdYes);
    doc.OnCommand(cmd::kFileOpen);
    EXPECT_EQ(g_pointCount, 20000);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.PlainTitle(), "jacksboro_scatter20k.RND");
    InitDataModel();
    ASSERT_TRUE(doc.OpenDocument(mine.string()));
    EXPECT_DOUBLE_EQ(g_points[1].z, 42.0);
}

TEST_F(Document, SavingARouteDocumentLeavesTheRandomDataModified) {
    SaveSquareAs("r.RND");
    g_dataChanged = -1;
    doc.OnSaveDocument(Dir() / "route.ALG");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(g_dataChanged, 0);
}

TEST_F(Document, NewDocumentLoadsTheStartUpSet) {
    MakeSquareData();
    ASSERT_EQ(WriteBackupFile(Dir() / "program" / "data1.vew"), 0);
    InitDataModel();
    titles.clear();
    ASSERT_TRUE(doc.NewDocument());
    EXPECT_EQ(g_pointCount, 4);
    EXPECT_EQ(g_tinEdgeCount, 3);
    EXPECT_EQ(g_outline.Count(), 4);
    EXPECT_EQ((std::vector<std::string>{"No_Name", "VODA XML"}), titles);
    EXPECT_EQ(doc.Title(), std::string(kTitlePrefix) + "VODA XML");
    EXPECT_TRUE(doc.PathName().empty());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(g_birdsEyeOn, 1);
    EXPECT_EQ(g_showPoints, 0);
    EXPECT_EQ(g_showTin, 0);
    EXPECT_NE(g_colorBandOn, 0);
    EXPECT_EQ(g_colorBandParams.mode, 2);
    EXPECT_EQ(doc.ScrollWidth(), static_cast<int32_t>(g_viewScale * g_extentSize));
    EXPECT_TRUE(recent.empty());
    EXPECT_TRUE(RecordedMessages().empty());
}

// The start-up set's colour-band file decides the first picture; a damaged one is read
// for what it holds.
TEST_F(Document, NewDocumentTakesTheStartUpColorBands) {
    MakeSquareData();
    ASSERT_EQ(WriteBackupFile(Dir() / "program" / "DATA1.VEW"), 0);
    g_colorBandParams.mode = 1;
    g_colorBandParams.shading = 1;
    g_colorBandParams.stripeColours[0] = 0x123456;
    g_birdsEyeOn = 1;
    g_colorBandOn = -1;
    g_showTin = -1;
    ASSERT_NE(WriteColorBandFile(Dir() / "program" / "data1.cdf"), 0);
    InitDataModel();
    ASSERT_TRUE(doc.NewDocument());
    EXPECT_EQ(g_birdsEyeOn, 1);
    EXPECT_NE(g_colorBandOn, 0);
    EXPECT_EQ(g_colorBandParams.mode, 1);
    EXPECT_EQ(g_colorBandParams.shading, 1);
    EXPECT_EQ(g_colorBandParams.stripeColours[0], 0x123456);
    EXPECT_EQ(g_showTin, -1);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(RecordedMessages().empty());
}

// Beside an opened file the colour-band file keeps its settings instead of the bird's-eye
// colours a TIN gets without one.
TEST_F(Document, OpeningWithAColorBandFileKeepsItsSettings) {
    const fs::path path = SaveSquareAs("bands.RND");
    g_colorBandParams.mode = 0;
    g_colorBandParams.lightAzimuth = 200;
    g_colorBandOn = -1;
    g_birdsEyeOn = 0;
    g_showPoints = -1;
    g_showTin = -1;
    g_viewScale = 3.5;
    ASSERT_NE(WriteColorBandFile(Dir() / "bands.Cdf"), 0);
    InitDataModel();
    ASSERT_TRUE(doc.OpenDocument(path.string()));
    EXPECT_EQ(g_colorBandParams.mode, 0);
    EXPECT_EQ(g_colorBandParams.lightAzimuth, 200);
    EXPECT_NE(g_colorBandOn, 0);
    EXPECT_EQ(g_birdsEyeOn, 0);
    EXPECT_EQ(g_showTin, -1);
    EXPECT_EQ(g_viewScale, 3.5);

    // Without it: the bird's-eye colours.
    fs::remove(Dir() / "bands.Cdf");
    ASSERT_TRUE(doc.OpenDocument(path.string()));
    EXPECT_EQ(g_colorBandParams.mode, 2);
    EXPECT_EQ(g_birdsEyeOn, 1);
    EXPECT_EQ(g_showTin, 0);
}

TEST_F(Document, NewDocumentWithoutTheStartUpSetSaysNothing) {
    ASSERT_TRUE(doc.NewDocument());
    EXPECT_EQ(g_pointsPresent, 0);
    EXPECT_EQ(doc.PlainTitle(), "VODA XML");
    EXPECT_EQ(doc.ScrollWidth(), 200);
    EXPECT_EQ(doc.ScrollHeight(), 200);
    EXPECT_EQ(g_birdsEyeOn, 1);
    EXPECT_TRUE(RecordedMessages().empty());

    // Save has no name yet and asks for one.
    MakeSquareData();
    const fs::path path = Dir() / "named.RND";
    QueueFileDialogAnswer(path.string());
    doc.OnFileSave();
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(RecordedFileDialogs().size(), 1u);
    EXPECT_EQ(RecordedFileDialogs()[0].fileName, "No_Name.RND");
}

TEST_F(Document, FailedSimaConversionKeepsTheDocument) {
    const fs::path path = SaveSquareAs("keep.RND");
    const std::string title = doc.Title();
    struct Case {
        SimaImport result;
        int32_t pointsRead;
        const char* message;
    };
    const Case cases[] = {{SimaImport::kFailed, 2, "メモリーが不足しています。"},
                          {SimaImport::kRead, 0, "SIMAファイルに点データがありません。"},
                          {SimaImport::kUnavailable, 0, "SIMAファイルを読み込めません。"}};
    for (const Case& c : cases) {
        ClearRecordedMessages();
        const bool converted =
            doc.ConvertSimaDocument(Dir() / "keep.SIM", [&](const fs::path&, bool) {
                EXPECT_EQ(g_pointCount, 0);
                MakePoints(c.pointsRead);
                g_pointCount = c.pointsRead;
                return c.result;
            });
        EXPECT_FALSE(converted);
        ASSERT_EQ(RecordedMessages().size(), 2u);  // the elevation question, then the failure
        EXPECT_EQ(RecordedMessages()[1].text.rfind(c.message, 0), 0u) << RecordedMessages()[1].text;
        EXPECT_EQ(g_pointCount, 4);
        EXPECT_STREQ(g_points[1].name, "P1");
        EXPECT_EQ(g_tinEdgeCount, 3);
        EXPECT_EQ(g_outline.Count(), 4);
        EXPECT_EQ(doc.Title(), title);
        EXPECT_EQ(doc.PathName(), path);
    }
}

TEST_F(Document, SimaConversionTakesTheRndName) {
    SaveSquareAs("a.RND");
    recent.clear();
    QueueMessageAnswer(msg::kIdNo);
    bool zeroAsked = true;
    ASSERT_TRUE(doc.ConvertSimaDocument(Dir() / "site.SIM", [&](const fs::path&, bool zero) {
        zeroAsked = zero;
        MakePoints(6);
        return SimaImport::kRead;
    }));
    EXPECT_FALSE(zeroAsked);
    EXPECT_EQ(g_pointCount, 6);
    EXPECT_EQ(g_tinPresent, 0);
    EXPECT_EQ(g_tinEdgeCount, 0);
    EXPECT_EQ(g_outline.Count(), 0);
    EXPECT_EQ(doc.PathName(), Dir() / "site.RND");
    EXPECT_EQ(doc.PlainTitle(), "site.RND");
    ASSERT_EQ(recent.size(), 1u);
    EXPECT_EQ(Upper(fs::path(recent[0]).extension().string()), ".RND");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_FALSE(fs::exists(Dir() / "site.RND"));  // nothing written before Save
}

TEST_F(Document, SwitchesFlipTheirFlagsAndShiftPicksTheVariant) {
    MakeSquareData();
    g_showPoints = -1;
    g_penSize = 1;
    SetHeadlessKeyDown(key::kShift, true);
    std::vector<int32_t> sizes;
    for (int i = 0; i < 5; ++i) {
        doc.OnCommand(32885);
        sizes.push_back(g_penSize);
        EXPECT_NE(g_showPoints, 0);
    }
    EXPECT_EQ((std::vector<int32_t>{2, 3, 0, 1, 2}), sizes);
    SetHeadlessKeyDown(key::kShift, false);
    doc.OnCommand(32885);
    EXPECT_EQ(g_showPoints, 0);
    SetHeadlessKeyDown(key::kShift, true);
    doc.OnCommand(32885);  // hidden: Shift only shows them
    EXPECT_EQ(g_showPoints, -1);
    EXPECT_EQ(g_penSize, 2);

    // Point names: Shift while shown switches the double-byte text instead.
    doc.OnCommand(32792);
    EXPECT_EQ(g_showPointNames, -1);
    doc.OnCommand(32792);
    EXPECT_EQ(g_showPointNames, -1);
    EXPECT_EQ(g_hideDoubleByteText, -1);
    SetHeadlessKeyDown(key::kShift, false);
    doc.OnCommand(32792);
    EXPECT_EQ(g_showPointNames, 0);

    // Plain switches, and the busy state for those with a settings dialog.
    struct Case {
        int id;
        int32_t* flag;
    };
    const Case cases[] = {{32793, &g_showPointElevations}, {32794, &g_showDrawingContours},
                          {32894, &g_showSliceContours},   {32970, &g_showTextFlags},
                          {32797, &g_showSimpleContours},  {32854, &g_showGrid}};
    for (const Case& c : cases) {
        *c.flag = 0;
        g_redrawMask = 0;
        doc.OnCommand(c.id);
        EXPECT_EQ(*c.flag, -1) << c.id;
        EXPECT_EQ(g_redrawMask, -1) << c.id;
        doc.OnCommand(c.id);
        EXPECT_EQ(*c.flag, 0) << c.id;
    }
    SetBusy(true);
    doc.OnCommand(32797);
    EXPECT_EQ(g_showSimpleContours, 0);
    g_showSlopeLines = -1;
    doc.OnCommand(32974);
    EXPECT_EQ(g_showSlopeLines, -1);
    SetBusy(false);
    doc.OnCommand(32974);
    EXPECT_EQ(g_showSlopeLines, 0);
}

TEST_F(Document, MenuRulesFollowTheData) {
    auto state = [&](int id) {
        CommandUpdate u;
        EXPECT_TRUE(doc.OnUpdateCommand(id, u)) << id;
        return u;
    };
    // Nothing loaded.
    g_birdsEyeOn = 0;
    for (int id : {cmd::kFileSave, cmd::kFileSaveAs, 32792, 32793, 32885, 32854, 32797, 32970})
        EXPECT_FALSE(state(id).enabled) << id;
    EXPECT_TRUE(doc.HasCommandHandler(cmd::kFileOpen));  // no rule: always enabled

    MakeSquareData();
    for (int id : {cmd::kFileSave, cmd::kFileSaveAs, 32792, 32793, 32885, 32854, 32797})
        EXPECT_TRUE(state(id).enabled) << id;
    g_showGrid = -1;
    EXPECT_EQ(state(32854).check, CheckState::kChecked);
    // The grid is not offered in the bird's-eye view, whatever the data.
    g_birdsEyeOn = 1;
    EXPECT_FALSE(state(32854).enabled);
    EXPECT_EQ(state(32854).check, CheckState::kUnchecked);

    g_textFlagCount = 1;
    g_showTextFlags = -1;
    EXPECT_TRUE(state(32970).enabled);
    EXPECT_EQ(state(32970).check, CheckState::kChecked);
    g_textFlagCount = 0;

    // The contour plotter follows the points.
    EXPECT_TRUE(doc.HasCommandHandler(32857));
    EXPECT_TRUE(state(32857).enabled);
    g_pointsPresent = 0;
    EXPECT_FALSE(state(32857).enabled);
}
