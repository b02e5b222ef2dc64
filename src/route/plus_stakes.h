#pragma once
// The plus stakes "断面（プラス杭）追加" without their window: the grid's cells, the sort,
// the clipboard table and what the buttons and cell edits do to `g_plusStakes`. Row r
// shows stake r.
#include <cstdint>
#include <string>

#include "route/route_lists.h"

extern const char* const kPlusStakeLimitMessage;  // "測点数が制限に達しました。"

std::string FormatPlusStakeCell(int32_t row, int32_t col);

// Ascending, repeated values removed; 1 when fewer than two stakes exist (nothing done),
// else 0. The open window shows the result.
int32_t SortPlusStakes();
// The sort without the grid (the window's destruction).
int32_t SortPlusStakeValues();

// "表コピー": the heading and every stake, LF line ends. Empty without stakes.
std::string PlusStakeCopyText();
void CopyPlusStakeTable();

// "貼り付け" of a text: the number before the first TAB of each line. Empty lines and
// headings are skipped; beyond the table's capacity the rest is dropped with the limit
// message. Returns the number of stakes appended.
int32_t PastePlusStakeText(const std::string& text);
int32_t PastePlusStakeTable();

enum class PlusStakeCellStore { kNothing, kStored, kAppended };
PlusStakeCellStore CommitPlusStakeCell(int32_t row, const std::string& typed);

// "挿入": the first selected stake stands twice. True when the stakes changed.
bool InsertPlusStakeRow(const GridSelection& selection);
// "削除": the selected stakes. True when the stakes changed.
bool DeletePlusStakeRows(const GridSelection& selection);
