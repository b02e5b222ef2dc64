#include "shell/sibling_programs.h"

#include "platform/message_box.h"
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

int FindRunningSectionProgram(int kind) {
    struct Program {
        const char* className;
        const char* message;
    };
    static constexpr Program kPrograms[] = {{"OVK_KELBRA", "横断テキスト起動中です\n"},
                                            {"OVK_LOMVIT", "縦断計画起動中です\n"},
                                            {"OVK_FENTAL", "縦断図起動中です\n"},
                                            {"OVK_BRISKA", "横断図起動中です\n"}};
    for (int n = 1; n <= 4; ++n) {
        if (n == kind || !FindWindowClass(kPrograms[n - 1].className)) continue;
        ShowMessage(kPrograms[n - 1].message, "", msg::kOk | msg::kIconInformation);
        return n;
    }
    return 0;
}
