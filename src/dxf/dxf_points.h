#pragma once
// Random points from the picked background elements (the point commands of the element
// information window): add at vertices, at a fixed interval or from a text's number; undo
// the last addition; mark as unused or used, or rename, the points near the pick.
#include <cstdint>
#include <string>
#include <vector>

enum DxfAddMethod : int32_t {
    DXF_ADD_VERTICES = 0,  // 端点のみ
    DXF_ADD_INTERVAL = 1,  // 一定間隔
    DXF_ADD_BOTH = 2,      // 両方
    DXF_ADD_TEXT_Z = 3,    // 文字を標高に
};

enum DxfPointAction : int32_t {
    DXF_POINTS_UNUSED = 1,  // 未使用点
    DXF_POINTS_USED = 2,    // 使用点
    DXF_POINTS_RENAME = 3,  // 点名変更
};

// The window's values the commands use.
struct DxfPointSettings {
    int32_t m_addMethod = DXF_ADD_VERTICES;
    double m_interval = 10;
    double m_elevation = 0;
    int32_t m_nameFromLayer = 0;
    int32_t m_simpleSearch = 0;
    double m_judgeDistance = 0.1;
    std::string m_pointName;  // CP932
    int32_t m_savedPointCount = 0;
    // An addition can be undone, and g_pointCount right after it: the undo is refused
    // once the count changed.
    bool m_canUndo = false;
    int32_t m_countAfterAdd = 0;
    std::vector<int32_t> m_addedPoints;
};

// 追加: points at the marked crossings, then from the picked elements by m_addMethod.
void AddPointsFromDxf(DxfPointSettings& s);
// Interval points along elements first..last (method 1 or 2); returns g_pointCount.
int32_t AddPointsAlongElements(DxfPointSettings& s, int32_t method, int32_t first, int32_t last,
                               double interval);
// Whether 取消 can run: an addition was made and no point came or went since.
bool CanUndoAddedPoints(const DxfPointSettings& s);
// 取消: drops the points of the last addition. False (nothing changes) when it cannot.
bool UndoAddedPoints(DxfPointSettings& s);
// 未使用点 / 使用点 / 点名変更 on the points near the pick; 1 when one changed.
int32_t SetPointsNearPick(DxfPointSettings& s, DxfPointAction action);
int32_t SetPointsNearRange(const DxfPointSettings& s, DxfPointAction action, int32_t first,
                           int32_t last);
int32_t SetPointsBetweenEnds(const DxfPointSettings& s, DxfPointAction action, int32_t first,
                             int32_t last);

// The edits' own rules: an interval keeps the old one unless positive; the judge
// distance is taken without its sign; numbers are read from the start of the text.
double ParseLeadingNumber(const std::string& text);
void SetIntervalFromText(DxfPointSettings& s, const std::string& text);
void SetJudgeDistanceFromText(DxfPointSettings& s, const std::string& text);
