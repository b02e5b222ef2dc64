#pragma once
// Points that the tools generate: the common way one is appended with the new-point
// attributes, and the crossings of the TIN's two surfaces, saved as their own RND file or
// added to the current data.
#include <cstdint>
#include <string>
#include <vector>

#include "model/terrain_data.h"

// Reserves the next record (AppendPointAtCursor (0, 0)), writes X, Y, Z with the name, the
// new-point invalid flag and plot kind and outside byte 0, and raises the count. Returns
// the new number, or 0 (nothing written) when the array could not grow.
int32_t AppendGeneratedPoint(double x, double y, double z, const std::string& name);
// The same template written into the reserved record without raising the count.
int32_t ReserveGeneratedPoint(double x, double y, double z, const std::string& name);

// What 発生点保存方法選択 exchanges.
struct GenPointSaveValues {
    std::string name;    // CP932, at most 63 bytes
    int32_t choice = 0;  // 0 a separate RND file, 1 added to the current data
};

// Most crossings one rectangle may give.
constexpr int32_t kMaxGeneratedPoints = 100000;

// What the rectangle of the TIN-crossing tool does with the n crossings in
// g_intersectionResults: too many are refused with a message; otherwise the save dialog
// asks for their name and place, and they are added to the points or written to an RND
// file. Returns the number of points saved or added (0 for none or a cancel, -1 on
// failure).
int32_t GenerateTinCrossingPoints(int32_t n);

// The TIN-crossing tool's dragged rectangle (client pixels): the shown points strictly
// inside are selected, the crossings among them computed and handed to
// GenerateTinCrossingPoints. The plan view only. Returns its result (0 when nothing was
// selected or computed).
int32_t GenerateTinIntersectionsInRectangle(int32_t left, int32_t top, int32_t right,
                                            int32_t bottom);

// Writes generated points as an RND file (five header lines, then one line per point,
// CR LF). false after the message "ファイルが作成できません。" when it cannot be written.
bool WriteGeneratedRnd(const std::string& path, const std::vector<RandomPoint>& points);

// Command 32981 三角網交差座標計算: starts or stops the rectangle tool.
void OnTinIntersection();
