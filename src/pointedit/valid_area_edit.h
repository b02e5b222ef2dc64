#pragma once
// The valid/invalid area edit (有効無効 領域編集) without its window: points inside a
// sphere, a cone or a dragged rectangle are made valid or invalid, renamed, locked or
// unlocked against changes, and invalid points are deleted.
#include <cstdint>
#include <functional>
#include <string>

#include "model/rotation.h"
#include "pointedit/area_selection.h"

class CValidAreaEditDlg {
public:
    CValidAreaEditDlg();
    // Clears the selection, pick and lock bits on every point (locks last only while the
    // dialog is open) and repaints.
    ~CValidAreaEditDlg();
    CValidAreaEditDlg(const CValidAreaEditDlg&) = delete;
    CValidAreaEditDlg& operator=(const CValidAreaEditDlg&) = delete;

    std::function<void()> refreshControls;

    // ---- values (the edits take them when they lose the focus) ----
    double Radius() const { return m_radius; }
    double LowOffset() const { return m_lowOffset; }
    double ConeAngle() const { return m_coneAngle; }
    const std::string& NewName() const { return m_newName; }
    void RadiusLeft(double value);
    void LowOffsetLeft(double value);
    void ConeAngleLeft(double value);
    // At most 14 bytes typed; trailing blanks dropped; the first 8 bytes kept (whole
    // characters).
    void NameLeft(const std::string& text);

    bool SphereMode() const { return m_sphere; }
    bool ConeMode() const { return m_cone; }
    bool LowestMode() const { return m_lowest; }
    bool ScreenUp() const { return m_screenUp; }
    void SetSphereMode(bool on);
    void SetConeMode(bool on);
    void SetLowestMode(bool on);
    void SetScreenUp(bool on);
    int32_t Validity() const { return m_validity; }
    void SetValidity(int32_t v) { m_validity = v; }  // 1 有効化, -1 無効化, 0 none
    bool Rename() const { return m_rename; }
    void SetRename(bool on) { m_rename = on; }
    int32_t LockAction() const { return m_lockAction; }
    void SetLockAction(int32_t v) { m_lockAction = v; }  // 1 変更禁止, -1 変更許可, 0 none

    // ---- buttons ----
    void OnApply();            // 適用
    void OnClearSelection();   // 選択解除
    void OnDeleteInvalid();    // 無効点削除

    // ---- the view ----
    void OnViewMouse(int32_t message, int32_t flags, int32_t x, int32_t y);
    int32_t PickPoint(int32_t x, int32_t y, int32_t radius) const;
    AreaOverlay Overlay() const;
    bool HasPick() const { return m_hasPick; }
    // The unit cone axis (east, up, north).
    void ConeAxis(double a[3]) const;

private:
    void Evaluate(int32_t x, int32_t y, int32_t path);
    void SelectByCone();
    void Mark(RandomPoint& p);
    // Unmarks the points the last gesture marked; false when there were none.
    bool DropLastGesture();
    void Redraw();
    void Refresh();
    // Ground positions (X, Y, Z) of the cone's apex and rim at the overlay's length.
    void ConeGeometry(double apex[3], double tip[3], double rim[16][3]) const;

    double m_radius = 1.0;
    double m_lowOffset = 0.0;
    double m_coneAngle = 45.0;
    bool m_sphere = false, m_cone = false, m_lowest = false, m_screenUp = false;
    int32_t m_validity = -1;
    bool m_rename = false;
    std::string m_newName;
    int32_t m_lockAction = 0;

    Matrix3 m_orientation = IDENTITY3X3;
    bool m_hasPick = false;
    double m_centre[3] = {0, 0, 0};  // X, Y, Z of the sphere centre
    int32_t m_conePick = 0;
    bool m_marked = false;

    int32_t m_dragState = 0;
    int32_t m_path = 0;
    int32_t m_startX = 0, m_startY = 0, m_lastX = 0, m_lastY = 0;
    int32_t m_handle = 0;
    double m_angleAtDown = 45.0;
};

extern CValidAreaEditDlg* g_validAreaEditDlg;
