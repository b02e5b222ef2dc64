#pragma once
// Shared by the DXF tests: a scratch folder, small hand-written drawings, the elements as
// read, and the outside programs used as second opinions (ezdxf, ogrinfo).
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "dxf/dxf_reader.h"
#include "dxf/dxf_store.h"
#include "model/terrain_data.h"
#include "platform/message_box.h"

namespace dxftest {

inline std::filesystem::path ScratchDir(const std::string& tag) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("nostrel_dxf_" + tag + "_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir;
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A drawing from code/value pairs, LF line ends.
inline std::string Pairs(std::initializer_list<std::pair<int, std::string>> pairs) {
    std::string s;
    for (const auto& [code, value] : pairs) s += std::to_string(code) + "\n" + value + "\n";
    return s;
}

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

inline bool HaveEzdxf() { return RunCommand("/usr/bin/python3 -c 'import ezdxf' 2>/dev/null"); }
inline bool HaveOgrinfo() { return RunCommand("ogrinfo --version >/dev/null 2>&1"); }

inline std::vector<DxfElement> Elements() {
    std::vector<DxfElement> v;
    for (int32_t i = 1; i <= g_dxfElementCount; ++i) v.push_back(g_dxfElementsBlock.Data()[i]);
    return v;
}

// A clean layer, then the drawing read into it (no earlier elements, so no question).
inline int32_t ReadFresh(const std::filesystem::path& path) {
    InitDataModel();
    ClearRecordedMessages();
    return ReadBackgroundDxf(path.string());
}

}  // namespace dxftest
