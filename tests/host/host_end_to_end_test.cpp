// A host program drives the real executable, started offscreen: it creates the shared
// block, sends the request to the main window by its class and waits for the reply posted
// to its own window.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/encoding.h"
#include "platform/shared_memory.h"
#include "platform/window_registry.h"
#include "shell/host_channel.h"

extern char** environ;
namespace fs = std::filesystem;

namespace {
class HostEndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_root = fs::temp_directory_path() / ("nhost-" + std::to_string(getpid()));
        fs::create_directories(s_root / "run");
        fs::permissions(s_root / "run", fs::perms::owner_all);
        fs::create_directories(s_root / "config");
        setenv("XDG_RUNTIME_DIR", (s_root / "run").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (s_root / "config").c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ASSERT_TRUE(s_block.Create(kHostBlockName, sizeof(ExternalCommandBlock) + 4 * kHostStringBytes));
        ASSERT_TRUE(s_host.Listen("TEST_HOST"));
        char* argv[] = {const_cast<char*>(NOSTREL_PROGRAM), nullptr};
        ASSERT_EQ(posix_spawn(&s_pid, NOSTREL_PROGRAM, nullptr, nullptr, argv, environ), 0);
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!FindWindowClass("OVK_NOSTREL") && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ASSERT_TRUE(FindWindowClass("OVK_NOSTREL"));
    }
    static void TearDownTestSuite() {
        if (s_pid > 0) {
            kill(s_pid, SIGTERM);
            waitpid(s_pid, nullptr, 0);
        }
        s_host.Stop();
        s_block.Close();
        fs::remove_all(s_root);
    }

    ExternalCommandBlock& Block() { return *static_cast<ExternalCommandBlock*>(s_block.Data()); }
    std::string Text() { return Cp932ToUtf8(std::string(Block().resultText, strnlen(Block().resultText, 512))); }

    // Sends the request and waits for the reply; false when none came.
    bool Request(int32_t command) {
        if (!PostWindowMessage("OVK_NOSTREL", kHostMessage, static_cast<int32_t>(s_host.Handle()), command))
            return false;
        bool replied = false;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!replied && std::chrono::steady_clock::now() < end) {
            s_host.Receive(
                [&](const WindowMessage& m) {
                    replied = m.message == kHostMessage && m.wParam == 0 && m.lParam == 0;
                    return 0;
                },
                100);
        }
        return replied;
    }
    void Reset() {
        std::memset(s_block.Data(), 0, s_block.Size());
        Block().version = kHostBlockVersion;
        Block().resultCode = 12345;
    }

    static inline fs::path s_root;
    static inline SharedMemoryBlock s_block;
    static inline WindowClassListener s_host;
    static inline pid_t s_pid = 0;
};
}  // namespace

TEST_F(HostEndToEnd, RequestsAreAnsweredThroughTheBlock) {
    Reset();
    Block().version = 102;
    ASSERT_TRUE(Request(4));
    EXPECT_EQ(Block().resultCode, 99);
    EXPECT_EQ(Text(), "Quarvelのバージョンが異なります");

    Reset();
    ASSERT_TRUE(Request(0));
    EXPECT_EQ(Block().resultCode, 103);
    EXPECT_EQ(Text(), "正常終了");

    Reset();
    ASSERT_TRUE(Request(4));
    EXPECT_EQ(Block().resultCode, 12345);
    EXPECT_EQ(Text(), "正常終了");

    // A damaged request still gets its reply.
    Reset();
    std::memset(Block().basePath, 'a', 300);
    ASSERT_TRUE(Request(0));
    EXPECT_EQ(Block().resultCode, 12345);
    EXPECT_EQ(Text(), "出力パスが長すぎます(255文字まで)");

    // A request without a reply address runs all the same.
    Reset();
    ASSERT_TRUE(PostWindowMessage("OVK_NOSTREL", kHostMessage, 0, 0));
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (Block().resultCode != 103 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(Block().resultCode, 103);
}
