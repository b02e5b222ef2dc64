#pragma once
// The visibility window's work (可視領域計算, 271): observers A to D, the edits, the runs
// into the visibility image, the observer pick on the view and the overlay.
#include <cstdint>
#include <functional>
#include <string>

#include "analysis/visibility.h"

class OverlayCanvas;

// Control ids of the window.
namespace visctl {
constexpr int kNorth = 1082, kEast = 1083, kEyeElevation = 1084, kEyeHeight = 1114,
              kTargetHeight = 1113, kMaxDistance = 1086, kAzimuth = 1087, kWidth = 1088;
}

class CVisibilityDlg {
public:
    // The opening: defaults for an unset observer, map size 2048 and no grid.
    CVisibilityDlg();
    // The grid is freed; the image stays.
    ~CVisibilityDlg();
    CVisibilityDlg(const CVisibilityDlg&) = delete;
    CVisibilityDlg& operator=(const CVisibilityDlg&) = delete;

    // Set by the window.
    std::function<void()> refreshControls;
    std::function<void()> closeWindow;
    std::function<void(const std::string&)> status;  // status line 1144
    VisibilityHooks liveHooks;                        // dimming and tint on the view

    int32_t m_scanMode = kScanVisible;
    int32_t m_mapSize = 2048;
    bool m_pickArmed = false;  // 1131 開始

    // The text an edit shows, and an edit left (by Enter, by ESC or by the focus moving).
    std::string FieldText(int control) const;
    void EditLeft(int control, const std::string& text, bool byEnter, bool byEscape);
    // An edit entered: the ground elevation in the status line.
    void EditEntered(int control);
    void SelectSlot(int32_t slot);  // radios A, B, C
    void SetMapSize(int32_t size);  // combo 1118

    struct Enables {
        bool create, discard, scan, outOfRange;
    };
    Enables ControlStates() const;

    void CreateVisibilityImage();  // 1014
    void RunScan(int32_t mode);    // 1115 (0), 1153 (1)
    void ClearAll();               // 1117: every pixel invisible
    void ScanOutOfRange();         // 1116
    void OnDiscardImage();         // 1015

    // A release on the view while the window is open: 1 when it set the observer.
    int32_t OnViewClick(int32_t flags, int32_t x, int32_t y);
    void DrawOverlay(OverlayCanvas& canvas);

private:
    void Refresh();
    void RedrawAll();
    void Status(const std::string& text);
    void ReadGroundElevation();
    bool ActiveImageFits() const;
};
extern CVisibilityDlg* g_visibilityDlg;

// The window (installed by the program); it makes its CVisibilityDlg.
void SetVisibilityWindowFactory(std::function<void()> open);
// 可視領域計算: closes the window when open, else opens it.
void OnVisibilityArea();
