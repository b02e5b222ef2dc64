#include "contour/contour_files.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "model/le_bytes.h"
#include "model/terrain_data.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "shell/work_files.h"

std::string g_contourLinesPath;
int32_t g_showDrawingContours = 0;

double g_contourMinZ = 0.0;
double g_contourMaxZ = 0.0;
double g_contourInterval = 0.0;
double g_indexContourInterval = 0.0;

namespace {
const bool g_registered = [] {
    RegisterDataModelReset([] {
        g_showDrawingContours = 0;
        g_contourMinZ = 0.0;
        g_contourMaxZ = 0.0;
        g_contourInterval = 0.0;
        g_indexContourInterval = 0.0;
    });
    return true;
}();
}  // namespace

void SetDefaultContourLevels(double zMin, double zMax) {
    const double range = std::fabs(std::trunc(zMax) - std::trunc(zMin));
    g_contourInterval = range < 50.0 ? 1.0 : range < 100.0 ? 2.0 : 5.0;
    g_indexContourInterval = 5.0 * g_contourInterval;
    g_contourMinZ = std::ceil(zMin / g_contourInterval) * g_contourInterval;
    g_contourMaxZ = std::trunc(zMax);
}

bool ContourLevelsUsable(double minZ, double maxZ, double interval) {
    if (!std::isfinite(minZ) || !std::isfinite(maxZ) || !std::isfinite(interval)) return false;
    if (!(interval > 0)) return false;
    // Below the spacing of doubles at the largest level the steps would not move.
    const double largest = std::max(std::fabs(minZ), std::fabs(maxZ));
    return largest + interval != largest;
}

// ---- records ----

namespace {
// The 18 bytes of a record at out; returns the end.
char* PackContourRecord(char* out, int16_t code, double a, double b) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(out, &code, 2);
        std::memcpy(out + 2, &a, 8);
        std::memcpy(out + 10, &b, 8);
    } else {
        const uint64_t ab = std::bit_cast<uint64_t>(a), bb = std::bit_cast<uint64_t>(b);
        out[0] = static_cast<char>(code);
        out[1] = static_cast<char>(static_cast<uint16_t>(code) >> 8);
        for (int i = 0; i < 8; ++i) {
            out[2 + i] = static_cast<char>(ab >> (8 * i));
            out[10 + i] = static_cast<char>(bb >> (8 * i));
        }
    }
    return out + kContourRecordBytes;
}

void PutContourRecord(std::string& bytes, const ContourRecord& record) {
    char packed[kContourRecordBytes];
    PackContourRecord(packed, record.code, record.a, record.b);
    bytes.append(packed, sizeof packed);
}

void PutContourIndexEntry(std::string& bytes, const ContourIndexEntry& entry) {
    PutLeF64(bytes, entry.level);
    PutLeI32(bytes, entry.offset);
}

bool WriteBytes(std::FILE* file, const std::string& bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}
}  // namespace

bool WriteContourRecord(std::FILE* file, const ContourRecord& record) {
    std::string bytes;
    PutContourRecord(bytes, record);
    return WriteBytes(file, bytes);
}

bool WriteContourIndexEntry(std::FILE* file, const ContourIndexEntry& entry) {
    std::string bytes;
    PutContourIndexEntry(bytes, entry);
    return WriteBytes(file, bytes);
}

bool ReadContourRecord(std::FILE* file, ContourRecord* record) {
    return ReadContourRecordBytes(file, record) == kContourRecordBytes;
}

size_t ReadContourRecordBytes(std::FILE* file, ContourRecord* record) {
    char bytes[kContourRecordBytes];
    const size_t n = std::fread(bytes, 1, sizeof bytes, file);
    if (n != sizeof bytes) return n;
    record->code = GetLeI16(bytes);
    record->a = GetLeF64(bytes + 2);
    record->b = GetLeF64(bytes + 10);
    return n;
}

bool ReadContourIndexEntry(std::FILE* file, ContourIndexEntry* entry) {
    char bytes[kContourIndexEntryBytes];
    if (std::fread(bytes, 1, sizeof bytes, file) != sizeof bytes) return false;
    entry->level = GetLeF64(bytes);
    entry->offset = GetLeI32(bytes + 8);
    return true;
}

// ---- writing ----

bool ContourFileWriter::Open(bool replace) {
    Close();
    m_ok = true;
    const char* mode = replace ? "wb" : "ab";
    m_lines = std::fopen(g_contourLinesPath.c_str(), mode);
    m_index = std::fopen(g_contourIndexPath.c_str(), mode);
    if (!m_lines || !m_index) {
        Close();
        m_ok = false;
        return false;
    }
    std::fseek(m_lines, 0, SEEK_END);
    m_lineBytes = std::ftell(m_lines);
    if (replace) {
        for (double level :
             {g_contourMinZ, g_contourMaxZ, g_contourInterval, g_indexContourInterval})
            m_ok = WriteContourIndexEntry(m_index, {level, 0}) && m_ok;
    }
    return true;
}

void ContourFileWriter::OpenInMemory() {
    Close();
    m_ok = true;
    m_memory = true;
    m_lineBytes = 0;
}

void ContourFileWriter::WriteLine(int16_t code, double level, const double* x, const double* y,
                                  int32_t n) {
    if ((!m_lines && !m_memory) || n < 1) return;
    int32_t next = 0;  // the first vertex not yet written
    bool first = true;
    while (next < n) {
        // A later piece starts again at the last vertex written.
        const int32_t from = first ? 0 : next - 1;
        const int32_t count = std::min(n - from, kContourPieceMaxVertices);
        if (!m_memory && m_lineUsed >= kFlushBytes) Flush();
        const size_t bytes = static_cast<size_t>(count + 1) * kContourRecordBytes;
        if (m_linePending.size() < m_lineUsed + bytes)
            m_linePending.resize(std::max({m_linePending.size() * 2, m_lineUsed + bytes,
                                           kLineBufferBytes}));
        m_indexPending.push_back({level, m_lineBytes});
        char* out = m_linePending.data() + m_lineUsed;
        out = PackContourRecord(out, code, level, static_cast<double>(count));
        for (int32_t i = from; i < from + count; ++i) out = PackContourRecord(out, 0, x[i], y[i]);
        m_lineUsed += bytes;
        m_lineBytes += static_cast<int64_t>(bytes);
        next = from + count;
        first = false;
    }
}

void ContourFileWriter::Append(ContourFileWriter& part) {
    if (!m_lines) return;
    Flush();
    if (part.m_lineUsed > 0)
        m_ok = std::fwrite(part.m_linePending.data(), 1, part.m_lineUsed, m_lines) ==
                   part.m_lineUsed &&
               m_ok;
    for (const PendingEntry& e : part.m_indexPending)
        m_indexPending.push_back({e.level, m_lineBytes + e.offset});
    m_lineBytes += part.m_lineBytes;
    part.m_lineUsed = 0;
    part.m_indexPending.clear();
    part.m_lineBytes = 0;
}

void ContourFileWriter::Flush() {
    if (m_memory) return;
    if (m_lines && m_lineUsed > 0)
        m_ok = std::fwrite(m_linePending.data(), 1, m_lineUsed, m_lines) == m_lineUsed && m_ok;
    if (m_index && !m_indexPending.empty()) {
        std::string bytes;
        for (const PendingEntry& e : m_indexPending)
            PutContourIndexEntry(bytes, {e.level, static_cast<int32_t>(e.offset)});
        m_ok = WriteBytes(m_index, bytes) && m_ok;
    }
    m_lineUsed = 0;
    m_indexPending.clear();
}

bool ContourFileWriter::Close() {
    Flush();
    if (m_lines && std::fclose(m_lines) != 0) m_ok = false;
    if (m_index && std::fclose(m_index) != 0) m_ok = false;
    m_lines = m_index = nullptr;
    m_memory = false;
    m_lineUsed = 0;
    m_indexPending.clear();
    return m_ok;
}

// ---- document copies ----

namespace {
namespace fs = std::filesystem;

bool CopyOver(const fs::path& from, const std::string& to) {
    std::error_code ec;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
    if (ec) return false;
    // A read-only source must not leave a read-only work file.
    fs::permissions(to, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ec);
    return true;
}

enum class IndexHeader { kTaken, kUnreadable, kBadLevels };

IndexHeader ReadIndexHeader() {
    std::FILE* file = std::fopen(g_contourIndexPath.c_str(), "rb");
    if (!file) return IndexHeader::kUnreadable;
    ContourIndexEntry e[kContourIndexHeaderEntries];
    bool ok = true;
    for (auto& entry : e) ok = ok && ReadContourIndexEntry(file, &entry);
    std::fclose(file);
    if (!ok) return IndexHeader::kUnreadable;
    // Levels the calculation could not step through would make it run without end.
    if (!ContourLevelsUsable(e[0].level, e[1].level, e[2].level) ||
        !std::isfinite(e[3].level) || e[3].level < 0)
        return IndexHeader::kBadLevels;
    g_contourMinZ = e[0].level;
    g_contourMaxZ = e[1].level;
    g_contourInterval = e[2].level;
    g_indexContourInterval = e[3].level;
    return IndexHeader::kTaken;
}
}  // namespace

int32_t CopyContourFilesToDocument(const std::string& documentPath) {
    if (g_drawingContoursLoaded == 0) return -1;
    std::error_code ec;
    fs::copy_file(g_contourLinesPath, WithExtension(documentPath, ".CT1"),
                  fs::copy_options::overwrite_existing, ec);
    fs::copy_file(g_contourIndexPath, WithExtension(documentPath, ".CT2"),
                  fs::copy_options::overwrite_existing, ec);
    return 0;
}

bool RebuildContourIndex() {
    std::FILE* lines = std::fopen(g_contourLinesPath.c_str(), "rb");
    if (!lines) return false;
    std::FILE* index = std::fopen(g_contourIndexPath.c_str(), "wb");
    if (!index) {
        std::fclose(lines);
        return false;
    }
    bool ok = true;
    for (double level : {g_contourMinZ, g_contourMaxZ, g_contourInterval, g_indexContourInterval})
        ok = WriteContourIndexEntry(index, {level, 0}) && ok;
    ContourRecord header;
    int64_t offset = 0;
    while (ReadContourRecord(lines, &header)) {
        if (!(header.b >= 1 && header.b <= kContourPieceMaxVertices)) break;
        ok = WriteContourIndexEntry(index, {header.a, static_cast<int32_t>(offset)}) && ok;
        const int32_t count = static_cast<int32_t>(header.b);
        offset += kContourRecordBytes * (1 + static_cast<int64_t>(count));
        if (std::fseek(lines, offset, SEEK_SET) != 0) break;
    }
    std::fclose(lines);
    if (std::fclose(index) != 0) ok = false;
    return ok;
}

void RestoreContourFiles() { RestoreContourFilesFor(g_currentDataPath); }

void RestoreContourFilesFor(const std::string& documentPath) {
    const fs::path document(documentPath);
    g_documentTitle = document.stem().string();
    g_drawingContoursLoaded = 0;
    g_showDrawingContours = 0;
    const fs::path lines = FindCompanion(document, ".ct1");
    if (lines.empty() || !CopyOver(lines, g_contourLinesPath)) {
        // No contours with this document: the parameters of an index file left by another
        // document do not belong to it.
        return;
    }
    g_drawingContoursLoaded = g_showDrawingContours = -1;
    const fs::path index = FindCompanion(document, ".ct2");
    const IndexHeader header = index.empty() || !CopyOver(index, g_contourIndexPath)
                                   ? IndexHeader::kUnreadable
                                   : ReadIndexHeader();
    if (header == IndexHeader::kBadLevels)
        ShowMessage("等高線パラメータが正しくないため読み込みませんでした。\n" + index.string(), "",
                    msg::kOk | msg::kIconWarning);
    if (header != IndexHeader::kTaken) {
        // The lines came without a usable index: one made from them keeps the two in step.
        RebuildContourIndex();
    }
}
