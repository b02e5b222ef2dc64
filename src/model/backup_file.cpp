#include "model/backup_file.h"

#include <cstring>
#include <string>
#include <system_error>

#include "contour/contour_files.h"
#include "model/file_report.h"
#include "model/le_bytes.h"
#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "model/tri_file.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/text_io.h"

namespace fs = std::filesystem;

namespace {
constexpr const char* kBadCoordinateText =
    "ファイルが壊れているため読み込めません。\n%s\n点 %d の座標値が範囲外です。";
constexpr size_t kPointEntryBytes = 40;
constexpr size_t kTinHeaderBytes = 16;
constexpr size_t kEdgeBytes = 16;
constexpr int32_t kMaxBackupOutline = 199999;
// Written after the outline section when the outline is closed, followed by an int32 1.
// The layout itself stores no closing entry, and readers of it stop before these bytes.
constexpr char kClosedOutlineTag[4] = {'C', 'L', 'O', 'S'};
constexpr size_t kClosedOutlineBytes = 8;
constexpr size_t kNameBytes = 12;

void RestoreContourCopy(const fs::path& path) {
    g_drawingContoursLoaded = 0;
    g_showDrawingContours = 0;
    const fs::path copy = FindFileNoCase(WithExtension(path, ".ct1"));
    if (copy.empty() || g_contourLinesPath.empty()) return;
    std::error_code ec;
    fs::copy_file(copy, g_contourLinesPath, fs::copy_options::overwrite_existing, ec);
    if (ec) return;
    // A read-only source must not make the work file read-only.
    fs::permissions(g_contourLinesPath, fs::perms::owner_read | fs::perms::owner_write,
                    fs::perm_options::add, ec);
    g_drawingContoursLoaded = -1;
}
}  // namespace

int32_t WriteBackupFile(const fs::path& path) {
    // Points turned for viewing are kept as surveyed.
    RestoreSurveyFrame();
    TextFileWriter file(path);
    if (!file.IsOpen()) return -1;
    std::string out;
    out.reserve(1 << 17);
    auto flush = [&](bool always) {
        if (always || out.size() >= (1 << 16)) {
            file.WriteRaw(out);
            out.clear();
        }
    };

    PutLeI32(out, g_pointCount);
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        const RandomPoint& p = g_points[i];
        out.append(p.name, sizeof p.name);
        PutLeF64(out, p.x);
        PutLeF64(out, p.y);
        PutLeF64(out, p.z);
        PutLe16(out, static_cast<uint16_t>(p.invalid));
        PutLe16(out, static_cast<uint16_t>(p.plotKind));
        flush(false);
    }

    const int32_t edges = g_tinEdgeCount > 0 ? g_tinEdgeCount : 0;
    PutLeI32(out, 0);
    PutLeI32(out, g_holesInverted);
    PutLeI32(out, edges);
    PutLeI32(out, 1);
    for (int32_t j = 1; j <= edges; ++j) {
        const TinEdge& e = g_tinEdges[j];
        PutLeI32(out, e.a);
        PutLeI32(out, e.b);
        PutLeI32(out, e.apexBack);
        PutLeI32(out, e.apexSearch);
        flush(false);
    }

    int32_t k = g_outline[0];
    if (k < 0) k = 0;
    if (k > kIndexListMaxVertices) k = kIndexListMaxVertices;
    PutLeI32(out, k);
    for (int32_t v = 1; v <= k; ++v) PutLeI32(out, g_outline[v]);
    if (k > 0 && g_outline.IsClosed()) {
        out.append(kClosedOutlineTag, sizeof kClosedOutlineTag);
        PutLeI32(out, 1);
    }
    flush(true);

    if (!file.Close()) {
        RemovePartialFile(path);
        return -1;
    }
    return 0;
}

int32_t ReadBackupFile(const fs::path& path) {
    std::string bytes;
    {
        std::error_code ec;
        if (!fs::is_regular_file(path, ec)) return -1;
    }
    if (!ReadFileBytes(path, bytes)) {
        ReportCannotOpen(path);
        return -1;
    }

    // Check every count against the length before anything in memory changes.
    const size_t size = bytes.size();
    auto damaged = [&] {
        ReportDamagedFile(path);
        return -1;
    };
    if (size < 4) return damaged();
    const int32_t n = GetLeI32(bytes.data());
    if (n < 0 || static_cast<uint64_t>(n) > (size - 4) / kPointEntryBytes) return damaged();
    const size_t tinAt = 4 + kPointEntryBytes * static_cast<size_t>(n);
    if (size < tinAt + kTinHeaderBytes) return damaged();
    const int32_t holesInverted = GetLeI32(bytes.data() + tinAt + 4);
    int32_t m = GetLeI32(bytes.data() + tinAt + 8);
    const bool tinUsable = m > 0 && m <= kMaxTinFileEdges;
    if (!tinUsable) m = 0;  // a damaged TIN count leaves no TIN but keeps the points
    const size_t edgesAt = tinAt + kTinHeaderBytes;
    if (static_cast<uint64_t>(m) > (size - edgesAt) / kEdgeBytes) return damaged();
    const size_t outlineAt = edgesAt + kEdgeBytes * static_cast<size_t>(m);
    if (size < outlineAt + 4) return damaged();
    const int32_t k = GetLeI32(bytes.data() + outlineAt);
    const bool outlineUsable = k >= 1 && k <= kMaxBackupOutline;
    if (outlineUsable && static_cast<uint64_t>(k) > (size - outlineAt - 4) / 4) return damaged();
    const size_t closedAt = outlineAt + 4 + (outlineUsable ? 4 * static_cast<size_t>(k) : 0);
    const bool outlineClosed =
        outlineUsable && size >= closedAt + kClosedOutlineBytes &&
        std::memcmp(bytes.data() + closedAt, kClosedOutlineTag, sizeof kClosedOutlineTag) == 0 &&
        GetLeI32(bytes.data() + closedAt + 4) == 1;

    // Coordinates that the document could not write back are damage, not survey.
    for (int32_t i = 1; i <= n; ++i) {
        const char* e = bytes.data() + 4 + kPointEntryBytes * static_cast<size_t>(i - 1);
        if (!FitsRndPlanColumn(GetLeF64(e + 12)) || !FitsRndPlanColumn(GetLeF64(e + 20)) ||
            !FitsRndHeightColumn(GetLeF64(e + 28))) {
            ShowMessage(FormatString(kBadCoordinateText, path.c_str(), i), "",
                        msg::kOk | msg::kIconError);
            return -1;
        }
    }

    // Room for everything, before any record is replaced.
    if (n + 2 > g_pointCapacity || n + 2 > g_pointsBlock.Size()) {
        const int32_t old = g_pointCapacity;
        g_pointCapacity = n + 100;
        if (GrowPointBlock(g_pointCapacity) != 0) {
            g_pointCapacity = old;
            ReportNoMemory();
            return -1;
        }
    }
    std::vector<int32_t> edgeFields(4 * static_cast<size_t>(m));
    for (size_t f = 0; f < edgeFields.size(); ++f)
        edgeFields[f] = GetLeI32(bytes.data() + edgesAt + 4 * f);

    // Commit. The keep rule of the edges reads the new point count.
    const int32_t oldCount = g_pointCount;
    g_pointCount = n;
    const int32_t oldEdgeCount = g_tinEdgeCount;
    if (tinUsable && StoreTinRecords(edgeFields.data(), m) != 0) {
        g_pointCount = oldCount;
        g_tinEdgeCount = oldEdgeCount;
        ReportNoMemory();
        return -1;
    }
    if (!tinUsable) {
        g_tinEdgeCount = 0;
        SetTinEndRecord();
    }
    g_tinPresent = g_tinEdgeCount > 0 ? -1 : 0;
    if (tinUsable) g_holesInverted = holesInverted;

    for (int32_t i = 1; i <= n; ++i) {
        const char* e = bytes.data() + 4 + kPointEntryBytes * static_cast<size_t>(i - 1);
        RandomPoint& p = g_points[i];
        std::memset(&p, 0, sizeof p);
        // The whole name the field holds; one without its NUL loses what does not fit.
        const size_t length = strnlen(e, kNameBytes);
        std::memcpy(p.name, e,
                    length < kNameBytes ? length
                                        : Cp932PrefixLength(std::string_view(e, length),
                                                            kNameBytes - 1));
        p.x = GetLeF64(e + 12);
        p.y = GetLeF64(e + 20);
        p.z = GetLeF64(e + 28);
        p.invalid = GetLeI16(e + 36);
        p.plotKind = GetLeI16(e + 38);
    }
    SetPointEndMarker();
    g_pointsPresent = -1;

    if (!outlineUsable) {
        g_outline[0] = 0;
    } else {
        g_outline.Reset();
        int32_t count = 0;
        for (int32_t v = 0; v < k; ++v) {
            const int32_t h = GetLeI32(bytes.data() + outlineAt + 4 + 4 * static_cast<size_t>(v));
            if (h <= 0 || h > n || count >= kIndexListMaxVertices) continue;
            g_outline[++count] = h;
            g_points[h].flags = kPointFlagOutline;
        }
        g_outline[0] = count;
        if (outlineClosed) g_outline.Close();
    }

    RestoreContourCopy(path);
    SetLoadedElevationRange();
    return 0;
}
