#pragma once
// Closing the sibling programs of the suite at exit. Each close request waits for the
// sibling's answer at most kSiblingCloseTimeoutMs, so an absent or hung sibling never
// holds up our exit.
#include <string>
#include <vector>

constexpr int kSiblingCloseTimeoutMs = 1000;

// The contour and mesh plotting program ("HOL_VAN"): sent WM_COMMAND 57665 when it runs.
void ClosePlottingProgram();
// The four section programs, in this order: "OVK_KELBRA", "OVK_LOMVIT", "OVK_FENTAL",
// "OVK_BRISKA"; each running one is sent WM_COMMAND 57665.
void CloseSectionPrograms();

// The first of the four section programs (1..4 in the order above) that runs and is not
// `kind` (0 tests all four): its running message is shown and its number returned; 0 when
// none runs. Section commands do nothing while one runs.
int FindRunningSectionProgram(int kind);

// Start results, numbered as the suite has always reported them: above 31 started (or
// brought forward), 0 out of resources, 2 program file not found, 3 folder not found,
// 11 not a program.
constexpr int kSiblingStarted = 33;
constexpr int kSiblingNoResources = 0;
constexpr int kSiblingNotFound = 2;
constexpr int kSiblingPathNotFound = 3;
constexpr int kSiblingBadFormat = 11;

// A sibling program: when a window of `className` runs, that one is used; else `program` (its Windows name, e.g. "HOLVAN.exe"; found in the program folder with or
// without the ".exe", whatever the case) starts there with `argument` in double quotes
// when one is given.
int StartSiblingProgram(const std::string& className, const std::string& program, const std::string& argument);

// The plotting program's failure texts for results 0, 2, 3 and 11; empty for the others.
std::string PlottingProgramStartMessage(int result);
