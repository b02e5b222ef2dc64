// The .TRI reader: it keeps only edges between points, or leaves the TIN as it was; what
// it kept is written and read back unchanged.
#include <cstring>

#include "fuzz_support.h"
#include "model/tri_file.h"

namespace {
constexpr int32_t kPoints = 40;

int32_t Read(const std::filesystem::path& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    FUZZ_CHECK(f);
    const int32_t result = ReadTriFile(f);
    std::fclose(f);
    return result;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FreshModel(kPoints);
    // A small block makes the reader grow it.
    if (size % 2) {
        g_tinEdgeCapacity = 8;
        FUZZ_CHECK(GrowTinEdgeBlock(8) == 0);
    }
    if (Read(fuzz::WriteInput("in.tri", data, size)) != 0) {
        FUZZ_CHECK(g_tinEdgeCount == 0);
        return 0;
    }
    fuzz::CheckTin();
    if (g_tinEdgeCount == 0) return 0;

    std::vector<TinEdge> kept(g_tinEdges + 1, g_tinEdges + g_tinEdgeCount + 1);
    const int32_t holes = g_holesInverted;
    g_tinPresent = -1;
    const std::filesystem::path document = fuzz::Folder() / "t.RND";
    FUZZ_CHECK(WriteTriFile(document) == 0);
    fuzz::FreshModel(kPoints);
    FUZZ_CHECK(Read(fuzz::Folder() / "t.TRI") == 0);
    FUZZ_CHECK(g_holesInverted == holes);
    FUZZ_CHECK(g_tinEdgeCount == static_cast<int32_t>(kept.size()));
    for (int32_t j = 1; j <= g_tinEdgeCount; ++j) {
        const TinEdge& e = g_tinEdges[j];
        const TinEdge& k = kept[j - 1];
        FUZZ_CHECK(e.a == k.a && e.b == k.b && e.apexBack == k.apexBack &&
                   e.apexSearch == k.apexSearch);
    }
    return 0;
}
