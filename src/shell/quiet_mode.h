#pragma once
// Set while the host program runs a command: questions take their default answers and
// result boxes are not shown. Set only around the steps that would ask or report.
#include <cstdint>

extern int32_t g_quietMode;
