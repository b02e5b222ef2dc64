#include "pointedit/edit_point.h"

RandomPoint g_editPoint{};
