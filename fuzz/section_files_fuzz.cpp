// The section file readers (.ODN as current ground and as plan, .JDN, .QDN) on one input,
// then the earthwork over what was read: counts stay within the records, names end
// inside their fields, and the files written from what was read read back.
#include <cstring>

#include "fuzz_support.h"
#include "route/route_data.h"
#include "section/earthwork.h"
#include "section/section_calc.h"
#include "section/section_defaults.h"
#include "section/section_files.h"
#include "section/section_records.h"
#include "shell/work_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FreshModel();
    InitRouteSectionDefaults();
    CreateSectionBlocks();
    g_sectionTempPath = (fuzz::Folder() / "_#ovk$6.$$$").string();
    g_stationCapacity = 10;
    FUZZ_CHECK(GrowStationBlock(g_stationCapacity) == 0);
    for (int32_t i = 1; i <= 3; ++i) {
        StationRecord& s = g_stations[i];
        s = StationRecord{};
        s.addedDistance = 20.0 * (i - 1);
        s.x = s.addedDistance, s.leftY = -30, s.rightY = 30, s.leftX = s.rightX = s.x;
    }
    g_stationCount = 3;
    for (const char* ext : {"in.ODN", "in.JDN", "in.QDN"}) fuzz::WriteInput(ext, data, size);
    const std::filesystem::path base = fuzz::Folder() / "in.ALG";

    FUZZ_CHECK(ReadOdnFile(base) == 0);
    for (int32_t k = 1; k <= g_crossSectionCount; ++k) {
        const CrossSection* s = GetCrossSection(k);
        FUZZ_CHECK(s != nullptr);
        FUZZ_CHECK(std::memchr(s->name, 0, sizeof s->name));
        FUZZ_CHECK(s->leftCount < static_cast<int32_t>(s->points.size()) || s->leftCount == 0);
        FUZZ_CHECK(s->rightCount < static_cast<int32_t>(s->points.size()) || s->rightCount == 0);
    }
    FUZZ_CHECK(ReadJdnFile(base) == 0);
    FUZZ_CHECK(g_longCrossingCount >= 0 && g_longCrossingCount < static_cast<int32_t>(g_longCrossings.size()) + 1);
    FUZZ_CHECK(ReadPlanOdnFile(fuzz::Folder() / "in.ODN") == 0);
    CalcEarthwork();
    AdjustCrossSectionPoints(0.1, 1);
    FUZZ_CHECK(ReadQdnFile(base) >= 0);

    FUZZ_CHECK(ReadOdnFile(base) == 0);
    const int32_t sections = g_crossSectionCount;
    const std::filesystem::path again = fuzz::Folder() / "again.ALG";
    FUZZ_CHECK(WriteOdnJdnFiles(again, 0) == 0);
    FUZZ_CHECK(ReadOdnFile(again) == 0);
    FUZZ_CHECK(g_crossSectionCount == sections);
    FUZZ_CHECK(ReadJdnFile(again) == 0);
    return 0;
}
