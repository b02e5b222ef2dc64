// TIN coordinate text and mesh elevation text: exact lines, the axis orders, hole
// triangles, skipped missing nodes, the forms chosen and files that cannot be written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "exchange/text_outputs.h"
#include "import_test_support.h"
#include "model/zone_dialog.h"
#include "platform/file_dialog.h"
#include "platform/text_io.h"
#include "volume/mesh_data.h"
#include "volume/mesh_text.h"

namespace {

using importtest::ImportFixture;

std::vector<std::string> CrLfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t from = 0, end;
    while ((end = bytes.find("\r\n", from)) != std::string::npos) {
        lines.push_back(bytes.substr(from, end - from));
        from = end + 2;
    }
    EXPECT_EQ(from, bytes.size());
    return lines;
}

class TextOutputs : public ImportFixture {
protected:
    void TearDown() override {
        MeshTextFormatDialogRunner() = nullptr;
        ImportFixture::TearDown();
    }
    // A square of two triangles split by the diagonal 4-1, each record's search triangle
    // turning the same way; `hole` negates the numbers of triangle 1-3-4 as a hole does.
    static void TwoTriangles(bool hole) {
        const double xyz[4][3] = {{50, 0, 10}, {50, 50, 20}, {0, 0, 30}, {0, 50, 0}};
        g_pointCount = 4;
        for (int32_t i = 1; i <= 4; ++i) {
            g_points[i] = RandomPoint{};
            g_points[i].x = xyz[i - 1][0], g_points[i].y = xyz[i - 1][1], g_points[i].z = xyz[i - 1][2];
        }
        SetPointEndMarker();
        const int32_t h = hole ? -1 : 1;
        const TinEdge edges[5] = {{h * 1, h * 3, kNoApex, h * 4, 0},
                                  {h * 3, h * 4, kNoApex, h * 1, 0},
                                  {4, 2, kNoApex, 1, 0},
                                  {2, 1, kNoApex, 4, 0},
                                  {h * 4, h * 1, 2, h * 3, 0}};
        g_tinEdgeCount = 5;
        for (int32_t i = 1; i <= 5; ++i) g_tinEdges[i] = edges[i - 1];
        SetTinEndRecord();
        g_tinPresent = -1;
        g_pointsPresent = -1;
    }
    // A mesh of 3 columns and 2 rows: node (c, r) at x = 10 r, y = 100 c, z = c + r / 10.
    static void Mesh(int32_t missingNode) {
        g_meshColumns = 3, g_meshRows = 2;
        ASSERT_EQ(g_meshNodes.Resize(8), 0);
        for (int32_t r = 1; r <= 2; ++r)
            for (int32_t c = 1; c <= 3; ++c) {
                MeshNode& n = g_meshNodes.Data()[(r - 1) * 3 + c];
                n = MeshNode{};
                n.x = 10.0 * r, n.y = 100.0 * c, n.z = c + r / 10.0;
                n.column = c, n.row = r;
                n.valid = (r - 1) * 3 + c == missingNode ? 0 : 1;
            }
        g_meshElevationsDone = 1;
        g_meshAreaDefined = 1;
    }
    std::vector<std::string> Read(const std::filesystem::path& p) {
        std::string bytes;
        EXPECT_TRUE(ReadFileBytes(p, bytes));
        return CrLfLines(bytes);
    }
};

TEST_F(TextOutputs, TinTrianglesInBothAxisOrders) {
    struct Case {
        bool hole;
        int32_t axis;
        std::vector<std::string> want;  // the lines, as sets of triangles in record order
    };
    const std::string t134x = "          50.000           0.000          10.000           0.000           0.000          30.000           0.000          50.000           0.000";
    const std::string t134y = "           0.000          50.000          10.000           0.000           0.000          30.000          50.000           0.000           0.000";
    const std::string t421x = "           0.000          50.000           0.000          50.000          50.000          20.000          50.000           0.000          10.000";
    const std::string t421y = "          50.000           0.000           0.000          50.000          50.000          20.000           0.000          50.000          10.000";
    const Case cases[] = {{false, kTinTextXFirst, {t134x, t421x}},
                          {false, kTinTextYFirst, {t134y, t421y}},
                          {true, kTinTextXFirst, {t134x, t421x}}};
    for (const Case& c : cases) {
        InitDataModel();
        TwoTriangles(c.hole);
        const auto path = m_dir / "tin.TXT";
        ASSERT_EQ(WriteTinCoordinateText(path, c.axis), 0);
        const std::vector<std::string> lines = Read(path);
        ASSERT_EQ(lines.size(), 2u) << c.hole;
        for (const std::string& l : lines) EXPECT_EQ(l.size(), 144u);
        EXPECT_EQ(lines, c.want) << c.hole << " " << c.axis;
    }
}

TEST_F(TextOutputs, TinCommandMapsTheAxisDialog) {
    // "数学座標" puts Y first, "公共座標" X; a dialog closed otherwise writes nothing.
    struct Case {
        int32_t (*dialog)();
        const char* firstField;  // of the first line, or null for no file
    };
    const Case cases[] = {{[] { return kAxisMathematical; }, "           0.000"},
                          {[] { return kAxisSurvey; }, "          50.000"},
                          {[] { return 2; }, nullptr}};
    for (const Case& c : cases) {
        InitDataModel();
        TwoTriangles(false);
        const auto path = m_dir / "cmd.TXT";
        std::filesystem::remove(path);
        QueueFileDialogAnswer(path.string());
        OnTinCoordinateTextOutput(c.dialog);
        if (!c.firstField) {
            EXPECT_FALSE(std::filesystem::exists(path));
            continue;
        }
        const std::vector<std::string> lines = Read(path);
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0].substr(0, 16), c.firstField);
    }
}

TEST_F(TextOutputs, MeshFormsAndMissingNodes) {
    struct Case {
        int32_t missing, form;
        bool withMissing;
        std::vector<std::string> want;
    };
    const Case cases[] = {
        {0, kMeshTextComma, false,
         {"100.000,10.000,1.100", "200.000,10.000,2.100", "300.000,10.000,3.100", "100.000,20.000,1.200",
          "200.000,20.000,2.200", "300.000,20.000,3.200"}},
        {2, kMeshTextNumbered, false,
         {"1  100.000  10.000  1.100", "2  300.000  10.000  3.100", "3  100.000  20.000  1.200",
          "4  200.000  20.000  2.200", "5  300.000  20.000  3.200"}},
        {2, kMeshTextComma, true,
         {"100.000,10.000,1.100", "200.000,10.000,2.100", "300.000,10.000,3.100", "100.000,20.000,1.200",
          "200.000,20.000,2.200", "300.000,20.000,3.200"}},
    };
    for (const Case& c : cases) {
        Mesh(c.missing);
        const auto path = m_dir / "mesh.txt";
        ASSERT_EQ(WriteMeshElevationNodes(path, c.form, c.withMissing), 0);
        EXPECT_EQ(Read(path), c.want) << c.missing << " " << c.form;
    }
}

TEST_F(TextOutputs, MeshQuestionsChooseTheForm) {
    // The format dialog (0 comma; 1 or closed otherwise numbered), then Yes/No for missing.
    struct Case {
        int32_t dialog;
        int32_t answer;
        size_t lines;
        const char* first;
    };
    const Case cases[] = {{0, msg::kIdYes, 6, "100.000,10.000,1.100"},
                          {1, msg::kIdNo, 5, "1  200.000  10.000  2.100"},
                          {-1, msg::kIdNo, 5, "1  200.000  10.000  2.100"}};
    for (const Case& c : cases) {
        Mesh(1);
        MeshTextFormatDialogRunner() = [d = c.dialog] { return d; };
        QueueMessageAnswer(c.answer);
        const auto path = m_dir / "q.txt";
        ASSERT_EQ(WriteMeshElevationText(path), 0);
        const std::vector<std::string> lines = Read(path);
        ASSERT_EQ(lines.size(), c.lines);
        EXPECT_EQ(lines[0], c.first);
    }
}

TEST_F(TextOutputs, NothingToWriteAndFailedFiles) {
    // No TIN, no elevations: nothing asked, no file.
    const auto path = m_dir / "x.txt";
    EXPECT_EQ(WriteTinCoordinateText(path, 0), kTextOutNothing);
    Mesh(0);
    g_meshElevationsDone = 0;
    ClearRecordedMessages();
    EXPECT_EQ(WriteMeshElevationText(path), kTextOutNothing);
    EXPECT_TRUE(RecordedMessages().empty());
    EXPECT_FALSE(std::filesystem::exists(path));

    // Creation and write failures come back and are told by the commands.
    TwoTriangles(false);
    Mesh(0);
    EXPECT_EQ(WriteTinCoordinateText(m_dir / "no" / "x.txt", 0), kTextOutNotCreated);
    EXPECT_EQ(WriteMeshElevationNodes(m_dir / "no" / "x.txt", 0, true), kTextOutNotCreated);
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_EQ(WriteTinCoordinateText("/dev/full", 0), kTextOutWriteFailed);
        EXPECT_EQ(WriteMeshElevationNodes("/dev/full", 0, true), kTextOutWriteFailed);
    }
    ClearRecordedMessages();
    QueueFileDialogAnswer((m_dir / "no" / "m.txt").string());
    OnExportMeshElevationText();
    ASSERT_EQ(RecordedMessages().size(), 2u);  // the missing-node question, then the failure
    EXPECT_EQ(RecordedMessages()[1].text.rfind("ファイルが作成できませんでした。", 0), 0u);
}

}  // namespace
