#include "platform/desktop_open.h"

#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

extern char** environ;

namespace {
DesktopOpener& Opener() {
    static DesktopOpener opener;
    return opener;
}

// The path is one argument of its own: blanks and quotes in it need no escaping.
bool SpawnXdgOpen(const std::filesystem::path& file, const std::filesystem::path& folder) {
    std::string program = "xdg-open";
    std::string path = file.string();
    std::vector<char*> argv{program.data(), path.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;
    std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
    return true;
}
}  // namespace

bool OpenWithDesktop(const std::filesystem::path& file, const std::filesystem::path& folder) {
    if (Opener()) return Opener()(file, folder);
    return SpawnXdgOpen(file, folder);
}

void SetDesktopOpener(DesktopOpener opener) { Opener() = std::move(opener); }
