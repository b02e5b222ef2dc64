#pragma once
// The grid description shared by the published elevation-mesh layouts (the GML encoding
// and the older one): the envelope in degrees, the cell range, the start cell, and the
// walk over the cells, west to east and north to south.
#include <cstdint>
#include <string_view>

#include "exchange/dem_xml.h"

class MeshGridWalk {
public:
    enum class Step {
        kNotGrid,    // the element does not describe the grid
        kTaken,
        kEnvelope,   // a corner of the envelope is now known: the zone can be found from it
        kCellRange,  // the cell range is complete: call SetUp
        kStart,      // the walk restarts at the file's start cell (only once there is a grid)
    };
    enum class SetUpResult { kOk, kBadRange, kNoEnvelope, kZoneRefused };

    // A mesh opens: its values start at the north-west cell.
    void OpenMesh() {
        m_c = 1;
        m_r = 1;
    }
    void OpenElement(std::string_view name);
    Step CloseElement(std::string_view name, std::string_view text);

    // Projects the envelope into `zone` over the cell range read. kZoneRefused has been
    // told by the projection.
    SetUpResult SetUp(int32_t zone, int32_t useWorldDatum);
    bool HaveGrid() const { return m_haveGrid; }

    // Centre of the current cell; the walk then moves on to the next one.
    void NextCellCentre(double& x, double& y);

    double LowerLatitude() const { return m_lowerLat; }
    double LowerLongitude() const { return m_lowerLon; }
    int64_t CellCount() const { return m_cellCount; }

private:
    bool m_startPending = false;
    bool m_haveGrid = false;
    int32_t m_coordValues = 0;
    double m_lowerLat = 0, m_lowerLon = 0, m_upperLat = 0, m_upperLon = 0;
    int32_t m_lowC = 0, m_lowR = 0, m_highC = 0, m_highR = 0;
    int32_t m_c = 1, m_r = 1;
    int64_t m_cellCount = 0;
    MeshGrid m_grid;
};

// Two numbers separated by blanks, as in "35.7 139.6625"; a value that is not finite
// reads as 0.
void MeshTwoNumbers(std::string_view text, double& a, double& b);
