#pragma once
// The single-instance tool windows. Each is open while its slot holds it; a command
// toggles it, and CloseToolWindows closes them before another command starts.
#include <cstddef>

// One value per tool window slot; the comment names the window's pointer in the
// owning subsystem.
enum class ToolWindow : int {
    kPointEditPanel1,   // g_pointEditPanel1
    kPointEditPanel2,   // g_pointEditPanel2
    kPointEditPanel3,   // g_pointEditPanel3
    kContourCalc,       // g_contourCalcWnd
    kSetting,           // g_settingWnd
    kImport,            // g_importDlg
    kPointList,         // g_pointListWnd
    kDxfOutput,         // g_dxfOutputDlgWnd
    kSimaOut,           // g_simaOutDlg
    kVolume,            // g_volumeDlgWnd
    kSunmapOut,         // g_sunmapOutDlg
    kColor,             // g_colorDlgWnd
    kSection,           // g_sectionWnd
    kLongSection,       // g_longSectionWnd
    kColorBand,         // g_colorBandDlg
    kMoveRotate,        // g_moveRotateDlg
    kHoleType,          // g_holeTypeDlgWnd
    kVecCreate,         // g_vecCreateDlg
    kVertexColorBand,   // g_vertexColorBandDlg
    kElevationArea,     // g_elevationAreaWnd
    kAreaList,          // g_areaListWnd
    kQuantityList,      // g_quantityListWnd
    kIpList,            // g_ipListDlg
    kPlusStake,         // g_plusStakeDlg
    kStationList,       // g_stationListDlg
    kSectionShift,      // g_sectionShiftDlg
    kTinVolume,         // g_tinVolumeDlg
    kValidAreaEdit,     // g_validAreaEditDlg
    kDupPointAreaEdit,  // g_dupPointAreaEditDlg
    kBgImagePosition,   // g_bgImagePositionDlg
    kBgDxfPosition,     // g_bgDxfPositionDlg
    kDxfInfo,           // g_dxfInfoDlgObj
    kLightSource,       // g_lightSourceDlg
    kWaterLevel,        // g_waterLevelDlg
    kSimpleSection,     // g_simpleSectionWnd
    kTextFlag,          // the text-flag dialog
    kRouteCalc,         // g_routeCalcDlgHwnd
    // Not closed by CloseToolWindows: the point tools close these themselves.
    kPointEditDialog,  // the point edit dialog (CloseEditToolWindows)
    kOffsetDialog,     // the offset dialog (CloseEditToolWindows)
    kPointInputPanel,  // g_pointInputParamDlg
    kCount
};
constexpr size_t kToolWindowCount = static_cast<size_t>(ToolWindow::kCount);

// What the slot holds: the window object, which knows how to close itself.
class ToolWindowHandle {
public:
    virtual ~ToolWindowHandle() = default;
    // Destroys the window. A window whose slot CloseToolWindows leaves alone clears it
    // on its own destruction (ClearToolWindow).
    virtual void CloseToolWindow() = 0;
};

// The window sets its slot when it opens and clears it when it is destroyed.
void SetToolWindow(ToolWindow slot, ToolWindowHandle* window);
void ClearToolWindow(ToolWindow slot, const ToolWindowHandle* window = nullptr);
ToolWindowHandle* GetToolWindow(ToolWindow slot);
inline bool IsToolWindowOpen(ToolWindow slot) { return GetToolWindow(slot) != nullptr; }

// Closes the open tool windows in a fixed order: the panels and dialogs whose slots it
// clears itself, then the colour-band, move/rotate, hole-type and (last) vector
// creation dialogs, which clear their slots as they go.
void CloseToolWindows();

// Closes one window and clears its slot (the "toggle" of a command that closes it).
void CloseToolWindow(ToolWindow slot);
