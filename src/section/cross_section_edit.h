#pragma once
// The editing rules of the cross-section window and of its two dialogs (point edit and
// colours), on the section on show (g_currentSection). The windows call these.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "section/section_frame.h"

inline constexpr int32_t kSectionEditAdd = 0x401;
inline constexpr int32_t kSectionEditModify = 0x801;
inline constexpr int32_t kSectionViewZoomBox = 0x11;
inline constexpr int32_t kSectionViewMove = 0x80;

// Nearest point of the current section within `radius` pixels; sets
// g_sectionHitLeftPoint / g_sectionHitRightPoint (the other 0). 0 when none.
int32_t HitTestSectionPoint(const SectionFrame& frame, double radius, int32_t x, int32_t y);

// The ground line of a section as the drawing runs it: the left side from the centre
// outward, then the right side. A run starts with a move; when the centre is only an
// estimate it is not joined to either side.
struct SectionPolyline {
    std::vector<SectionWorld> points;
};
std::vector<SectionPolyline> SectionLinePieces(int32_t section);

// The marks of the current section's side points, as world positions.
void CurrentSectionSides(std::vector<SectionWorld>& left, std::vector<SectionWorld>& right);

// Popup menu 146.
enum class SectionPopupItem { ZoomBox, Move, AddPoints, ModifyPoints, Release };
void ApplySectionPopupItem(SectionPopupItem item);

// A left-button release in add mode at world position `at` (inside: strictly inside the
// frame). `grabbed` is the point caught at the press (0 none). `runDialog` shows the
// point edit dialog and returns true for its registration button. On any other end a
// point this click inserted is deleted again, and a grabbed point gets back its old
// offset and height. Returns the code edited (0 none). Selection is 0 afterwards.
int32_t SectionAddRelease(int32_t grabbed, SectionWorld at, bool inside, const std::function<bool()>& runDialog);
// Modify mode: `hit` is the point within 15 pixels of the release (0 none); the dialog's
// writes stay whatever its end.
int32_t SectionModifyRelease(int32_t hit, const std::function<bool()>& runDialog);

// The point edit dialog (215).
struct SectionPointEditValues {
    std::string title;
    std::string distance;  // "%7.3f"
    std::string height;    // "%7.3f"
    bool showDistance = true;
};
// Fills the copy and the boxes for g_sectionSelectedPoint; false when the section
// cannot be read (boxes left alone).
bool FillSectionPointEdit(SectionPointEditValues& v);
// A typed distance (greater than 0, below 1,000,000) or height (-100000..100000,
// exclusive): taken only when Enter was pressed; the copy is written into the section at
// once either way, and the box text refilled.
void ApplySectionPointDistance(SectionPointEditValues& v, const std::string& text, bool enter);
void ApplySectionPointHeight(SectionPointEditValues& v, const std::string& text, bool enter);
// The spin: code - delta, kept between the outermost left and right points.
int32_t SpinSectionPoint(int32_t code, int32_t delta);
// Screen position of the dialog's top-left corner from the anchor on the screen.
SectionPixel PlaceSectionPointEdit(SectionPixel anchor, int32_t w, int32_t h, int32_t screenW, int32_t screenH);

// The colour dialog (151).
struct SectionColorEdit {
    uint32_t opened[11] = {};
};
SectionColorEdit OpenSectionColorEdit();
void CancelSectionColorEdit(const SectionColorEdit& edit);  // restores the colours of the opening

// Plan-view click: index (1-based) of the station mark nearest (x, y), or 0 when all are
// more than sqrt(5000) pixels away. `marks` are screen positions of stations 1..n.
int32_t NearestStationMark(int32_t x, int32_t y, const std::vector<SectionPixel>& marks);
