// The colour-band settings reader: whatever it takes is a finite value in its range, and
// a file its writer makes from that reads back without a refused line.
#include <cmath>

#include "fuzz_support.h"
#include "model/rnd_file.h"
#include "view/color_band_file.h"
#include "view/color_band_params.h"
#include "view/display_flags.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

namespace {
bool Within(double v, double low, double high) { return std::isfinite(v) && v >= low && v <= high; }

void CheckValues() {
    const ColorBandParams& p = g_colorBandParams;
    FUZZ_CHECK(p.mode >= 0 && p.mode <= 3);
    for (double z : {p.centre, p.highest, p.lowest, p.step, p.waterLevel, p.refH})
        FUZZ_CHECK(FitsRndHeightColumn(z));
    FUZZ_CHECK(FitsRndPlanColumn(p.refX) && FitsRndPlanColumn(p.refY));
    FUZZ_CHECK(Within(p.lightAzimuth, -360, 360) && Within(p.refDirection, -360, 360));
    FUZZ_CHECK(Within(p.lightElevation, -90, 90));
    FUZZ_CHECK(Within(p.refInclination, -89.9995, 89.9995));
    FUZZ_CHECK(FitsRndPlanColumn(g_viewCenterX) && FitsRndPlanColumn(g_viewCenterY));
    FUZZ_CHECK(Within(g_viewScale, 0.00001, 1e6));
    FUZZ_CHECK(Within(g_birdsEyeAzimuth, -1e5, 1e5) && Within(g_birdsEyeTilt, -1e5, 1e5));
    FUZZ_CHECK(g_penSize >= 0 && g_penSize <= 3);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FreshModel();
    g_viewCenterX = 0;
    g_viewCenterY = 0;
    g_viewScale = 25.6;
    g_birdsEyeAzimuth = 0;
    g_birdsEyeTilt = -0.2;
    g_penSize = 1;
    int32_t found = 0;
    FUZZ_CHECK(ReadColorBandFile(fuzz::WriteInput("in.CDF", data, size),
                                 kColorBandReadView | kColorBandReadPalette, &found) == 1);
    CheckValues();

    const std::filesystem::path written = fuzz::Folder() / "out.CDF";
    FUZZ_CHECK(WriteColorBandFile(written) == 1);
    ClearRecordedMessages();
    FUZZ_CHECK(ReadColorBandFile(written, kColorBandReadView | kColorBandReadPalette, &found) == 1);
    FUZZ_CHECK(RecordedMessages().empty());
    CheckValues();
    return 0;
}
