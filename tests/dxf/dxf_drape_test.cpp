// Laying the background drawing onto the TIN.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "../support/jacksboro_grid.h"
#include "dxf/dxf_drape.h"
#include "dxf/dxf_store.h"
#include "dxf_test_support.h"
#include "model/terrain_data.h"
#include "pointedit/edit_point.h"
#include "shell/status_text.h"
#include "view/view_state.h"
#include "view/view_transform.h"

namespace {

class DxfDrape : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        SetStatusTextHandler([this](const std::string& text) { m_texts.push_back(text); });
    }
    void TearDown() override {
        SetStatusTextHandler(nullptr);
        ReleaseDataModel();
    }
    static int32_t Add(uint8_t pen, double north, double east, double z) {
        DxfTarget target = DXF_TARGET_ENTITIES;
        EXPECT_EQ(EnsureDxfCapacity(target, 1), 1);
        DxfElement& e = AppendDxfRecord(target);
        std::memset(&e, 0, sizeof e);
        e.pen = pen;
        e.x = e.sourceX = north;
        e.y = e.sourceY = east;
        e.z = z;
        return g_dxfElementCount;
    }
    std::vector<std::string> m_texts;
};

TEST_F(DxfDrape, ProgressEveryTwoHundredAndOneElements) {
    struct Row {
        int32_t count;
        std::vector<std::string> texts;
    };
    const Row rows[] = {
        {0, {}},
        {150, {"完了"}},
        {202, {"計算中・・・     202/     202", "完了"}},
        {500, {"計算中・・・     202/     500", "計算中・・・     403/     500", "完了"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.count);
        InitDataModel();
        m_texts.clear();
        g_dataBaseZ = -7.25;  // no TIN: every element is off it
        for (int32_t i = 0; i < r.count; ++i) Add(i % 2 ? DXF_PEN_DRAW : DXF_PEN_MOVE, i, -i, 99);
        DrapeDxfOnTin(true);
        EXPECT_EQ(m_texts, r.texts);
        for (int32_t i = 1; i <= g_dxfElementCount; ++i) ASSERT_EQ(g_dxfElementsBlock.Data()[i].z, -7.25);
    }
    m_texts.clear();
    DrapeDxfOnTin(false);
    EXPECT_TRUE(m_texts.empty()) << "no status bar, no text";
}

using namespace jacksboro_grid;

// A polyline written by ezdxf through 200 grid nodes, read and draped: each vertex takes
// its node's surveyed elevation; a line outside the grid takes the lowest one.
TEST_F(DxfDrape, JacksboroPolylineTakesTheNodeElevations) {
    if (!dxftest::HaveEzdxf()) GTEST_SKIP() << "python3-ezdxf is missing: run scripts/install-deps.sh";
    LoadWithTin();
    std::vector<int32_t> nodes;
    for (int32_t k = 0; k < 200; ++k) nodes.push_back(Node(5 + k, 10 + (k * 37) % 380));
    double lowest = g_points[1].z;
    double minNorth = g_points[1].x, minEast = g_points[1].y;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        lowest = std::min(lowest, g_points[i].z);
        minNorth = std::min(minNorth, g_points[i].x);
        minEast = std::min(minEast, g_points[i].y);
    }

    const auto dir = dxftest::ScratchDir("drape");
    const auto script = dir / "polyline.py";
    const auto drawing = dir / "polyline.dxf";
    std::string py = "import sys, ezdxf\ndoc = ezdxf.new('R2000')\nmsp = doc.modelspace()\npts = [";
    char buffer[96];
    for (int32_t n : nodes) {
        std::snprintf(buffer, sizeof buffer, "(%.17g, %.17g),", g_points[n].y, g_points[n].x);
        py += buffer;
    }
    std::snprintf(buffer, sizeof buffer, "%.17g, %.17g", minEast - 50, minNorth - 50);
    py += "]\nmsp.add_lwpolyline(pts)\nmsp.add_line((" + std::string(buffer) + ", 4), (" +
          std::string(buffer) + ", 9))\ndoc.saveas(sys.argv[1])\n";
    dxftest::WriteBytes(script, py);
    ASSERT_TRUE(dxftest::RunCommand("/usr/bin/python3 " + script.string() + " " + drawing.string()));
    ASSERT_EQ(ReadBackgroundDxf(drawing.string()), kDxfReadDone);
    std::filesystem::remove_all(dir);
    ASSERT_EQ(g_dxfElementCount, 202);

    ComputeDataExtents(0);
    ASSERT_EQ(g_dataBaseZ, lowest);
    g_editPoint.z = 123.5;
    std::strcpy(g_editPoint.name, "keep");
    m_texts.clear();
    DrapeDxfOnTin(true);
    const DxfElement* e = g_dxfElementsBlock.Data();
    for (int32_t k = 0; k < 200; ++k) {
        SCOPED_TRACE(k);
        const RandomPoint& p = g_points[nodes[k]];
        ASSERT_NEAR(e[k + 1].x, p.x, 1e-6);
        ASSERT_NEAR(e[k + 1].y, p.y, 1e-6);
        EXPECT_NEAR(e[k + 1].z, p.z, 0.0005);
    }
    EXPECT_EQ(e[201].z, lowest);
    EXPECT_EQ(e[202].z, lowest);
    EXPECT_EQ(g_editPoint.z, 123.5);
    EXPECT_STREQ(g_editPoint.name, "keep");
    EXPECT_EQ(m_texts, (std::vector<std::string>{"計算中・・・     202/     202", "完了"}));
}

}  // namespace
