#pragma once
// トンネル展開 (259) without its window: the development axis (two random points or a chain
// of free points clicked in the view or read from a .RUT file), the development and its
// restore, the duplicate-point utilities and the two-sided TIN. The view passes its
// clicks and keys here while the window is open and draws the axis with
// DrawTunnelOverlay.
#include <cstdint>
#include <functional>
#include <string>

#include "analysis/tunnel_development.h"

class CommandHandlerMap;
class OverlayCanvas;

class CTunnelDevelopDlg {
public:
    enum AxisMode { kTwoPoints = 0, kChain = 1 };

    // Opens as the Part's start: chain mode, W 30, height difference 3; the base points
    // from the points named "@BGN" and "@END". Becomes g_tunnelDlg.
    CTunnelDevelopDlg();
    // Restores a development still in the points, frees the copy, clears the tool mode
    // and g_tunnelDlg, and repaints the view.
    ~CTunnelDevelopDlg();
    CTunnelDevelopDlg(const CTunnelDevelopDlg&) = delete;
    CTunnelDevelopDlg& operator=(const CTunnelDevelopDlg&) = delete;

    // Set by the window: refreshes its controls from the members below; closes it.
    std::function<void()> refreshControls;
    std::function<void()> closeWindow;

    TunnelDevelopState state;  // W, flip, base points, chain, copy, message (1140)
    double heightDifference = 3.0;
    double judgement = 0.001;  // 判定距離
    int32_t axisMode = kChain;
    int32_t keepMode = 0;  // 0 highest, 1 lowest
    int32_t pickMode = 0;  // 0 none, 1 or 2: which pick button is down

    // Control states the window shows.
    bool heightDifferenceShown = true;
    bool restoreEnabled = false;
    bool cylinderEnabled = true;
    bool sphereEnabled = false;
    bool importEnabled = true;
    std::string baseText1, baseText2;  // 1155, 1156

    int32_t ChainCount() const;

    void OnTwoPointMode();
    void OnChainMode();
    void OnBasePoint1(bool down);
    void OnBasePoint2(bool down);
    // A release in the view (client pixels): nonzero when the axis changed.
    int32_t OnViewClick(int32_t flags, int32_t x, int32_t y);
    // A key in the view: 1 when Delete or Backspace removed the last axis point.
    int32_t OnViewKey(int32_t key);
    void UpdateTexts();

    // Edit boxes left; each returns the text the box shows then.
    std::string OnWidthChanged(const std::string& text);
    std::string OnHeightDifferenceChanged(const std::string& text);
    std::string OnDistanceChanged(const std::string& text);
    void OnFlip(bool on) { state.flip = on ? 1 : 0; }
    void OnKeepHighest() { keepMode = 0; }
    void OnKeepLowest() { keepMode = 1; }

    void OnDevelopCylinder();
    void OnDevelopSphere();
    void OnRestore();
    void OnInvalidateDuplicates();
    void OnReleaseInvalid();
    void OnMakeTwoSided();
    // 路線取込: asks for the file, then ImportRoute.
    void OnImportRoute();
    // Reads the chain from a .RUT station file. False (nothing changed) when the file
    // cannot be read or its header is not five "**" lines.
    bool ImportRoute(const std::string& path);

    // 閉じる: restores, then closes. The close box also turns the duplicate marks (flag
    // 3) into ordinary invalid points (flag 1).
    void OnOK();
    void OnClose();
    // The work of those two before the window goes (closeBox: the close box's).
    void PrepareClose(bool closeBox);

    // Heights for a new chain point at (x, y): from the floor and crown points within
    // 2.5 m (false when they do not show a tunnel), or from the points within W.
    bool HeightFromFloorAndCrown(double x, double y, double& z) const;
    double HeightFromNeighbours(double x, double y, double z) const;

private:
    void PickBasePoint(int32_t flags, int32_t x, int32_t y, int32_t& result);
    void EditChainPoint(int32_t flags, int32_t x, int32_t y, int32_t& result);
    void RemoveChainPoint(int32_t i);
    void InsertChainPoint(double x, double y, double z);
    void AfterDevelop();
    void Refresh();
};
extern CTunnelDevelopDlg* g_tunnelDlg;

// The window of the dialog (installed by the program); it makes its CTunnelDevelopDlg.
void SetTunnelWindowFactory(std::function<void()> open);
// トンネル展開: closes the window when it is open, else opens it.
void OnTunnelDevelopment();
void RegisterTunnelCommand(CommandHandlerMap& commands);

// The axis over the view: base points, then the chain; the first point of each series a
// red square, the others circles, consecutive shown points joined.
void DrawTunnelOverlay(OverlayCanvas& canvas);
