#pragma once
// The text-flag window's work (dialog 198 "テキストフラグ"): its buttons and fields, and
// its mouse tool on the view, which adds, picks, drags and deletes flags. The window
// (ui/text_flag_dialog) only shows these values and forwards the user's answers. Also the
// flag picks the view makes without a tool, and the opening of a flag's linked file.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "model/terrain_data.h"
#include "view/text_flags.h"

class OverlayCanvas;

// What the window's edit fields hold (CP932 texts, numbers as typed).
struct TextFlagFields {
    std::string text;
    std::string link;
    std::string x = "0.000";
    std::string y = "0.000";
    std::string z = "0.000";
    std::string lineLength = "50";
    int32_t colour = 1;     // 1..4
    int32_t sizeClass = 1;  // 1..3
};

// Mouse messages the view passes on.
constexpr int32_t kFlagMouseMove = 0x200;
constexpr int32_t kFlagLButtonDown = 0x201;
constexpr int32_t kFlagLButtonUp = 0x202;

class CTextFlagDlg {
public:
    enum Mode { kNone = 0, kAdd = 1, kEdit = 2, kDelete = 3 };

    // Opens with mode 0, empty fields and flags shown; becomes g_textFlagDlg.
    CTextFlagDlg();
    // Asks to save unsaved changes; the tool ends and g_textFlagDlg becomes null.
    ~CTextFlagDlg();
    CTextFlagDlg(const CTextFlagDlg&) = delete;
    CTextFlagDlg& operator=(const CTextFlagDlg&) = delete;

    // Set by the window: refill the controls from Fields() and EditPartShown(), put the
    // focus on the text field, and close the window (閉じる).
    std::function<void()> refreshControls;
    std::function<void()> focusText;
    std::function<void()> closeWindow;

    TextFlagFields& Fields() { return m_fields; }
    int32_t CurrentMode() const { return m_mode; }
    bool EditPartShown() const { return m_editPart; }
    bool Modified() const { return m_modified; }
    int32_t DragFlag() const { return m_dragFlag; }

    void OnMode(Mode mode);  // 追加, 編集, 削除
    void OnRegister();       // 登録
    void OnCancel();         // 中止
    void OnLoad();           // 読込
    bool OnSave();           // 保存; false when nothing was written
    void OnClose();          // 閉じる and the close box
    void OnBrowseLink();     // 参照

    // Field edits: each returns the text the field shows afterwards.
    std::string TextLeft(const std::string& text);
    std::string LinkLeft(const std::string& text);
    std::string NumberLeft(const std::string& text);      // X, Y, Z: "%.3f"
    std::string LineLengthLeft(const std::string& text);  // "%d"
    std::string SizeLeft(const std::string& text);        // clamped to 10..64, " %d"
    std::string AllLineLengths(const std::string& text);  // 線長一括変更
    // The size combo chose class index + 1; the text of the size field.
    std::string OnSizeClass(int32_t index);
    std::string SizeText() const;
    // A colour swatch got a new colour (red | green << 8 | blue << 16), 1..4.
    void SetFlagColour(int32_t colourClass, int32_t colorRef);
    static int32_t FlagColour(int32_t colourClass);

    // The view's mouse while the tool is on; flags are kMouseFlag* bits.
    int32_t OnViewMouse(int32_t message, int32_t flags, int32_t column, int32_t row);
    // The marker of the ground point a drag would move the flag to.
    void DrawOverlay(OverlayCanvas& canvas);

private:
    bool RevertMove();
    bool Position(int32_t dc, int32_t dr, int32_t column, int32_t row, bool shift, double& x,
                  double& y, double& z) const;
    int32_t FlagNear(int32_t dc, int32_t dr, int32_t limit) const;
    void HandleClick(bool found);
    void LoadFields(const TextFlag& f);
    bool StoreFields(TextFlag& f);
    void Shrink();
    void Refresh();

    TextFlagFields m_fields;
    int32_t m_mode = kNone;
    int32_t m_dragFlag = 0;  // -1 right after a click on no flag
    int32_t m_movedFlag = 0;
    double m_movedX = 0, m_movedY = 0, m_movedZ = 0;
    int32_t m_pressX = 0, m_pressY = 0;
    bool m_movedFar = false;
    bool m_modified = false;
    bool m_editPart = false;
    int32_t m_clickX = 0, m_clickY = 0;
    int32_t m_selectedSizeClass = 0;  // the selected flag's class before the combo changed it
    RandomPoint m_ground{};
};
extern CTextFlagDlg* g_textFlagDlg;

// The flag whose client position lies nearest (squared distance below r2); 0 for none.
int32_t FindTextFlagAtCursor(int32_t column, int32_t row, int32_t r2);
// A release without a tool: selects the flag nearest the click (city-block below 30).
int32_t PickLinkMark(int32_t message, int32_t flags, int32_t column, int32_t row);
// After PickLinkMark: asks to open the selected flag's linked file and opens it.
void OpenSelectedFlagLink();
// Where a flag's links live: the folder of the current data file.
std::filesystem::path TextFlagLinkFolder();
