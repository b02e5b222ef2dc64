// The route file readers (.ALG, .YSO, .RSN and their other-route forms) on one input:
// every table stays within its capacity, other routes end with their separators, and a
// route that was read writes and reads back to the same .ALG text.
#include <cstring>

#include "fuzz_support.h"
#include "route/alg_file.h"
#include "route/route_data.h"
#include "route/station_files.h"
#include "route/yso_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FreshModel();
    g_ipPointCount = 0;
    g_stationCount = 0;
    g_plusStakeCount = 0;
    g_otherRouteIpCount = 0;
    g_otherRouteStationCount = 0;
    for (const char* ext : {"in.ALG", "in.YSO", "in.RSN"}) fuzz::WriteInput(ext, data, size);
    const std::filesystem::path base = fuzz::Folder() / "in";

    FUZZ_CHECK(ReadAlgFile(fuzz::Folder() / "in.ALG") == 0);
    FUZZ_CHECK(g_ipPointCount >= 0 && g_ipPointCount <= kMaxIpPoints);
    FUZZ_CHECK(g_plusStakeCount >= 0 && g_plusStakeCount <= kMaxPlusStakes);
    for (int32_t i = 1; i <= g_ipPointCount; ++i)
        FUZZ_CHECK(std::memchr(g_ipPoints[i].name, 0, sizeof g_ipPoints[i].name));
    FUZZ_CHECK(ReadYsoFile(base) == 0);
    FUZZ_CHECK(g_ipPoints[g_ipPointCount + 1].curveType == 0 || g_ipPointCount == kMaxIpPoints);

    const int32_t rsn = ReadRsnFile(base);
    FUZZ_CHECK(rsn == 0);
    FUZZ_CHECK(g_stationCapacity == g_stationCount + 100);
    for (int32_t i = 1; i <= g_stationCount; ++i)
        FUZZ_CHECK(std::memchr(g_stations[i].name, 0, sizeof g_stations[i].name));

    for (int k = 0; k < 2; ++k) {
        const int32_t before = g_otherRouteIpCount;
        FUZZ_CHECK(ReadOtherRouteAlg(base) == 0);
        FUZZ_CHECK(g_otherRouteIpCount <= kMaxIpPoints);
        if (g_otherRouteIpCount > before)
            FUZZ_CHECK(g_otherRouteIps[g_otherRouteIpCount].number == kRouteSeparator);
        FUZZ_CHECK(ReadOtherRouteRsn(base) == 0);
        FUZZ_CHECK(g_otherRouteStationCount < g_otherRouteStationCapacity);
        FUZZ_CHECK(g_otherRouteStations[g_otherRouteStationCount].kind == kRouteSeparator);
    }

    // A value wider than its columns shifts the line and cannot come back; with every
    // line at its width the text must read back to itself.
    const std::string text = FormatAlgText();
    size_t start = 0;
    int32_t line = 0;
    const int32_t ipLines = g_ipPointCount;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos;
         start = end + 2, ++line) {
        const size_t width = line == 0 ? 58 : line <= ipLines ? 78 : line <= ipLines + 2 ? 23 : 15;
        if (end - start != width) return 0;
    }
    const std::filesystem::path again = fuzz::Folder() / "again.ALG";
    FUZZ_CHECK(WriteFileBytes(again, text));
    FUZZ_CHECK(ReadAlgFile(again) == 0);
    FUZZ_CHECK(FormatAlgText() == text);
    return 0;
}
