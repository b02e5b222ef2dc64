#pragma once
// The curve-element report of one IP: its specifications, the elements of its clothoids
// and arc, and its main points, as the last route computation (or the .YSO) left them.
#include <cstdint>
#include <string>

// A packed D.MMSS angle as the report shows it: 35.1234 gives "35-12-34".
std::string FormatDms(double dmmss);

// The report of IP record `ip` (2 to g_ipPointCount - 1) as CP932 bytes, lines ending LF.
// Empty when the route has no IP between BP and EP or `ip` is not one of them.
std::string CurveReportText(int32_t ip);

// The report of g_currentIp in UTF-8 for the window; false, with `text` untouched, when
// there is none to show.
bool FormatCurveReport(std::string& text);
