#include "model/tri_file.h"

#include <string>
#include <system_error>
#include <vector>

#include "model/file_report.h"
#include "model/le_bytes.h"
#include "model/terrain_data.h"
#include "platform/files.h"
#include "platform/text_io.h"

namespace fs = std::filesystem;

namespace {
int64_t Magnitude(int32_t v) { return v < 0 ? -static_cast<int64_t>(v) : v; }

bool IsVertex(int32_t v) { return v != 0 && Magnitude(v) <= g_pointCount; }

bool KeepRecord(const int32_t* f) {
    return IsVertex(f[0]) && IsVertex(f[1]) && Magnitude(f[3]) <= g_pointCount &&
           (f[2] == kNoApex || Magnitude(f[2]) <= g_pointCount);
}
}  // namespace

int32_t StoreTinRecords(const int32_t* fields, int32_t n) {
    if (n < 0) return -1;
    if (n + 2 > g_tinEdgeCapacity || n + 2 > g_tinEdgesBlock.Size()) {
        const int32_t old = g_tinEdgeCapacity;
        int64_t capacity = 5 * static_cast<int64_t>(g_pointCount);
        if (capacity < n + 2) capacity = static_cast<int64_t>(n) + 10000;
        g_tinEdgeCapacity = static_cast<int32_t>(capacity);
        if (GrowTinEdgeBlock(g_tinEdgeCapacity) != 0) {
            g_tinEdgeCapacity = old;
            return -1;
        }
    }
    int32_t kept = 0;
    for (int32_t j = 0; j < n; ++j) {
        const int32_t* f = fields + 4 * static_cast<size_t>(j);
        if (KeepRecord(f)) g_tinEdges[++kept] = TinEdge{f[0], f[1], f[2], f[3], 0};
    }
    g_tinEdgeCount = kept;
    SetTinEndRecord();
    return 0;
}

int32_t ReadTriFile(std::FILE* stream) {
    if (!stream) return -1;
    char header[16];
    if (std::fread(header, 1, sizeof header, stream) != sizeof header) return -1;
    const int32_t n = GetLeI32(header + 8);
    if (n <= 0 || n > kMaxTinFileEdges) return -1;

    // Read in pieces, so a damaged count cannot ask for more memory than the file holds.
    std::vector<int32_t> fields;
    std::vector<char> piece;
    int32_t read = 0;
    while (read < n) {
        const int32_t records = std::min<int32_t>(n - read, 1 << 12);
        piece.resize(16 * static_cast<size_t>(records));
        if (std::fread(piece.data(), 1, piece.size(), stream) != piece.size()) return -1;
        for (size_t k = 0; k < piece.size(); k += 4) fields.push_back(GetLeI32(piece.data() + k));
        read += records;
    }
    if (StoreTinRecords(fields.data(), n) != 0) return -1;
    g_holesInverted = GetLeI32(header + 4);
    return 0;
}

int32_t WriteTriFile(const fs::path& documentPath) {
    const fs::path path = WithExtension(documentPath, ".TRI");
    if (g_tinPresent == 0 || g_tinEdgeCount <= 0) {
        RemoveCompanion(documentPath, ".TRI");
        return -1;
    }
    TextFileWriter file(path);
    if (!file.IsOpen()) {
        ReportCannotCreate(path);
        return -1;
    }
    std::string out;
    out.reserve(1 << 17);
    PutLeI32(out, 0);
    PutLeI32(out, g_holesInverted);
    PutLeI32(out, g_tinEdgeCount);
    PutLeI32(out, 1);
    for (int32_t i = 1; i <= g_tinEdgeCount; ++i) {
        const TinEdge& e = g_tinEdges[i];
        PutLeI32(out, e.a);
        PutLeI32(out, e.b);
        PutLeI32(out, e.apexBack);
        PutLeI32(out, e.apexSearch);
        if (out.size() >= (1 << 16)) {
            file.WriteRaw(out);
            out.clear();
        }
    }
    file.WriteRaw(out);
    if (!file.Close()) {
        RemovePartialFile(path);
        ReportWriteFailed(path);
        return -1;
    }
    RemoveStaleCompanions(documentPath, path);
    return 0;
}
