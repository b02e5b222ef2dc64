// The .BND reader: the outline it leaves names points, is closed, and comes back the same
// through the writer.
#include <vector>

#include "fuzz_support.h"
#include "model/bnd_file.h"

namespace {
constexpr int32_t kPoints = 40;

void Read(const std::filesystem::path& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    FUZZ_CHECK(f);
    FUZZ_CHECK(ReadBndFile(f) == 0);
    std::fclose(f);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FreshModel(kPoints);
    Read(fuzz::WriteInput("in.bnd", data, size));
    fuzz::CheckOutline();
    const int32_t n = g_outline[0];
    if (n == 0) return 0;
    FUZZ_CHECK(g_outline.IsClosed());

    const std::vector<int32_t> kept(g_outline.Data(), g_outline.Data() + n + 2);
    const std::filesystem::path document = fuzz::Folder() / "t.RND";
    WriteBndFile(document);
    fuzz::FreshModel(kPoints);
    Read(fuzz::Folder() / "t.BND");
    FUZZ_CHECK(std::vector<int32_t>(g_outline.Data(), g_outline.Data() + n + 2) == kept);
    return 0;
}
