#pragma once
// Earth volume of the mesh by the average-elevation method: per cell the mean current and
// plan elevation, their difference times the cell's area booked as cut or fill; sums per
// row (last column), per column (last row) and in total (last node).
#include <cstdint>
#include <string>

// Modes.
constexpr int32_t kMeshVolumeCompute = -1;
constexpr int32_t kMeshVolumeAreaCheck = 1;
// Partial-cell options: cells cut by an outline counted as polygons or skipped.
constexpr int32_t kPartialCellsNone = 0;
constexpr int32_t kPartialCellsAll = 1;
constexpr int32_t kPartialCellsCurrentOnly = 2;

struct MeshVolumeRun {
    bool computed = false;  // false: no mesh with elevations to compute on (message shown)
    double cut = 0;
    double fill = 0;
    int32_t refusedCells = 0;      // cells that could not be examined (reported)
    std::string text;              // the result message (UTF-8)
    std::string writtenPath;       // the .MVO this run wrote; empty when none
    int32_t plotResult = -1;       // start result of the plotting program; -1 not asked
};

// Steps of a run without questions: the cells, the sums, g_meshVolumeDone and the result
// text. The node block must hold the grid's nodes with current and plan elevations.
MeshVolumeRun ComputeMeshAverageVolume(int32_t mode, int32_t partialCells);

// The whole run: compute, then (unless g_quietMode) the result with the offer to save the
// .MVO and, once this run wrote one, to hand it to the plotting program.
MeshVolumeRun CalcMeshAverageVolume(int32_t mode, int32_t partialCells);

// printf "%.<digits>f" of the value read back: how averages and volumes are stored.
double RoundMeshValue(double value, int32_t digits);

// The mesh volume dialog's state and its enabling rules.
struct MeshVolumeDialogValues {
    int32_t partialCells = kPartialCellsAll;
};
bool MeshVolumePlanSelectEnabled();  // 計画 選択
bool MeshVolumeClearEnabled();       // クリア
bool MeshVolumeStartEnabled();       // 計算開始, デバック用面積計算
// The plan lines' paths, each followed by a line break.
std::string MeshVolumePlanPaths();
// The zero limit typed into its edit: its absolute value; false for no number.
bool SetMeshVolumeZeroLimit(const std::string& text);
