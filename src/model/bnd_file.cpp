#include "model/bnd_file.h"

#include <cstdlib>
#include <string>
#include <system_error>

#include "model/file_report.h"
#include "model/terrain_data.h"
#include "platform/files.h"
#include "platform/text_io.h"

namespace fs = std::filesystem;

namespace {
constexpr char kAsteriskLine[] = "********************";
}  // namespace

int32_t WriteBndFile(const fs::path& documentPath) {
    const fs::path path = WithExtension(documentPath, ".BND");
    int32_t n = g_outline[0];
    if (n <= 0) {
        RemoveCompanion(documentPath, ".BND");
        return 0;
    }
    if (n > kIndexListMaxVertices) n = kIndexListMaxVertices;
    TextFileWriter file(path);
    if (!file.IsOpen()) {
        ReportCannotCreate(path);
        return -1;
    }
    for (int i = 0; i < 5; ++i) file.WriteLine(kAsteriskLine);
    file.WriteLine("BOUND1");
    std::string out;
    for (int32_t i = 0; i <= n; ++i) {
        out += FormatString("%6d", i == 0 ? n : g_outline[i]);
        out += "\r\n";
    }
    file.WriteRaw(out);
    if (!file.Close()) {
        RemovePartialFile(path);
        ReportWriteFailed(path);
        return -1;
    }
    RemoveStaleCompanions(documentPath, path);
    return -1;
}

int32_t ReadBndFile(std::FILE* stream) {
    g_outline.Reset();
    if (!stream) return -1;
    std::string line;
    for (int i = 0; i < 6; ++i)
        if (!ReadTextLine(stream, line)) return 0;

    bool countRead = false;
    int32_t n = 0;
    while (ReadTextLine(stream, line)) {
        if (line.empty() || static_cast<unsigned char>(line[0]) < 0x20) break;
        // The count in the file is not trusted: the vertices that follow decide it.
        if (!countRead) {
            countRead = true;
            continue;
        }
        const long v = std::strtol(line.c_str(), nullptr, 10);
        if (v < 1 || v > g_pointCount || n >= kIndexListMaxVertices) break;
        ++n;
        g_outline[n] = static_cast<int32_t>(v);
        g_points[v].flags = kPointFlagOutline;
    }
    g_outline[0] = n;
    if (n > 0) g_outline.Close();
    return 0;
}
