#pragma once
// The dialog "路線計算" without its window: the route parameters as its fields show them,
// what each control does to them, and the frame command around it. Every value lives in
// the route parameter globals.
#include <functional>
#include <string>

// Field ids, in the order of the dialog.
constexpr int kRouteIntervalField = 1008;
constexpr int kRouteLeftWidthField = 1084;
constexpr int kRouteRightWidthField = 1085;
constexpr int kRouteBpAddedField = 1086;
constexpr int kRouteBpBackField = 1087;
constexpr int kRouteEpForwardField = 1088;
constexpr int kRouteFirstNumberField = 1089;
constexpr int kRouteToleranceField = 1186;
constexpr int kRouteCalcFieldIds[] = {
    kRouteIntervalField, kRouteLeftWidthField, kRouteRightWidthField,  kRouteBpAddedField,
    kRouteBpBackField,   kRouteEpForwardField, kRouteFirstNumberField, kRouteToleranceField};

// Radio and check ids.
constexpr int kRouteNamingNo = 1009;
constexpr int kRouteNamingSta = 1010;
constexpr int kRouteNamingAdded = 1136;
constexpr int kRouteClothoidBtc = 1011;
constexpr int kRouteClothoidKa = 1012;
constexpr int kRouteSingleCurveSpCheck = 1020;
constexpr int kRouteAuxStationsCheck = 1021;

// The choice controls as the dialog shows them.
struct RouteCalcDialogValues {
    int stationNamingRadio = kRouteNamingNo;
    int clothoidNamingRadio = kRouteClothoidKa;
    bool singleCurveSp = false;
    bool auxStations = false;
};

// The field's global in the field's format ("%10.3f", "%12.5f", "%5d", "%.4f").
std::string RouteCalcFieldText(int id);
// A field losing the focus: the typed value is stored when the field accepts it (a
// number; not negative except the BP added distance; a tolerance of at least 0.0001);
// returns what the field shows then, the previous value for a refused one.
std::string RouteCalcFieldLeft(int id, const std::string& typed);

// Opening: the choice controls from the globals (an SP setting other than 1 becomes 0).
RouteCalcDialogValues OpenRouteCalcDialog();
// A radio clicked: the naming global follows it.
void SelectRouteCalcRadio(int id, RouteCalcDialogValues& values);
void ToggleRouteSingleCurveSp(RouteCalcDialogValues& values);
void SetRouteAuxStations(bool checked, RouteCalcDialogValues& values);

// "計算開始": computes the route; the whole view is redrawn afterwards.
void StartRouteCalc();
// "ｷｬﾝｾﾙ": nothing computed, only the overlays redrawn.
void CancelRouteCalc();

// The frame command: resets the mouse tool, closes the tool windows, runs the dialog and
// redraws the view.
void OnRouteCalcCommand(const std::function<void()>& runDialog);
