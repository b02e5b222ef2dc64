#pragma once
// ランダムデータ合成 (32864): another RND file joined with the loaded data along the outline.
// The loaded points are kept inside the outline (pushed outward by a width when asked),
// the other file's points outside it; the result replaces the loaded data or goes to a
// new RND file.
#include <cstdint>
#include <functional>
#include <string>

#include "model/terrain_data.h"

class MergeOutlinePolygon;

// The dialog "ランダムデータの合成" (196): width edit 1082 and its two buttons, without cancel.
constexpr int32_t kMergeAppend = 0;   // 現在のデータに追加
constexpr int32_t kMergeNewFile = 1;  // 新規ファイルに保存

struct RandomMergeValues {
    std::string widthText = "0";  // edit 1082
    double width = 0.0;           // kept as the absolute value of the text
    int32_t choice = kMergeAppend;
};

// The edit changed: the width becomes |value of the text|.
void RandomMergeWidthEdited(RandomMergeValues& values);
// The mouse wheel: +1 forward, -1 backward, never below 0; the edit shows it as an integer.
void RandomMergeWheel(int wheelDelta, RandomMergeValues& values);
// Either button: true when the text holds only 0-9 and "."; otherwise the stop box is
// shown and the dialog stays open.
bool RandomMergeTextAccepted(const RandomMergeValues& values);

// Writes the loaded points whose outside byte is 0 and the other file's lines that lie
// outside the outline to a new RND file. False after a message when a file cannot be
// read or written (nothing is left of a failed output).
bool WriteMergedRandomData(const IndexList& outline, const std::string& inputPath,
                           const std::string& outputPath);
// The same with the outline already made into a polygon.
bool WriteMergedRandomData(const MergeOutlinePolygon& polygon, const std::string& inputPath,
                           const std::string& outputPath);

// Appends the other file's points and TIN to the loaded data: loaded points outside the
// outline and the other file's points inside it become invalid, the old TIN edges become
// hole edges. A missing or damaged .TRI leaves the TIN as it was (told). False, with
// nothing changed, when the other file could not be read (told).
bool MergeRandomData(const IndexList& outline, const std::string& inputPath);

// The command: the dialog through `runDialog` (fills the values), the file dialogs, the
// merge; after an append the question whether to run the automatic outline (`runAutoOutline`).
void OnRandomDataMerge(const std::function<void(RandomMergeValues&)>& runDialog,
                       const std::function<void()>& runAutoOutline);
