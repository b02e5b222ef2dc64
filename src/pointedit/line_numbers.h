#pragma once
// White-line IDs kept in point names (白線ID設定): clicking points in order chains them
// into a line. A numbered name is "_", a three-character ID (a line's first point: the
// line width in cm), a kind ("W" first point of a white line, "T" of a triangle pair, "."
// a link follows, NUL the line's last point) and the link: the ID of the next point.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "model/terrain_data.h"

class CommandHandlerMap;

extern int32_t g_lineWidthCm;     // width written into a line's first point
extern std::string g_nextLineId;  // the ID the next click gives
extern std::string g_prevLineId;  // the ID the previous click gave
extern int32_t g_prevLinePoint;   // the point clicked before (0 none)

constexpr int32_t kMaxLineWidthCm = 999;  // three digits in the ID field

// The order of IDs: numbers "000".."999" by value, any other ID by its character codes
// (above every number); 0 for an ID shorter than 3 or not starting with a digit or blank.
int32_t LineIdValue(std::string_view id);
// The next ID: numbers count up to 998, then "0AA"; letters run A..Z, a..z with a carry
// to the left. An ID not starting with a digit or blank is returned unchanged.
std::string IncrementLineId(std::string_view id);
// Whether the point's name is "_" and a digit.
bool IsLineNumbered(const RandomPoint& p);
// The largest ID of the numbered points that are not a line's first point; "000" for none.
std::string FindHighestLineId();
bool IsLineIdInUse(std::string_view id);
// The next ID not in use (at most 20000 steps).
std::string NextFreeLineId(std::string_view id);
// Where numbering starts: the next free ID after the highest.
std::string LineIdStartValue();

class CLineNumberDlg {
public:
    enum Mode { kNone = 0, kNumbering = 1, kAppend = 2, kTrianglePairs = 3 };

    // Opens with mode 0 and the start value as the next ID; becomes g_lineNumberDlg.
    CLineNumberDlg();
    // g_pickedPoint and g_lineNumberDlg become 0.
    ~CLineNumberDlg();
    CLineNumberDlg(const CLineNumberDlg&) = delete;
    CLineNumberDlg& operator=(const CLineNumberDlg&) = delete;

    // Set by the window: refreshes its controls, and closes it (the command given again).
    std::function<void()> refreshControls;
    std::function<void()> closeWindow;

    int32_t CurrentMode() const { return m_mode; }
    bool TriangleSwitch() const { return m_triangles; }
    int32_t RunCount() const { return m_run; }

    void OnStartNumbering(bool ticked);  // ナンバリング開始
    void OnStartAppend(bool ticked);     // 開始(追加)
    void OnEndNumbering();               // ナンバリング終了
    void OnTriangle(bool ticked);        // 三角形作成
    void OnRenumber();                   // 番号付け直し
    void OnErase();                      // 消去
    // ファイル保存: asks for the file and writes it; false when nothing was written.
    bool OnSave();
    // The numbered points as RND text: 30 asterisks in the header, validity column 1.
    bool SaveRnd(const std::string& path) const;

    // The width edit left: a whole number 1..999 is taken. Returns the text it shows.
    std::string WidthLeft(const std::string& text);
    // The next-ID edit left: "7" means "007"; an ID in use is refused with its message.
    // Returns the text it shows (the next ID).
    std::string NextIdLeft(const std::string& text);

    // A release on the view: 1 when it numbered a point (the view then redraws all).
    int32_t OnViewClick(int32_t flags, int32_t x, int32_t y);

private:
    void ResetRun();
    void Refresh();

    int32_t m_mode = kNone;
    bool m_triangles = false;
    int32_t m_run = 0;
};
extern CLineNumberDlg* g_lineNumberDlg;

// The window of the dialog (installed by the program); it makes its CLineNumberDlg.
void SetLineNumberWindowFactory(std::function<void()> open);
// 線番号設定: closes the window when it is open, else opens it.
void OnLineNumbering();
// Registers the command with the view's commands.
void RegisterLineNumberCommand(CommandHandlerMap& commands);
