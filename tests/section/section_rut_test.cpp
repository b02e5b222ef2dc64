// The .RUT written beside a saved route lists the cross sections, read back by columns as
// the tunnel tools read it.
#include "section/section_rut_source.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "model/document_services.h"
#include "section_test_support.h"

namespace {

using sectiontest::SectionFixture;

class SectionRut : public SectionFixture {};

double Plane(double x, double y) { return 100 + 0.05 * x - 0.02 * y; }

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> CrLfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t end = bytes.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "line without CR LF";
        if (end == std::string::npos) break;
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

double Column(const std::string& line, size_t from, size_t length = std::string::npos) {
    return std::atof(line.substr(from, length).c_str());
}

TEST_F(SectionRut, SavedRouteListsEverySectionByColumns) {
    BuildGrid(10, 10, Plane);
    AddCrossStation("NO.1", 0, 23, 45, 30, 30);
    AddCrossStation("NO.2+3.5", 20.125, 43, 45, 30, 30);
    AddCrossStation("OUT", 40, 50, 300, 10, 10);  // wholly outside the TIN: no ground
    ASSERT_EQ(CalcSectionsFromTin(0), msg::kIdYes);
    ASSERT_EQ(g_crossSectionCount, 3);

    const std::filesystem::path alg = m_dir / "road.ALG";
    ASSERT_TRUE(WriteRouteDocumentFiles(alg));
    const std::vector<std::string> lines = CrLfLines(ReadAll(m_dir / "road.RUT"));
    ASSERT_EQ(lines.size(), 5u + 3u);
    for (int k = 0; k < 5; ++k) EXPECT_EQ(lines[k], std::string(30, '*'));
    for (int32_t n = 1; n <= 3; ++n) {
        SCOPED_TRACE(n);
        const CrossSection& s = *GetCrossSection(n);
        const std::string& line = lines[4 + n];
        // The no-height mark is one character wider than its column.
        ASSERT_EQ(line.size(), 12u + 12 + 15 + 15 + (n < 3 ? 10 : 11));
        std::string name = line.substr(0, 12);
        name.erase(name.find_last_not_of(' ') + 1);
        EXPECT_EQ(name, g_stations[n].name);
        EXPECT_NEAR(Column(line, 12, 12), s.distance, 0.0005);
        EXPECT_NEAR(Column(line, 24, 15), s.centreX, 0.00005);
        EXPECT_NEAR(Column(line, 39, 15), s.centreY, 0.00005);
        if (n == 3) continue;
        EXPECT_NEAR(Column(line, 54), Plane(s.centreX, s.centreY), 0.0005);
    }
    EXPECT_NEAR(Column(lines[6], 12, 12), 20.125, 1e-12);
    // The section outside the TIN has no ground height, whatever its record holds.
    EXPECT_EQ(lines[7].substr(54), "-999999.999");
}

TEST_F(SectionRut, NoSectionsNoFile) {
    BuildGrid(4, 10, Plane);
    AddCrossStation("NO.1", 0, 23, 20, 10, 10);
    ASSERT_TRUE(WriteRouteDocumentFiles(m_dir / "road.ALG"));
    EXPECT_TRUE(std::filesystem::exists(m_dir / "road.RSN"));
    EXPECT_FALSE(std::filesystem::exists(m_dir / "road.RUT"));
}

}  // namespace
