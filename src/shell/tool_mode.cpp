#include "shell/tool_mode.h"

int32_t g_toolMode = MODE_NONE;
int32_t g_pointEditState = 0;
int32_t g_outlineEditState = 0;
int32_t g_toolSubState = 0;
int32_t g_areaInfoState = 0;
int32_t g_dragState = 0;

void ResetToolMode() {
    g_dragState = 0;
    g_toolMode = MODE_NONE;
    g_pointEditState = 0;
    g_outlineEditState = 0;
}
