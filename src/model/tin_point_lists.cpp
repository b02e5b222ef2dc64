#include "model/tin_point_lists.h"

namespace {
bool InRange(int32_t p) { return p >= 1 && p <= g_pointCount; }
}  // namespace

TinPointLists::TinPointLists(bool withSecond)
    : m_headFirst(static_cast<size_t>(g_pointCount) + 1, 0),
      m_nextFirst(static_cast<size_t>(g_tinEdgeCount) + 1, 0) {
    if (withSecond) {
        m_headSecond.assign(static_cast<size_t>(g_pointCount) + 1, 0);
        m_nextSecond.assign(static_cast<size_t>(g_tinEdgeCount) + 1, 0);
    }
    // Built from the last record down, so each chain runs in record order.
    for (int32_t i = g_tinEdgeCount; i >= 1; --i) {
        const int32_t a = std::abs(g_tinEdges[i].a);
        if (InRange(a)) {
            m_nextFirst[i] = m_headFirst[a];
            m_headFirst[a] = i;
        }
        if (!withSecond) continue;
        const int32_t b = std::abs(g_tinEdges[i].b);
        if (InRange(b)) {
            m_nextSecond[i] = m_headSecond[b];
            m_headSecond[b] = i;
        }
    }
}

void TinPointLists::Unlink(std::vector<int32_t>& head, std::vector<int32_t>& next,
                           int32_t point, int32_t record) {
    if (!Valid(point)) return;
    int32_t* link = &head[point];
    while (*link != 0 && *link != record) link = &next[*link];
    if (*link == record) *link = next[record];
    next[record] = 0;
}

void TinPointLists::LinkInOrder(std::vector<int32_t>& head, std::vector<int32_t>& next,
                                int32_t point, int32_t record) {
    if (!Valid(point)) return;
    int32_t* link = &head[point];
    while (*link != 0 && *link < record) link = &next[*link];
    next[record] = *link;
    *link = record;
}

void TinPointLists::MoveFirst(int32_t record, int32_t oldFirst) {
    Unlink(m_headFirst, m_nextFirst, oldFirst, record);
    LinkInOrder(m_headFirst, m_nextFirst, std::abs(g_tinEdges[record].a), record);
}
