#include "pointedit/edit_point.h"

RandomPoint g_editPoint{};
RandomPoint g_pickedPointRecord{};
RandomPoint g_pickedPointRecord2{};
int32_t g_pointSnapMode = 0;
