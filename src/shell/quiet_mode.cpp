#include "shell/quiet_mode.h"

int32_t g_quietMode = 0;
