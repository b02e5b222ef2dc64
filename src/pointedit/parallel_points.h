#pragma once
// Points along lines parallel to a base line of picked points (the parallel tool): end and
// corner points of the moved line, points at a division count or a spacing, on one side or
// both, with an elevation rule.
#include <cstdint>

// What the parallel dialog exchanges; one instance lives for the whole run of the program.
struct ParallelAddValues {
    double distance = 0;      // signed distance of the new line
    int32_t bothSides = 0;    // 1 lays the line on both sides
    int32_t spacingMode = 0;  // 0 end points only, 1 division count, 2 spacing distance
    int32_t divisions = 0;
    double spacing = 0;
    int32_t elevationRule = 0;  // 0 height difference, 1 given, 2 TIN, 3 gradient %
    double heightDiff = 0;
    double givenZ = 0;
    double gradient = 0;
};
extern ParallelAddValues g_parallelAddDlg;

// What an opening starts from (rule 2 needs a TIN; both sides is 0 or 1). Returns whether
// 基準線移動 is offered (the last one-sided line has more than one point).
bool InitParallelAddDialog(ParallelAddValues& v);
// 追加: false after the message when no point could be laid (no distance and no spacing).
bool CheckParallelAdd(const ParallelAddValues& v);
// 基準線移動: the last one-sided line becomes the base line. False when there is none.
bool MoveParallelBaseLine();

// Lays the points beside the base line g_pickList and asks whether to keep them (No takes
// them away again). Returns the number laid.
int32_t AddParallelPoints(double distance, int32_t spacingMode, int32_t divisions, double spacing,
                          int32_t elevationRule, double heightDiff, double givenZ, double gradient,
                          int32_t bothSides);

// The parallel tool's click: a point is added to the base line, or the last one dropped
// when clicked again. Returns the point added, else 0.
int32_t PickPolylinePoint(int32_t flags, int32_t x, int32_t y);

// One round of the parallel dialog: on 追加 its run is laid. Returns the dialog's result.
int32_t RunParallelAddRound();

// Enter in the parallel tool: with at least two base points, the dialog runs until 終了,
// each 追加 laying one run; then the picks and the base line are cleared.
void RunParallelAddLoop();
