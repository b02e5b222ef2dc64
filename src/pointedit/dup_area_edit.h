#pragma once
// The duplicate-point area edit (重複点削除 領域編集) without its window: points chosen by
// rectangle, lasso or click are made valid or invalid, their duplicates seen straight down
// or along a tilted axis are invalidated, the whole set can be turned for viewing so that
// the axis stands vertical, and invalid points are deleted.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/rotation.h"
#include "pointedit/area_selection.h"

class ProgressWindow;

constexpr const char* kRotatedRefusal = "回転状態です\n復元処理を行ってください";

class CDupPointAreaEditDlg {
public:
    enum Method { kRectangle = 0, kLasso = 1 };

    CDupPointAreaEditDlg();
    // Restores turned points, clears the selection bits, shows invalid points again and
    // repaints.
    ~CDupPointAreaEditDlg();
    CDupPointAreaEditDlg(const CDupPointAreaEditDlg&) = delete;
    CDupPointAreaEditDlg& operator=(const CDupPointAreaEditDlg&) = delete;

    std::function<void()> refreshControls;
    // The status line of a running check (null: none).
    ProgressWindow* statusWindow = nullptr;

    // ---- values ----
    double JudgeDistance() const { return m_judgeDistance; }
    bool KeepLowest() const { return m_keepLowest; }
    void SetKeepLowest(bool lowest) { m_keepLowest = lowest; }
    int32_t SelectionMethod() const { return m_method; }
    void SetSelectionMethod(int32_t method) { m_method = method; }
    bool GizmoOn() const { return m_gizmo; }
    void SetGizmo(bool on);
    double TiltDegrees() const { return m_tilt; }
    double DirDegrees() const { return m_dir; }
    int32_t SelectedCount() const { return m_selectedCount; }
    bool Rotated() const { return m_rotated; }
    const Matrix3& ViewRotation() const { return m_view; }
    int32_t LastPick() const { return m_lastPick; }

    // The edits on leaving: a non-zero distance replaces it (below 1e-6: 0.1); TILT is
    // taken as typed, DIR brought into [0, 360).
    void JudgeDistanceLeft(double value);
    void TiltLeft(double value);
    void DirLeft(double value);
    // A wheel notch on TILT (tilt = true) or DIR: +1 or -1; TILT of 180 or more becomes
    // 179, -180 or less -179.
    void WheelOnAngle(bool tilt, int32_t delta);
    // 無効点表示 ticked (shown) or not.
    void ShowInvalidPoints(bool shown);

    // ---- buttons ----
    void OnSetValid(bool valid);  // 有効 / 無効
    void OnClearSelection();      // 選択解除
    // 垂直軸重複点チェック (arbitrary = false) / 任意軸重複点チェック.
    void OnDuplicateCheck(bool arbitrary);
    void OnRotateRestore();  // 回転/復元
    void OnDeleteInvalid();  // 無効点削除

    // ---- the view ----
    void OnViewMouse(int32_t message, int32_t flags, int32_t x, int32_t y);
    int32_t PickPoint(int32_t x, int32_t y, int32_t radius) const;
    AreaOverlay Overlay() const;
    // Selects by rectangle; returns the points inside.
    void SelectRectangle(int32_t x0, int32_t y0, int32_t x1, int32_t y1);

    // Restores the points' survey coordinates, also after points were added, deleted or
    // edited while turned.
    void Restore(bool tellCountChange);

private:
    void RebuildView();
    void Rotate();
    void Recompute();
    // Where the turn puts saved point i (north X, east Y, Z).
    void TurnedPosition(int32_t i, double& x, double& y, double& z) const;
    void GizmoCentre(double c[3]) const;  // east, up, north
    void DeriveAngles();
    void Refresh();
    void Redraw(bool everything);

    double m_judgeDistance = 0.1;
    bool m_keepLowest = true;
    int32_t m_method = kRectangle;
    bool m_gizmo = true;
    double m_tilt = 0.0;
    double m_dir = 0.0;
    Matrix3 m_view = IDENTITY3X3;
    int32_t m_centrePoint = 0;
    int32_t m_lastPick = 0;
    int32_t m_selectedCount = 0;

    bool m_rotated = false;
    std::vector<double> m_saved;  // X, Y, Z per point
    int32_t m_savedCount = 0;
    Matrix3 m_rotation = IDENTITY3X3;
    double m_appliedDir = 0.0;
    double m_centre[3] = {0, 0, 0};  // east, up, north of the turn
    double m_panNorth = 0.0, m_panEast = 0.0;

    int32_t m_dragState = 0;
    bool m_handleDrag = false;
    int32_t m_path = 0;
    int32_t m_startX = 0, m_startY = 0, m_lastX = 0, m_lastY = 0;
    double m_dirAtDown = 0.0;
    int32_t m_idleMoves = 100;
    int32_t m_handleSign = 0;
};

extern CDupPointAreaEditDlg* g_dupPointAreaEditDlg;
