#pragma once
// Shared set-up of the file tests: a clean data model, an own temp folder, and the
// current folder restored afterwards (a document load changes it).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "model/terrain_data.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "../support/survey_data.h"
#include "../support/sample_points.h"

class FileTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitDataModel();
        ClearRecordedMessages();
        m_cwd = std::filesystem::current_path();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = std::filesystem::temp_directory_path() /
                ("nostrel_" + std::to_string(::getpid()) + "_" + info->test_suite_name() + "_" +
                 info->name());
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override {
        std::filesystem::current_path(m_cwd);
        std::filesystem::remove_all(m_dir);
        ReleaseDataModel();
    }

    std::filesystem::path Dir() const { return m_dir; }

    std::filesystem::path Write(const std::string& name, const std::string& bytes) const {
        const std::filesystem::path path = m_dir / name;
        EXPECT_TRUE(WriteFileBytes(path, bytes));
        return path;
    }

    static std::string Read(const std::filesystem::path& path) {
        std::string bytes;
        ReadFileBytes(path, bytes);
        return bytes;
    }

    // The project's real data, as an absolute path: the loads change the current folder.
    std::filesystem::path Data(const std::string& name) const { return SurveyFile(name); }

    std::filesystem::path m_cwd;
    std::filesystem::path m_dir;
};

// Puts n points into the model: name "P<i>", X = 100 + i, Y = 200 - i, Z = 10 + i/2.
inline void MakePoints(int32_t n) {
    EnsurePointCapacity(n);
    FillSamplePoints(n);
}
