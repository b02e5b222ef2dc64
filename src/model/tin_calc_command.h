#pragma once
// The command 三角網計算 (32836): checks and closes the outline, asks what to do with an
// existing TIN and builds the TIN inside the outline with the region builder.
#include <functional>

void OnTinCalc();

// The "No" answer to the existing-TIN question keeps the TIN outside the outline and
// triangulates only inside it; its builder is installed here by the code that provides it.
void SetKeepExistingTinBuilder(std::function<void()> builder);
