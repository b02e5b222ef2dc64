#pragma once
// Single IPs and stations edited with the mouse: the registration dialog "座標データの登録"
// (132) over the working copy `g_ipEdit`, the IP change, delete and insert tools, and the
// station deletion tool. Positions are client pixels of the view, rows counted down.
#include <cstdint>
#include <functional>
#include <string>

// Dialog 132's controls.
constexpr int kCoordRegisterName = 1000;
constexpr int kCoordRegisterNumber = 1001;
constexpr int kCoordRegisterX = 1002;
constexpr int kCoordRegisterY = 1003;
constexpr int kCoordRegisterStore = 1004;  // 登録
constexpr int kCoordRegisterNo = 1005;     // "NO. %d"
constexpr int kCoordRegisterRadius = 1010;
constexpr int kCoordRegisterA1 = 1011;
constexpr int kCoordRegisterA2 = 1012;
constexpr int kCoordRegisterFields[] = {kCoordRegisterX,      kCoordRegisterY,
                                        kCoordRegisterName,   kCoordRegisterNumber,
                                        kCoordRegisterRadius, kCoordRegisterA1,
                                        kCoordRegisterA2};

// A field's text from `g_ipEdit` in the field's format (CP932; the name as stored), and
// the static 1005.
std::string CoordRegisterFieldText(int id);
std::string CoordRegisterNumberLabel();
// A field losing the focus: stores what it accepts and returns the text it shows then.
// A1 and A2 refuse negative values, the number values outside -99..999.
std::string CoordRegisterFieldLeft(int id, const std::string& typed);
// Radius, number, A1 and A2 are off while the section tools use the dialog.
bool CoordRegisterFieldEnabled(int id);
// "登録": the working copy into record `g_currentIp` (count + 1 appends it).
void StoreCoordRegister();
// ｷｬﾝｾﾙ, Escape or the right button.
void CancelCoordRegister();
// The dialog's window is gone: the IP mark goes.
void CoordRegisterClosed();

// Runs dialog 132 modally: 0 after "登録", nonzero after cancelling. The window system
// installs the dialog; without one the dialog is cancelled.
int RunCoordRegisterDialog();
void SetCoordRegisterDialogRunner(std::function<int()> runner);

// The leg i (IP i to IP i + 1) nearest to the pixel, within limitPixels; 0 for none.
int32_t FindRouteSegmentAtCursor(int32_t x, int32_t y, int32_t limitPixels);
// The station whose mark is nearest to the pixel within the squared pixel distance; 0 for
// none and in the bird's-eye view.
int32_t FindStationAtCursor(int32_t x, int32_t y, int32_t limitSquaredPixels);

// The IP tools: keyFlags as the view's mouse messages carry them; a click with Shift, Ctrl
// or Alt does nothing. The change tool takes the world position of a drag's release
// (`g_currentIp` set by the press) or, for a click, the picked IP's own position.
void EditIpAtCursor(int32_t keyFlags, int32_t x, int32_t y, double worldX, double worldY);
void DeleteIpAtCursor(int32_t keyFlags, int32_t x, int32_t y);
void InsertIpAtCursor(int32_t keyFlags, int32_t x, int32_t y);
// "切り出し位置削除": the first click selects a station, a second one on it deletes it.
void PickOrDeleteStation(int32_t keyFlags, int32_t x, int32_t y);
