#pragma once
// Point-import tests: a clean data model and small files written in the test.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "model/terrain_data.h"
#include "platform/message_box.h"

namespace importtest {

class ImportFixture : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        ClearRecordedMessages();
        m_dir = std::filesystem::temp_directory_path() /
                ("nostrel-import-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
        ClearRecordedMessages();
    }
    std::filesystem::path Write(const std::string& name, const std::string& bytes) {
        const std::filesystem::path p = m_dir / name;
        std::FILE* f = std::fopen(p.c_str(), "wb");
        EXPECT_NE(f, nullptr);
        if (f) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        return p;
    }
    static std::string Name(int32_t i) { return g_points[i].name; }
    // The endmarker follows the last point and the count matches it.
    static void ExpectConsistent() {
        ASSERT_LT(g_pointCount + 1, g_pointCapacity + 1);
        EXPECT_EQ(g_points[g_pointCount + 1].hidden, kEndMarker);
        for (int32_t i = 1; i <= g_pointCount; ++i) {
            EXPECT_TRUE(std::isfinite(g_points[i].x) && std::isfinite(g_points[i].y) &&
                        std::isfinite(g_points[i].z));
            EXPECT_LT(std::strlen(g_points[i].name), 10u);
        }
    }
    std::filesystem::path m_dir;
};

// The output of a shell command.
inline std::string RunCommand(const std::string& command) {
    std::string out;
    std::FILE* p = ::popen(command.c_str(), "r");
    if (!p) return out;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
    ::pclose(p);
    return out;
}

}  // namespace importtest
