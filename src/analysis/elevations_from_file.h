#pragma once
// 任意座標標高計算: the current TIN's elevation at every coordinate of a file.
#include <string>

#include "model/terrain_data.h"

// Input formats: comma-separated X, Y, name (0, and the hidden choice 1), RND file (2).
// Output formats: comma-separated X, Y, Z, name (0), RND file (1).
struct ArbitraryElevationSettings {
    int inputFormat = 0;
    int outputFormat = 0;
    int append = 0;     // 現在のランダムデータに追加する
    int outputAll = 0;  // 計算されなかった座標も出力する
    std::string inputPath;
    bool inputChosen = false;
    std::string outputPath;
    bool outputChosen = false;
};

// One input line (its end already removed) into X, Y, Z and the name of *point. Fields
// that are missing or not numbers leave 0 / an empty name.
void ParseCoordinateCsvLine(const std::string& line, RandomPoint* point);
void ParseCoordinateRndLine(const std::string& line, RandomPoint* point);

// One output line, CR LF included.
std::string FormatElevationCsvLine(const RandomPoint& point);
std::string FormatElevationRndLine(const RandomPoint& point);

// The calculation: 1 on success, 0 when a file cannot be opened or the points cannot
// grow. Works through g_editPoint, which keeps the last coordinate.
int CalcElevationsFromFile(const ArbitraryElevationSettings& settings);

// 計算: the checks and their messages, then the calculation. True when the dialog ends.
bool ArbitraryElevationCalculate(const ArbitraryElevationSettings& settings);

// The file choices of 選択; false when cancelled. Store the path and its chosen flag.
bool SelectArbitraryElevationInput(ArbitraryElevationSettings* settings);
bool SelectArbitraryElevationOutput(ArbitraryElevationSettings* settings);

// The command's own check: a TIN to take elevations from. False, with a message, without.
bool ArbitraryElevationCanStart();
