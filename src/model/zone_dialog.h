#pragma once
// The plane-zone dialog ("系指定") without its window: the zone texts it shows, the
// values it exchanges with its callers and what each of its controls does to them; and
// the axis-convention choice ("座標系指定") of coordinate text output.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct Ellipsoid;

constexpr int32_t kZoneAreaLineCount = 5;

// Origin texts of a zone as the dialog shows them (" 36度 0分0秒", "139度50分0秒");
// empty outside 1 to 19.
const char* ZoneOriginLatitudeText(int32_t zone);
const char* ZoneOriginLongitudeText(int32_t zone);
// The zone's five area lines as stored: a blank, then the text; a line the zone does not
// use is a single blank. All five are a single blank outside 1 to 19.
std::array<const char*, kZoneAreaLineCount> ZoneAreaLines(int32_t zone);

// What the callers set before opening the dialog and read after OK.
struct ZoneSelectValues {
    int32_t m_zone = 0;            // 1 to 19; 0 none
    int32_t m_datumSelection = 0;  // radio at opening: 0 "日本測地系", else "世界測地系"
    int32_t m_convertDatum = 0;    // nonzero shows the datum controls with the check box
    int32_t m_dataDatum = -1;      // -1 not asked; after OK 0 Tokyo datum, 1 world system
};

// The state of the dialog's controls.
struct ZoneDialogControls {
    int32_t zoneIndex = -1;             // drop-down selection (0 for zone 1); -1 none
    std::vector<std::string> areaList;  // the area list box
    std::string originLatitude;         // read-only edits
    std::string originLongitude;
    std::string zoneEdit;         // the hidden zone edit
    bool worldDatum = false;      // "世界測地系" selected, else "日本測地系"
    bool convertChecked = false;  // "測地系を変換する"
    bool convertShown = false;    // the check box
    bool groupShown = false;      // "元データ属性"
    bool groupTextCleared = false;
    bool radiosShown = false;
};

// Opening: fills the controls from the values. A zone outside 1 to 19 (a damaged file
// header, say) becomes 0, so it never comes back as the result.
ZoneDialogControls OpenZoneSelect(ZoneSelectValues& values);
// A drop-down entry chosen (0 to 18): area lines, origin texts and the zone follow it.
void SelectZoneEntry(int32_t index, ZoneSelectValues& values, ZoneDialogControls& controls);
// The hidden zone edit losing the focus: a number 1 to 19 becomes the zone; the edit is
// rewritten with the zone.
void ZoneEditLostFocus(const std::string& text, ZoneSelectValues& values,
                       ZoneDialogControls& controls);
// A datum radio clicked: 0 "日本測地系", 1 "世界測地系".
void SelectDatumRadio(int32_t datum, ZoneSelectValues& values, ZoneDialogControls& controls);
void SetConvertDatumCheck(bool checked, ZoneSelectValues& values, ZoneDialogControls& controls);
// OK: the data datum follows the selected radio. The zone stays as it is, 0 included:
// whoever converts with it refuses zone 0 with a message.
void AcceptZoneSelect(ZoneSelectValues& values, const ZoneDialogControls& controls);

// The usual reading of the result: the zone goes to g_planeZone; data datum 1 selects
// GRS 1980 with g_useWorldDatum 1, anything else Bessel 1841 with g_useWorldDatum 0.
void ApplyZoneSelection(const ZoneSelectValues& values, Ellipsoid& geodesy);

// The axis-convention choice, passed on unchanged to the coordinate text writer.
constexpr int32_t kAxisSurvey = 1;        // "公共座標": X north, Y east
constexpr int32_t kAxisMathematical = 0;  // "数学座標"
