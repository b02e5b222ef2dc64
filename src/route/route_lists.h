#pragma once
// What the route list windows share: the grid selection they act on, the clipboard text
// of their tables, and the refresh of the open windows after the tables changed.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The grid's current cell and the other corner of its selection.
struct GridSelection {
    int32_t row = 0;
    int32_t col = 0;
    int32_t rowSel = 0;
    int32_t colSel = 0;

    int32_t FirstRow() const { return row < rowSel ? row : rowSel; }
    int32_t LastRow() const { return row < rowSel ? rowSel : row; }
    int32_t FirstCol() const { return col < colSel ? col : colSel; }
    int32_t LastCol() const { return col < colSel ? colSel : col; }
    bool SingleCell() const { return row == rowSel && col == colSel; }
    // A selection within one column names no rows for insert and delete.
    bool SingleColumn() const { return col == colSel; }
};

// The block a list's copy takes: the selection, or the whole table when a single cell is
// selected; its rows kept within the table's records 1..rows.
struct CopyBlock {
    int32_t firstRow = 0, lastRow = 0, firstCol = 0, lastCol = 0;
    bool HasColumn(int32_t col) const { return col >= firstCol && col <= lastCol; }
};
CopyBlock ListCopyBlock(const GridSelection& selection, int32_t rows, int32_t columns);
// The copy's heading line (CP932): the row number's heading always, then those of the
// block's other columns.
std::string CopyHeadingLine(const char* const* headingsUtf8, int32_t columns,
                            const CopyBlock& block);

// Makes the single selected row (within 1..count) the list's current record, or none;
// true when a single row is selected and the current record changed.
bool SelectListRow(const GridSelection& selection, int32_t count, int32_t& current);
// The row before which the IP and station lists insert, or 0 where they refuse: no
// records, a selection within one column or a single record (those two told).
int32_t ListInsertionRow(const GridSelection& selection, int32_t count);
// Whether the IP and station lists delete rows: some records and rows selected (told when
// the selection lies within one column).
bool ListDeletionAllowed(const GridSelection& selection, int32_t count);

// The lines of a pasted table (CP932): split at LF, a CR before the LF dropped, a last line
// without LF kept; empty lines left out.
std::vector<std::string> PastedTableLines(const std::string& text);
// The TAB-separated fields of a line.
std::vector<std::string> SplitTableFields(const std::string& line);
// Blanks (space, TAB) removed from both ends.
std::string TrimBlanks(const std::string& text);
// A field's number as atof reads it (C locale); 0 for an empty field.
double FieldNumber(const std::string& field);
// Whether every numeric field (numbers first..last, counted from 0) that the line has is
// empty or a number: a heading line fails.
bool NumericFieldsParse(const std::vector<std::string>& fields, size_t first, size_t last);
// The text cut to at most `limit` bytes without splitting a double-byte character.
std::string CutCp932(const std::string& text, size_t limit);

// The clipboard with the list windows' messages: false after the busy message.
bool PutTableOnClipboard(const std::string& cp932);
// The clipboard's text; empty after the "no data" message.
std::string TakeTableFromClipboard();

// The open list windows refresh their rows from the tables; nothing when closed.
void RefreshIpList();
void RefreshStationList();
void RefreshPlusStakeGrid();
// Installed by each window while it is open (empty when it closes).
void SetIpListRefresher(std::function<void()> refresh);
void SetStationListRefresher(std::function<void()> refresh);
void SetPlusStakeGridRefresher(std::function<void()> refresh);

// The frame commands of the list windows (32811, 32818, 32806): the mouse tool off, the
// tool windows closed, then the window toggled; showRoute: the route is shown too.
void OnRouteListCommand(const std::function<void()>& toggle, bool showRoute);

// Message texts the lists share.
inline constexpr const char* kClipboardBusy = "クリップボードは他のアプリケーションで使用中です";
inline constexpr const char* kClipboardBusyCaption = "コピーできません";
inline constexpr const char* kClipboardEmpty = "クリップボードにデータがありません";
inline constexpr const char* kInsertRowNeeded = "挿入行を指定してください";
inline constexpr const char* kDeleteRowNeeded = "削除行を指定してください";
