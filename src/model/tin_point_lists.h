#pragma once
// The TIN records chained by point: for each point the records whose first end point
// (absolute value) is that point, and optionally those whose second end point is, each
// chain in record order. The TIN passes that walk around a point use them, so a lookup
// costs the records of one point rather than a scan of the TIN.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "model/terrain_data.h"

class TinPointLists {
public:
    // Builds the chains over g_tinEdges; throws std::bad_alloc when the memory cannot be had.
    explicit TinPointLists(bool withSecond);

    // First record of the point's chain (0 for none) and the record after r in its chain.
    int32_t FirstFrom(int32_t point) const { return Valid(point) ? m_headFirst[point] : 0; }
    int32_t NextFrom(int32_t record) const { return m_nextFirst[record]; }
    int32_t FirstTo(int32_t point) const { return Valid(point) ? m_headSecond[point] : 0; }
    int32_t NextTo(int32_t record) const { return m_nextSecond[record]; }

    // The first record stored from -> to (absolute values), else 0.
    int32_t Find(int32_t from, int32_t to) const {
        for (int32_t r = FirstFrom(from); r != 0; r = m_nextFirst[r])
            if (std::abs(g_tinEdges[r].b) == to) return r;
        return 0;
    }

    // The record's first end point changed from oldFirst: it moves to the chain of its new
    // one, keeping record order there.
    void MoveFirst(int32_t record, int32_t oldFirst);

private:
    bool Valid(int32_t point) const {
        return point >= 1 && point < static_cast<int32_t>(m_headFirst.size());
    }
    void Unlink(std::vector<int32_t>& head, std::vector<int32_t>& next, int32_t point,
                int32_t record);
    void LinkInOrder(std::vector<int32_t>& head, std::vector<int32_t>& next, int32_t point,
                     int32_t record);

    std::vector<int32_t> m_headFirst, m_nextFirst;
    std::vector<int32_t> m_headSecond, m_nextSecond;
};
