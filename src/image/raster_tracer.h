#pragma once
// Follows one drawn line of a scanned drawing (the main background image) from a clicked
// pixel: probes 256 directions, steps along the one in which the pixels differ longest
// from the paper colour, and records every step as a ground point.
//
// Image coordinates: column x from the left, row y from the bottom row (the first row in
// memory). Direction k (0..255) points at angle k * 2pi/256 from +x towards +y.
#include <cstdint>

#include "model/corner_mapping.h"

constexpr int32_t MAX_TRACE_VERTEX = 500;

class RasterTracer {
public:
    // Borrowed pixels of the main image, valid for one click only; null otherwise.
    const uint8_t* m_bits = nullptr;
    int32_t m_width = 0;
    int32_t m_height = 0;
    int32_t m_bitsPerPixel = 0;  // 1, 8 or 32
    int32_t m_lastColour[3] = {};  // blue, green, red of the pixel ReadPixel read last
    int32_t backgroundColour[3] = {};  // blue, green, red of the paper
    int32_t m_stride = 0;
    // 1-bit images: 0 set bits are paper, otherwise clear bits are paper. ReadPixel
    // overwrites it with the raw value of 8- and 32-bit pixels.
    int32_t backgroundBit = 0;
    int32_t m_found = 0;
    int32_t threshold = 80;
    int32_t direction = -1;
    int32_t m_startX = 0, m_startY = 0;
    int32_t m_nextX = 0, m_nextY = 0;
    int32_t vertexCount = 0;  // index of the last vertex; 0: no line held
    int32_t branchDirection = -1;
    int32_t cells[32] = {};
    CornerMapping m_mapping;
    // Vertex i is (m_east[i], m_north[i]); the entry after the last vertex is zeroed by
    // every trace (the re-add key relies on it).
    double m_east[MAX_TRACE_VERTEX + 2] = {};
    double m_north[MAX_TRACE_VERTEX + 2] = {};

    void Reset();
    void AttachImage(const uint8_t* bits, int32_t width, int32_t height, int32_t stride);
    void SetCornerMapping(double ulEast, double ulNorth, double urEast, double urNorth,
                          double llEast, double llNorth, double lrEast, double lrNorth);
    void PixelToGround(double x, double y, double& east, double& north) const;
    // Unit-square position of a ground point; false (u, v = 0) when the corners give none.
    bool GroundToImage(double east, double north, double& u, double& v) const;
    // The pixel under a ground point (truncated u * width, v * height).
    void GroundToPixel(double east, double north, int32_t& x, int32_t& y) const;

    int32_t ReadPixel(int32_t x, int32_t y);
    int32_t ColorDistance(int32_t x, int32_t y, int32_t kernel) const;
    int32_t ProbeLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t group);
    int32_t FindStartDirection(int32_t x, int32_t y, int32_t group);
    int32_t FindNextDirection(int32_t x, int32_t y, int32_t group, int32_t current);
    int32_t SetDirectionTowards(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
    int32_t TraceFromStart(int32_t fine);
    int32_t ExtendTrace(int32_t x, int32_t y, int32_t fine);
    int32_t FindSelfCrossing() const;
    int32_t OrientTowards(double east, double north);
    int32_t CutAtNearest(double east, double north);
    int32_t RemoveNearest(double east, double north);
    double PolylineLength(int32_t n) const;
    double TurnAngleAt(int32_t i) const;
    int32_t VertexAt(int32_t i, double& east, double& north) const;
    double PointAtDistance(double s, double& east, double& north) const;

private:
    // Run length and ink sum of the probe now in `cells`.
    void ProbeRun(int32_t& run, int32_t& sum) const;
    int32_t NearestVertex(double east, double north) const;
    void ContinueTrace(int32_t fine);
    int32_t m_run[256] = {};
    int32_t m_sum[256] = {};
};

extern RasterTracer g_rasterTracer;
