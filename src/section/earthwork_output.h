#pragma once
// What the earthwork hands on: the result file (.SD2), the earthwork cross-section file
// (.OPL) for the drawing program, the table for the clipboard and the list's grid rows.
#include <cstdint>
#include <string>
#include <vector>

// File texts (CP932, CR LF), as written.
std::string FormatSd2Text();
std::string FormatOplText();
// g_earthworkOutputPath with ".SD2" / ".OPL": 0 when written, -1 when not (told, no
// partial file left).
int32_t WriteSd2File();
int32_t WriteOplFile();

// The earthwork table as the clipboard takes it: tab-separated, CP932, CR LF.
std::string FormatEarthworkTable();
// Copies the table; a busy clipboard is told ("コピーできません").
bool CopyEarthworkTable();

// The list's grid: row 0 the header, row i section i (empty when its records are
// missing), then the three total rows; ten UTF-8 cells each.
std::vector<std::vector<std::string>> EarthworkGridRows();

// The closing message with the totals (surplus when the balance is not negative).
std::string EarthworkResultMessage();
