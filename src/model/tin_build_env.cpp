#include "model/tin_build_env.h"

void SetPickedPoints(int32_t, int32_t) {}
void RepaintMainWindow() {}
void RepaintViewNow() {}
void RequestFullRedraw() {}
void ShowTinLayer() {}
void SetStatusText(const std::string&) {}
bool QuietMode() { return false; }
bool InPartialTinState() { return false; }
