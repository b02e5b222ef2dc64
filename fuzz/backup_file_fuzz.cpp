// The backup snapshot reader: a snapshot it takes holds points the document can save,
// edges and outline vertices that are points, and is written back to the same bytes.
#include <cstring>

#include "fuzz_support.h"
#include "model/backup_file.h"
#include "model/rnd_file.h"

namespace {
void CheckLoaded() {
    FUZZ_CHECK(g_pointCount >= 0 && g_pointCount + 1 < g_pointsBlock.Size());
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        const RandomPoint& p = g_points[i];
        FUZZ_CHECK(FitsRndPlanColumn(p.x) && FitsRndPlanColumn(p.y) && FitsRndHeightColumn(p.z));
        FUZZ_CHECK(p.name[sizeof p.name - 1] == '\0');
    }
    FUZZ_CHECK(g_points[g_pointCount + 1].hidden < 0);
    fuzz::CheckTin();
    fuzz::CheckOutline();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FreshModel(3);
    const RandomPoint* before = g_points;
    if (ReadBackupFile(fuzz::WriteInput("in.$BK", data, size)) != 0) {
        FUZZ_CHECK(g_pointCount == 3 && g_points == before && g_points[3].x == 103.0);
        return 0;
    }
    CheckLoaded();
    if (g_tinEdgeCount == 0) g_holesInverted = 0;  // the word means nothing without a TIN

    const std::filesystem::path first = fuzz::Folder() / "out1.$BK";
    const std::filesystem::path second = fuzz::Folder() / "out2.$BK";
    FUZZ_CHECK(WriteBackupFile(first) == 0);
    fuzz::FreshModel();
    FUZZ_CHECK(ReadBackupFile(first) == 0);
    FUZZ_CHECK(RecordedMessages().empty());
    CheckLoaded();
    FUZZ_CHECK(WriteBackupFile(second) == 0);
    FUZZ_CHECK(fuzz::ReadBytes(first) == fuzz::ReadBytes(second));
    return 0;
}
