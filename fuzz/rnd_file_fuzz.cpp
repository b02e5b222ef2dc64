// The RND reader with its document road: whatever it loads fits the file's columns, and
// what it loads is written and read back to the same bytes.
#include <cstring>

#include "fuzz_support.h"
#include "model/rnd_file.h"

namespace {
std::string WriteLoadedPoints(const std::string& name) {
    const std::filesystem::path path = fuzz::Folder() / name;
    TextFileWriter file(path);
    FUZZ_CHECK(WriteRndText(file) == kRndWritten);
    FUZZ_CHECK(file.Close());
    return fuzz::ReadBytes(path);
}

// The document load makes the data folder current; the fuzzer's paths are relative.
int32_t ReadDocument(const std::filesystem::path& path) {
    static const std::filesystem::path start = std::filesystem::current_path();
    g_currentDataPath = path.string();
    const int32_t result = ReadRndDocument();
    std::filesystem::current_path(start);
    return result;
}

void CheckLoadedPoints() {
    FUZZ_CHECK(g_pointCount >= 0 && g_pointCount + 1 < g_pointsBlock.Size());
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        const RandomPoint& p = g_points[i];
        FUZZ_CHECK(FitsRndPlanColumn(p.x) && FitsRndPlanColumn(p.y) && FitsRndHeightColumn(p.z));
        FUZZ_CHECK(p.invalid >= 0 && p.invalid <= 9);
        FUZZ_CHECK(p.outside >= 0 && p.outside <= 9);
        FUZZ_CHECK(p.plotKind >= 0 && p.plotKind <= 9);
        FUZZ_CHECK(strnlen(p.name, sizeof p.name) <= 10);
    }
    FUZZ_CHECK(g_points[g_pointCount + 1].hidden < 0);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FreshModel();
    // A small block sends longer files through the second pass.
    g_pointCapacity = size % 2 ? 16 : static_cast<int32_t>(size / 63 + 1000);
    if (ReadDocument(fuzz::WriteInput("in.RND", data, size)) != -1) {
        FUZZ_CHECK(g_pointCount == 0 && g_pointsPresent == 0);
        return 0;
    }
    CheckLoadedPoints();

    const std::string first = WriteLoadedPoints("out1.RND");
    fuzz::FreshModel();
    ClearRecordedMessages();
    FUZZ_CHECK(ReadDocument(fuzz::Folder() / "out1.RND") == -1);
    FUZZ_CHECK(RecordedMessages().empty());
    CheckLoadedPoints();
    FUZZ_CHECK(WriteLoadedPoints("out2.RND") == first);
    return 0;
}
