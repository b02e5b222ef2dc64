#pragma once
// The station list "路線測点一覧" without its window: the cells of its grid, the clipboard
// table, and what its buttons and cell edits do to the stations. Row r shows station r;
// texts are CP932.
#include <cstdint>
#include <string>
#include <vector>

#include "route/route_lists.h"

constexpr int32_t kStationListColumns = 9;
extern const char* const kStationListHeadings[kStationListColumns];  // UTF-8
extern const char* const kStationMemoryMessage;  // the station block could not grow

// Room for `margin` more stations: the block grows to count + 50 when its capacity is below
// count + margin. False, with the memory message, when it cannot.
bool EnsureStationRoom(int32_t margin);

std::string FormatStationListCell(int32_t row, int32_t col);

// "表コピー": the table text (LF line ends); a single cell takes the whole table.
std::string StationListCopyText(const GridSelection& selection);
void CopyStationTable(const GridSelection& selection);

// "貼り付け" of a text (CP932): one station per line, fields name, added distance, centre
// X, Y, left X, Y, right X, Y. Empty lines and headings are skipped. Returns the number
// of stations appended; the view is fitted to all data.
int32_t PasteStationText(const std::string& text);
int32_t PasteStationTable();

// The current cell changed: the station of a single selected row becomes current (the
// view marks it unless rows are marked).
void SelectStationListRow(const GridSelection& selection, bool marksPresent);

enum class StationCellStore { kNothing, kStored, kNameOnly, kAppended };
// A cell edit ended with Enter; nameCell is the text of column 1 of that row.
StationCellStore CommitStationListCell(int32_t row, int32_t col, const std::string& typed,
                                       const std::string& nameCell);

// "挿入": the first selected station stands twice. True when the stations changed.
bool InsertStationListRow(const GridSelection& selection);
// "削除" with marked rows: the stations whose rows are marked (marked[r] for row r).
bool DeleteMarkedStations(const std::vector<bool>& marked);
// "削除" without marks: the selected rows.
bool DeleteStationListRows(const GridSelection& selection);
// "全削除", after its question. True when the stations were deleted.
bool DeleteAllStations();
// "左右反転": left and right stakes of every station exchanged.
void SwapStationSides();
