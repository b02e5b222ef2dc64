#include "shell/sibling_programs.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/folders.h"
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

extern char** environ;

int StartSiblingProgram(const std::string& className, const std::string& program, const std::string& argument) {
    namespace fs = std::filesystem;
    // A running sibling is used as it is: the window registry has no way to raise
    // another program's window, and a second copy is not started.
    if (FindWindowClass(className)) return kSiblingStarted;
    const fs::path folder = ProgramFolder();
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return kSiblingPathNotFound;
    fs::path exe;
    std::string stem = program;
    if (stem.size() > 4 && EqualsNoCase(stem.substr(stem.size() - 4), ".exe")) stem.resize(stem.size() - 4);
    for (const std::string& name : {stem, program}) {
        exe = FindFileNoCase(folder / name);
        if (!exe.empty()) break;
    }
    if (exe.empty()) return kSiblingNotFound;
    if (!fs::is_regular_file(exe, ec) || access(exe.c_str(), X_OK) != 0) return kSiblingBadFormat;
    // The program starts in the program folder; the argument is one word, as the quoted
    // path of the Windows command line was.
    std::vector<std::string> args{exe.string()};
    if (!argument.empty()) args.push_back(argument);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc == 0) {
        std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();  // no zombie left behind
        return kSiblingStarted;
    }
    if (rc == ENOMEM || rc == EAGAIN) return kSiblingNoResources;
    if (rc == ENOENT) return kSiblingNotFound;
    return kSiblingBadFormat;
}

std::string PlottingProgramStartMessage(int result) {
    switch (result) {
    case kSiblingNoResources: return "メモリ不足で実行できません。";
    case kSiblingNotFound: return "作画プログラムはインストールされていません。";
    case kSiblingPathNotFound: return "作画プログラムのパスが見つかりません。";
    case kSiblingBadFormat: return "作画プログラムファイルが異常です。";
    default: return "";
    }
}
