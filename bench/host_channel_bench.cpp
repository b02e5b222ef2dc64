// Command 1 of the host channel on the 20 000-point jacksboro survey: once as a host drives
// it (the named block, the request over the window registry, the reply posted back) and
// once with the same steps called directly on a block in memory. The difference is what
// the channel costs; it should stay under 10 ms. Code 77 runs only the common steps (on
// no data), which shows that cost alone.
//
// The block's name is fixed, so this must not run beside the host end-to-end test.
#include <benchmark/benchmark.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "platform/shared_memory.h"
#include "platform/window_registry.h"
#include "shell/host_channel.h"
#include "../tests/support/survey_data.h"

namespace fs = std::filesystem;

namespace {
// Waits until a message is there (Receive with a time-out waits the whole time out).
bool WaitForMessage(const WindowClassListener& listener, int timeoutMs) {
    pollfd pfd{listener.Descriptor(), POLLIN, 0};
    return poll(&pfd, 1, timeoutMs) > 0;
}

const fs::path kDir = fs::temp_directory_path() / ("host_channel_bench-" + std::to_string(getpid()));

void Fill(ExternalCommandBlock& b) {
    std::memset(&b, 0, sizeof b);
    b.version = kHostBlockVersion;
    b.firstFileFlag = 1;
    b.edgeLengthMode = 0;
    b.edgeLength = 5;  // 5 % of the extent
    b.duplicateTolerance = 0.001;
    b.meshPitch = 100;  // the survey spans some 32 km x 30 km: about 95 000 nodes
    const std::string input = SurveyFile("jacksboro_scatter20k.RND").string();
    const std::string base = (kDir / "site").string();
    std::memcpy(b.firstInputFile, input.c_str(), input.size() + 1);
    std::memcpy(b.basePath, base.c_str(), base.size() + 1);
}

bool Ready() {
    if (!fs::exists(SurveyFile("jacksboro_scatter20k.RND"))) return false;
    fs::create_directories(kDir);
    return true;
}

// The same steps on a block in memory.
void DirectSteps(benchmark::State& state) {
    if (!Ready()) {
        state.SkipWithError("data/jacksboro not found");
        return;
    }
    InitDataModel();
    std::vector<char> bytes(sizeof(ExternalCommandBlock) + kHostStringBytes);
    for (auto _ : state) {
        Fill(*reinterpret_cast<ExternalCommandBlock*>(bytes.data()));
        std::string path;
        RunExternalCommandOn(static_cast<int32_t>(state.range(0)), bytes.data(), bytes.size(), path);
        if (path.empty()) state.SkipWithError("command failed");
        ClearRecordedMessages();
    }
    state.counters["tin_edges"] = g_tinEdgeCount;
    fs::remove_all(kDir);
}
// Command 1, and a code that runs only the common steps (the channel's own cost).
BENCHMARK(DirectSteps)->Arg(1)->Arg(77)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// Through the named block, a request posted to the frame's class and the frame's reply.
// The frame here is a thread doing what the main window does with a request.
void ThroughBlockAndSocket(benchmark::State& state) {
    if (!Ready()) {
        state.SkipWithError("data/jacksboro not found");
        return;
    }
    const fs::path runtime = kDir / "run";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    InitDataModel();

    SharedMemoryBlock block;
    WindowClassListener host, frame;
    if (!block.Create(kHostBlockName, sizeof(ExternalCommandBlock) + kHostStringBytes) || !host.Listen("BENCH_HOST") ||
        !frame.Listen("OVK_NOSTREL")) {
        state.SkipWithError("no block or no socket");
        return;
    }
    std::atomic<bool> stop{false};
    std::thread frameThread([&] {
        while (!stop) {
            if (!WaitForMessage(frame, 50)) continue;
            frame.Receive(
                [](const WindowMessage& m) {
                    if (m.message != kHostMessage) return 0;
                    std::string path;
                    RunExternalCommand(m.lParam, path);
                    ClearRecordedMessages();
                    if (m.wParam != 0) PostWindowMessageToHandle(static_cast<uint32_t>(m.wParam), kHostMessage, 0, 0);
                    return 0;
                },
                0);
        }
    });
    for (auto _ : state) {
        Fill(*static_cast<ExternalCommandBlock*>(block.Data()));
        if (!PostWindowMessage("OVK_NOSTREL", kHostMessage, static_cast<int32_t>(host.Handle()),
                               static_cast<int32_t>(state.range(0)))) {
            state.SkipWithError("request not delivered");
            break;
        }
        bool replied = false;
        while (!replied) {
            if (!WaitForMessage(host, 1000)) continue;
            host.Receive([&](const WindowMessage& m) { replied = m.message == kHostMessage; return 0; }, 0);
        }
    }
    stop = true;
    frameThread.join();
    frame.Stop();
    host.Stop();
    block.Close();
    state.counters["tin_edges"] = g_tinEdgeCount;
    fs::remove_all(kDir);
}
BENCHMARK(ThroughBlockAndSocket)->Arg(1)->Arg(77)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
}  // namespace
