#pragma once
// The IP list "ＩＰ点一覧" without its window: the cells of its grid, the clipboard table,
// and what its buttons and cell edits do to the IP table. Row r of the grid shows IP r;
// texts are CP932.
#include <cstdint>
#include <string>

#include "route/route_lists.h"

constexpr int32_t kIpListColumns = 8;
// Headings of the grid's columns (UTF-8).
extern const char* const kIpListHeadings[kIpListColumns];

// IP numbers keep to the width of the route file's number column.
constexpr int32_t kMinIpNumber = -99;
constexpr int32_t kMaxIpNumber = 999;
inline bool IpNumberFits(double n) { return n >= kMinIpNumber && n <= kMaxIpNumber; }
// The message of a number outside that range (UTF-8).
extern const char* const kIpNumberRangeMessage;
extern const char* const kIpLimitMessage;  // "ＩＰ点数が制限に達しました"

// Names typed into the list or dialog 132 keep to the 7 bytes of the field, pasted
// names to 5.
constexpr size_t kIpNameBytes = 7;
constexpr size_t kPastedIpNameBytes = 5;

// The text of a cell, "" for rows beyond the last IP.
std::string FormatIpListCell(int32_t row, int32_t col);
// What a click on the first blank row proposes: a name in column 1, a number in column 2;
// "" elsewhere.
std::string ProposeIpListCell(int32_t row, int32_t col);

// "表コピー": the table text (LF line ends); a single cell takes the whole table. Empty
// when there are no IPs.
std::string IpListCopyText(const GridSelection& selection);
void CopyIpTable(const GridSelection& selection);

// "貼り付け" of a text (CP932): one IP per line, fields name, number, X, Y, radius, A1,
// A2. Empty lines and headings are skipped. Returns the number of IPs appended.
int32_t PasteIpText(const std::string& text);
// The same from the clipboard.
int32_t PasteIpTable();

// The current cell changed: the IP of a single selected row becomes current, and the
// view marks it.
void SelectIpListRow(const GridSelection& selection);

enum class IpCellStore {
    kNothing,   // nothing to store (or refused with a message)
    kStored,    // a field of an IP changed: rewrite the row
    kNameOnly,  // a name in the first blank row: only the cell keeps it
    kAppended,  // a new IP from the first blank row
};
// A cell edit ended with Enter. nameCell is the text of column 1 of that row (the name
// of an IP appended from the first blank row).
IpCellStore CommitIpListCell(int32_t row, int32_t col, const std::string& typed,
                             const std::string& nameCell);

// "挿入": a copy of the first selected IP below it. True when the table changed.
bool InsertIpListRow(const GridSelection& selection);
// "削除": the selected IPs. True when the table changed.
bool DeleteIpListRows(const GridSelection& selection);
// "全削除", after its questions.
void DeleteAllIps();
// "番号再登録": numbers from `start` on, BP and EP included.
bool RenumberIps(int32_t start);
