#include "model/tin_grid_builder.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "model/grid_walk.h"
#include "model/point_in_outline.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "model/tin_build_support.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/quiet_mode.h"
#include "shell/status_text.h"
#include "shell/tool_mode.h"
#include "view/view_state.h"

double g_dupTolerance = 0.001;
double g_tinEpsilon = 2e-7;
double g_tinEpsilonSquared = 2e-7 * 2e-7;
double g_tinEpsilonNegative = -2e-7;

double TinEpsilonForDupTolerance(double dupTolerance) {
    if (dupTolerance == 0.001) return 2e-7;
    double x = std::fabs(dupTolerance + 0.0005);
    if (!std::isfinite(x)) return 2e-7;
    while (x > 5e-7) x *= 0.08;
    return x;
}

namespace {

// The side being worked on is marked in the view.
void SetPickedPoints(int32_t first, int32_t second) {
    g_pickedPoint = first;
    g_pickedPoint2 = second;
}

void RepaintMainWindow() { InvalidateAndUpdateView(); }

void RequestFullRedraw() { g_redrawMask = -1; }

bool InPartialTinState() { return g_outlineEditState == OUTLINE_EDIT_PARTIAL_TIN; }

constexpr int32_t kMinGridCells = 400;
constexpr double kNoValue = 1e32;
constexpr double kSideMargin = 1e-3;  // cells

// Sets the tie tolerance for one build and puts the previous values back however it ends.
class TinEpsilonScope {
public:
    explicit TinEpsilonScope(double epsilon)
        : m_saved(g_tinEpsilon), m_savedSquared(g_tinEpsilonSquared), m_savedNegative(g_tinEpsilonNegative) {
        g_tinEpsilon = epsilon;
        g_tinEpsilonSquared = epsilon * epsilon;
        g_tinEpsilonNegative = -epsilon;
    }
    ~TinEpsilonScope() {
        g_tinEpsilon = m_saved;
        g_tinEpsilonSquared = m_savedSquared;
        g_tinEpsilonNegative = m_savedNegative;
    }

private:
    double m_saved, m_savedSquared, m_savedNegative;
};

double Cross(double ax, double ay, double bx, double by, double px, double py) {
    return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
}

class TinGridBuilder {
public:
    TinBuildResult Run(bool* openedWindow);

private:
    // The builder works on its own numbers of the points: the binned points by cell, in point
    // order within a cell, then the outline vertices that were not binned. Neighbours in the
    // TIN are then mostly neighbours in the work arrays. The records keep the point numbers.
    struct Coordinates {
        double x;
        double y;
    };
    struct PointWork {
        int32_t headA;  // newest record that starts at the point
        int32_t headB;  // newest record that ends at it
        int32_t open;   // its records whose search side is still open
        int32_t slot;   // its place in the entries (binned points)
    };
    // RowOf and ColumnOf of a point (the grid has at most 32768 cells a side).
    struct CellPlace {
        uint16_t row;
        uint16_t column;
    };
    struct RecordWork {
        int32_t nextA;  // next record with the same A
        int32_t nextB;  // next record with the same B
        int32_t a, b;   // its ends: look-ups along the lists need not read the records
    };
    // The newest records between a new apex E and the ends A, B of the side it closes.
    struct ApexSides {
        int32_t ea = 0, ae = 0, eb = 0, be = 0;
    };
    // The ends and back apex (-1 none) of a record not yet visited, in the builder's numbers.
    struct PendingRecord {
        int32_t a;
        int32_t b;
        int32_t back;
    };

    bool CheckOutline();
    void AllocateWork();
    void BinPointsIntoGrid();
    int InitFrontFromOutline();
    TinBuildResult AdvanceTinFrontGrid();

    void RegisterTinEdge(int32_t record, int32_t a, int32_t b);
    void CloseRecord(int32_t record, int32_t apex, int32_t a, int32_t b);
    ApexSides FindApexSides(int32_t e, int32_t a, int32_t b) const;
    int32_t AppendRecord(int32_t a, int32_t b, int32_t apexBack);
    void Enqueue(int32_t record, int32_t a, int32_t b, int32_t back);
    bool EnsureRoom();

    int32_t RowOf(double x) const;
    int32_t ColumnOf(double y) const;
    // The cells are stored in tiles of 8 x 8, so the cells around a point share few cache
    // lines whichever way the front moves.
    int32_t Cell(int32_t row, int32_t column) const {
        return ((row >> 3) * m_tiles + (column >> 3)) * 64 + (row & 7) * 8 + (column & 7);
    }

    void SetUpSearch(int32_t a, int32_t b);
    int32_t Search();
    void InitialCellRect();
    bool NextCellRing();
    void ScanRow(int32_t row, int32_t cFrom, int32_t cTo);
    void ScanColumn(int32_t column, int32_t rFrom, int32_t rTo);
    bool CellMayHoldCandidate(int32_t row, int32_t column) const;
    bool CircleInsideSearchBox() const;
    void ScanCell(int32_t row, int32_t column);
    // The rare part of ScanCell: a point that ties with the best or beats it.
    [[gnu::noinline]] void Consider(int32_t p, double q);
    void Take(int32_t p, double q);
    void UpdateReach();
    bool CandidateCrossesTin(int32_t p);
    bool SegmentCrossesNewSides(int32_t s, int32_t t) const;
    bool PreferByEdgeAngle(int32_t p, int32_t e) const;
    bool NewSideCrossesOutline(int32_t a, int32_t b, int32_t p) const;
    bool SideCrossesOutlineSide(int32_t i, int32_t x, int32_t p) const;
    void IndexOutlineSides();
    void CountPointsInCircumcircle(int32_t p, int32_t record);
    void MarkPointIfSurrounded(int32_t p);
    void DropFromCell(int32_t p);

    bool Poll();
    void PublishFinishedMarks();
    void ResetFinishedMarks();
    TinBuildResult Complete();
    TinBuildResult Stop();
    TinBuildResult LimitStop();
    TinBuildResult NoCandidate(int32_t a, int32_t b);

    // Outline.
    int32_t m_outlineCount = 0;
    std::vector<int32_t> m_outline;  // 1..n, [n+1] = [1]

    // Grid.
    int32_t m_dim = kMinGridCells;
    int32_t m_tiles = 0;  // tiles per row
    double m_lowX = 0, m_lowY = 0, m_cellX = 1, m_cellY = 1, m_diag = 1;
    // The run of each cell in m_entries, by Cell(), and the end: a search reads both words of
    // a cell together.
    struct CellRun {
        int32_t start;  // running offset into m_entries
        int32_t live;   // live points at the start of the run
    };
    TinWorkArray<CellRun> m_cells;
    // Cells with live points, one bit each, by row and by column: the rings of a search pass
    // over empty cells a word at a time.
    int32_t m_words = 0;  // words per row or column
    std::vector<uint64_t> m_rowBits, m_columnBits;
    TinWorkArray<int32_t> m_entries;  // the binned points by cell, live ones first in each run
    TinWorkArray<int32_t> m_sideStart;  // dim*dim + 1 offsets into m_sides
    std::vector<int32_t> m_sides;      // outline positions by the cells their sides pass
    std::vector<uint64_t> m_sideBits;  // cells with sides, one bit each, by row

    // Points in the builder's numbers 0..m_points-1, m_binned of them binned.
    int32_t m_points = 0, m_binned = 0;
    TinWorkArray<int32_t> m_number;    // point number of each
    TinWorkArray<int32_t> m_ownIndex;  // by point number: the builder's number, -1 none
    TinWorkArray<Coordinates> m_xy;
    TinWorkArray<CellPlace> m_place;
    TinWorkArray<PointWork> m_work;
    TinWorkArray<uint8_t> m_finished;  // the outside byte 2 of a finished point, until published

    // Records by end point: lists through m_records.
    TinWorkArray<RecordWork> m_records;  // [0] unused
    int32_t m_count = 0;
    // The records from the one being visited to the last, in a ring by record number.
    std::vector<PendingRecord> m_pending;
    int32_t m_visit = 1;

    // Search state of the current open record A->B.
    int32_t m_a = 0, m_b = 0;
    double m_xa = 0, m_ya = 0, m_xb = 0, m_yb = 0, m_xm = 0, m_ym = 0;
    double m_h = 0, m_h2 = 0;
    double m_nx = 0, m_ny = 0;  // (YB - YA, XA - XB): normal towards the search side, length 2h
    double m_ux = 0, m_uy = 0, m_vx = 0, m_vy = 0;  // unit vectors along AB and along the normal
    int32_t m_e = -1;  // -1 none
    double m_best = kNoValue;
    double m_bound = kNoValue;
    double m_reach = kNoValue;  // farthest distance from M of the best circle's search side
    int32_t m_numberA = 0, m_numberB = 0, m_candidate = 0;  // point numbers, for the ties
    int32_t m_r0 = 0, m_c0 = 0, m_r1 = 0, m_c1 = 0, m_ring = 0;
    double m_boxLowX = 0, m_boxHighX = 0, m_boxLowY = 0, m_boxHighY = 0;
    bool m_visibleOnly = false;  // skip points whose new sides would cross the outline

    // Run state.
    int32_t m_singleCellHits = 0;
    uint32_t m_start = 0;
    TinBuildPoll m_poll{0};
};

// ---- set-up ----

bool TinGridBuilder::CheckOutline() {
    if (!CopyOutlineForBuild(m_outline, m_outlineCount)) return false;
    const int32_t n = m_outlineCount;
    for (int32_t i = 1; i <= n; ++i) {
        if (m_outline[i] == m_outline[i + 1]) {
            SetPickedPoints(m_outline[i], 0);
            ShowMessage("外周に重複点があります", "", msg::kOk | msg::kIconInformation | msg::kSystemModal);
            RepaintMainWindow();
            return false;
        }
    }
    InsertPointsOnOutlineSides(m_outline, m_outlineCount);
    return true;
}

void TinGridBuilder::AllocateWork() {
    int64_t usable = 0;
    for (int32_t p = 1; p <= g_pointCount; ++p)
        if (g_points[p].invalid == 0 && g_points[p].outside == 0) ++usable;
    // About two points per cell on large sets keeps a search to a few cells.
    m_dim = std::max<int32_t>(kMinGridCells, static_cast<int32_t>(std::ceil(std::sqrt(usable / 2.0))));
    m_tiles = (m_dim + 7) / 8;
    const size_t cells = static_cast<size_t>(m_tiles) * m_tiles * 64;
    const size_t points = static_cast<size_t>(usable) + m_outlineCount;
    m_cells.assign(cells + 1, CellRun{0, 0});
    m_entries.reserve(static_cast<size_t>(usable));
    m_ownIndex.assign(static_cast<size_t>(g_pointCount) + 1, -1);
    m_number.reserve(points);
    m_xy.reserve(points);
    m_place.reserve(points);
    m_work.reserve(points);
    m_finished.reserve(points);
    // A triangulation has fewer than three lines per point.
    m_records.reserve(3 * points + 8);
    m_pending.assign(std::bit_ceil(static_cast<size_t>(std::max(1024, 2 * m_outlineCount))), PendingRecord{});
    m_words = (m_dim + 63) / 64;
    m_rowBits.assign(static_cast<size_t>(m_dim) * m_words, 0);
    m_columnBits.assign(static_cast<size_t>(m_dim) * m_words, 0);
    m_sideBits.assign(static_cast<size_t>(m_dim) * m_words, 0);
}

int32_t TinGridBuilder::RowOf(double x) const {
    int32_t r = CellIndex((x - m_lowX) / m_cellX, m_dim - 1);
    // Agree with the grid lines the search box is made of.
    if (r > 0 && x < m_lowX + r * m_cellX) --r;
    else if (r < m_dim - 1 && x >= m_lowX + (r + 1) * m_cellX) ++r;
    return r;
}

int32_t TinGridBuilder::ColumnOf(double y) const {
    int32_t c = CellIndex((y - m_lowY) / m_cellY, m_dim - 1);
    if (c > 0 && y < m_lowY + c * m_cellY) --c;
    else if (c < m_dim - 1 && y >= m_lowY + (c + 1) * m_cellY) ++c;
    return c;
}

void TinGridBuilder::BinPointsIntoGrid() {
    double minX = g_points[m_outline[1]].x, maxX = minX;
    double minY = g_points[m_outline[1]].y, maxY = minY;
    for (int32_t i = 2; i <= m_outlineCount; ++i) {
        const RandomPoint& v = g_points[m_outline[i]];
        minX = std::min(minX, v.x);
        maxX = std::max(maxX, v.x);
        minY = std::min(minY, v.y);
        maxY = std::max(maxY, v.y);
    }
    const double padX = (maxX - minX) * 0.001 + 1.0;
    const double padY = (maxY - minY) * 0.001 + 1.0;
    m_lowX = minX - padX;
    m_lowY = minY - padY;
    m_cellX = (maxX - minX + 2 * padX) / m_dim;
    m_cellY = (maxY - minY + 2 * padY) / m_dim;
    m_diag = std::sqrt(m_cellX * m_cellX + m_cellY * m_cellY);

    // The cell of each binned point waits in m_ownIndex until the points are numbered.
    for (int32_t p = 1; p <= g_pointCount; ++p) {
        const RandomPoint& pt = g_points[p];
        if (pt.invalid != 0 || pt.outside != 0) continue;
        const double fr = (pt.x - m_lowX) / m_cellX, fc = (pt.y - m_lowY) / m_cellY;
        if (!(fr >= 0 && fr < m_dim && fc >= 0 && fc < m_dim)) continue;
        const int32_t cell = Cell(RowOf(pt.x), ColumnOf(pt.y));
        m_ownIndex[p] = cell;
        ++m_cells[cell].live;
    }
    const size_t cells = m_cells.size() - 1;
    for (size_t c = 0; c < cells; ++c) {
        m_cells[c + 1].start = m_cells[c].start + m_cells[c].live;
        m_cells[c].live = 0;
    }
    m_binned = m_cells[cells].start;
    m_entries.resize(m_binned);
    m_number.resize(m_binned);
    m_xy.resize(m_binned);
    m_place.resize(m_binned);
    for (int32_t p = 1; p <= g_pointCount; ++p) {
        const int32_t cell = m_ownIndex[p];
        if (cell < 0) continue;
        const int32_t slot = m_cells[cell].start + m_cells[cell].live++;
        m_number[slot] = p;
        m_xy[slot] = Coordinates{g_points[p].x, g_points[p].y};
        m_ownIndex[p] = slot;
    }
    // The rest follows the slots in order: scattered writes are what a large set pays for.
    for (int32_t i = 0; i < m_binned; ++i) m_entries[i] = i;
    for (size_t cell = 0; cell < cells; ++cell) {
        const CellRun run = m_cells[cell];
        if (run.live == 0) continue;
        const size_t tile = cell / 64, inTile = cell % 64;
        const CellPlace place{static_cast<uint16_t>(tile / m_tiles * 8 + inTile / 8),
                              static_cast<uint16_t>(tile % m_tiles * 8 + inTile % 8)};
        std::fill(m_place.begin() + run.start, m_place.begin() + run.start + run.live, place);
    }
    m_work.resize(m_binned, PointWork{0, 0, 0, 0});
    for (int32_t i = 0; i < m_binned; ++i) m_work[i].slot = i;
    m_finished.assign(m_binned, 0);
    // Outline vertices that were not binned still end records.
    for (int32_t i = 1; i <= m_outlineCount; ++i) {
        const int32_t p = m_outline[i];
        if (m_ownIndex[p] >= 0) continue;
        m_ownIndex[p] = static_cast<int32_t>(m_number.size());
        m_number.push_back(p);
        m_xy.push_back(Coordinates{g_points[p].x, g_points[p].y});
        m_place.push_back(CellPlace{static_cast<uint16_t>(RowOf(g_points[p].x)),
                                    static_cast<uint16_t>(ColumnOf(g_points[p].y))});
        m_work.push_back(PointWork{0, 0, 0, -1});
        m_finished.push_back(g_points[p].outside == 2);
    }
    m_points = static_cast<int32_t>(m_number.size());
    for (int32_t r = 0; r < m_dim; ++r) {
        for (int32_t c = 0; c < m_dim; ++c) {
            if (m_cells[Cell(r, c)].live == 0) continue;
            m_rowBits[static_cast<size_t>(r) * m_words + c / 64] |= uint64_t{1} << (c % 64);
            m_columnBits[static_cast<size_t>(c) * m_words + r / 64] |= uint64_t{1} << (r % 64);
        }
    }
}

int TinGridBuilder::InitFrontFromOutline() {
    // All-zero records; the pages of a large block go back to the system zeroed, so the
    // build touches only the records it writes.
    g_tinEdgesBlock.Zero(1, std::min(g_tinEdgeCapacity, g_tinEdgesBlock.Size()));
    for (int32_t i = 1; i <= m_outlineCount; ++i) {
        g_tinEdges[i] = TinEdge{m_outline[i], m_outline[i + 1], kNoApex, 0, 1};
    }
    m_count = m_outlineCount;
    g_tinEdgeCount = m_count;
    SetTinEndRecord();
    m_records.assign(1, RecordWork{0, 0, -1, -1});
    m_visit = 1;
    for (int32_t i = 1; i <= m_outlineCount; ++i) {
        const int32_t a = m_ownIndex[m_outline[i]], b = m_ownIndex[m_outline[i + 1]];
        RegisterTinEdge(i, a, b);
        Enqueue(i, a, b, -1);
    }
    // From here on the records carry the builder's numbers along.
    TinWorkArray<int32_t>().swap(m_ownIndex);
    return 0;
}

// ---- records ----

// Records are registered in increasing order.
void TinGridBuilder::RegisterTinEdge(int32_t record, int32_t a, int32_t b) {
    m_records.push_back(RecordWork{m_work[a].headA, m_work[b].headB, a, b});
    m_work[a].headA = record;
    m_work[b].headB = record;
    if (g_tinEdges[record].apexSearch == 0) {
        ++m_work[a].open;
        ++m_work[b].open;
    }
}

void TinGridBuilder::CloseRecord(int32_t record, int32_t apex, int32_t a, int32_t b) {
    TinEdge& r = g_tinEdges[record];
    if (r.apexSearch == 0) {
        --m_work[a].open;
        --m_work[b].open;
    }
    r.apexSearch = apex;
}

// All four through E's two lists, newest first as along the lists of A and B.
TinGridBuilder::ApexSides TinGridBuilder::FindApexSides(int32_t e, int32_t a, int32_t b) const {
    ApexSides found;
    for (int32_t r = m_work[e].headA; r != 0; r = m_records[r].nextA) {
        const int32_t other = m_records[r].b;
        if (other == a && found.ea == 0) found.ea = r;
        else if (other == b && found.eb == 0) found.eb = r;
    }
    for (int32_t r = m_work[e].headB; r != 0; r = m_records[r].nextB) {
        const int32_t other = m_records[r].a;
        if (other == a && found.ae == 0) found.ae = r;
        else if (other == b && found.be == 0) found.be = r;
    }
    return found;
}

// Room for two more records and the end record; false when the block cannot grow.
bool TinGridBuilder::EnsureRoom() {
    if (m_count + 3 < g_tinEdgeCapacity) return true;
    const int32_t step = std::max(10000, g_tinEdgeCapacity / 2);
    return EnsureTinEdgeCapacity(m_count + 3, step) == 0;
}

int32_t TinGridBuilder::AppendRecord(int32_t a, int32_t b, int32_t apexBack) {
    const int32_t record = ++m_count;
    g_tinEdges[record] = TinEdge{m_number[a], m_number[b], m_number[apexBack], 0, 0};
    RegisterTinEdge(record, a, b);
    Enqueue(record, a, b, apexBack);
    return record;
}

void TinGridBuilder::Enqueue(int32_t record, int32_t a, int32_t b, int32_t back) {
    const size_t size = m_pending.size();
    if (static_cast<size_t>(record - m_visit) >= size) {
        std::vector<PendingRecord> wider(2 * size);
        for (int32_t r = m_visit; r < record; ++r) wider[r & (2 * size - 1)] = m_pending[r & (size - 1)];
        m_pending.swap(wider);
    }
    m_pending[record & (m_pending.size() - 1)] = PendingRecord{a, b, back};
}

// ---- candidate search ----

void TinGridBuilder::SetUpSearch(int32_t a, int32_t b) {
    m_a = a;
    m_b = b;
    m_numberA = m_number[a];
    m_numberB = m_number[b];
    m_xa = m_xy[a].x;
    m_ya = m_xy[a].y;
    m_xb = m_xy[b].x;
    m_yb = m_xy[b].y;
    m_xm = 0.5 * (m_xa + m_xb);
    m_ym = 0.5 * (m_ya + m_yb);
    m_h2 = ((m_xa - m_xb) * (m_xa - m_xb) + (m_ya - m_yb) * (m_ya - m_yb)) / 4.0;
    m_h = std::sqrt(m_h2);
    m_nx = m_yb - m_ya;
    m_ny = m_xa - m_xb;
    m_ux = (m_xb - m_xa) / (2.0 * m_h);
    m_uy = (m_yb - m_ya) / (2.0 * m_h);
    m_vx = m_nx / (2.0 * m_h);
    m_vy = m_ny / (2.0 * m_h);
}

void TinGridBuilder::UpdateReach() {
    if (m_best >= kNoValue) {
        m_reach = kNoValue;
        return;
    }
    // The pruning takes the tie band along, so a point that ties is never cut off.
    const double q = m_best + g_tinEpsilon;
    const double s = q > 0 ? q + std::sqrt(q * q + 1.0) : 1.0;
    m_reach = m_h * s;
}

void TinGridBuilder::Take(int32_t p, double q) {
    m_e = p;
    m_best = q;
    UpdateReach();
    m_bound = m_reach * m_reach * (1.0 + 1e-12);
}

void TinGridBuilder::InitialCellRect() {
    const int32_t ra = m_place[m_a].row, ca = m_place[m_a].column;
    const int32_t rb = m_place[m_b].row, cb = m_place[m_b].column;
    m_r0 = std::min(ra, rb);
    m_r1 = std::max(ra, rb);
    m_c0 = std::min(ca, cb);
    m_c1 = std::max(ca, cb);
    m_ring = 0;
    m_boxLowX = m_lowX + m_r0 * m_cellX;
    m_boxHighX = m_lowX + (m_r1 + 1) * m_cellX;
    m_boxLowY = m_lowY + m_c0 * m_cellY;
    m_boxHighY = m_lowY + (m_c1 + 1) * m_cellY;
}

// Scans the next ring of cells around the rectangle and widens the examined box; false
// when the ring lies wholly outside the grid.
bool TinGridBuilder::NextCellRing() {
    const int32_t k = ++m_ring;
    const int32_t rLow = m_r0 - k, rHigh = m_r1 + k, cLow = m_c0 - k, cHigh = m_c1 + k;
    if (rLow < 0 && rHigh >= m_dim && cLow < 0 && cHigh >= m_dim) return false;
    m_boxLowX = m_lowX + rLow * m_cellX;
    m_boxHighX = m_lowX + (rHigh + 1) * m_cellX;
    m_boxLowY = m_lowY + cLow * m_cellY;
    m_boxHighY = m_lowY + (cHigh + 1) * m_cellY;
    const int32_t cFrom = std::max(cLow, 0), cTo = std::min(cHigh, m_dim - 1);
    for (int32_t r : {rLow, rHigh}) {
        if (r < 0 || r >= m_dim) continue;
        ScanRow(r, cFrom, cTo);
    }
    const int32_t rFrom = std::max(rLow + 1, 0), rTo = std::min(rHigh - 1, m_dim - 1);
    for (int32_t c : {cLow, cHigh}) {
        if (c < 0 || c >= m_dim) continue;
        ScanColumn(c, rFrom, rTo);
    }
    return true;
}

namespace {
// Calls visit(i) for every set bit i in from..to of the bit row, in increasing order.
template <typename Visit>
void ForEachSetBit(const uint64_t* bits, int32_t from, int32_t to, Visit visit) {
    if (from > to) return;
    int32_t w = from / 64;
    const int32_t lastWord = to / 64;
    uint64_t word = bits[w] & (~uint64_t{0} << (from % 64));
    for (;;) {
        if (w == lastWord) word &= ~uint64_t{0} >> (63 - to % 64);
        while (word != 0) {
            visit(w * 64 + std::countr_zero(word));
            word &= word - 1;
        }
        if (++w > lastWord) return;
        word = bits[w];
    }
}

bool AnyBitSet(const uint64_t* bits, int32_t from, int32_t to) {
    if (from > to) return false;
    const int32_t first = from / 64, last = to / 64;
    for (int32_t w = first; w <= last; ++w) {
        uint64_t word = bits[w];
        if (w == first) word &= ~uint64_t{0} << (from % 64);
        if (w == last) word &= ~uint64_t{0} >> (63 - to % 64);
        if (word != 0) return true;
    }
    return false;
}
}  // namespace

// The cells cFrom..cTo of a row, in column order; empty ones hold nothing to scan.
// A row (column) of cells wholly beyond the reach of the best circle holds no cell that
// CellMayHoldCandidate would let through: the distance along one axis alone is too far.
void TinGridBuilder::ScanRow(int32_t row, int32_t cFrom, int32_t cTo) {
    if (m_e >= 0 && m_reach < kNoValue) {
        const double limit = m_reach + 0.51 * m_diag;
        const double dx = m_lowX + (row + 0.5) * m_cellX - m_xm;
        if (dx * dx > limit * limit && !std::isnan(m_ym)) return;
    }
    ForEachSetBit(m_rowBits.data() + static_cast<size_t>(row) * m_words, cFrom, cTo,
                  [&](int32_t c) { ScanCell(row, c); });
}

void TinGridBuilder::ScanColumn(int32_t column, int32_t rFrom, int32_t rTo) {
    if (m_e >= 0 && m_reach < kNoValue) {
        const double limit = m_reach + 0.51 * m_diag;
        const double dy = m_lowY + (column + 0.5) * m_cellY - m_ym;
        if (dy * dy > limit * limit && !std::isnan(m_xm)) return;
    }
    ForEachSetBit(m_columnBits.data() + static_cast<size_t>(column) * m_words, rFrom, rTo,
                  [&](int32_t r) { ScanCell(r, column); });
}

bool TinGridBuilder::CellMayHoldCandidate(int32_t row, int32_t column) const {
    const double cx = m_lowX + (row + 0.5) * m_cellX;
    const double cy = m_lowY + (column + 0.5) * m_cellY;
    if (m_e >= 0 && m_reach < kNoValue) {
        const double limit = m_reach + 0.51 * m_diag;
        const double dx = cx - m_xm, dy = cy - m_ym;
        if (dx * dx + dy * dy > limit * limit) return false;
    }
    if (m_ring >= 4) {
        const double side = ((cx - m_xm) * m_nx + (cy - m_ym) * m_ny) / (2.0 * m_h);
        if (side <= -m_diag) return false;
    }
    return true;
}

bool TinGridBuilder::CircleInsideSearchBox() const {
    if (m_best >= kNoValue) return false;
    const double q = m_best + g_tinEpsilon;
    const double root = std::sqrt(q * q + 1.0);
    const double reach = m_h * (q + root);
    const double ux = m_ux, uy = m_uy, vx = m_vx, vy = m_vy;
    auto inside = [&](double x, double y) {
        return x > m_boxLowX && x < m_boxHighX && y > m_boxLowY && y < m_boxHighY;
    };
    if (q >= 0) {
        const double r = m_h * root;
        for (double along : {-r, r}) {
            const double x = m_xm + along * ux, y = m_ym + along * uy;
            if (!inside(x, y) || !inside(x + reach * vx, y + reach * vy)) return false;
        }
        return true;
    }
    return inside(m_xa + reach * vx, m_ya + reach * vy) && inside(m_xb + reach * vx, m_yb + reach * vy);
}

void TinGridBuilder::ScanCell(int32_t row, int32_t column) {
    const int32_t cell = Cell(row, column);
    const CellRun cellRun = m_cells[cell];
    const int32_t live = cellRun.live;
    if (live <= 0 || !CellMayHoldCandidate(row, column)) return;
    const int32_t* run = m_entries.data() + cellRun.start;
    for (int32_t k = 0; k < live; ++k) {
        const int32_t p = run[k];
        const double dx = m_xy[p].x - m_xm, dy = m_xy[p].y - m_ym;
        const double d2 = dx * dx + dy * dy;
        const double s = dx * m_nx + dy * m_ny;
        // One branch for both tests: which way either goes is hard to foresee.
        if ((d2 > m_bound) | !(s > 0)) continue;
        if (p == m_a || p == m_b) continue;
        const double q = (d2 - m_h2) / s;
        // Only a tie or a better point changes anything.
        if (std::fabs(q - m_best) < g_tinEpsilon || q < m_best) Consider(p, q);
    }
}

void TinGridBuilder::Consider(int32_t p, double q) {
    if (m_visibleOnly && (q < m_best + g_tinEpsilon) && NewSideCrossesOutline(m_a, m_b, p)) return;
    if (std::fabs(q - m_best) < g_tinEpsilon) {
        const bool pCrosses = CandidateCrossesTin(p);
        const bool eCrosses = CandidateCrossesTin(m_e);
        if (pCrosses && eCrosses) {
            m_best = kNoValue;
            UpdateReach();
        } else if (eCrosses) {
            Take(p, q);
        } else if (!pCrosses && !PreferByEdgeAngle(p, m_e)) {
            Take(p, q);
        }
    } else if (q < m_best) {
        Take(p, q);
    }
}

int32_t TinGridBuilder::Search() {
    m_e = -1;
    m_best = kNoValue;
    m_bound = kNoValue;
    m_reach = kNoValue;
    InitialCellRect();
    for (int32_t r = m_r0; r <= m_r1; ++r) ScanRow(r, m_c0, m_c1);
    if (m_e >= 0 && CircleInsideSearchBox()) {
        if (m_r0 == m_r1 && m_c0 == m_c1) ++m_singleCellHits;
        return m_e;
    }
    while (NextCellRing()) {
        if (m_e >= 0 && CircleInsideSearchBox()) break;
    }
    return m_e;
}

bool TinGridBuilder::SegmentCrossesNewSides(int32_t s, int32_t t) const {
    const RandomPoint& ps = g_points[s];
    const RandomPoint& pt = g_points[t];
    const RandomPoint& pp = g_points[m_candidate];
    const double eps2 = g_tinEpsilonSquared;
    for (int32_t x : {m_numberA, m_numberB}) {
        if (s == x || t == x) continue;
        const RandomPoint& px = g_points[x];
        const double c1 = Cross(ps.x, ps.y, pt.x, pt.y, pp.x, pp.y);
        const double c2 = Cross(ps.x, ps.y, pt.x, pt.y, px.x, px.y);
        const double c3 = Cross(px.x, px.y, pp.x, pp.y, pt.x, pt.y);
        const double c4 = Cross(px.x, px.y, pp.x, pp.y, ps.x, ps.y);
        if (!(c1 * c2 < eps2 && c3 * c4 < eps2)) continue;
        if (c3 * c3 + c4 * c4 < eps2) {
            // On the line X-P: crossing when X or P lies strictly between s and t.
            const double dotX = (px.x - ps.x) * (px.x - pt.x) + (px.y - ps.y) * (px.y - pt.y);
            const double dotP = (pp.x - ps.x) * (pp.x - pt.x) + (pp.y - ps.y) * (pp.y - pt.y);
            if (dotX < 0 || dotP < 0) return true;
            continue;
        }
        if (s == m_candidate || t == m_candidate) continue;
        return true;
    }
    return false;
}

// The crossing tests of a tie work on the records and the point numbers, as they stand.
bool TinGridBuilder::CandidateCrossesTin(int32_t p) {
    m_candidate = m_number[p];
    auto checkFan = [&](int32_t r) {
        const TinEdge& rec = g_tinEdges[r];
        const int32_t apex = rec.apexSearch;
        return apex > 0 && (SegmentCrossesNewSides(rec.a, apex) || SegmentCrossesNewSides(rec.b, apex));
    };
    for (int32_t r = m_work[p].headA; r != 0; r = m_records[r].nextA)
        if (checkFan(r)) return true;
    for (int32_t r = m_work[p].headB; r != 0; r = m_records[r].nextB)
        if (checkFan(r)) return true;
    auto checkStar = [&](int32_t end, int32_t other) {
        for (int32_t r = m_work[end].headA; r != 0; r = m_records[r].nextA) {
            const TinEdge& rec = g_tinEdges[r];
            if (rec.b != other && SegmentCrossesNewSides(rec.a, rec.b)) return true;
        }
        for (int32_t r = m_work[end].headB; r != 0; r = m_records[r].nextB) {
            const TinEdge& rec = g_tinEdges[r];
            if (rec.a != other && SegmentCrossesNewSides(rec.a, rec.b)) return true;
        }
        return false;
    };
    return checkStar(m_a, m_numberB) || checkStar(m_b, m_numberA);
}

bool TinGridBuilder::PreferByEdgeAngle(int32_t p, int32_t e) const {
    const double ex = m_xb - m_xa, ey = m_yb - m_ya;
    auto cosine = [&](int32_t q) {
        const double dx = m_xy[q].x - m_xm, dy = m_xy[q].y - m_ym;
        const double len = std::sqrt(dx * dx + dy * dy) * std::sqrt(ex * ex + ey * ey);
        return len > 0 ? (dx * ex + dy * ey) / len : 0.0;
    };
    return cosine(e) > cosine(p);
}

// Whether the new side x-p crosses outline side i.
bool TinGridBuilder::SideCrossesOutlineSide(int32_t i, int32_t x, int32_t p) const {
    const double eps = g_tinEpsilon;
    const TinEdge& side = g_tinEdges[i];
    if (x == side.a || x == side.b || p == side.a || p == side.b) return false;
    const RandomPoint& o1 = g_points[side.a];
    const RandomPoint& o2 = g_points[side.b];
    const RandomPoint& px = g_points[x];
    const RandomPoint& pp = g_points[p];
    if (std::max(std::min(px.x, pp.x), std::min(o1.x, o2.x)) > std::min(std::max(px.x, pp.x), std::max(o1.x, o2.x)) + eps ||
        std::max(std::min(px.y, pp.y), std::min(o1.y, o2.y)) > std::min(std::max(px.y, pp.y), std::max(o1.y, o2.y)) + eps)
        return false;
    const double c1 = Cross(o1.x, o1.y, o2.x, o2.y, px.x, px.y);
    const double c2 = Cross(o1.x, o1.y, o2.x, o2.y, pp.x, pp.y);
    const double c3 = Cross(px.x, px.y, pp.x, pp.y, o1.x, o1.y);
    const double c4 = Cross(px.x, px.y, pp.x, pp.y, o2.x, o2.y);
    return ((c1 > 0 && c2 < 0) || (c1 < 0 && c2 > 0)) && ((c3 > 0 && c4 < 0) || (c3 < 0 && c4 > 0));
}

// The outline sides are looked up through the cells the new sides pass, so the test stays
// cheap for the whole build and is never switched off: a front that has left the outline
// can still reach across a notch of it.
bool TinGridBuilder::NewSideCrossesOutline(int32_t a, int32_t b, int32_t p) const {
    // Most triangles lie far from the outline: no side in the cells around them.
    {
        const int32_t rp = m_place[p].row, cp = m_place[p].column;
        const int32_t rLow = std::max(std::min(m_r0, rp) - 1, 0), rHigh = std::min(std::max(m_r1, rp) + 1, m_dim - 1);
        const int32_t cLow = std::max(std::min(m_c0, cp) - 1, 0), cHigh = std::min(std::max(m_c1, cp) + 1, m_dim - 1);
        bool any = false;
        for (int32_t r = rLow; r <= rHigh && !any; ++r)
            any = AnyBitSet(m_sideBits.data() + static_cast<size_t>(r) * m_words, cLow, cHigh);
        if (!any) return false;
    }
    const double pr = (m_xy[p].x - m_lowX) / m_cellX, pc = (m_xy[p].y - m_lowY) / m_cellY;
    for (int32_t x : {a, b}) {
        const double xr = (m_xy[x].x - m_lowX) / m_cellX, xc = (m_xy[x].y - m_lowY) / m_cellY;
        bool crosses = false;
        ForEachTouchedRow(xr, xc, pr, pc, kSideMargin, [&](int64_t row, int64_t c, int64_t cLast) {
            if (crosses || row < 0 || row >= m_dim) return;
            for (c = std::max<int64_t>(c, 0); c <= std::min<int64_t>(cLast, m_dim - 1) && !crosses; ++c) {
                const int64_t cell = row * m_dim + c;
                for (int32_t k = m_sideStart[cell]; k < m_sideStart[cell + 1]; ++k) {
                    if (SideCrossesOutlineSide(m_sides[k], m_number[x], m_number[p])) {
                        crosses = true;
                        break;
                    }
                }
            }
        });
        if (crosses) return true;
    }
    return false;
}

void TinGridBuilder::IndexOutlineSides() {
    const size_t cells = static_cast<size_t>(m_dim) * m_dim;
    m_sideStart.assign(cells + 1, 0);
    auto walk = [&](int32_t i, auto visitCell) {
        const RandomPoint& o1 = g_points[m_outline[i]];
        const RandomPoint& o2 = g_points[m_outline[i + 1]];
        ForEachTouchedRow((o1.x - m_lowX) / m_cellX, (o1.y - m_lowY) / m_cellY, (o2.x - m_lowX) / m_cellX,
                          (o2.y - m_lowY) / m_cellY, kSideMargin, [&](int64_t row, int64_t c, int64_t cLast) {
                              if (row < 0 || row >= m_dim) return;
                              for (c = std::max<int64_t>(c, 0); c <= std::min<int64_t>(cLast, m_dim - 1); ++c)
                                  visitCell(row * m_dim + c);
                          });
    };
    for (int32_t i = 1; i <= m_outlineCount; ++i) walk(i, [&](int64_t cell) { ++m_sideStart[cell + 1]; });
    for (size_t c = 0; c < cells; ++c) m_sideStart[c + 1] += m_sideStart[c];
    m_sides.assign(m_sideStart[cells], 0);
    TinWorkArray<int32_t> fill(m_sideStart.begin(), m_sideStart.end() - 1);
    for (int32_t i = 1; i <= m_outlineCount; ++i) walk(i, [&](int64_t cell) { m_sides[fill[cell]++] = i; });
    for (int32_t r = 0; r < m_dim; ++r)
        for (int32_t c = 0; c < m_dim; ++c)
            if (m_sideStart[r * m_dim + c + 1] != m_sideStart[r * m_dim + c])
                m_sideBits[static_cast<size_t>(r) * m_words + c / 64] |= uint64_t{1} << (c % 64);
}

// Points inside the outline behind an outline side (where the outline is concave), within
// the slightly enlarged circle of the side's triangle; the count is left in the side's
// state word. The crossing test looks at every side through the grid, so the count does
// not retire sides from it.
void TinGridBuilder::CountPointsInCircumcircle(int32_t p, int32_t record) {
    const double dx = m_xy[p].x - m_xm, dy = m_xy[p].y - m_ym;
    const double s = dx * m_nx + dy * m_ny;
    if (!(s > 0)) return;
    const double q = (dx * dx + dy * dy - m_h2) / s;
    const double cx = m_xm + 0.5 * q * m_nx, cy = m_ym + 0.5 * q * m_ny;
    const double r2 = m_h2 * (q * q + 1.0);
    const double r = std::sqrt(r2);
    // A nearly straight triangle has a huge circle: clamp before converting.
    auto clampRow = [&](double x) { return CellIndex((x - m_lowX) / m_cellX, m_dim - 1); };
    auto clampColumn = [&](double y) { return CellIndex((y - m_lowY) / m_cellY, m_dim - 1); };
    const int32_t rFrom = clampRow(cx - r), rTo = clampRow(cx + r);
    const int32_t cFrom = clampColumn(cy - r), cTo = clampColumn(cy + r);
    int32_t count = 0;
    for (int32_t row = rFrom; row <= rTo; ++row) {
        for (int32_t col = cFrom; col <= cTo; ++col) {
            const int32_t cell = Cell(row, col);
            for (int32_t k = m_cells[cell].start; k < m_cells[cell + 1].start; ++k) {
                const int32_t q = m_entries[k];
                if (q == m_a || q == m_b) continue;
                const double side = (m_xy[q].x - m_xm) * m_nx + (m_xy[q].y - m_ym) * m_ny;
                if (side > 0) continue;
                const double ex = m_xy[q].x - cx, ey = m_xy[q].y - cy;
                if (ex * ex + ey * ey <= 1.1 * r2) ++count;
            }
        }
    }
    g_tinEdges[record].state = count;
}

void TinGridBuilder::DropFromCell(int32_t p) {
    if (p >= m_binned) return;
    const int32_t r = m_place[p].row, c = m_place[p].column;
    const int32_t cell = Cell(r, c);
    const int32_t slot = m_work[p].slot;
    const int32_t last = m_cells[cell].start + m_cells[cell].live - 1;
    if (slot > last) return;
    std::swap(m_entries[slot], m_entries[last]);
    m_work[m_entries[slot]].slot = slot;
    m_work[p].slot = last;
    if (--m_cells[cell].live == 0) {
        m_rowBits[static_cast<size_t>(r) * m_words + c / 64] &= ~(uint64_t{1} << (c % 64));
        m_columnBits[static_cast<size_t>(c) * m_words + r / 64] &= ~(uint64_t{1} << (r % 64));
    }
}

// A point whose records are all closed has its triangles all round it (or up to the
// outline on both sides): no open side can take it any more.
void TinGridBuilder::MarkPointIfSurrounded(int32_t p) {
    if (p < 0 || m_finished[p]) return;
    const PointWork& w = m_work[p];
    if (w.open != 0 || (w.headA == 0 && w.headB == 0)) return;
    m_finished[p] = 1;
    DropFromCell(p);
}

// ---- polling and endings ----

void TinGridBuilder::ResetFinishedMarks() {
    for (int32_t p = 1; p <= g_pointCount; ++p)
        if (g_points[p].outside == 2) g_points[p].outside = 0;
}

bool TinGridBuilder::Poll() { return m_poll.Poll(m_count); }

// The finished points get their outside byte 2 in the points only when the view is about to
// show them: the partial TIN and the completion message. Written as they finish, in point
// order scattered over the whole block, the bytes cost more than the rest of a large build.
void TinGridBuilder::PublishFinishedMarks() {
    std::vector<uint64_t> numbers(static_cast<size_t>(g_pointCount) / 64 + 1, 0);
    for (int32_t i = 0; i < m_points; ++i)
        if (m_finished[i]) numbers[m_number[i] / 64] |= uint64_t{1} << (m_number[i] % 64);
    for (size_t w = 0; w < numbers.size(); ++w)
        for (uint64_t word = numbers[w]; word != 0; word &= word - 1)
            g_points[w * 64 + std::countr_zero(word)].outside = 2;
}

TinBuildResult TinGridBuilder::Complete() {
    g_tinEdgeCount = m_count;
    SetTinEndRecord();
    SetPickedPoints(0, 0);
    g_tinPresent = -1;
    if (!InPartialTinState()) {
        const uint32_t ms = TickCount() - m_start;
        if (g_quietMode == 0) {
            PublishFinishedMarks();
            ShowMessage(FormatString("三角網作成終了 %4d.%02d秒 \n%d ライン", static_cast<int>(ms / 1000),
                                     static_cast<int>(ms % 1000 / 10), m_count),
                        "", msg::kOk | msg::kIconInformation | msg::kSystemModal);
        }
        for (int32_t p = 1; p <= g_pointCount; ++p) g_points[p].outside = 0;
        SetStatusText(FormatString(" %d ライン作成", m_count));
    } else {
        ResetFinishedMarks();
        SetStatusText("");
    }
    return TinBuildResult::kComplete;
}

// The endings that do not complete leave the TIN to RunTinBuild, which puts back the one
// the build found.
TinBuildResult TinGridBuilder::Stop() {
    SetPickedPoints(0, 0);
    RequestFullRedraw();
    SetStatusText("");
    ResetFinishedMarks();
    return TinBuildResult::kStopped;
}

TinBuildResult TinGridBuilder::LimitStop() {
    SetPickedPoints(0, 0);
    ResetFinishedMarks();
    ShowMessage("作成ラインが制限を越えました。\n計算を終了します。", "", msg::kOk | msg::kIconWarning);
    return TinBuildResult::kLimit;
}

// The side where it stopped stays marked in the view.
TinBuildResult TinGridBuilder::NoCandidate(int32_t a, int32_t b) {
    RequestFullRedraw();
    ResetFinishedMarks();
    ShowMessage(FormatString("失敗しました。\n %7d : %7d 間で停止", a, b), "", msg::kOk | msg::kIconWarning);
    SetStatusText("");
    return TinBuildResult::kNoCandidate;
}

TinBuildResult TinGridBuilder::AdvanceTinFrontGrid() {
    if (m_count >= 5.0 * g_pointCount || m_count >= g_tinEdgeCapacity - 1) return LimitStop();
    m_start = TickCount();
    m_poll = TinBuildPoll(m_start);
    m_poll.leftButtonNote = [this](uint32_t ms) {
        PublishFinishedMarks();
        return FormatString(" %7d 秒経過", static_cast<int>(ms / 1000));
    };
    m_poll.shiftNote = [this] {
        return FormatString(" %7d 外周: %7dメッシュヒット", m_outlineCount, m_singleCellHits);
    };
    for (int32_t i = 1;; ++i) {
        if (i > m_count) return Complete();
        m_visit = i;
        const TinEdge record = g_tinEdges[i];
        if (record.apexSearch != 0) continue;
        const PendingRecord ends = m_pending[i & (m_pending.size() - 1)];
        const int32_t a = ends.a, b = ends.b;
        SetUpSearch(a, b);
        int32_t e = Search();
        SetPickedPoints(record.a, record.b);

        if (e >= 0 && NewSideCrossesOutline(a, b, e)) {
            // The nearest point is hidden behind the outline: take the nearest one that the
            // outline does not hide.
            m_visibleOnly = true;
            e = Search();
            m_visibleOnly = false;
        }
        if (e < 0) return NoCandidate(record.a, record.b);

        if (record.apexBack < 0) CountPointsInCircumcircle(e, i);
        if (!EnsureRoom()) return LimitStop();
        CloseRecord(i, m_number[e], a, b);
        const ApexSides sides = FindApexSides(e, a, b);
        if (sides.ea != 0) {
            CloseRecord(sides.ea, record.b, e, a);
        } else if (sides.ae == 0) {
            AppendRecord(a, e, b);
        }
        if (sides.be != 0) {
            CloseRecord(sides.be, record.a, b, e);
        } else if (sides.eb == 0) {
            AppendRecord(e, b, a);
        }
        MarkPointIfSurrounded(e);
        MarkPointIfSurrounded(ends.back);
        MarkPointIfSurrounded(b);
        MarkPointIfSurrounded(a);

        if (!Poll()) return Stop();
        if (m_count >= 5.0 * g_pointCount) return LimitStop();
    }
}

TinBuildResult TinGridBuilder::Run(bool* openedWindow) {
    g_dataChanged = -1;
    if (!CheckOutline()) return TinBuildResult::kNothingDone;
    // Records are only ever written inside the block, whatever the capacity word says.
    g_tinEdgeCapacity = std::min(g_tinEdgeCapacity, g_tinEdgesBlock.Size());
    try {
        AllocateWork();
    } catch (const std::bad_alloc&) {
        ShowMessage("三角網計算の作業用メモリ確保に失敗しました。", "", msg::kOk | msg::kIconError);
        return TinBuildResult::kNothingDone;
    }
    if (EnsureTinEdgeCapacity(m_outlineCount + 3) != 0) {
        ShowMessage("三角網計算の作業用メモリ確保に失敗しました。", "", msg::kOk | msg::kIconError);
        return TinBuildResult::kNothingDone;
    }
    g_tinPresent = 0;
    g_holesInverted = 0;
    RepaintMainWindow();
    SetStatusText("ランダム点分割中...");
    BinPointsIntoGrid();
    IndexOutlineSides();
    InitFrontFromOutline();
    SetStatusText("三角網作成中");
    TinEpsilonScope epsilon(TinEpsilonForDupTolerance(g_dupTolerance));

    if (!IsProgressWindowOpen()) *openedWindow = OpenProgressWindow(progress::kTinEdges);
    try {
        return AdvanceTinFrontGrid();
    } catch (const std::bad_alloc&) {
        return LimitStop();
    }
}

}  // namespace

void BuildTinGrid() {
    RunTinBuild([](bool* openedWindow) {
        TinGridBuilder builder;
        return builder.Run(openedWindow);
    });
}
