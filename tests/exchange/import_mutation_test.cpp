// Random damage to small files of every reader: the result is a read, a refused read that
// appended nothing, or a memory failure, and the point block always stays consistent.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

#include "dxf/dxf_import_params.h"
#include "exchange/delimited_text.h"
#include "exchange/dxf_points.h"
#include "exchange/import_request.h"
#include "exchange/scanner.h"
#include "import_test_support.h"
#include "model/zone_dialog.h"

namespace {

class ImportMutation : public importtest::ImportFixture {
protected:
    void TearDown() override {
        SetImportZoneDialog(nullptr);
        ImportFixture::TearDown();
    }
};

std::string Mutate(std::string text, std::mt19937& random) {
    const int edits = 1 + static_cast<int>(random() % 8);
    for (int e = 0; e < edits; ++e) {
        const size_t at = random() % (text.size() + 1);
        switch (random() % 5) {
            case 0: text.insert(at, 1, static_cast<char>(random() % 256)); break;
            case 1: if (at < text.size()) text.erase(at, 1 + random() % 20); break;
            case 2: if (at < text.size()) text[at] = static_cast<char>(random() % 256); break;
            case 3: text.insert(at, std::string(random() % 700, "0,;\n\r -e9"[random() % 9])); break;
            case 4: text.insert(at, text.substr(random() % text.size(), random() % 40)); break;
        }
    }
    return text;
}

TEST_F(ImportMutation, EveryReaderStaysConsistent) {
    DxfImportParams all = StartDxfImportParams();
    all.xyMode = 1;
    const struct {
        const char* name;
        std::string base;
        std::function<int32_t(const std::filesystem::path&, int32_t)> read;
    } readers[] = {
        {"text", "10.5,20.25,3.0,P1\r\n10 20 3 50 255 128 0\r\n10,20,,P2\r\n1,2,3,4,5,6,7,8,9\r\n",
         [](const std::filesystem::path& p, int32_t zero) { return ReadDelimitedPointText(p, zero, 3, 1, 3); }},
        {"latlong", ",,P1,35-41-22.5,139-45-30.0,12.3\r\n,,P2,35-41-23,139-45-31,0\r\n",
         [](const std::filesystem::path& p, int32_t zero) { return ReadLatLongPointFile(p, zero, 3, 0, 5); }},
        {"dxf",
         "0\nSECTION\n2\nENTITIES\n0\n3DFACE\n10\n0\n20\n0\n30\n1\n11\n1\n21\n0\n31\n2\n12\n1\n22\n1\n32\n3\n"
         "13\n1\n23\n1\n33\n3\n0\nLWPOLYLINE\n90\n2\n38\n5\n10\n1\n20\n2\n10\n3\n20\n4\n0\nPOLYLINE\n210\n0\n"
         "220\n0.6\n230\n0.8\n0\nVERTEX\n10\n1\n20\n2\n30\n3\n0\nTEXT\n1\nNo. 1\n10\n1\n20\n1\n30\n1\n0\nENDSEC\n0\nEOF\n",
         [all](const std::filesystem::path& p, int32_t zero) { return ReadDxfEntitiesWithParams(p, all, zero, 3, 0, 5); }},
        {"scanner", "m...;x\rr25.000;eTB90.0;eTI60.0;eTW0\rr10;eTB0;eTI0;eTW0\r",
         [](const std::filesystem::path& p, int32_t zero) { return ReadRieglScanFile(p, zero, 3, 0, 5); }},
    };
    SetImportZoneDialog([](ZoneSelectValues&) { return true; });
    std::mt19937 random(1211);
    for (const auto& r : readers) {
        InitDataModel();
        for (int round = 0; round < 100; ++round) {
            const auto path = Write("m.txt", Mutate(r.base, random));
            const int32_t before = g_pointCount;
            const int32_t result = r.read(path, round % 2);
            ASSERT_TRUE(result == 0 || result == kImportReadFailed) << r.name << " " << round << " " << result;
            if (result != 0) {
                ASSERT_EQ(g_pointCount, before) << r.name << " " << round;
            }
            ASSERT_GE(g_pointCount, before);
            ASSERT_NO_FATAL_FAILURE(ExpectConsistent());
        }
    }
}

}  // namespace
