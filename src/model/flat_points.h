#pragma once
// Flat point removal: marks the random points whose surrounding TIN triangles all lie
// within an angle of one plane, so that the user can look at them, take the marks back or
// make the points invalid. The points stay in the point array; the TIN is not rebuilt.
#include <cstdint>
#include <functional>
#include <string>

// The invalid flag of a point marked as flat.
constexpr int16_t kFlatPointMark = 2;

// Marks (invalid flag kFlatPointMark) every valid point that is no outline vertex, has no
// name beginning with "_", is the end point of TIN records, is neither a peak nor a pit
// among its neighbours, and whose triangles' normals all lie within `angle` degrees of the
// steepest one. Returns the points marked, -1 when the work lists cannot be had.
int32_t DeleteFlatPoints(double angle);

// What the dialog "平坦点削除" (228) shows and keeps between its steps.
struct FlatPointDeleteValues {
    double angle = 5.0;      // degrees
    std::string angleText;   // edit 1082
    std::string title = "平坦点削除";
};

// The angle as the dialog shows it: " %5.3f", or " %7.5f" when that reads as 0.
std::string FlatPointAngleText(double angle);
// Edit 1082 lost the focus: the typed angle, 0 or less taken as 1/3600 degree and above 85
// as 85. Text that is not a number keeps the angle; either way the field shows the angle
// in effect.
void FlatPointAngleLeft(FlatPointDeleteValues& values);
// 実行: marks the flat points at the angle; the title gives their count.
int32_t FlatPointExecute(FlatPointDeleteValues& values);
// キャンセル: takes every mark back.
void FlatPointCancelMarks(FlatPointDeleteValues& values);
// 閉じる: the marked points become invalid.
void FlatPointCommitMarks();

// The command 平坦点削除 (32977): runs the dialog, which calls the steps above. Without a
// TIN a message instead.
void OnFlatPointDelete(const std::function<void(FlatPointDeleteValues&)>& runDialog);
