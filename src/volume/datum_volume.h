#pragma once
// The TIN's volume against a horizontal datum level: CA above the level (positive), BA
// below it (negative), triangle by triangle, triangles the level cuts split along the cut.
#include <cstdint>
#include <string>

// Triangles are the search-side triangles of the records BuildTinAdjacency marks once;
// holesOnly 1 keeps only those with a hole vertex (number <= 0). decimals (1..6) only
// shape the report. With a report, the triangle list goes to reportPath.
// 0 when done; -1 when the triangles could not be marked (no memory: CA = BA = 0, told);
// -2 when the report could not be written (told, the partial file removed; CA and BA are
// still computed).
int32_t CalcDatumVolume(int32_t holesOnly, int32_t decimals, int32_t withReport,
                        const std::string& reportPath, double dl, double* ca, double* ba);

// The values of the volume window (dialog 270) and the text of its result box.
struct DatumVolumeValues {
    double dl = 0;          // the datum level
    int32_t decimals = 1;   // 1..6
    int32_t holesOnly = 0;  // "中抜のみ計算"
};

// The result box's text (UTF-8, CR LF) for a finished calculation.
std::string FormatDatumVolumeResult(double dl, int32_t decimals, double ca, double ba);

// The window's "計算": opens the progress window, computes, closes it, returns the text.
// Empty (nothing done) while the program is busy.
std::string RunDatumVolume(const DatumVolumeValues& values);
