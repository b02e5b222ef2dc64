#include "dxf/vector_editor.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "analysis/section_profile.h"
#include "dxf/dxf_info.h"
#include "dxf/dxf_pick_state.h"
#include "dxf/dxf_picking.h"
#include "dxf/dxf_registration.h"
#include "dxf/dxf_snap_index.h"
#include "dxf/dxf_writer.h"
#include "model/geometry.h"
#include "model/terrain_data.h"
#include "model/tin_query.h"
#include "platform/encoding.h"
#include "platform/file_dialog.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "pointedit/edit_point.h"
#include "pointedit/point_array.h"
#include "shell/work_folder.h"
#include "view/display_flags.h"
#include "view/pick_overlay.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/parallel_ranges.h"
#include "view/view_navigation.h"
#include "view/view_picking.h"
#include "view/view_state.h"
#include "view/view_transform.h"

int32_t g_vecCreateTool = VEC_TOOL_POLYLINE;
int32_t g_vecElevationSource = 0;
double g_vecWheelStep = 1.0;
char g_vecNewText[32] = {};
double g_vecTextHeight = 5.0;
int32_t g_vecDecimals = 3;
int32_t g_vecDivisions = 36;
int32_t g_vecTinCross = 0;
CVecCreate* g_vecCreateDlg = nullptr;

std::function<void(double, double, double, double)> g_vecProfileCutter =
    [](double x1, double y1, double x2, double y2) { CutTinProfile(x1, y1, x2, y2, 1); };

namespace {

constexpr int32_t kSnapRadius2 = 4800;
constexpr int32_t kGrabDistance = 15;  // pixels, horizontal plus vertical
constexpr int32_t kMoveSlack = 4;

DxfElement* Elements() { return g_dxfElementsBlock.Data(); }

int32_t Count() {
    if (!Elements()) return 0;
    return std::max(0, std::min(g_dxfElementCount, g_dxfElementsBlock.Size() - 1));
}

bool IsPolylinePen(uint8_t pen) { return pen == DXF_PEN_MOVE || pen == DXF_PEN_DRAW; }

void ClearPick() { g_pickedDxfElement = g_pickedDxfFirst = g_pickedDxfLast = 0; }

void PickLast() { g_pickedDxfElement = g_pickedDxfFirst = g_pickedDxfLast = g_dxfElementCount; }

void RedrawView() {
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

std::string Format(const char* format, double v) {
    char text[64];
    std::snprintf(text, sizeof text, format, v);
    return text;
}

std::string FormatInt(const char* format, int32_t v) {
    char text[32];
    std::snprintf(text, sizeof text, format, v);
    return text;
}

std::string FieldText(const char* bytes, size_t size) { return std::string(bytes, strnlen(bytes, size)); }

void CopyText(char (&to)[32], const std::string& from) {
    const size_t n = Cp932PrefixLength(from, sizeof to - 1);
    std::memcpy(to, from.data(), n);
    to[n] = '\0';
}

// Under a registration the shown position is derived from the source one whenever the
// registration is applied again: the source must follow every change of the shown one,
// or the element jumps back (or is moved a second time) at the next apply.
void SourceFromShown(DxfElement& e) {
    double sx = e.x, sy = e.y;
    DxfShownToOriginal(e.y, e.x, sx, sy);
    if (std::isfinite(sx) && std::isfinite(sy)) {
        e.sourceX = sx;
        e.sourceY = sy;
    } else {
        e.sourceX = e.x;
        e.sourceY = e.y;
    }
}

// Writes the next element; room must have been made.
DxfElement& Append(uint8_t pen, double north, double east, double z) {
    const int32_t i = g_dxfElementCount + 1;
    DxfElement& e = Elements()[i];
    std::memset(&e, 0, sizeof e);
    e.pen = pen;
    e.x = north;
    e.y = east;
    e.z = z;
    e.layer = g_vectorLayer;
    e.colour = g_vectorColour;
    SourceFromShown(e);
    g_dxfElementCount = i;
    NoteDxfElementsChanged(i);
    g_dxfElementCountAtLoad = std::max(g_dxfElementCountAtLoad, i);
    g_dxfRegistration.dxfLoaded = 1;
    g_projectionValid = 0;
    return e;
}

// A point of the circle round (cN, cE) at angle a, degrees clockwise from north.
void OnCircle(double cN, double cE, double r, double a, double& n, double& e) {
    const double rad = a * M_PI / 180.0;
    n = cN + r * std::cos(rad);
    e = cE + r * std::sin(rad);
}

// Elevation of a circle or arc vertex: the given one, the TIN's (else the one before).
double VertexElevation(double n, double e, double previous) {
    if (g_vecElevationSource == 2) return g_newPointZ;
    if (g_vecElevationSource == 1 && GetTinZ(n, e) != 0) return g_editPoint.z;
    return previous;
}

int32_t CenterColumn() { return g_viewportCenterX; }
int32_t CenterRow() { return g_viewportCenterY; }

bool TerrainShown() {
    return g_tinEdgeCount >= 1 && (g_showTin != 0 || g_colorBandOn != 0 || g_showBackgroundImage != 0);
}

}  // namespace

bool EnsureVectorCapacity(int32_t extra) {
    extra = std::max(extra, 0);
    const int64_t room = int64_t{g_dxfElementCapacity} - g_dxfElementCount - extra;
    if (room >= 100 && Elements()) return true;
    const int32_t old = g_dxfElementCapacity;
    const int64_t wanted = int64_t{old} + extra + 10000;
    if (wanted <= g_dxfElementLimit && GrowDxfElementBlock(static_cast<int32_t>(wanted)) == 0) {
        g_dxfElementCapacity = static_cast<int32_t>(wanted);
        return true;
    }
    g_dxfElementCapacity = old;
    if (old > 0) GrowDxfElementBlock(old);
    ShowMessage("ＤＸＦメモリ確保できませんでした。", "", msg::kOk | msg::kIconError);
    return false;
}

void NoteDxfStoreCompacted() {
    NoteDxfElementsChanged();
    g_dxfElementCountAtLoad = std::min(g_dxfElementCountAtLoad, g_dxfElementCount);
    if (g_vecCreateDlg) {
        g_vecCreateDlg->m_undoCount = -1;
        g_vecCreateDlg->m_backupIndex = 0;
    }
}

int32_t VecCommandForViewKey(int32_t key) {
    switch (key) {
        case vkey::kDelete:
        case 'D':
            return kVecCmdDelete;
        case vkey::kEscape:
        case vkey::kBack:
            return kVecCmdUndo;
        case vkey::kReturn:
            return kVecCmdEndPolyline;
        case vkey::kInsert:
            return kVecCmdRedo;
        case 'P': return kVecCmdToolPolyline;
        case 'T': return kVecCmdToolText;
        case 'E': return kVecCmdToolEndPoint;
        case 'S': return kVecCmdToolSearch;
        case 'N': return kVecCmdSnapNone;
        case 'L': return kVecCmdSnapLine;
        case 'C': return kVecCmdSnapCrossing;
        case 'R': return kVecCmdSnapRandomPoint;
        case 'M': return kVecCmdElevationLinked;
        case 'K': return kVecCmdElevationTin;
        case 'A': return kVecCmdElevationGiven;
        case 'F': return kVecCmdSnapVertex;
        case 'Z': return kVecCmdToolArc;
        case 'Y': return kVecCmdToolCircle;
        default:
            return 0;
    }
}

// ---- Opening and closing ----

CVecCreate::CVecCreate() {
    g_vecCreateDlg = this;
    m_drawing = 0;
    m_lastKind = -1;
    m_moved = 0;
    m_grabbedElement = 0;
    m_undoCount = -1;
    controls.layer = FormatInt(" %d", g_vectorLayer);
    if (g_dxfSave3d != 1) g_dxfSave3d = 0;
    controls.save3d = g_dxfSave3d == 1;
    controls.colourIndex = 0;  // the list opens on entry 0; g_vectorColour keeps its value
    if (g_pointSnapMode < 1 || g_pointSnapMode > 4) g_pointSnapMode = kVecSnapNone;
    controls.elevation = Format("%.3f", g_newPointZ);
    controls.divisions = FormatInt("%d", g_vecDivisions);
    if (g_vecElevationSource < 0 || g_vecElevationSource > 2) g_vecElevationSource = 0;
    if (g_vecCreateTool < VEC_TOOL_POLYLINE || g_vecCreateTool > VEC_TOOL_ARC) g_vecCreateTool = VEC_TOOL_POLYLINE;
    if (g_tinEdgeCount <= 3) g_vecTinCross = 0;
    if (Count() == 0) SetDxfRegistrationIdentity();
    g_vecDecimals = std::clamp(g_vecDecimals, 0, 3);
    m_textAsElevation = 0;
    m_backupIndex = 0;
    m_clickCount = 0;
    UpdateControls();
}

CVecCreate::~CVecCreate() {
    if (g_vecCreateDlg == this) g_vecCreateDlg = nullptr;
}

void CVecCreate::PostNcDestroy() {
    ClearDxfSelection();
    ClearPick();
    if (g_dxfModified &&
        ShowMessage("作成したＤＸＦデータを保存しますか", "", msg::kYesNo | msg::kIconQuestion) == msg::kIdYes)
        SaveAsDxf();
    RedrawView();
    if (g_vecCreateDlg == this) g_vecCreateDlg = nullptr;
}

void CVecCreate::Refresh() {
    if (refreshControls) refreshControls();
}

// ---- Controls ----

void CVecCreate::UpdateControls() {
    VecCreateControls& c = controls;
    const int32_t tool = g_vecCreateTool;
    if (g_pickedDxfElement != 0 && tool != VEC_TOOL_POLYLINE && tool != VEC_TOOL_TEXT) {
        c.pickX = Format("%.4f", g_dxfPickX);
        c.pickY = Format("%.4f", g_dxfPickY);
        c.pickZ = Format("%.4f", g_dxfPickZ);
        c.text = FieldText(g_dxfPickText, sizeof g_dxfPickText);
        if (g_dxfPickPen == DXF_PEN_TEXT) std::memcpy(g_vecNewText, g_dxfPickText, sizeof g_vecNewText);
        g_vecNewText[sizeof g_vecNewText - 1] = '\0';
        c.layer = FormatInt("%d", g_dxfPickLayer);
        c.textHeight = Format("%.3f", g_dxfPickTextHeight);
        if (g_dxfPickPen == DXF_PEN_TEXT) g_vecTextHeight = g_dxfPickTextHeight;
        c.deleteEnabled = true;
    } else {
        c.pickX.clear();
        c.pickY.clear();
        c.pickZ.clear();
        c.text = FieldText(g_vecNewText, sizeof g_vecNewText);
        c.textHeight = Format("%.3f", g_vecTextHeight);
        c.deleteEnabled = false;
    }
    c.searchOptionsEnabled = tool == VEC_TOOL_SEARCH;
    c.textOptionsEnabled = tool == VEC_TOOL_TEXT;
    c.tinCrossEnabled = tool == VEC_TOOL_POLYLINE && g_tinEdgeCount >= 4;
    c.elevationEnabled = !(tool == VEC_TOOL_POLYLINE && g_vecTinCross == 1);
    c.crossingSnapEnabled = g_birdsEyeOn == 0;

    static constexpr int kToolButtons[] = {1170, 1027, 1172, 1092, 1049, 1050};
    static constexpr int kSnapButtons[] = {1225, 1226, 1227, 1304, 1305};
    static constexpr int kElevationButtons[] = {1228, 1306, 1307};
    c.toolButton = kToolButtons[std::clamp(tool, 0, 5)];
    c.snapButton = kSnapButtons[std::clamp(g_pointSnapMode, 0, 4)];
    c.elevationButton = kElevationButtons[std::clamp(g_vecElevationSource, 0, 2)];
    c.decimalsIndex = g_vecDecimals;
    c.save3d = g_dxfSave3d == 1;
    c.penSizeOne = g_penSize != 0;
    c.hideDoubleByte = g_hideDoubleByteText != 0;
    c.tinCross = g_vecTinCross == 1;
    c.textAsElevation = m_textAsElevation != 0;
    c.sameLayer = m_sameLayer != 0;
    c.sameColour = m_sameColour != 0;
    c.continuous = m_continuous != 0;
}

void CVecCreate::SelectTool(int32_t tool) {
    if (tool < VEC_TOOL_POLYLINE || tool > VEC_TOOL_ARC) return;
    g_vecCreateTool = tool;
    m_drawing = 0;
    m_clickCount = 0;
    if (tool != VEC_TOOL_END_POINT) m_backupIndex = 0;
    if (tool != VEC_TOOL_SEARCH) {
        ClearPick();
        ClearDxfSelection();
    }
    UpdateControls();
    Refresh();
    RedrawView();
}

void CVecCreate::OnSearchOption(int id, bool checked) {
    const int32_t v = checked ? 1 : 0;
    if (id == 1084) m_sameLayer = v;
    if (id == 1085) m_sameColour = v;
    if (id == 1086) m_continuous = v;
    SelectTool(VEC_TOOL_SEARCH);
}

void CVecCreate::OnTextAsElevation(bool checked) {
    g_vecCreateTool = VEC_TOOL_TEXT;
    m_drawing = 0;
    m_clickCount = 0;
    m_backupIndex = 0;
    ClearPick();
    ClearDxfSelection();
    m_textAsElevation = checked ? 1 : 0;
    UpdateControls();
    Refresh();
    RedrawView();
}

void CVecCreate::OnTinCross() {
    g_vecTinCross = g_vecTinCross == 1 ? 0 : 1;
    UpdateControls();
    Refresh();
}

void CVecCreate::OnSnapMode(int32_t mode) {
    g_pointSnapMode = std::clamp(mode, 0, 4);
    UpdateControls();
}

void CVecCreate::OnElevationSource(int32_t source) {
    g_vecElevationSource = std::clamp(source, 0, 2);
    UpdateControls();
}

void CVecCreate::OnSave3d(int32_t save3d) {
    g_dxfSave3d = save3d ? 1 : 0;
    UpdateControls();
}

void CVecCreate::OnPenSize(int32_t size) {
    g_penSize = size ? 1 : 0;
    UpdateControls();
    RedrawView();
}

void CVecCreate::OnDoubleByteText() {
    g_hideDoubleByteText = g_hideDoubleByteText == 0 ? -1 : 0;
    UpdateControls();
    RedrawView();
}

// ---- Commands ----

void CVecCreate::OnTimer(int32_t id) {
    switch (id) {
        case kVecCmdClick:
            switch (g_vecCreateTool) {
                case VEC_TOOL_POLYLINE: ClickPolyline(); break;
                case VEC_TOOL_TEXT: ClickText(); break;
                case VEC_TOOL_SEARCH: PickElement(); break;
                case VEC_TOOL_END_POINT: ClickEndPoint(); break;
                case VEC_TOOL_CIRCLE: ClickCircle(); break;
                case VEC_TOOL_ARC: ClickArc(); break;
                default: break;
            }
            break;
        case kVecCmdDelete:
            m_drawing = 0;
            if (g_vecCreateTool == VEC_TOOL_SEARCH || g_vecCreateTool == VEC_TOOL_END_POINT) DeleteSelected();
            break;
        case kVecCmdUndo: Undo(); break;
        case kVecCmdEndPolyline:
            if (g_vecCreateTool == VEC_TOOL_POLYLINE) {
                m_drawing = 0;
                ClearPick();
            }
            break;
        case kVecCmdRedo: Redo(); break;
        case kVecCmdToolPolyline: SelectTool(VEC_TOOL_POLYLINE); break;
        case kVecCmdToolText: SelectTool(VEC_TOOL_TEXT); break;
        case kVecCmdToolEndPoint: SelectTool(VEC_TOOL_END_POINT); break;
        case kVecCmdToolSearch: SelectTool(VEC_TOOL_SEARCH); break;
        case kVecCmdToolCircle: SelectTool(VEC_TOOL_CIRCLE); break;
        case kVecCmdToolArc: SelectTool(VEC_TOOL_ARC); break;
        case kVecCmdSnapNone: g_pointSnapMode = kVecSnapNone; break;
        case kVecCmdSnapVertex: g_pointSnapMode = kVecSnapVertex; break;
        case kVecCmdSnapLine: g_pointSnapMode = kVecSnapLine; break;
        case kVecCmdSnapCrossing: g_pointSnapMode = kVecSnapCrossing; break;
        case kVecCmdSnapRandomPoint: g_pointSnapMode = kVecSnapRandomPoint; break;
        case kVecCmdElevationLinked: g_vecElevationSource = 0; break;
        case kVecCmdElevationTin: g_vecElevationSource = 1; break;
        case kVecCmdElevationGiven: g_vecElevationSource = 2; break;
        default: break;
    }
    UpdateControls();
    Refresh();
    RedrawView();
}

void CVecCreate::OnKeyDown(int32_t key) {
    int32_t id = 0;
    switch (key) {
        case vkey::kDelete: id = kVecCmdUndo; break;
        case vkey::kInsert: id = kVecCmdRedo; break;
        case 'P': case 'T': case 'E': case 'S': case 'N': case 'L': case 'C': case 'R':
        case 'M': case 'K': case 'A': case 'F':
            id = VecCommandForViewKey(key);
            break;
        default: break;
    }
    if (id != 0 && g_vecCreateDlg) g_vecCreateDlg->OnTimer(id);
}

// ---- Search and delete ----

void CVecCreate::PickElement() {
    g_dxfPickText[0] = '\0';
    int32_t c, r;
    const int32_t e = FindNearestDxfVertex(g_dxfPickCursorX, g_dxfPickCursorY, kSnapRadius2, g_dxfPickX,
                                           g_dxfPickY, c, r);
    DxfElement* el = Elements();
    const int32_t count = Count();
    if (e >= 1 && e <= count) {
        const DxfElement& p = el[e];
        std::memcpy(g_dxfPickText, p.text, sizeof g_dxfPickText);
        g_dxfPickText[sizeof g_dxfPickText - 1] = '\0';
        g_dxfPickZ = p.z;
        g_dxfPickLayer = p.layer;
        g_dxfPickColour = p.colour;
        g_dxfPickTextHeight = p.textHeight;
        g_dxfPickPen = p.pen;
    }
    if (!el) return;
    if (!m_continuous) ClearDxfSelection();
    if (e < 1 || e > count) {
        ClearPick();
        return;
    }
    if (m_sameLayer || m_sameColour) {
        g_pickedDxfElement = g_pickedDxfFirst = g_pickedDxfLast = e;
        const int32_t layer = el[e].layer, colour = el[e].colour;
        for (int32_t i = 1; i <= count; ++i) {
            if (!m_continuous) el[i].selected = 0;
            if ((m_sameLayer && el[i].layer == layer) || (m_sameColour && el[i].colour == colour))
                el[i].selected = 1;
        }
    } else if (m_continuous) {
        g_pickedDxfElement = e;
        int32_t first = e, last = e;
        if (IsPolylinePen(el[e].pen)) {
            const auto [start, end] = ResolveDxfPolylineRange(e);
            if (start >= 1 && end >= start && end <= count) first = start, last = end;
        }
        g_pickedDxfFirst = first;
        g_pickedDxfLast = last;
        for (int32_t i = first; i <= last; ++i) el[i].selected = 1;
    } else {
        ResolveDxfPick(e);
    }
}

void CVecCreate::DeleteSelected() {
    if (g_pickedDxfElement == 0) return;
    if (ShowMessage("よろしいですか。", "", msg::kYesNo | msg::kIconQuestion) == msg::kIdYes) {
        m_drawing = 0;
        m_backupIndex = 0;
        DxfElement* el = Elements();
        const int32_t count = Count();
        if (el) {
            int32_t kept = 0;
            if (m_sameLayer || m_sameColour || m_continuous) {
                for (int32_t i = 1; i <= count; ++i)
                    if (!el[i].selected) el[++kept] = el[i];
            } else if (g_pickedDxfFirst < g_pickedDxfLast) {
                const int32_t first = std::max(g_pickedDxfFirst, 1);
                const int32_t last = std::min(g_pickedDxfLast, count);
                if (first < last) {
                    el[last].pen = DXF_PEN_MOVE;
                    std::memmove(&el[first + 1], &el[last], sizeof(DxfElement) * static_cast<size_t>(count - last + 1));
                    kept = count - (last - first - 1);
                } else {
                    kept = count;
                }
            } else {
                const int32_t p = g_pickedDxfElement;
                if (p >= 1 && p <= count) {
                    if (p < count && el[p + 1].pen == DXF_PEN_DRAW) el[p + 1].pen = DXF_PEN_MOVE;
                    std::memmove(&el[p], &el[p + 1], sizeof(DxfElement) * static_cast<size_t>(count - p));
                    kept = count - 1;
                } else {
                    kept = count;
                }
            }
            g_dxfElementCount = kept;
            g_projectionValid = 0;
            NoteDxfStoreCompacted();
        }
        g_dxfModified = 1;
    }
    if (Count() == 0) {
        m_drawing = 0;
        g_dxfRegistration.dxfLoaded = 0;
    }
    ClearPick();
    RedrawView();
}

// ---- Undo and redo ----

void CVecCreate::ExchangeUndoCount() {
    const int32_t count = g_dxfElementCount;
    // Records past the high-water mark were never written by anyone.
    if (m_undoCount < 0 || m_undoCount > g_dxfElementCountAtLoad || m_undoCount > g_dxfElementCapacity) return;
    g_dxfElementCount = m_undoCount;
    NoteDxfElementsChanged(std::min(count, m_undoCount) + 1);
    m_undoCount = count;
}

void CVecCreate::AfterCountChange(int32_t before) {
    if (g_dxfElementCount == before) return;
    g_projectionValid = 0;
    PickLast();
    if (g_dxfElementCount == 0) {
        m_drawing = 0;
        g_dxfRegistration.dxfLoaded = 0;
    }
}

void CVecCreate::Undo() {
    const int32_t before = g_dxfElementCount;
    const bool any = Count() > 0;
    switch (g_vecCreateTool) {
        case VEC_TOOL_SEARCH:
            m_drawing = 0;
            ClearPick();
            ClearDxfSelection();
            return;
        case VEC_TOOL_TEXT:
            if (m_lastKind == 1 && any) --g_dxfElementCount;
            break;
        case VEC_TOOL_POLYLINE:
            if (m_lastKind == 0) {
                if (!any) break;
                if (m_drawing == 1) {
                    m_drawing = 0;
                    ClearPick();
                } else {
                    --g_dxfElementCount;
                }
            } else if (g_vecTinCross == 1 && any && m_undoCount >= 0 && m_lastKind == 4) {
                ExchangeUndoCount();
            }
            break;
        case VEC_TOOL_END_POINT:
            if (m_backupIndex >= 1 && m_backupIndex <= Count()) {
                std::swap(Elements()[m_backupIndex], m_backupElement);
                NoteDxfElementMoved(m_backupIndex);
                g_projectionValid = 0;
            }
            break;
        case VEC_TOOL_CIRCLE:
        case VEC_TOOL_ARC:
            // The construction points are not in the store: they are forgotten also while
            // it is empty.
            if (m_clickCount > 0) {
                --m_clickCount;
            } else if (any && m_undoCount >= 0 && m_lastKind == g_vecCreateTool) {
                ExchangeUndoCount();
            }
            break;
        default:
            break;
    }
    AfterCountChange(before);
}

void CVecCreate::Redo() {
    const int32_t before = g_dxfElementCount;
    switch (g_vecCreateTool) {
        case VEC_TOOL_POLYLINE:
        case VEC_TOOL_TEXT:
            if (g_vecCreateTool == VEC_TOOL_POLYLINE && g_vecTinCross == 1) {
                if (m_lastKind == 4 && m_undoCount > g_dxfElementCount) ExchangeUndoCount();
            } else if (g_dxfElementCount + 1 <= g_dxfElementCountAtLoad &&
                       g_dxfElementCount + 1 <= g_dxfElementCapacity && Elements()) {
                ++g_dxfElementCount;
            }
            break;
        case VEC_TOOL_END_POINT:
            if (m_backupIndex >= 1 && m_backupIndex <= Count()) {
                std::swap(Elements()[m_backupIndex], m_backupElement);
                NoteDxfElementMoved(m_backupIndex);
                g_projectionValid = 0;
            }
            break;
        case VEC_TOOL_CIRCLE:
        case VEC_TOOL_ARC:
            if (m_lastKind == g_vecCreateTool && m_undoCount > g_dxfElementCount) ExchangeUndoCount();
            break;
        default:
            break;
    }
    AfterCountChange(before);
}

// ---- Attribute fields ----

void CVecCreate::OnTextField(const std::string& text) {
    CopyText(g_vecNewText, text);
    const int32_t p = g_pickedDxfElement;
    if (p >= 1 && p <= Count()) {
        DxfElement& e = Elements()[p];
        if (e.pen == DXF_PEN_TEXT) std::memcpy(e.text, g_vecNewText, sizeof e.text);
        g_dxfModified = 1;
        RedrawView();
    }
}

void CVecCreate::OnCoordinateField(int id, const std::string& text) {
    if (text.empty()) return;
    const double v = ParseLeadingNumber(text);
    const int32_t p = g_pickedDxfElement;
    if (p < 1 || p > Count()) return;
    DxfElement& e = Elements()[p];
    if (id == 1171) {
        e.x = g_dxfPickX = v;
        SourceFromShown(e);
    } else if (id == 1173) {
        e.y = g_dxfPickY = v;
        SourceFromShown(e);
    } else if (id == 1174) {
        e.z = g_dxfPickZ = v;
    } else {
        return;
    }
    NoteDxfElementMoved(p);
    g_projectionValid = 0;
    g_dxfModified = 1;
    RedrawView();
}

void CVecCreate::AttributeToPicked(bool layer, int32_t value) {
    const int32_t count = Count();
    const int32_t p = g_pickedDxfElement;
    if (p < 1 || p > count) return;
    if (g_vecCreateTool != VEC_TOOL_SEARCH && g_vecCreateTool != VEC_TOOL_END_POINT) return;
    DxfElement* el = Elements();
    auto set = [layer, value](DxfElement& e) { (layer ? e.layer : e.colour) = value; };
    if (m_sameLayer || m_sameColour || m_continuous) {
        for (int32_t i = 1; i <= count; ++i) {
            if (!el[i].selected) continue;
            set(el[i]);
            el[i].selected = 0;
        }
    } else {
        set(el[p]);
        if (IsPolylinePen(el[p].pen) && g_pickedDxfFirst != 0 && g_pickedDxfLast != 0) {
            const int32_t last = std::min(g_pickedDxfLast, count);
            for (int32_t i = std::max(g_pickedDxfFirst, 1); i <= last; ++i) set(el[i]);
        }
    }
    g_dxfModified = 1;
    ClearPick();
    RedrawView();
}

void CVecCreate::OnLayerField(const std::string& text) {
    if (!escapePressed && !text.empty()) g_vectorLayer = std::atoi(text.c_str());
    controls.layer = FormatInt(" %d", g_vectorLayer);
    AttributeToPicked(true, g_vectorLayer);
}

void CVecCreate::OnColourSelected(int index) {
    g_vectorColour = index;
    controls.colourIndex = index;
    AttributeToPicked(false, g_vectorColour);
}

void CVecCreate::OnTextHeightField(const std::string& text) {
    if (!escapePressed && !text.empty()) g_vecTextHeight = ParseLeadingNumber(text);
    controls.textHeight = Format(" %.3f", g_vecTextHeight);
    const int32_t count = Count();
    const int32_t p = g_pickedDxfElement;
    if (p < 1 || p > count) return;
    DxfElement* el = Elements();
    if (m_sameLayer || m_sameColour || m_continuous) {
        for (int32_t i = 1; i <= count; ++i)
            if (el[i].selected && el[i].pen == DXF_PEN_TEXT) el[i].textHeight = g_vecTextHeight;
    } else {
        el[p].textHeight = g_vecTextHeight;
    }
    g_dxfModified = 1;
    RedrawView();
}

void CVecCreate::OnDivisionsField(const std::string& text) {
    if (text.empty()) return;
    const int32_t v = std::atoi(text.c_str());
    if (v > 0) g_vecDivisions = v;
    controls.divisions = FormatInt("%d", g_vecDivisions);
}

void CVecCreate::OnDecimalsSelected(int index) {
    g_vecDecimals = std::clamp(index, 0, 3);
    controls.decimalsIndex = g_vecDecimals;
}

void CVecCreate::OnElevationField(const std::string& text) {
    const std::string t = text.substr(0, 59);
    if (!t.empty() && (t[0] == 's' || t[0] == 'S')) {
        const double step = ParseLeadingNumber(t.substr(1));
        g_vecWheelStep = step > 0 ? step : 0.001;
    } else {
        g_newPointZ = ParseLeadingNumber(t);
    }
    controls.elevation = Format("%.3f", g_newPointZ);
}

void CVecCreate::OnWheel(int delta) {
    const double step = g_vecWheelStep;
    g_newPointZ += delta > 0 ? step : -step;
    // A whole-number step lands on its multiples. The quotient stays a double: an
    // elevation far beyond 2^31 steps is still rounded instead of overflowing.
    if (step - std::floor(step) < 0.001 && step > 0) g_newPointZ = std::trunc(g_newPointZ / step) * step;
    controls.elevation = Format("%.3f", g_newPointZ);
}

// ---- Clicks ----

void CVecCreate::ResolveClick(double startZ, double& north, double& east, double& elevation) {
    const int32_t col = g_dxfPickCursorX, row = g_dxfPickCursorY;
    DxfClientToPlan(col, row, north, east);
    elevation = startZ;
    double x, y, z;
    int32_t c, r;
    const int32_t mode = g_pointSnapMode;
    bool fallback = false;
    if (mode == kVecSnapLine) {
        if (FindNearestDxfLinePoint(col, row, x, y, z, c, r) != 0) north = x, east = y, elevation = z;
    } else if (mode == kVecSnapVertex) {
        const int32_t e = FindNearestDxfVertex(col, row, kSnapRadius2, x, y, c, r);
        if (e >= 1 && e <= Count()) north = x, east = y, elevation = Elements()[e].z;
    } else if (mode == kVecSnapCrossing && !g_birdsEyeOn) {
        const int32_t e = FindNearestDxfLinePoint(col, row, x, y, z, c, r);
        if (e >= 2 && e <= Count()) {
            const int32_t f = FindDxfIntersectionNear(col, row, e, e - 1);
            const DxfElement* el = Elements();
            if (f < 2 || f > Count()) {
                north = x, east = y;
            } else {
                const DxfElement &a = el[e - 1], &b = el[e];
                double cx = 0, cy = 0;
                int cls = 1;
                if (IntersectSegments(a.x, a.y, b.x, b.y, el[f - 1].x, el[f - 1].y, el[f].x, el[f].y, 0, 0.00001,
                                      0.00001, &cx, &cy, &cls) == kGeomOk &&
                    cls == 0) {
                    north = cx, east = cy;
                    const double d = std::hypot(b.x - a.x, b.y - a.y);
                    const double d1 = std::hypot(cx - a.x, cy - a.y);
                    elevation = d > 0 ? a.z + (b.z - a.z) * d1 / d : a.z;
                }
            }
        }
    } else if (mode == kVecSnapRandomPoint) {
        const int32_t p = FindPointAtCursor(col, row, kSnapRadius2);
        if (p >= 1 && p <= g_pointCount && g_points) north = g_points[p].x, east = g_points[p].y, elevation = g_points[p].z;
    } else {
        fallback = true;
    }
    if (fallback && g_birdsEyeOn && g_tinEdgeCount > 0 &&
        PickTinPoint3D(col - CenterColumn(), CenterRow() - row, x, y, z) != 0)
        north = x, east = y, elevation = z;

    if (g_vecElevationSource == 2) {
        elevation = g_newPointZ;
    } else if (g_vecElevationSource == 1 || (g_vecCreateTool == VEC_TOOL_POLYLINE && g_vecTinCross == 1)) {
        if (GetTinZ(north, east) != 0) elevation = g_editPoint.z;
    }
}

void CVecCreate::ClickPolyline() {
    double X, Y, Z;
    ResolveClick(0, X, Y, Z);
    const int32_t count = Count();
    if (g_vecTinCross == 1 && m_drawing == 1 && count >= 1) {
        const DxfElement last = Elements()[count];
        g_profile.right.count = 0;
        // The chain of ground pieces starts at the piece nearest the last vertex.
        g_profile.height = last.z;
        if (g_vecProfileCutter) g_vecProfileCutter(last.x, last.y, X, Y);
        const int32_t n = std::clamp(g_profile.right.count, 0, kProfileMaxPoints);
        if (n >= 2) {
            if (!EnsureVectorCapacity(n)) return;
            m_undoCount = g_dxfElementCount;
            for (int32_t i = 1; i <= n; ++i)
                Append(DXF_PEN_DRAW, g_profile.right.x[i], g_profile.right.y[i], g_profile.right.z[i]);
        } else {
            if (!EnsureVectorCapacity(0)) return;
            m_undoCount = g_dxfElementCount;
            Append(DXF_PEN_DRAW, X, Y, Z);
        }
        PickLast();
        g_dxfModified = 1;
        m_drawing = 1;
        m_lastKind = 4;
        return;
    }
    if (!EnsureVectorCapacity(0)) return;
    Append(m_drawing == 0 ? DXF_PEN_MOVE : DXF_PEN_DRAW, X, Y, Z);
    PickLast();
    g_dxfModified = 1;
    m_drawing = 1;
    m_lastKind = 0;
}

void CVecCreate::ClickText() {
    double X, Y, Z;
    ResolveClick(0, X, Y, Z);
    if (!EnsureVectorCapacity(0)) return;
    DxfElement& e = Append(DXF_PEN_TEXT, X, Y, Z);
    e.textHeight = g_vecTextHeight;
    if (m_textAsElevation == 1) {
        char format[16];
        std::snprintf(format, sizeof format, "%%.%df", std::clamp(g_vecDecimals, 0, 3));
        std::snprintf(e.text, sizeof e.text, format, Z);
    } else {
        std::memcpy(e.text, g_vecNewText, sizeof e.text);
        e.text[sizeof e.text - 1] = '\0';
    }
    PickLast();
    g_dxfModified = 1;
    m_lastKind = 1;
}

// The click as a construction point; true with the circle of the three once the third
// has come (its elevation in z).
bool CVecCreate::CollectConstructionPoint(double& cN, double& cE, double& r, double& z) {
    double X, Y, Z;
    ResolveClick(0, X, Y, Z);
    const int32_t k = std::clamp(m_clickCount, 0, 2);
    RandomPoint& m = m_markers[k];
    m.x = X;
    m.y = Y;
    m.z = Z;
    if (k < 2) {
        m_clickCount = k + 1;
        return false;
    }
    z = Z;
    if (CircleThrough3Points(m_markers[0].x, m_markers[0].y, m_markers[1].x, m_markers[1].y, m_markers[2].x,
                             m_markers[2].y, 0.001, &cN, &cE, &r) != kGeomOk ||
        !std::isfinite(r)) {
        m_clickCount = 0;
        return false;
    }
    return true;
}

void CVecCreate::ClickCircle() {
    double cN, cE, r, z;
    if (!CollectConstructionPoint(cN, cE, r, z)) return;
    const int32_t divisions = std::max(g_vecDivisions, 1);
    const double step = 360.0 / divisions;
    m_undoCount = g_dxfElementCount;
    double previous = z;
    for (int32_t k = 0; k <= divisions; ++k) {
        if (!EnsureVectorCapacity(0)) return;
        // The last vertex falls exactly on the first: the circle is closed.
        const double a = k == divisions ? 0.0 : k * step;
        double n, e;
        OnCircle(cN, cE, r, a >= 360.0 ? 0.0 : a, n, e);
        previous = VertexElevation(n, e, previous);
        Append(k == 0 ? DXF_PEN_MOVE : DXF_PEN_DRAW, n, e, g_vecElevationSource == 0 ? z : previous);
        PickLast();
        g_dxfModified = 1;
        m_lastKind = 4;
    }
    m_clickCount = 0;
}

void CVecCreate::ClickArc() {
    double cN, cE, r, z;
    if (!CollectConstructionPoint(cN, cE, r, z)) return;
    double theta[3];
    for (int i = 0; i < 3; ++i) {
        double signedAngle = 0;
        if (AngleAtVertex(cN + 100, cE, cN, cE, m_markers[i].x, m_markers[i].y, 0.001, &signedAngle, &theta[i]) !=
            kGeomOk) {
            m_clickCount = 0;
            return;
        }
    }
    // The arc runs clockwise from its start to its end and must pass the middle click:
    // the first click starts it when the middle one comes before the third going
    // clockwise from it, else the third click does.
    auto clockwise = [](double from, double to) {
        const double d = std::fmod(to - from + 720.0, 360.0);
        return d;
    };
    const bool fromFirst = clockwise(theta[0], theta[1]) < clockwise(theta[0], theta[2]);
    const RandomPoint& s = fromFirst ? m_markers[0] : m_markers[2];
    const RandomPoint& t = fromFirst ? m_markers[2] : m_markers[0];
    const double thetaS = fromFirst ? theta[0] : theta[2];
    double thetaE = fromFirst ? theta[2] : theta[0];
    if (thetaE < thetaS) thetaE += 360.0;
    const int32_t divisions = std::max(g_vecDivisions, 1);
    const double step = (thetaE - thetaS) / divisions;
    m_undoCount = g_dxfElementCount;
    double previous = z;
    // Start click, the points of the circle between, end click: one segment per division.
    for (int32_t k = 0; k <= divisions; ++k) {
        if (!EnsureVectorCapacity(0)) return;
        const double a = k == 0 ? thetaS : k == divisions ? thetaE : thetaS + k * step;
        double n, e;
        OnCircle(cN, cE, r, a >= 360.0 ? a - 360.0 : a, n, e);
        previous = VertexElevation(n, e, previous);
        const double vz = g_vecElevationSource == 0 ? z : previous;
        if (k == 0) n = s.x, e = s.y;
        if (k == divisions) n = t.x, e = t.y;
        Append(k == 0 ? DXF_PEN_MOVE : DXF_PEN_DRAW, n, e, vz);
        PickLast();
        g_dxfModified = 1;
        m_lastKind = 5;
    }
    m_clickCount = 0;
}

void CVecCreate::ClickEndPoint() {
    const int32_t count = Count();
    const int32_t p = g_pickedDxfElement;
    const double startZ = p >= 1 && p <= count ? Elements()[p].z : 0.0;
    double X, Y, Z;
    ResolveClick(startZ, X, Y, Z);
    if (p < 1 || p > count) return;
    DxfElement& e = Elements()[p];
    if (m_moved == 1) {
        m_backupElement = e;
        m_backupIndex = p;
        e.x = X;
        e.y = Y;
        e.z = Z;
        SourceFromShown(e);
        NoteDxfElementMoved(p);
        g_projectionValid = 0;
    }
    g_dxfModified = 1;
    g_dxfPickX = e.x;
    g_dxfPickY = e.y;
    g_dxfPickZ = e.z;
    g_dxfPickLayer = e.layer;
    g_dxfPickColour = e.colour;
    g_dxfPickTextHeight = e.textHeight;
    g_dxfPickPen = e.pen;
    std::memcpy(g_dxfPickText, e.text, sizeof g_dxfPickText);
    g_dxfPickText[sizeof g_dxfPickText - 1] = '\0';
}

// ---- The view's press and moves ----

int32_t CVecCreate::OnViewMouse(int32_t message, int32_t flags, int32_t column, int32_t row) {
    if (g_vecCreateTool != VEC_TOOL_END_POINT || (flags & 0x08) != 0 || IsKeyDown(key::kAlt)) return 0;
    if (message == kVecMouseDown) {
        g_pickedDxfElement = 0;
        m_grabbedElement = 0;
        if (g_projectionValid == 0) ProjectAllData(0);
        const DxfElement* el = Elements();
        const int32_t count = Count();
        // The nearest by horizontal plus vertical distance below the limit; on equal
        // distances the lower number. The store is large: its parts are searched at once.
        int32_t best = 0, bestD = kGrabDistance;
        auto distance = [&](int32_t i) {
            return std::llabs(int64_t{column} - CenterColumn() - el[i].screenX) +
                   std::llabs(int64_t{row} - CenterRow() + el[i].screenY);
        };
        if (!g_birdsEyeOn && g_viewScale > 0 && dxfsnap::Ready()) {
            double north, east;
            DxfClientToPlan(column, row, north, east);
            const double reach = (kGrabDistance + 2) / g_viewScale;
            dxfsnap::ForElementsInBox(north - reach, east - reach, north + reach, east + reach, [&](int32_t i) {
                if (i > count || el[i].offScreen) return;
                const int64_t d = distance(i);
                if (d < bestD || (d == bestD && best != 0 && i < best)) best = i, bestD = static_cast<int32_t>(d);
            });
        } else {
            std::mutex merge;
            ForEachRange(count, 100000, [&](int64_t from, int64_t to) {
                int32_t b = 0, bd = kGrabDistance;
                for (int64_t i = from + 1; i <= to; ++i) {
                    if (el[i].offScreen) continue;
                    const int64_t d = distance(static_cast<int32_t>(i));
                    if (d < bd) b = static_cast<int32_t>(i), bd = static_cast<int32_t>(d);
                }
                std::lock_guard<std::mutex> lock(merge);
                if (b != 0 && (bd < bestD || (bd == bestD && b < best))) best = b, bestD = bd;
            });
        }
        if (best != 0) {
            m_grabbedElement = best;
            m_markers[0].x = el[best].x;
            m_markers[0].y = el[best].y;
            m_markers[0].z = el[best].z;
            m_grabbedZ = el[best].z;
            g_pickedDxfElement = best;
        }
        RedrawView();
        m_pressX = column;
        m_pressY = row;
        m_moved = 0;
        return 0;
    }
    if (message != kVecMouseMove || m_grabbedElement <= 0) return 0;
    if ((flags & 0x01) == 0) {
        m_grabbedElement = 0;
        RedrawView();
        return 0;
    }
    if (std::abs(column - m_pressX) > kMoveSlack || std::abs(row - m_pressY) > kMoveSlack) m_moved = 1;
    const double z = m_grabbedElement <= Count() ? Elements()[m_grabbedElement].z : m_grabbedZ;
    const bool terrain = TerrainShown();
    double n, e, h;
    bool tracked = false;
    if (!g_birdsEyeOn) {
        DxfClientToPlan(column, row, n, e);
        h = terrain ? (GetTinZ(n, e) != 0 ? g_editPoint.z : 0.0) : z;
        tracked = true;
    } else {
        double x, y, pz;
        if (terrain && PickTinPoint3D(column - CenterColumn(), CenterRow() - row, x, y, pz) != 0) {
            n = x, e = y, h = pz;
            tracked = true;
        } else if (g_focalLength != 0) {
            const double u = (column - CenterColumn()) / g_focalLength;
            const double v = (CenterRow() - row) / g_focalLength;
            const double E = 1.0 / std::sqrt(u * u + v * v + 1.0);
            const double* M = g_cameraMatrix;
            const double dE = E * (u * M[0] + v * M[3] + M[6]);
            const double dV = E * (u * M[1] + v * M[4] + M[7]);
            const double dN = E * (u * M[2] + v * M[5] + M[8]);
            if (std::fabs(dV) > 0.0001) {
                const double L = (z - g_eyeZ) / dV;
                if (L > 0) {
                    n = g_eyeX + L * dN;
                    e = g_eyeY + L * dE;
                    h = terrain ? g_eyeZ + L * dV : z;
                    tracked = true;
                }
            }
        }
    }
    if (tracked) {
        m_markers[0].x = n;
        m_markers[0].y = e;
        m_markers[0].z = h;
        RedrawView();
    }
    return 0;
}

// ---- Overlays ----

int32_t CVecCreate::DrawCursorMark(OverlayCanvas* canvas) {
    if (!canvas || m_grabbedElement == 0) return 0;
    RandomPoint m = m_markers[0];
    ProjectRecord(m);
    if (m.hidden == 0)
        canvas->FillRect(CenterColumn() + m.screenX - 3, CenterRow() - m.screenY - 3, CenterColumn() + m.screenX + 3,
                         CenterRow() - m.screenY + 3, 0x0000C0FF);
    return 0;
}

int32_t CVecCreate::DrawRubberBand(OverlayCanvas* canvas) {
    if (!canvas) return 0;
    canvas->SetPen(0x004040FF);
    canvas->SetBrush(0x0000FFFF);
    bool firstShown = false;
    if (m_clickCount >= 1) {
        RandomPoint m = m_markers[0];
        ProjectRecord(m);
        if (m.hidden == 0) {
            const int32_t p = CenterColumn() + m.screenX, q = CenterRow() - m.screenY;
            canvas->Ellipse(p - 4, q - 4, p + 4, q + 4);
            canvas->MoveTo(p, q);
            firstShown = true;
        }
    }
    if (m_clickCount >= 2) {
        RandomPoint m = m_markers[1];
        ProjectRecord(m);
        if (m.hidden == 0) {
            const int32_t p2 = CenterColumn() + m.screenX, q2 = CenterRow() - m.screenY;
            canvas->FillRect(p2 - 4, q2 - 4, p2 + 4, q2 + 4, 0x000000FF);
            if (firstShown) canvas->LineTo(p2, q2);
        }
    }
    canvas->SetBrush(kOverlayWhite);
    return 0;
}

bool CVecCreate::RubberLine(int32_t column, int32_t row, int32_t& x0, int32_t& y0, std::string& label) const {
    if (g_birdsEyeOn) return false;
    double fromN, fromE;
    const int32_t count = Count();
    if (g_vecCreateTool == VEC_TOOL_POLYLINE && m_drawing == 1 && count > 0) {
        fromN = Elements()[count].x;
        fromE = Elements()[count].y;
    } else if ((g_vecCreateTool == VEC_TOOL_CIRCLE || g_vecCreateTool == VEC_TOOL_ARC) && m_clickCount >= 1) {
        const RandomPoint& m = m_markers[m_clickCount >= 2 ? 1 : 0];
        fromN = m.x;
        fromE = m.y;
    } else {
        return false;
    }
    DxfPlanToClient(fromN, fromE, x0, y0);
    double n, e;
    DxfClientToPlan(column, row, n, e);
    label = Format("L:%10.3f  ", std::hypot(n - fromN, e - fromE));
    return true;
}

// ---- Saving ----

void CVecCreate::SaveAsDxf() {
    if (Count() == 0) {
        ShowMessage("保存するデータがありません", "", msg::kOk | msg::kIconError);
        return;
    }
    FileDialogRequest request;
    request.save = true;
    request.title = "ＤＸＦ保存";
    request.filter = "ＤＸＦファイル (*.DXF)|*.DXF|すべてのファイル|*.*||";
    request.defaultExtension = "DXF";
    request.folder = g_workFolder;
    request.fileName = g_backgroundDxfPath;
    const std::string path = RunFileDialog(request);
    if (path.empty()) return;
    g_backgroundDxfPath = path;
    g_lastFolder = FolderOfPath(path);
    if (WriteDxfElements(path, g_dxfSave3d) != 0) {
        ShowMessage("ファイル書き込みに失敗しました。", "", msg::kOk | msg::kIconError);
        return;
    }
    g_dxfModified = 0;
}
