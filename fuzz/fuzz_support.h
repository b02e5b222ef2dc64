#pragma once
// What the fuzz targets share: a folder of this process for the files the readers open,
// the check that stops on a broken promise, and a small loaded data set.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "model/geodesy.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "../tests/support/sample_points.h"

// A reader's promise that does not hold: say which, and stop so that the input is kept.
#define FUZZ_CHECK(condition)                                                          \
    do {                                                                               \
        if (!(condition)) {                                                            \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #condition, __FILE__, \
                         __LINE__);                                                    \
            std::abort();                                                              \
        }                                                                              \
    } while (0)

namespace fuzz {

// Made on first use inside $NOSTREL_FUZZ_DIR (run.sh makes it and removes it after the
// run: a fuzzer may end without running exit handlers), else in memory or /tmp. The
// settings folders lie in it too, so that no target touches the user's own.
inline const std::filesystem::path& Folder() {
    static const std::filesystem::path folder = [] {
        const char* given = std::getenv("NOSTREL_FUZZ_DIR");
        std::string base = given && *given ? given : "/dev/shm";
        std::string name = base + "/nostrel_fuzz_XXXXXX";
        const char* made = ::mkdtemp(name.data());
        if (!made) {
            name = "/tmp/nostrel_fuzz_XXXXXX";
            made = ::mkdtemp(name.data());
        }
        if (!made) std::abort();
        ::setenv("XDG_CONFIG_HOME", (name + "/config").c_str(), 1);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(Folder(), ec);
        });
        return std::filesystem::path(name);
    }();
    return folder;
}

inline std::filesystem::path WriteInput(const std::string& name, const uint8_t* data,
                                        size_t size) {
    const std::filesystem::path path = Folder() / name;
    FUZZ_CHECK(WriteFileBytes(path, std::string_view(reinterpret_cast<const char*>(data), size)));
    return path;
}

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::string bytes;
    FUZZ_CHECK(ReadFileBytes(path, bytes));
    return bytes;
}

// A clean data model with n points on a line and nothing else; messages forgotten. The
// blocks are made small: large fresh blocks on every input would slow the search down.
inline void FreshModel(int32_t n = 0) {
    static const bool made = (InitDataModel(), true);
    (void)made;
    ClearRecordedMessages();
    g_pointCount = 0;
    g_tinEdgeCount = 0;
    g_pointCapacity = n + 64;
    g_tinEdgeCapacity = 64;
    if (GrowPointBlock(g_pointCapacity) != 0 || GrowTinEdgeBlock(g_tinEdgeCapacity) != 0)
        std::abort();
    SetPointEndMarker();
    SetTinEndRecord();
    g_outline.Reset();
    g_pointsPresent = 0;
    g_tinPresent = 0;
    g_holesInverted = 0;
    g_planeZone = 0;
    g_currentDataPath.clear();
    if (n <= 0) return;
    FillSamplePoints(n);
}

// The TIN edges' vertices are points; the record after the last holds -1.
inline void CheckTin() {
    auto magnitude = [](int32_t v) { return v < 0 ? -static_cast<int64_t>(v) : v; };
    for (int32_t j = 1; j <= g_tinEdgeCount; ++j) {
        const TinEdge& e = g_tinEdges[j];
        FUZZ_CHECK(e.a != 0 && magnitude(e.a) <= g_pointCount);
        FUZZ_CHECK(e.b != 0 && magnitude(e.b) <= g_pointCount);
        FUZZ_CHECK(magnitude(e.apexSearch) <= g_pointCount);
        FUZZ_CHECK(e.apexBack == kNoApex || magnitude(e.apexBack) <= g_pointCount);
    }
    FUZZ_CHECK(g_tinEdges[g_tinEdgeCount + 1].a == -1);
}

// The outline's vertices are points marked as such; a closed list repeats its first.
inline void CheckOutline() {
    const int32_t n = g_outline[0];
    FUZZ_CHECK(n >= 0 && n <= kIndexListMaxVertices);
    for (int32_t i = 1; i <= n; ++i) {
        FUZZ_CHECK(g_outline[i] >= 1 && g_outline[i] <= g_pointCount);
        FUZZ_CHECK(g_points[g_outline[i]].flags & kPointFlagOutline);
    }
}

}  // namespace fuzz
