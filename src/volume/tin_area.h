#pragma once
// The surface (3-D) and horizontal (plan) area of the TIN, summed over its triangles.
#include <cstdint>
#include <functional>
#include <string>

// surface 1 measures in 3-D, 0 in plan; holesOnly and the triangles as for the datum
// volume; decimals (1..6) only shape the report. Returns as CalcDatumVolume: 0, -1 when the
// triangles could not be marked (total 0, told), -2 when the report failed (told).
int32_t CalcTinArea(int32_t holesOnly, int32_t decimals, int32_t surface, int32_t withReport,
                    const std::string& reportPath, double* total);

// The last totals of the two commands.
extern double g_tinSurfaceArea;
extern double g_tinHorizontalArea;

// What dialog 204 "小数桁設定" exchanges: decimals 1..6 (0 when cancelled), holes only.
struct AreaDigitsValues {
    int32_t decimals = 3;
    int32_t holesOnly = 0;
};

// Commands 32870 (surface 1) and 32871 (surface 0): the report question and file, the
// digits dialog (run through the given callback: false when cancelled), the calculation
// under the progress window and the result box.
void RunTinAreaCommand(int32_t surface, const std::function<bool(AreaDigitsValues&)>& askDigits);

// The result box's text for a total.
std::string FormatTinAreaResult(int32_t surface, int32_t decimals, double total);
