#pragma once
// ランダム点一覧 without its window: the texts of its rows, the window of loaded rows, and
// what its buttons do to the points (register, delete, valid/invalid, label mode, copy
// and paste through the clipboard). Texts are CP932 as the records hold them.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The point whose list row is current, marked in the view; 0 none.
extern int32_t g_listHighlightedPoint;

constexpr int32_t kPointListColumns = 7;
constexpr int32_t kPointListMaxShown = 3000;  // the count field's limit
constexpr int32_t kPointListDefaultShown = 200;

// Cells of the row of point n ("%5d", "%6.4f" X and Y, "%6.3f" Z, name, "X" when
// invalid, label mode); the new-point row (n = g_pointCount + 1) has the number only.
std::array<std::string, kPointListColumns> PointListRow(int32_t n);
// The 作画 cell of a plot kind: 1 "N ", 2 " H", 3 "HN", anything else empty.
const char* PlotKindText(int32_t kind);

// The rows loaded: points start .. start + shown - 1 (and the new-point row after the last
// point when they reach it).
struct PointListWindow {
    int32_t start = 1;
    int32_t shown = 0;
};
// What FillList loads for (start, n): n <= 0 all points; start clamped to 1..count; n cut
// at the last point.
PointListWindow ClampPointListWindow(int32_t start, int32_t n);
// The window a list opens with: from the highlighted point (else 1), 200 rows or to the
// end with the new-point row.
PointListWindow OpeningPointListWindow();
// After a paste: at least 200 rows, or to the end with the new-point row.
PointListWindow WidenedPointListWindow(PointListWindow w);
// The start and count fields losing the focus (text read with atoi).
PointListWindow StartFieldLeft(PointListWindow w, const std::string& text);
PointListWindow CountFieldLeft(PointListWindow w, const std::string& text);

// The edit row as typed.
struct PointListEdit {
    std::string number;
    std::string x;
    std::string y;
    std::string z;
    std::string name;
};
enum class PointRegisterResult {
    kNothing,    // number 0 or less
    kNotListed,  // told "指定された番号は一覧にありません"
    kRefused,    // the point array could not grow
    kStored,     // an existing point changed
    kAppended,   // a new point after the last
};
// 登録: stores the edit row into its point, or appends a point with plot kind 2 when the
// number is the one after the last. `number` receives the point's number.
PointRegisterResult RegisterListedPoint(const PointListEdit& edit, PointListWindow window,
                                        int32_t* number);

// 削除: removes the points numbered in `numbers` (any order, duplicates allowed) in one
// pass. With a TIN the user is asked first ("現在の三角網は解除されます"), and the TIN, the
// outline and the picks are released. False when nothing was deleted.
bool DeleteListedPoints(const std::vector<int32_t>& numbers);

// 使用: the first listed point decides; all take the opposite of its state. Returns the
// new invalid flag (0 or 1), -1 when there was nothing to switch.
int32_t ToggleListedValidity(const std::vector<int32_t>& numbers);

// 作画: every listed point gets label mode `kind` (0..3); numbers past the last point are
// skipped.
void SetListedPlotKind(const std::vector<int32_t>& numbers, int32_t kind);

// 表コピー: the table of all points as text, header first ("%4d", "\t%12.3f" X, Y, Z,
// "\t%s" name per line).
std::string PointTableText();
// Copies it to the clipboard and tells the user; nothing without points. False when the
// clipboard refused.
bool CopyPointTable();

// One pasted line: X, Y, Z, then optionally the name, the invalid flag and the plot kind,
// separated by tabs.
struct PastedPoint {
    double x = 0;
    double y = 0;
    double z = 0;
    std::string name;
    int32_t invalid = 0;
    int32_t plotKind = 0;
};
// The points of a pasted text. Lines end with LF or CR LF; blank lines and heading lines
// (a coordinate field that is not a number) are skipped.
std::vector<PastedPoint> ParsePastedPoints(const std::string& text);
// 貼り付け: appends the clipboard's points after the last one. Returns how many were added;
// an empty or unreadable clipboard is reported.
int32_t PastePointsFromClipboard();

// The view's half of the link: a release on a point (within 400 squared pixels) while the
// list is open makes its row current. The list installs the receiver while it is open.
void SetPointListReceiver(std::function<void(int32_t point)> receiver);
bool PointListOpen();
// Sends a point number to the open list (the view's click, the modify tool's pick).
void SendPointToList(int32_t point);
// The view's release at client (x, y); true when a point was sent.
bool PointListViewRelease(int32_t x, int32_t y);
