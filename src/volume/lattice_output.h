#pragma once
// The TIN sampled on an equilateral triangular lattice over the mesh area, written as a
// random-point (RND) file: columns sqrt(0.75) pitch apart along the length axis, every
// second column shifted by half the width pitch. Points that no triangle covers follow
// in a second pass with the missing-point value.
#include <cstdint>
#include <string>

constexpr int32_t kLatticeDone = 0;  // also after a stop: see LatticeOutputSummary
constexpr int32_t kLatticeBadPath = -1;
constexpr int32_t kLatticeCannotCreate = -2;
constexpr int32_t kLatticeNoMemory = -3;
constexpr int32_t kLatticeWriteFailed = -4;  // a write or the close failed (a full disk)

struct LatticeOutputSummary {
    int32_t written = 0;
    bool stopped = false;  // Esc or Q: the file holds the points written before the stop
};

// missingPolicy below 1 takes the mesh elevation dialog's remembered policy and value.
int32_t WriteTriangularLatticeRnd(const std::string& path, int32_t missingPolicy, double missingValue,
                                  LatticeOutputSummary* summary = nullptr);

// The text shown for a result (the status bar after a run; a message for a failure).
std::string LatticeOutputStatus(int32_t result, const LatticeOutputSummary& summary);

// The document command: writes the file and reports a failure in a message box.
int32_t RunTriangularLatticeOutput(const std::string& path);

// 三角形配列ランダム出力: asks for the file (a save dialog in the working folder) and
// writes it with the dialog's remembered policy.
void OnTriangularLatticeOutput();
