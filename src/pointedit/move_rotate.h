#pragma once
// The move, turn and tilt of a body of points (移動・回転) without its window: every point
// that is not change-locked moves rigidly about a base point, previewed in the view,
// committed with 確定, taken back with 戻す or 全取消 and saved as RND.
//
// Turns and tilts act on (east, up, north) = (Y, Z, X) offsets from the base point:
// Turn(a) turns clockwise on the map (north to east), Tilt(c, t) turns by t about the
// horizontal axis (-cos c, 0, sin c), raising the side in direction c;
// G(a, t, c) = Tilt(c, t) · Turn(a).
#include <cstdint>
#include <functional>
#include <string>

#include "model/rotation.h"
#include "model/terrain_data.h"
#include "pointedit/area_selection.h"

Matrix3 MoveRotateMatrix(double turnDegrees, double tiltDegrees, double tiltDirectionDegrees);

// Control ids of the edits.
constexpr int kMoveXEdit = 1082;
constexpr int kMoveYEdit = 1083;
constexpr int kMoveZEdit = 1084;
constexpr int kRotationEdit = 1113;
constexpr int kTiltDirectionEdit = 1116;
constexpr int kTiltEdit = 1117;

class CMoveRotateDlg {
public:
    enum BaseSource { kNoBase = 0, kFreeBase = -1 };  // else a point number
    enum MouseOperation { kMouseNone = 0, kMouseBase = 1, kMouseMove = 2, kMouseRotate = 3 };

    CMoveRotateDlg();
    // Clears the move selection on every point and repaints.
    ~CMoveRotateDlg();
    CMoveRotateDlg(const CMoveRotateDlg&) = delete;
    CMoveRotateDlg& operator=(const CMoveRotateDlg&) = delete;

    // The window refreshes its controls through this (set by the window).
    std::function<void()> refreshControls;

    // ---- the base point ----
    bool HasBase() const { return m_baseSource != kNoBase; }
    int32_t BaseSource() const { return m_baseSource; }
    const RandomPoint& Base() const { return m_base; }
    void SetBasePoint(int32_t index);
    void SetFreeBase(double x, double y, double z = 0.0);
    // "%d", "free" or "---".
    std::string BaseLabel() const;

    // ---- values ----
    void SetAbsoluteMode(bool absolute);
    bool AbsoluteMode() const { return m_absolute && HasBase(); }
    void SetMouseOperation(int32_t operation);
    int32_t MouseOperationChosen() const { return m_mouseOperation; }
    // What an edit shows (offset or absolute, previews included, angles wrapped, the tilt
    // clamped).
    double ShownValue(int id) const;
    // An edit left: with Esc nothing is taken, a 0 only with Enter.
    void EditLeft(int id, double value, bool enter, bool escape);
    // A wheel notch over the dialog on the edit with the focus (+1 or -1).
    void WheelOnEdit(int id, int32_t delta);
    double Move(int axis) const { return m_move[axis]; }
    double Rotation() const { return m_rotation; }
    double Tilt() const { return m_tilt; }
    double TiltDirection() const { return m_tiltDirection; }
    void SetPending(double mx, double my, double mz, double rotation, double tilt,
                    double tiltDirection);
    // 0 nothing committed, 1 a move, 3 a turn or tilt.
    int32_t ChangedState() const { return m_changedState; }
    int32_t PreviewKind() const { return m_previewKind; }

    // ---- buttons ----
    void OnCommit();     // 確定
    void OnUndo();       // 戻す
    void OnCancelAll();  // 全取消
    // 保存: asks for the file (RunFileDialog) and writes it; false when nothing was written.
    bool OnSave();
    // Writes the RND file: every point, or after a TIN-kind commit the moved ones only.
    bool SaveRnd(const std::string& path) const;

    // ---- the view ----
    void OnViewMouse(int32_t message, int32_t flags, int32_t x, int32_t y);
    // Into the locked back buffer, before the blit.
    void DrawPreview();
    // The handles over the window, after the blit.
    AreaOverlay HandleOverlay() const;
    bool PreviewPending() const;

private:
    void Refresh();
    void Redraw(bool everything);
    void RecopyBase();
    void MarkMovingPoints();
    // Applies p -> M·p + v (in east, up, north) to the moving points and to the composite.
    void ApplyToMovingPoints(const Matrix3& m, const double v[3]);
    void ReinvalidateUnderStructure();
    void UpdateChangedState();
    bool ProjectBase(int32_t& column, int32_t& row) const;
    void WorldAt(int32_t x, int32_t y, double& east, double& north) const;
    // The transform of the pending change with the previews: p -> M·p + v.
    void PendingTransform(Matrix3& m, double v[3]) const;

    RandomPoint m_base{};
    int32_t m_baseSource = kNoBase;
    bool m_absolute = false;
    double m_move[3] = {0, 0, 0};
    double m_rotation = 0;
    double m_tiltDirection = 0;
    double m_tilt = 0;
    double m_movePreview[3] = {0, 0, 0};
    double m_rotationPreview = 0;
    int32_t m_mouseOperation = kMouseNone;

    double m_lastMove[3] = {0, 0, 0};
    double m_lastRotation = 0;
    bool m_lastCommit = false;
    RandomPoint m_lastBase{};
    double m_accMove[3] = {0, 0, 0};
    double m_accRotation = 0;
    double m_committedTilt = 0;
    double m_committedDirection = 0;
    // Everything committed as one map, survey coordinates before -> now (east, up, north).
    Matrix3 m_compositeM = IDENTITY3X3;
    double m_compositeV[3] = {0, 0, 0};
    int32_t m_changedState = 0;
    int32_t m_previewKind = 0;
    bool m_previewDrawn = false;  // the back buffer holds a preview

    int32_t m_handle = 0;
    int32_t m_dragStartColumn = 0, m_dragStartRow = 0;
    double m_dragStartEast = 0, m_dragStartNorth = 0;
    double m_directionOffset = 0;
};

extern CMoveRotateDlg* g_moveRotateDlg;
