#pragma once
// The command 三角網計算 (32836): checks and closes the outline, asks what to do with an
// existing TIN and builds the TIN inside the outline with the region builder.
#include <functional>

void OnTinCalc();

// The "No" answer to the existing-TIN question keeps the TIN outside the outline and
// triangulates only inside it (BuildTinKeepingExisting unless a test installs another;
// null puts that one back).
void SetKeepExistingTinBuilder(std::function<void()> builder);
