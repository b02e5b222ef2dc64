#include "pointedit/point_gen_commands.h"

#include "pointedit/generated_points.h"
#include "pointedit/unused_points.h"
#include "shell/command_routing.h"

void RegisterPointGenCommands(FrameCommandTarget& commands) {
    commands.SetHandler(32859, OnDeleteUnusedPoints);
    commands.SetHandler(32981, OnTinIntersection);
}
