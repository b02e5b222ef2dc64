#pragma once
// Contour lines from the TIN: the level loop, the walk of one level through the TIN, and
// the smoothing and writing of its chains into the contour work files.
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "contour/contour_files.h"
#include "model/record_block.h"

// Contour parameters besides the levels (the contour dialog edits them).
extern double g_contourSmoothness;
extern double g_contourLevelTolerance;  // added to each level before tracing
extern int32_t g_contourMethod;         // 0 straight, 1 B-spline smoothing, 2 spline through

// A zero-filled work array whose memory is only taken up where it is used: the arrays are
// sized for the worst case (the smoothing output for ten times every point) and a run
// mostly touches a small part.
template <typename T>
class ContourArray {
    static_assert(std::is_trivial_v<T>, "zero bytes are a value");

public:
    ContourArray() = default;
    ContourArray(const ContourArray&) = delete;
    ContourArray(ContourArray&& other) noexcept { Swap(other); }
    ContourArray& operator=(ContourArray&& other) noexcept {
        Swap(other);
        return *this;
    }
    ~ContourArray() { std::free(m_data); }

    // False when the memory cannot be had. Fresh zero pages from calloc cost nothing until
    // they are written.
    bool Assign(size_t n) {
        std::free(m_data);
        m_data = nullptr;
        m_size = 0;
        if (n == 0) return true;
        if (TakeInjectedAllocationFailure()) return false;
        m_data = static_cast<T*>(std::calloc(n, sizeof(T)));
        if (!m_data) return false;
        m_size = n;
        return true;
    }
    T& operator[](size_t i) { return m_data[i]; }
    const T& operator[](size_t i) const { return m_data[i]; }
    size_t size() const { return m_size; }

private:
    void Swap(ContourArray& other) noexcept {
        std::swap(m_data, other.m_data);
        std::swap(m_size, other.m_size);
    }

    T* m_data = nullptr;
    size_t m_size = 0;
};

struct ContourTraceIndex;

// The work arrays of one calculation, numbered from 1.
struct ContourWorkspace {
    ContourArray<int32_t> crossingKind;  // 1 strict, 2 end on the level; negative once used
    ContourArray<int32_t> crossingEdge;
    ContourArray<double> traceX, traceY;
    ContourArray<int32_t> tracePen;  // 3 a chain starts here, 2 draw
    ContourArray<int32_t> traceEndA, traceEndB;
    int32_t traceCount = 0;
    int32_t traceLimit = 0;  // the trace holds fewer than this many vertices
    ContourArray<double> smoothX, smoothY;
    bool linearScan = false;  // test all edges and scan all crossings (tests compare)
    int32_t smoothLimit = 0;
    int32_t lineLimitHits = 0;  // lines cut short at smoothLimit (the caller says so)

    double& Knot(int32_t i) { return knotValues[i + 3]; }
    std::vector<double> knotValues;
    std::vector<double> segmentLength;  // of the line being smoothed

    // Sizes the arrays for the current point and TIN capacities; false when they cannot
    // be had.
    bool Allocate();
    // The two halves of Allocate: without the smoothing buffers only straight lines
    // (method 0) can be written.
    bool AllocateTrace();
    bool AllocateSmoothing();

    // What the walk looks up, made with the first level.
    ContourTraceIndex& TraceIndex();
    std::shared_ptr<ContourTraceIndex> traceIndex;
};

extern ContourWorkspace* g_contourWorkspace;

// Traces level w into the workspace's trace arrays: 0, or -1 when they are full.
int32_t TraceContourLevel(ContourWorkspace& ws, double w);
// The same without marking the data changed for the painter: for the calculation's
// worker threads (the calculation marks it).
int32_t TraceContourLevelUnmarked(ContourWorkspace& ws, double w);
// Gives `to` the edge index of the current TIN that `from` holds (made now if need be),
// so the workspaces of one calculation make it once. Not while either traces.
void ShareContourEdgeIndex(ContourWorkspace& from, ContourWorkspace& to);

// Cuts the trace into polylines, smooths them by method and appends them at `level`. A
// line cut short at smoothLimit counts in lineLimitHits.
void WriteContourLevel(ContourWorkspace& ws, double level, ContourFileWriter& out, int32_t method,
                       double smoothness);

// Smooths the polyline px/py[0..s] by method 1 or 2 into smoothX/Y[1..count]; returns
// count (0 for another method or fewer than 2 segments).
int32_t SmoothContourPolyline(ContourWorkspace& ws, const double* px, const double* py, int32_t s,
                              bool closed, int32_t method, double smoothness);

void BuildKnotVector(ContourWorkspace& ws, int32_t n, bool closed);
// Samples the B-spline on the control points px/py[0..n] into smoothX/Y[1..m].
void SampleBSpline(ContourWorkspace& ws, const double* px, const double* py, int32_t n, bool closed,
                   int32_t m);
// The knot interval d of u and the cubic basis values N(d-3)..N(d) into basis[0..3].
int32_t EvalBSplineBasis(ContourWorkspace& ws, double u, int32_t n, double basis[4]);
// Interpolating spline through px/py[0..last]; writes smoothX/Y[1..count], returns count.
// Stopped at smoothLimit vertices, the line counts in lineLimitHits.
int32_t FitSplineThroughPoints(ContourWorkspace& ws, const double* px, const double* py,
                               int32_t last, bool closed, double length, int32_t steps);

// A level traced exactly through points would have to go round them, which the walk does
// not do soundly: a tolerance of 0 is refused.
bool ContourToleranceUsable(double tolerance);
inline constexpr char kContourToleranceMessage[] =
    "標高値許容誤差には0以外の数値を入力してください。";

enum class ContourCalcResult {
    kDone,
    kNoTin,
    kCancelled,  // the replace-or-add question or the many-levels question said no
    kNoMemory,
    kBadInterval,  // levels that cannot be stepped through (said)
    kNoLevel,      // no level inside the points' elevations (said)
    kFileError,
    kStopped,  // stopping confirmed; the lines so far stay
    kBusy,     // a calculation or another long operation is running
};

// Above this many levels the calculation says how many and asks before it starts.
constexpr int64_t kContourLevelsAskAbove = 5000;

// Answer of the replace-or-add question: 2 replace, 1 add, anything else cancels.
using ContourReplaceQuestion = std::function<int()>;
void SetContourReplaceQuestion(ContourReplaceQuestion question);

// One contour calculation with line method `method`. Level k is g_contourMinZ + k times
// g_contourInterval; the levels traced are those within g_contourMaxZ and the points'
// elevations (g_pointZMin..g_pointZMax).
ContourCalcResult CalcContours(int32_t method);
// The levels skipped by the last calculation because their trace did not fit.
const std::vector<double>& SkippedContourLevels();

// Threads that work out the levels of a calculation: 0 chooses by the machine, 1 works
// every level on the calling thread. The files are the same either way.
void SetContourThreads(int32_t threads);
