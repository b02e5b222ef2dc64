#include "image/raster_trace.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "dxf/dxf_registration.h"
#include "dxf/dxf_store.h"
#include "dxf/dxf_writer.h"
#include "image/image_slot.h"
#include "image/raster_tracer.h"
#include "model/terrain_data.h"
#include "platform/encoding.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "shell/command_routing.h"
#include "pointedit/edit_point.h"
#include "pointedit/point_array.h"
#include "shell/tool_mode.h"
#include "shell/work_folder.h"
#include "view/pick_overlay.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_history.h"
#include "view/view_navigation.h"
#include "view/view_state.h"

double g_traceLevel = 0.0;
double g_traceEndValue = 0.0;
double g_tracePointInterval = 10.0;
double g_traceLevelStep = 1.0;
int32_t g_traceCreateDxf = 0;

CRasterTraceDlg* g_rasterTraceDlg = nullptr;
std::function<void()> g_openRasterTraceWindow;
std::function<void()> g_showRasterTraceWindow;

namespace {

std::string Format(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}
std::string FormatInt(const char* format, int32_t value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// The number at the start of a field's text (after blanks); false for an empty text,
// which keeps the stored value.
bool ParseNumber(const std::string& text, double& value) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i == text.size()) return false;
    value = std::atof(text.c_str() + i);
    if (!std::isfinite(value)) value = 0.0;
    return true;
}

int32_t MainImageBitsPerPixel() {
    if (g_bgImage.isMono) return 1;
    if (g_bgImage.isIndexed8) return 8;
    return 32;
}

uint32_t SwapRedBlue(uint32_t c) {
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// The main image attached to the tracer for the length of one click.
class AttachedImage {
public:
    AttachedImage() {
        uint8_t* bits = g_bgImageHandle.Lock();
        g_rasterTracer.AttachImage(bits, g_bgImage.width, g_bgImage.height, g_bgImage.stride);
        g_rasterTracer.m_bitsPerPixel = MainImageBitsPerPixel();
        const auto& c = g_bgImage.corners;
        g_rasterTracer.SetCornerMapping(c[0][0], c[0][1], c[1][0], c[1][1], c[2][0], c[2][1], c[3][0],
                                        c[3][1]);
    }
    ~AttachedImage() {
        g_bgImageHandle.Unlock();
        g_rasterTracer.AttachImage(nullptr, g_rasterTracer.m_width, g_rasterTracer.m_height,
                                   g_rasterTracer.m_stride);
    }
    AttachedImage(const AttachedImage&) = delete;
    AttachedImage& operator=(const AttachedImage&) = delete;
};

// The pixel block holds the image's rows (a damaged record cannot send the tracer past it).
bool MainImageUsable() {
    if (g_bgImageHandle.Empty() || g_bgImage.width < 3 || g_bgImage.height < 3) return false;
    const int32_t need = ImageRowStride(g_bgImage);
    if (g_bgImage.stride < need) return false;
    return static_cast<size_t>(g_bgImage.stride) * static_cast<size_t>(g_bgImage.height) <=
           g_bgImageHandle.Size();
}

}  // namespace

CRasterTraceDlg::CRasterTraceDlg() {
    g_rasterTraceDlg = this;
    g_rasterTracer.Reset();
    const size_t n = Cp932PrefixLength(g_newPointName, 11);
    std::memcpy(pointName, g_newPointName.data(), n);
    pointName[n] = '\0';
    g_traceLevel = g_traceEndValue = g_editPoint.z = g_newPointZ;
    if (g_dxfSave3d != 1) g_dxfSave3d = 0;
    g_rasterTracer.backgroundBit = 0;
    if (!g_bgImage.isMono) {
        uint32_t c = 0;
        if (MainImageUsable()) {
            const uint8_t* p = g_bgImageHandle.Lock();
            c = g_bgImage.isIndexed8 ? g_bgImagePalette[p[0]]
                                     : static_cast<uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16));
            g_bgImageHandle.Unlock();
        }
        g_rasterTracer.backgroundColour[0] = c & 0xFF;
        g_rasterTracer.backgroundColour[1] = (c >> 8) & 0xFF;
        g_rasterTracer.backgroundColour[2] = (c >> 16) & 0xFF;
    }
    if (g_dxfElementCount == 0) {
        SetDxfRegistrationIdentity();
        g_dxfRegistration.entryX = g_dxfRegistration.entryY = 0.0;
    }
    ShowFields();
    UpdateControls();
}

CRasterTraceDlg::~CRasterTraceDlg() {
    if (g_rasterTraceDlg == this) g_rasterTraceDlg = nullptr;
}

void CRasterTraceDlg::ShowFields() {
    controls.level = Format(" %5.3f", g_traceLevel);
    controls.endValue = Format(" %5.3f", g_traceEndValue);
    controls.interval = Format(" %5.2f", g_tracePointInterval);
    controls.levelStep = Format(" %3.1f", g_traceLevelStep);
    controls.levelStepLabel = Format("標高増減値 %3.1f", g_traceLevelStep);
    controls.judgingAngle = Format(" %2.0f", judgingAngle);
    controls.layer = FormatInt(" %d", g_vectorLayer);
    controls.pointName = pointName;
    controls.sensitivity = 102 - g_rasterTracer.threshold;
    controls.fine = fine != 0;
    controls.continuous = continuous != 0;
    controls.changePoints = changePoints != 0;
    controls.createDxf = g_traceCreateDxf != 0;
    controls.save3d = g_dxfSave3d == 1;
    controls.plotKind = plotKind;
    controls.invalid = invalidFlag;
    controls.elevationMode = elevationMode;
    controls.endValueReadOnly = elevationMode == 0;
    if (PaperIsOneBit())
        controls.paperColour = SwapRedBlue(g_rasterTracer.backgroundBit ? g_bgImage.colorLow
                                                                        : g_bgImage.colorHigh);
    else
        controls.paperColour = static_cast<uint32_t>(g_rasterTracer.backgroundColour[2] << 16 |
                                                     g_rasterTracer.backgroundColour[1] << 8 |
                                                     g_rasterTracer.backgroundColour[0]);
}

void CRasterTraceDlg::UpdateControls() {
    const bool held = g_rasterTracer.vertexCount > 0;
    controls.lineHeld = held;
    controls.undoEnabled = generatedCount != 0;
    controls.startDown = controls.startDown &&
                         (g_toolMode == MODE_RASTER_TRACE_START || g_toolMode == MODE_RASTER_TRACE_DIRECTION);
    controls.addDown = controls.addDown && g_toolMode == MODE_RASTER_TRACE_ADD;
    controls.cutDown = controls.cutDown && g_toolMode == MODE_RASTER_TRACE_CUT;
    ShowFields();
    if (refreshControls) refreshControls();
}

void CRasterTraceDlg::SetStatus(const std::string& text) { controls.status = text; }

void CRasterTraceDlg::ShowVertexCount() {
    SetStatus(FormatInt("%5d ベクトル検出", g_rasterTracer.vertexCount));
}

void CRasterTraceDlg::CentreOnVertex(int32_t i) {
    g_viewCenterY = g_rasterTracer.m_east[i];
    g_viewCenterX = g_rasterTracer.m_north[i];
    scrollIndex = i;
    g_redrawMask = -1;
    g_skipHistoryOnce = 1;
}

void CRasterTraceDlg::OnStart(bool down) {
    controls.addDown = controls.cutDown = false;
    scrollIndex = 0;
    controls.startDown = down;
    g_rasterTracer.direction = -1;
    if (down) {
        SetStatus("ベクトル検出開始位置を指定");
        g_rasterTracer.m_east[0] = g_rasterTracer.m_north[0] = 0.0;
        g_rasterTracer.m_east[1] = g_rasterTracer.m_north[1] = 0.0;
        g_rasterTracer.m_found = 0;
        g_toolMode = MODE_RASTER_TRACE_START;
        g_dragState = 0;
        if (g_rasterTracer.vertexCount > 0) {
            g_rasterTracer.vertexCount = 0;
            FullRepaintView();
        }
    } else {
        SetStatus("");
        g_toolMode = MODE_NONE;
    }
    UpdateControls();
}

void CRasterTraceDlg::OnCut(bool down) {
    controls.startDown = controls.addDown = false;
    scrollIndex = 0;
    if (down && g_rasterTracer.vertexCount > 0) {
        controls.cutDown = true;
        SetStatus("ベクトル切断位置を指定");
        g_dragState = 0;
        g_rasterTracer.m_found = 0;
        g_toolMode = MODE_RASTER_TRACE_CUT;
        g_rasterTracer.direction = -1;
    } else {
        controls.cutDown = false;
        SetStatus("");
        g_toolMode = MODE_NONE;
    }
    UpdateControls();
}

void CRasterTraceDlg::OnAdd(bool down) {
    controls.startDown = controls.cutDown = false;
    scrollIndex = 0;
    if (!down || g_rasterTracer.vertexCount <= 0) {
        controls.addDown = false;
        SetStatus("");
        g_toolMode = MODE_NONE;
        UpdateControls();
        return;
    }
    controls.addDown = true;
    SetStatus("追加ベクトル検出位置を指定");
    g_rasterTracer.m_found = 0;
    g_dragState = 0;
    g_rasterTracer.direction = -1;
    g_toolMode = MODE_RASTER_TRACE_ADD;
    UpdateControls();
}

int32_t CRasterTraceDlg::OnViewClick(double north, double east) {
    savedVertexCount = 0;
    if (!MainImageUsable()) return 0;
    RasterTracer& t = g_rasterTracer;
    {
        AttachedImage attached;
        int32_t px, py;
        t.GroundToPixel(east, north, px, py);
        switch (g_toolMode) {
        case MODE_RASTER_TRACE_START:
            t.direction = -1;
            if (t.FindStartDirection(px, py, 1) < 0) {
                SetStatus("線が見つかりません");
                break;
            }
            t.vertexCount = 0;
            if (t.branchDirection != -1 || fine) {
                SetStatus("方向を指示してください");
                g_toolMode = MODE_RASTER_TRACE_DIRECTION;
                FullRepaintView();
                break;
            }
            SetStatus("ベクトル検出中・・・");
            if (repaintNow) repaintNow();
            t.TraceFromStart(fine);
            g_toolMode = MODE_NONE;
            if (t.vertexCount < 1) {
                SetStatus("");
            } else {
                t.direction = -1;
                ShowVertexCount();
                FullRepaintView();
            }
            controls.startDown = false;
            break;
        case MODE_RASTER_TRACE_DIRECTION:
            if (t.direction >= 0) {
                SetStatus("ベクトル検出中・・・");
                if (repaintNow) repaintNow();
                t.SetDirectionTowards(t.m_startX, t.m_startY, px, py);
                t.TraceFromStart(fine);
                g_toolMode = MODE_NONE;
            }
            controls.startDown = false;
            SetStatus("");
            if (t.vertexCount >= 1) {
                t.direction = -1;
                ShowVertexCount();
                FullRepaintView();
            }
            break;
        case MODE_RASTER_TRACE_ADD:
            t.OrientTowards(east, north);
            if (t.vertexCount > 0) {
                SetStatus("ベクトル検出中・・・");
                if (repaintNow) repaintNow();
                t.ExtendTrace(px, py, fine);
                t.direction = -1;
                if (!continuous) g_toolMode = MODE_NONE;
                ShowVertexCount();
            } else {
                SetStatus("");
            }
            if (g_toolMode != MODE_RASTER_TRACE_ADD) controls.addDown = false;
            FullRepaintView();
            break;
        case MODE_RASTER_TRACE_CUT: {
            const int32_t r = continuous ? t.RemoveNearest(east, north) : t.CutAtNearest(east, north);
            if (r < 0) {
                SetStatus("");
            } else {
                ShowVertexCount();
                if (!continuous || t.vertexCount == 0) g_toolMode = MODE_NONE;
                FullRepaintView();
            }
            if (g_toolMode != MODE_RASTER_TRACE_CUT) controls.cutDown = false;
            break;
        }
        default:
            break;
        }
    }
    UpdateControls();
    return 0;
}

void CRasterTraceDlg::OnEditKey(int32_t key) {
    RasterTracer& t = g_rasterTracer;
    const bool held = t.vertexCount >= 1;
    switch (key) {
    case kTraceKeyHome:
        if (held)
            OnAdd(!controls.addDown);
        else
            OnStart(!controls.startDown);
        return;
    case kTraceKeyEnd:
        if (held) OnCut(!controls.cutDown);
        return;
    case kTraceKeyInsert: {
        // The entry after the last vertex is what the last removal or cut left there; the
        // list never grows past its last slot.
        const int32_t next = t.vertexCount + 1;
        if (next > MAX_TRACE_VERTEX || generatedCount != 0 || t.m_east[next] == 0.0 ||
            t.m_north[next] == 0.0)
            return;
        t.vertexCount = next;
        break;
    }
    case kTraceKeyDelete:
        if (!held) return;
        --t.vertexCount;
        break;
    default:
        return;
    }
    ShowVertexCount();
    UpdateControls();
    if (continuous) CentreOnVertex(t.vertexCount);
    FullRepaintView();
}

void CRasterTraceDlg::OnHScroll(int32_t step) {
    const int32_t n = g_rasterTracer.vertexCount;
    if (n < 1) return;
    int32_t i = scrollIndex + step;
    if (i < 0) i = n;
    if (i > n) i = 0;
    CentreOnVertex(i);
    FullRepaintView();
}

void CRasterTraceDlg::OnSensitivity(int32_t position) {
    position = std::clamp(position, 0, 100);
    g_rasterTracer.threshold = 102 - position;
    controls.sensitivity = position;
}

bool CRasterTraceDlg::PaperIsOneBit() const { return g_bgImage.isMono != 0; }

void CRasterTraceDlg::OnPaperColour(const uint32_t* chosen) {
    if (PaperIsOneBit()) {
        g_rasterTracer.backgroundBit = g_rasterTracer.backgroundBit ? 0 : 1;
    } else if (chosen) {
        g_rasterTracer.backgroundColour[0] = *chosen & 0xFF;
        g_rasterTracer.backgroundColour[1] = (*chosen >> 8) & 0xFF;
        g_rasterTracer.backgroundColour[2] = (*chosen >> 16) & 0xFF;
    }
    UpdateControls();
}

void CRasterTraceDlg::OnLevelField(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i == text.size()) {
        UpdateControls();
        return;
    }
    if (text[i] == 's' || text[i] == 'S') {
        double step = std::atof(text.c_str() + i + 1);
        if (!std::isfinite(step) || step < 0.0) step = 0.001;
        g_traceLevelStep = step;
    } else {
        double v;
        if (ParseNumber(text, v)) g_traceLevel = v;
    }
    g_editPoint.z = g_traceLevel;
    if (elevationMode == 0) g_traceEndValue = g_traceLevel;
    UpdateControls();
}

void CRasterTraceDlg::OnIntervalField(const std::string& text) {
    double v;
    if (ParseNumber(text, v)) g_tracePointInterval = v < 0.00001 ? 1.0 : v;
    UpdateControls();
    controls.interval = Format(" %5.3f", g_tracePointInterval);
    if (refreshControls) refreshControls();
}

void CRasterTraceDlg::OnEndValueField(const std::string& text) {
    double v;
    if (ParseNumber(text, v)) g_traceEndValue = v;
    UpdateControls();
}

void CRasterTraceDlg::OnJudgingAngleField(const std::string& text) {
    double v;
    if (ParseNumber(text, v)) judgingAngle = v < 0.0 ? 0.0 : v;
    UpdateControls();
    controls.judgingAngle = Format(" %5.3f", judgingAngle);
    if (refreshControls) refreshControls();
}

void CRasterTraceDlg::OnLevelStepField(const std::string& text) {
    double v;
    if (ParseNumber(text, v)) g_traceLevelStep = v < 0.0 ? 0.0 : v;
    UpdateControls();
}

void CRasterTraceDlg::OnLayerField(const std::string& text) {
    double v;
    if (ParseNumber(text, v)) g_vectorLayer = static_cast<int32_t>(std::clamp(v, -2.0e9, 2.0e9));
    UpdateControls();
}

void CRasterTraceDlg::OnPointNameField(const std::string& cp932) {
    const size_t n = Cp932PrefixLength(cp932, 11);
    std::memset(pointName, 0, sizeof pointName);
    std::memcpy(pointName, cp932.data(), n);
    UpdateControls();
}

bool CRasterTraceDlg::OnWheel(int32_t field, const std::string& text, int32_t delta) {
    const double sign = delta > 0 ? 1.0 : (delta < 0 ? -1.0 : 0.0);
    double v;
    switch (field) {
    case kTraceFieldInterval:
        if (!ParseNumber(text, v)) v = g_tracePointInterval;
        v += sign;
        if (v <= 0.0) v = 1.0;
        g_tracePointInterval = v;
        break;
    case kTraceFieldLevel:
        if (!ParseNumber(text, v)) v = g_traceLevel;
        v += sign * g_traceLevelStep;
        // A whole-number step keeps the elevation on its multiples (cut towards zero).
        if (g_traceLevelStep > 0.0 && g_traceLevelStep - std::floor(g_traceLevelStep) < 0.001)
            v = std::trunc(v / g_traceLevelStep) * g_traceLevelStep;
        g_traceLevel = v;
        g_editPoint.z = v;
        if (elevationMode == 0) g_traceEndValue = v;
        break;
    case kTraceFieldLevelStep:
        if (!ParseNumber(text, v)) v = g_traceLevelStep;
        v += sign;
        if (v <= 0.0) v = 1.0;
        g_traceLevelStep = v;
        break;
    default:
        return false;
    }
    UpdateControls();
    return true;
}

void CRasterTraceDlg::OnElevationMode(int32_t mode, bool checked) {
    elevationMode = checked ? mode : 0;
    UpdateControls();
}

void CRasterTraceDlg::OnSlopeSettings(bool) {
    elevationMode = 0;
    UpdateControls();
}

void CRasterTraceDlg::OnFlag(int32_t id, bool checked) {
    const int32_t v = checked ? 1 : 0;
    switch (id) {
    case 1131:
        fine = v;
        break;
    case 1133:
        continuous = v;
        break;
    case 1132:
        changePoints = v;
        break;
    case 1071:
        g_traceCreateDxf = v;
        break;
    default:
        break;
    }
    UpdateControls();
}

void CRasterTraceDlg::OnPlotKind(int32_t kind) {
    plotKind = std::clamp(kind, 0, 3);
    UpdateControls();
}
void CRasterTraceDlg::OnInvalid(int32_t invalid) {
    invalidFlag = invalid ? 1 : 0;
    UpdateControls();
}
void CRasterTraceDlg::OnSave3d(int32_t save3d) {
    g_dxfSave3d = save3d ? 1 : 0;
    UpdateControls();
}
void CRasterTraceDlg::OnColourSelected(int32_t index) { g_vectorColour = index; }

void CRasterTraceDlg::OnSaveDxf() {
    if (g_dxfElementCount <= 0) {
        ShowMessage("保存するデータがありません", "", msg::kOk | msg::kIconError);
        return;
    }
    FileDialogRequest request;
    request.save = true;
    request.title = "ＤＸＦ保存";
    request.filter = "ＤＸＦファイル (*.DXF)|*.DXF|すべてのファイル|*.*|";
    request.defaultExtension = "DXF";
    request.folder = g_workFolder;
    request.fileName = g_backgroundDxfPath;
    const std::string path = RunFileDialog(request);
    if (path.empty()) return;
    g_backgroundDxfPath = path;
    const size_t slash = path.find_last_of('/');
    g_lastFolder = slash == std::string::npos ? std::string() : path.substr(0, slash);
    if (WriteDxfElements(path, g_dxfSave3d) != 0)
        ShowMessage("ファイル書き込みに失敗しました。", "", msg::kOk | msg::kIconError);
    else
        g_dxfModified = 0;
}

void CRasterTraceDlg::OnOK() {
    if (g_toolMode >= MODE_RASTER_TRACE_START && g_toolMode <= MODE_RASTER_TRACE_ADD) g_toolMode = MODE_NONE;
    savedVertexCount = 0;
    g_rasterTracer.Reset();
    FullRepaintView();
}

void CRasterTraceDlg::PostNcDestroy() {
    if (g_dxfModified &&
        ShowMessage("作成したＤＸＦデータを保存しますか", "", msg::kYesNo | msg::kIconQuestion) == msg::kIdYes)
        OnSaveDxf();
    if (g_rasterTraceDlg == this) g_rasterTraceDlg = nullptr;
}

void DrawRasterTraceMarks(OverlayCanvas& canvas) {
    if (!g_rasterTraceDlg || !g_bgImage.loaded) return;
    const RasterTracer& t = g_rasterTracer;
    const auto project = [](double east, double north, int32_t& column, int32_t& row) {
        RandomPoint p{};
        p.x = north;
        p.y = east;
        p.z = g_traceLevel;
        ProjectRecord(p);
        if (p.hidden & 0x05) return false;
        column = g_viewportCenterX + p.screenX;
        row = g_viewportCenterY - p.screenY;
        return true;
    };
    int32_t c, r;
    if (t.vertexCount >= 1) {
        canvas.SetPen(0x000000);
        canvas.SetBrush(0x00FFFF);
        for (int32_t i = 0; i <= t.vertexCount; ++i) {
            if (!project(t.m_east[i], t.m_north[i], c, r)) continue;
            if (i == 0)
                canvas.FillRect(c - 4, r - 4, c + 4, r + 4, 0x0000FF);
            else
                canvas.Ellipse(c - 4, r - 4, c + 4, r + 4);
        }
    } else if (t.direction >= 0) {
        double e, n;
        t.PixelToGround(t.m_startX, t.m_startY, e, n);
        if (project(e, n, c, r)) {
            canvas.SetPen(0x000000);
            canvas.SetBrush(0xC0FFFF);
            canvas.Ellipse(c - 4, r - 4, c + 4, r + 4);
        }
    }
}

void OnRasterTrace() {
    if (g_rasterTraceDlg) {
        if (g_showRasterTraceWindow) g_showRasterTraceWindow();
        return;
    }
    if (g_openRasterTraceWindow) g_openRasterTraceWindow();
}

void RegisterRasterTraceCommand(CommandHandlerMap& commands) {
    commands.SetHandler(32891, OnRasterTrace);
    commands.SetUpdateRule(32891, [](CommandUpdate& u) {
        u.enabled = g_openRasterTraceWindow != nullptr || g_rasterTraceDlg != nullptr;
    });
}

int32_t TraceKeyForViewInput(int32_t key, bool ctrl, bool shift, bool alt) {
    constexpr int32_t kBack = 0x08;
    if (ctrl && !alt) {
        switch (key) {
        case 'Z':
            return kTraceKeyHome;
        case 'X':
            return kTraceKeyEnd;
        case 'C':
        case kTraceKeyInsert:
            return kTraceKeyDelete;
        case 'V':
            return kTraceKeyInsert;
        default:
            return 0;
        }
    }
    if (alt) return !shift && key == kBack ? kTraceKeyHome : 0;
    if (shift) {
        if (key == kTraceKeyDelete) return kTraceKeyEnd;
        if (key == kTraceKeyInsert) return kTraceKeyInsert;
        return 0;
    }
    switch (key) {
    case kTraceKeyHome:
    case kTraceKeyEnd:
    case kTraceKeyInsert:
    case kTraceKeyDelete:
        return key;
    default:
        return 0;
    }
}
