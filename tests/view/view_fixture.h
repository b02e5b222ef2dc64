#pragma once
// A clean data model and a plan view of 801 x 601 pixels for every view test.
#include <gtest/gtest.h>

#include <cstdio>

#include "model/terrain_data.h"
#include "view/color_band_params.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

class ViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        g_bufferMaxX = 800;
        g_bufferMaxY = 600;
        g_viewportCenterX = 400;
        g_viewportCenterY = 300;
        g_viewCenterX = g_viewCenterY = 0;
        g_viewScale = 1;
        g_birdsEyeOn = 0;
        g_birdsEyeAzimuth = 0;
        g_birdsEyeTilt = -0.2;
        g_heightScale = 1;
        g_extentCenterX = g_extentCenterY = g_extentCenterZ = 0;
        g_extentSize = 100;
        g_overviewExtent = 0;
        g_pointColorMode = 0;
        g_redrawMask = 0;
        g_projectionValid = 0;
        g_horzScrollInfo = g_vertScrollInfo = ScrollInfo{};
    }
    void TearDown() override {
        SetViewRepaintHandler(nullptr);
        ReleaseDataModel();
    }

    // Appends a point and moves the end marker.
    static int32_t AddPoint(double x, double y, double z, const char* name = "") {
        EXPECT_EQ(EnsurePointCapacity(g_pointCount + 1), 0);
        const int32_t i = ++g_pointCount;
        RandomPoint& p = g_points[i];
        p = RandomPoint{};
        p.x = x;
        p.y = y;
        p.z = z;
        std::snprintf(p.name, sizeof p.name, "%s", name);
        SetPointEndMarker();
        g_pointsPresent = -1;
        return i;
    }
};
