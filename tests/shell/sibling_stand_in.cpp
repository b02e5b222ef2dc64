// A stand-in for a program of the suite, built for the tests. It takes the window class
// written in "<own file name>.class" beside it (a second line "hang" makes it take the
// close request without ever answering), and appends to "siblings.log" beside it one line
// per event: its start with folder and arguments, every message received. It ends on
// WM_COMMAND 57665, and on its own after half a minute so that no test leaves it behind.
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/window_registry.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    const fs::path self = fs::absolute(argv[0]);
    const std::string name = self.filename().string();
    std::ifstream classFile(self.parent_path() / (name + ".class"));
    std::string className, mode;
    std::getline(classFile, className);
    std::getline(classFile, mode);
    const fs::path logPath = self.parent_path() / "siblings.log";
    auto log = [&](const std::string& line) {
        std::ofstream out(logPath, std::ios::app);
        out << name << ' ' << line << '\n';
    };
    std::string start = "start cwd=" + fs::current_path().string();
    for (int i = 1; i < argc; ++i) start += " arg=[" + std::string(argv[i]) + "]";
    WindowClassListener listener;
    if (!listener.Listen(className)) {
        log(start + " class-taken");
        return 1;
    }
    log(start);
    bool done = false;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done && std::chrono::steady_clock::now() < end) {
        listener.Receive(
            [&](const WindowMessage& m) -> int32_t {
                if (m.message == wm::kRaiseRequest) {
                    log("raise");
                    return 0;
                }
                log("message " + std::to_string(m.message) + " " + std::to_string(m.wParam) + " " +
                    std::to_string(m.lParam));
                if (m.message == wm::kCommand && m.wParam == 57665) {
                    done = true;
                    if (mode == "hang") std::this_thread::sleep_for(std::chrono::seconds(5));
                }
                return 1;
            },
            100);
    }
    return 0;
}
