#include "shell/sibling_programs.h"

#include "platform/window_registry.h"
#include "shell/command_table.h"

namespace {
void CloseSibling(const std::string& className) {
    if (!FindWindowClass(className)) return;
    SendWindowMessage(className, wm::kCommand, cmd::kAppExit, 0, kSiblingCloseTimeoutMs);
}
}  // namespace

void ClosePlottingProgram() { CloseSibling("HOL_VAN"); }

void CloseSectionPrograms() {
    for (const char* className : {"OVK_KELBRA", "OVK_LOMVIT", "OVK_FENTAL", "OVK_BRISKA"})
        CloseSibling(className);
}
