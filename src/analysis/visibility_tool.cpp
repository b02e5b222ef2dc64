#include "analysis/visibility_tool.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "image/image_mapping.h"
#include "image/image_slot.h"
#include "model/terrain_data.h"
#include "model/tin_query.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "pointedit/edit_point.h"
#include "view/display_flags.h"
#include "view/pick_overlay.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_input.h"
#include "view/view_navigation.h"
#include "view/view_picking.h"
#include "view/view_state.h"
#include "view/view_transform.h"

CVisibilityDlg* g_visibilityDlg = nullptr;

namespace {
std::function<void()> g_visibilityWindowFactory;

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool ActiveImageIsGridShaped() {
    const ImageSlot& s = g_bgImage;
    return s.loaded && s.pixels && s.isMono && s.width == g_visibilityGridSize &&
           s.height == g_visibilityGridSize && g_visibilityGridSize > 0;
}

// Reads a number the way the edits always have: from the start of the text, 0 when none.
double Number(const std::string& text) { return std::atof(text.c_str()); }
}  // namespace

CVisibilityDlg::CVisibilityDlg() {
    g_visibilityDlg = this;
    CheckVisibilityDataChange(g_extentCenterX, g_extentCenterY);
    m_mapSize = 2048;
    g_visibilityGridSize = 2048;
    FreeVisibilityGrid();
    m_scanMode = kScanVisible;
    VisibilityObserver& o = g_visibilityObserver;
    if (o.state == 0) {
        o.east = g_viewCenterY;
        o.north = g_viewCenterX;
        o.eyeElevation = g_pointZMax;
        o.groundElevation = g_dataBaseZ;
        g_visibilityEyeHeight = 20.0;
        if (GetTinZ(o.north, o.east) != 0) {
            o.groundElevation = g_editPoint.z;
            o.eyeElevation = g_editPoint.z + 20.0;
        }
        o.state = 9;
        g_visibilityTargetHeight = 1.0;
        g_visibilityVisibleColor = 0xFFFFFF;
        g_visibilityInvisibleColor = 0x0080FF;
        g_visibilitySectorAzimuth = 0.0;
        g_visibilitySectorWidth = 30.0;
        g_visibilityMaxDistance = 1000.0;
    }
    if (g_visibilityObserverSlot < 0 || g_visibilityObserverSlot > 2) g_visibilityObserverSlot = 0;
    if (g_visibilityObserverSlots[0].state == 0) g_visibilityObserverSlots[0] = g_visibilityObserver;
    for (int k = 1; k < 4; ++k)
        if (g_visibilityObserverSlots[k].state == 0) g_visibilityObserverSlots[k] = g_visibilityObserverSlots[0];
}

CVisibilityDlg::~CVisibilityDlg() {
    FreeVisibilityGrid();
    g_visibilityGridSize = 0;
    if (g_visibilityDlg == this) g_visibilityDlg = nullptr;
}

void CVisibilityDlg::Refresh() {
    g_visibilityObserverSlots[g_visibilityObserverSlot] = g_visibilityObserver;
    if (refreshControls) refreshControls();
}

void CVisibilityDlg::RedrawAll() {
    g_redrawMask = -1;
    FullRepaintView();
}

void CVisibilityDlg::Status(const std::string& text) {
    if (status) status(text);
}

void CVisibilityDlg::ReadGroundElevation() {
    if (GetTinZ(g_visibilityObserver.north, g_visibilityObserver.east) != 0)
        g_visibilityObserver.groundElevation = g_editPoint.z;
}

std::string CVisibilityDlg::FieldText(int control) const {
    const VisibilityObserver& o = g_visibilityObserver;
    switch (control) {
        case visctl::kNorth: return FormatString(" %5.3f", o.north);
        case visctl::kEast: return FormatString(" %5.3f", o.east);
        case visctl::kEyeElevation: return FormatString(" %5.3f", o.eyeElevation);
        case visctl::kEyeHeight: return FormatString(" %5.3f", g_visibilityEyeHeight);
        case visctl::kTargetHeight: return FormatString(" %5.3f", g_visibilityTargetHeight);
        case visctl::kMaxDistance: return FormatString(" %5.2f", g_visibilityMaxDistance);
        case visctl::kAzimuth: return FormatString(" %5.1f", g_visibilitySectorAzimuth);
        case visctl::kWidth: return FormatString(" %5.1f", g_visibilitySectorWidth);
        default: return std::string();
    }
}

void CVisibilityDlg::EditEntered(int control) {
    if (control != visctl::kNorth && control != visctl::kEast && control != visctl::kEyeElevation &&
        control != visctl::kEyeHeight)
        return;
    VisibilityObserver& o = g_visibilityObserver;
    if (o.state == 1) {
        Status(FormatString("H= %5.3fm", o.groundElevation));
    } else if (GetTinZ(o.north, o.east) != 0) {
        o.groundElevation = g_editPoint.z;
        Status(FormatString("H= %5.3fm", o.groundElevation));
    }
}

void CVisibilityDlg::EditLeft(int control, const std::string& text, bool byEnter, bool byEscape) {
    VisibilityObserver& o = g_visibilityObserver;
    if (byEscape) {
        // ESC keeps the old value; for the observer's place it still counts as set.
        if (control == visctl::kNorth || control == visctl::kEast || control == visctl::kEyeElevation)
            o.state = 1;
        Refresh();
        return;
    }
    const double v = Number(text);
    switch (control) {
        case visctl::kNorth:
        case visctl::kEast:
            (control == visctl::kNorth ? o.north : o.east) = v;
            ReadGroundElevation();
            Refresh();
            RedrawAll();
            return;
        case visctl::kEyeElevation:
            o.eyeElevation = v;
            Refresh();
            RedrawAll();
            return;
        case visctl::kEyeHeight:
            g_visibilityEyeHeight = v;
            if (byEnter) o.eyeElevation = o.groundElevation + g_visibilityEyeHeight;
            Refresh();
            RedrawAll();
            return;
        case visctl::kTargetHeight: g_visibilityTargetHeight = v; break;
        case visctl::kMaxDistance: g_visibilityMaxDistance = v; break;
        case visctl::kAzimuth:
            g_visibilitySectorAzimuth = NormalizeSectorAzimuth(v);
            Refresh();
            QuickRepaintView();
            return;
        case visctl::kWidth:
            g_visibilitySectorWidth = ClampSectorWidth(v);
            Refresh();
            QuickRepaintView();
            return;
        default: return;
    }
    Refresh();
}

void CVisibilityDlg::SelectSlot(int32_t slot) {
    if (slot < 0 || slot > 2) return;
    g_visibilityObserverSlot = slot;
    if (g_visibilityObserverSlots[slot].state == 9) g_visibilityObserverSlots[slot] = g_visibilityObserver;
    g_visibilityObserver = g_visibilityObserverSlots[slot];
    Refresh();
    ReadGroundElevation();
    QuickRepaintView();
}

void CVisibilityDlg::SetMapSize(int32_t size) {
    m_mapSize = size;
    if (size != g_visibilityGridSize) {
        FreeVisibilityGrid();
        g_visibilityGridSize = 0;
    }
    Refresh();
}

bool CVisibilityDlg::ActiveImageFits() const {
    return g_visibilityGridValid && g_visibilityGridSize == m_mapSize && ActiveImageIsGridShaped();
}

CVisibilityDlg::Enables CVisibilityDlg::ControlStates() const {
    Enables e{};
    e.create = g_visibilityObserver.state != 0;
    e.discard = g_bgImage.loaded != 0;
    e.scan = ActiveImageFits();
    e.outOfRange = e.scan && (g_visibilityUseSector ||
                              (g_visibilityUseMaxDistance && g_visibilityMaxDistance != 0.0));
    return e;
}

void CVisibilityDlg::CreateVisibilityImage() {
    m_scanMode = kScanVisible;
    // With all eight slots taken the last image would go: only when the user agrees.
    SaveMainImageSlot();
    if (UsedImageSlotCount() >= IMAGE_SLOT_COUNT &&
        ShowMessage("背景画像が８枚あります。\n８枚目の画像を破棄して可視域画像を作成しますか？", "可視領域計算",
                    msg::kYesNo | msg::kIconQuestion) != msg::kIdYes) {
        Refresh();
        return;
    }
    const int32_t asked = m_mapSize;
    if (asked != g_visibilityGridSize) FreeVisibilityGrid();
    g_visibilityGridSize = (asked == 1024 || asked == 2048 || asked == 6144 || asked == 8192) ? asked : 4096;
    if (!g_visibilityGridValid) {
        VisibilityHooks hooks;
        hooks.status = [this](const std::string& t) { Status(t); };
        if (BuildVisibilityGrid(hooks) != -1) {
            Refresh();
            return;
        }
    }
    const int32_t n = g_visibilityGridSize;
    const VisibilityGridBox& b = g_visibilityGridBox;
    // The previous main image (saved in slot 0 above) goes behind the new one.
    g_bgImage = ImageSlot{};
    g_bgImageHandle = ImageHandle{};
    ImageSlot& image = g_bgImage;
    image.width = image.height = n;
    image.isMono = 1;
    image.stride = ImageRowStride(image);
    ImageHandle block = AllocImageBlock(static_cast<size_t>(image.stride) * n);
    if (block.Empty()) {
        LoadMainImageSlot();
        ShowMessage("可視域画像のメモリーが確保できません。", "可視領域計算", msg::kOk | msg::kIconError);
        Refresh();
        return;
    }
    SetActiveImageBlock(block);
    std::fill(image.pixels, image.pixels + block.Size(), uint8_t{0xFF});
    const double corners[4][2] = {
        {b.minEast, b.maxNorth}, {b.maxEast, b.maxNorth}, {b.minEast, b.minNorth}, {b.maxEast, b.minNorth}};
    std::copy(&corners[0][0], &corners[0][0] + 8, &image.corners[0][0]);
    ComputeImageEdgeLengths(image);
    image.blendMode = BLEND_OVERWRITE;
    image.loaded = 1;
    image.positionKnown = 1;
    SetupImageMapping(image);
    g_bgImagePath = NextVisibilityImageName();

    VisibilityHooks hooks = liveHooks;
    hooks.status = [this](const std::string& t) { Status(t); };
    // A run stopped with ESC keeps what it scanned.
    ScanVisibility(kScanVisible, g_visibilityGrid.data(), image.pixels, image.stride, hooks);
    InsertMainImage(g_visibilityVisibleColor, g_visibilityInvisibleColor);
    g_showBackgroundImage = -1;
    Refresh();
    RedrawAll();
    FillImageList();
}

void CVisibilityDlg::RunScan(int32_t mode) {
    if (!ActiveImageFits()) return;
    m_scanMode = mode;
    VisibilityHooks hooks = liveHooks;
    hooks.status = [this](const std::string& t) { Status(t); };
    ScanVisibility(mode, g_visibilityGrid.data(), g_bgImage.pixels, g_bgImage.stride, hooks);
    Refresh();
    RedrawAll();
}

void CVisibilityDlg::ClearAll() {
    if (!g_bgImage.loaded || !ActiveImageIsGridShaped()) return;
    std::fill(g_bgImage.pixels, g_bgImage.pixels + static_cast<size_t>(g_bgImage.stride) * g_bgImage.height,
              uint8_t{0xFF});
    Refresh();
    RedrawAll();
}

void CVisibilityDlg::ScanOutOfRange() {
    if (!ActiveImageFits()) return;
    const int32_t live = g_visibilityShowProgress;
    g_visibilityShowProgress = 0;
    m_scanMode = kScanOutOfRange;
    VisibilityHooks hooks;
    hooks.status = [this](const std::string& t) { Status(t); };
    ScanVisibility(kScanOutOfRange, g_visibilityGrid.data(), g_bgImage.pixels, g_bgImage.stride, hooks);
    g_visibilityShowProgress = live;
    m_scanMode = kScanVisible;
    Refresh();
    RedrawAll();
}

void CVisibilityDlg::OnDiscardImage() {
    FreeVisibilityGrid();
    g_visibilityGridSize = 0;
    SaveMainImageSlot();
    DeleteImageSlot(0);
    Status(FileNameOf(g_bgImagePath));
    Refresh();
    RedrawAll();
    FillImageList();
}

int32_t CVisibilityDlg::OnViewClick(int32_t flags, int32_t x, int32_t y) {
    if (!m_pickArmed) return 0;
    if ((flags & kMouseFlagControl) || IsKeyDown(key::kAlt)) return 0;
    VisibilityObserver& o = g_visibilityObserver;
    double north = 0, east = 0, ground = 0;
    if (g_birdsEyeOn) {
        if (flags & kMouseFlagShift) return 0;
        if (PickTinPoint3D(x - g_bufferMaxX / 2, g_bufferMaxY / 2 - y, north, east, ground) == 0) return 0;
    } else if (const int32_t p = FindPointAtCursor(x, y, 60); p != 0) {
        north = g_points[p].x;
        east = g_points[p].y;
        ground = g_points[p].z;
    } else {
        east = g_viewCenterY + (x - g_bufferMaxX / 2) / g_viewScale;
        north = g_viewCenterX + (g_bufferMaxY / 2 - y) / g_viewScale;
        ground = GetTinZ(north, east) != 0 ? g_editPoint.z : o.eyeElevation - g_visibilityEyeHeight;
    }
    o.north = north;
    o.east = east;
    o.groundElevation = ground;
    o.eyeElevation = ground + g_visibilityEyeHeight;
    o.state = 1;
    m_pickArmed = false;
    Refresh();
    Status(FormatString("H= %5.3fm", ground));
    g_redrawMask = -1;
    return 1;
}

void CVisibilityDlg::DrawOverlay(OverlayCanvas& canvas) {
    if (g_visibilityObserver.state == 0) return;
    if (CheckVisibilityDataChange(g_extentCenterX, g_extentCenterY)) Refresh();
    if (g_visibilityObserver.state == 0) return;
    struct Shown {
        bool on;
        int32_t x, y;
    };
    auto project = [](double north, double east, double z) {
        RandomPoint r{};
        r.x = north;
        r.y = east;
        r.z = z;
        ProjectRecord(r);
        return Shown{r.hidden == 0, g_viewportCenterX + r.screenX, g_viewportCenterY - r.screenY};
    };
    static const char* const kLetters[4] = {"A", "B", "C", "D"};
    auto marker = [&](const VisibilityObserver& o, uint32_t pen, const char* letter) {
        const Shown eye = project(o.north, o.east, o.eyeElevation);
        if (!eye.on) return eye;
        canvas.SetPen(pen);
        const Shown foot = project(o.north, o.east, o.groundElevation);
        if (foot.on) {
            canvas.MoveTo(eye.x, eye.y);
            canvas.LineTo(foot.x, foot.y);
        }
        canvas.Text(eye.x - 3, eye.y - 15, letter);
        return eye;
    };
    for (int k = 0; k < 4; ++k) {
        const VisibilityObserver& o = g_visibilityObserverSlots[k];
        if (k == g_visibilityObserverSlot || o.state != 1) continue;
        const Shown eye = marker(o, 0x404080, kLetters[k]);
        if (eye.on) canvas.Ellipse(eye.x - 4, eye.y - 4, eye.x + 4, eye.y + 4);
    }
    const VisibilityObserver& o = g_visibilityObserver;
    const Shown eye = marker(o, 0x4040FF, kLetters[g_visibilityObserverSlot]);
    if (!eye.on) return;
    if (g_visibilityUseSector && g_viewScale > 0) {
        const double length = 30.0 / g_viewScale, half = g_visibilitySectorWidth / 2;
        canvas.SetPen(0xFF00FF);
        for (double a : {g_visibilitySectorAzimuth + half, g_visibilitySectorAzimuth - half}) {
            const double r = a * 3.14159265358979323846 / 180.0;
            const Shown end = project(o.north + length * std::cos(r), o.east + length * std::sin(r), o.eyeElevation);
            if (!end.on) continue;
            canvas.MoveTo(eye.x, eye.y);
            canvas.LineTo(end.x, end.y);
        }
    }
    canvas.SetPen(0x4040FF);
    canvas.Ellipse(eye.x - 4, eye.y - 4, eye.x + 4, eye.y + 4);
}

void SetVisibilityWindowFactory(std::function<void()> open) { g_visibilityWindowFactory = std::move(open); }

void OnVisibilityArea() {
    if (g_visibilityDlg) {
        if (g_visibilityDlg->closeWindow)
            g_visibilityDlg->closeWindow();
        else
            delete g_visibilityDlg;
        return;
    }
    if (g_visibilityWindowFactory) g_visibilityWindowFactory();
    FullRepaintView();
}
