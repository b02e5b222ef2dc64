#pragma once
// Command 32816 "縦横断データランダム出力": the options dialog "縦横断ランダム出力" (275)
// and the save dialog, then the sections written as random points.
#include <cstdint>
#include <functional>

struct SectionRandomOutputOptions {
    int32_t centreOnly = 0;     // 縦断のみ出力 (1161)
    int32_t withCrossings = 1;  // 縦断線交点も出力 (1162)
    int32_t insideOnly = 0;     // 外周外の点は出力しない (1163)
};

constexpr int kSectionRandomCentreOnly = 1161;
constexpr int kSectionRandomWithCrossings = 1162;
constexpr int kSectionRandomInsideOnly = 1163;

// The options every opening starts from.
SectionRandomOutputOptions OpenSectionRandomOutputDialog();
// 1163 can be chosen only with a closed outline of at least three vertices.
bool SectionRandomInsideOnlyEnabled();
// A click on a check box: its option takes the box's new state (disabled boxes ignore it).
void SectionRandomOptionClicked(SectionRandomOutputOptions& options, int id, bool checked);

// Runs dialog 275 modally; true when 開始 closed it. Without a window system the dialog
// is cancelled.
void SetSectionRandomOutputDialogRunner(std::function<bool(SectionRandomOutputOptions&)> runner);

// The command: dialog, save dialog, file.
void OnExportSectionsAsRandom();
