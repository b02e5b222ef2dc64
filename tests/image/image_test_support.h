#pragma once
// Shared helpers of the image tests: a scratch folder, outside programs as oracles (numpy,
// GDAL, libtiff's tools) and a clean image state.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "image/image_slot.h"

namespace imagetest {

// Runs a command; its standard output, and whether it ended with 0.
inline bool RunCommand(const std::string& command, std::string* output = nullptr) {
    std::FILE* p = ::popen(command.c_str(), "r");
    if (!p) return false;
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) text.append(buffer, n);
    const int status = ::pclose(p);
    if (output) *output = std::move(text);
    return status == 0;
}

inline bool HaveNumpy() {
    static const bool have = RunCommand("/usr/bin/python3 -c 'import numpy' 2>/dev/null");
    return have;
}
inline bool HaveGdal() { return RunCommand("gdal_translate --version >/dev/null 2>&1"); }
inline bool HaveTiffTools() { return RunCommand("tiffinfo -h >/dev/null 2>&1 || command -v tiffinfo >/dev/null"); }

// A folder of its own for each test, removed afterwards.
class ScratchDir {
public:
    ScratchDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_path = std::filesystem::temp_directory_path() /
                 ("nostrel_image_" + std::to_string(::getpid()) + "_" + info->test_suite_name() + "_" +
                  info->name());
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// Runs a Python 3 program (Debian's, which has numpy) with `input` on its standard input.
inline bool RunPython(const ScratchDir& dir, const std::string& program, const std::string& input,
                      std::string* output) {
    const auto script = dir / "oracle.py";
    const auto in = dir / "oracle.in";
    std::ofstream(script) << program;
    std::ofstream(in) << input;
    return RunCommand("/usr/bin/python3 '" + script.string() + "' < '" + in.string() + "'", output);
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

}  // namespace imagetest
