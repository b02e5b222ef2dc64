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
