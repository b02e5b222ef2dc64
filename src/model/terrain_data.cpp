#include "model/terrain_data.h"

#include <cstring>
#include <stdexcept>
#include <vector>

RandomPoint* g_points = nullptr;
RecordBlock<RandomPoint> g_pointsBlock;
int32_t g_pointCount = 0;
int32_t g_pointCapacity = kStartPointCapacity;

TinEdge* g_tinEdges = nullptr;
RecordBlock<TinEdge> g_tinEdgesBlock;
int32_t g_tinEdgeCount = 0;
int32_t g_tinEdgeCapacity = kStartTinEdgeCapacity;

Outline g_outline;
PickList g_pickList;
PickList g_pickList2;

int32_t g_pointsPresent = 0;
int32_t g_tinPresent = 0;
int32_t g_drawingContoursLoaded = 0;
int32_t g_holesInverted = 0;
int32_t g_dataChanged = 0;
double g_pointZMin = 0;
double g_pointZMax = 0;

std::string g_currentDataPath;
std::string g_documentTitle;
std::string g_dataFolder;

namespace {
std::vector<std::function<void()>>& Releases() {
    static std::vector<std::function<void()>> list;
    return list;
}
std::vector<std::function<void()>>& Resets() {
    static std::vector<std::function<void()>> list;
    return list;
}
}  // namespace

// ---- IndexList ----

IndexList::IndexList() : m_entries(new int32_t[kIndexListEntries]()) {}

int32_t& IndexList::operator[](int32_t i) {
    if (i < 0 || i >= kIndexListEntries) throw std::out_of_range("index list entry out of range");
    return m_entries[i];
}

int32_t IndexList::operator[](int32_t i) const {
    if (i < 0 || i >= kIndexListEntries) throw std::out_of_range("index list entry out of range");
    return m_entries[i];
}

bool IndexList::Append(int32_t pointIndex) {
    const int32_t n = Count();
    if (n < 0 || n >= kIndexListMaxVertices) return false;
    m_entries[n + 1] = pointIndex;
    m_entries[n + 2] = 0;
    m_entries[0] = n + 1;
    return true;
}

bool IndexList::Insert(int32_t pos, int32_t pointIndex) {
    const int32_t n = Count();
    if (n < 0 || n >= kIndexListMaxVertices || pos < 1 || pos > n + 1) return false;
    std::memmove(&m_entries[pos + 1], &m_entries[pos], sizeof(int32_t) * (n + 1 - pos));
    m_entries[pos] = pointIndex;
    m_entries[0] = n + 1;
    m_entries[n + 2] = 0;
    return true;
}

bool IndexList::Remove(int32_t pos) {
    const int32_t n = Count();
    if (pos < 1 || pos > n || n > kIndexListMaxVertices) return false;
    std::memmove(&m_entries[pos], &m_entries[pos + 1], sizeof(int32_t) * (n - pos));
    m_entries[n] = 0;
    m_entries[n + 1] = 0;
    m_entries[0] = n - 1;
    return true;
}

bool IndexList::IsClosed() const {
    const int32_t n = Count();
    return n > 0 && n <= kIndexListMaxVertices && m_entries[n + 1] == m_entries[1];
}

bool IndexList::Close() {
    const int32_t n = Count();
    if (n <= 0 || n > kIndexListMaxVertices) return false;
    m_entries[n + 1] = m_entries[1];
    return true;
}

void IndexList::Reset() { std::memset(m_entries, 0, sizeof(int32_t) * kIndexListEntries); }

void IndexList::ClearHead() { std::memset(m_entries, 0, sizeof(int32_t) * 4); }

// ---- record blocks ----

int32_t GrowPointBlock(int32_t n) {
    const int32_t r = g_pointsBlock.Resize(n);
    g_points = g_pointsBlock.Data();
    return g_pointsBlock.Empty() && n > 0 ? -1 : r;
}

int32_t GrowTinEdgeBlock(int32_t n) {
    const int32_t r = g_tinEdgesBlock.Resize(n);
    g_tinEdges = g_tinEdgesBlock.Data();
    return g_tinEdgesBlock.Empty() && n > 0 ? -1 : r;
}

void SetPointEndMarker() {
    if (g_points && g_pointCount + 1 < g_pointsBlock.Size()) {
        std::memset(&g_points[g_pointCount + 1], 0, sizeof(RandomPoint));
        g_points[g_pointCount + 1].hidden = kEndMarker;
    }
}

void SetTinEndRecord() {
    if (g_tinEdges && g_tinEdgeCount + 1 < g_tinEdgesBlock.Size())
        g_tinEdges[g_tinEdgeCount + 1] = TinEdge{-1, -1, -1, -1, 0};
}

namespace {
int32_t Ensure(int32_t needed, int32_t step, int32_t spare, int32_t& capacity, int32_t (*grow)(int32_t)) {
    if (needed + spare < capacity) return 0;
    const int32_t old = capacity;
    int32_t want = old;
    while (needed + spare >= want) want += step;
    capacity = want;
    if (grow(capacity) != 0) {
        capacity = old;
        return -1;
    }
    return 0;
}
}  // namespace

int32_t EnsurePointCapacity(int32_t needed, int32_t step, int32_t spare) {
    return Ensure(needed, step, spare, g_pointCapacity, GrowPointBlock);
}

int32_t EnsureTinEdgeCapacity(int32_t needed, int32_t step, int32_t spare) {
    return Ensure(needed, step, spare, g_tinEdgeCapacity, GrowTinEdgeBlock);
}

void RegisterDataBlockRelease(std::function<void()> release) { Releases().push_back(std::move(release)); }
void RegisterDataModelReset(std::function<void()> reset) { Resets().push_back(std::move(reset)); }

// ---- life cycle ----

namespace {
std::function<void()> g_surveyFrameRestorer;
}  // namespace

void SetSurveyFrameRestorer(std::function<void()> restore) {
    g_surveyFrameRestorer = std::move(restore);
}

void RestoreSurveyFrame() {
    if (!g_surveyFrameRestorer) return;
    // The restorer clears itself; a copy keeps it alive while it runs.
    const std::function<void()> restore = g_surveyFrameRestorer;
    restore();
}

void InitDataModel() {
    RestoreSurveyFrame();
    FreeDataBlocks();
    g_outline.Reset();
    g_pickList.Reset();
    g_pickList2.Reset();

    g_pointCount = 0;
    g_tinEdgeCount = 0;
    g_pointCapacity = kStartPointCapacity;
    g_tinEdgeCapacity = kStartTinEdgeCapacity;
    GrowPointBlock(g_pointCapacity);
    GrowTinEdgeBlock(g_tinEdgeCapacity);
    SetPointEndMarker();
    SetTinEndRecord();

    g_pointsPresent = 0;
    g_tinPresent = 0;
    g_drawingContoursLoaded = 0;
    g_holesInverted = 0;
    g_dataChanged = 0;
    g_pointZMin = 0;
    g_pointZMax = 0;
    g_currentDataPath.clear();
    g_documentTitle.clear();
    g_dataFolder.clear();

    for (auto& reset : Resets()) reset();
}

void FreeDataBlocks() {
    GrowPointBlock(0);
    GrowTinEdgeBlock(0);
    for (auto& release : Releases()) release();
}

void ReleaseDataModel() {
    FreeDataBlocks();
    g_outline.Reset();
    g_pickList.Reset();
    g_pickList2.Reset();
    g_pointCount = 0;
    g_tinEdgeCount = 0;
    g_pointsPresent = 0;
    g_tinPresent = 0;
}
