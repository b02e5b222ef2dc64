#include "volume/tin_volume_regions.h"

#include <unistd.h>

#include <cstdlib>

#include "model/file_report.h"
#include "model/le_bytes.h"
#include "platform/text_io.h"

std::string MakeRegionFilePath(const std::string& workFolder) {
    std::filesystem::path folder = workFolder.empty() ? std::filesystem::path() : std::filesystem::path(workFolder);
    std::error_code ec;
    if (folder.empty() || !std::filesystem::is_directory(folder, ec))
        folder = std::filesystem::temp_directory_path(ec);
    std::string pattern = (folder / "t_volXXXXXX").string();
    const int fd = mkstemp(pattern.data());
    if (fd >= 0) {
        close(fd);
        return pattern;
    }
    return (std::filesystem::path(workFolder) / "volgrp.tmp").string();
}

std::FILE* CreateRegionFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "w+b");
    if (!f) return nullptr;
    if (!WriteRegionHeader(f, 0) || std::fseek(f, 0, SEEK_END) != 0) {
        std::fclose(f);
        return nullptr;
    }
    return f;
}

bool WriteRegionHeader(std::FILE* file, int32_t count) {
    std::string bytes;
    PutLeI32(bytes, count);
    return std::fseek(file, 0, SEEK_SET) == 0 && std::fwrite(bytes.data(), 1, 4, file) == 4 &&
           std::fflush(file) == 0;
}

bool ReadRegionRecords(std::FILE* file, std::vector<RegionRecord>* records) {
    records->clear();
    char head[20];
    if (std::fseek(file, 0, SEEK_SET) != 0 || std::fread(head, 1, 4, file) != 4) return false;
    const int32_t total = GetLeI32(head);
    for (int32_t i = 0; i < total; ++i) {
        if (std::fread(head, 1, 20, file) != 20) break;
        RegionRecord r;
        r.count = GetLeI32(head);
        const int32_t n = std::abs(r.count);
        if (n < 3 || n > 7) break;
        r.volume = GetLeF64(head + 4);
        r.area = GetLeF64(head + 12);
        char v[7 * 32];
        if (std::fread(v, 32, n, file) != static_cast<size_t>(n)) break;
        for (int32_t k = 0; k < n; ++k)
            r.vertices.push_back({GetLeF64(v + 32 * k), GetLeF64(v + 32 * k + 8), GetLeF64(v + 32 * k + 16),
                                  GetLeF64(v + 32 * k + 24)});
        records->push_back(std::move(r));
    }
    return true;
}

bool ReadRegionFile(const std::filesystem::path& path, std::vector<RegionRecord>* records) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        records->clear();
        return false;
    }
    const bool ok = ReadRegionRecords(f, records);
    std::fclose(f);
    return ok;
}

bool WriteRegionFile(const std::filesystem::path& path, const std::vector<RegionRecord>& records) {
    std::string bytes;
    PutLeI32(bytes, static_cast<int32_t>(records.size()));
    for (const RegionRecord& r : records) {
        PutLeI32(bytes, r.count);
        PutLeF64(bytes, r.volume);
        PutLeF64(bytes, r.area);
        for (const RegionVertex& v : r.vertices) {
            PutLeF64(bytes, v.y);
            PutLeF64(bytes, v.x);
            PutLeF64(bytes, v.zBase);
            PutLeF64(bytes, v.zCur);
        }
    }
    return WriteFileBytes(path, bytes);
}

int32_t WriteRegionList(const std::filesystem::path& regionPath, const std::filesystem::path& listPath) {
    std::vector<RegionRecord> records;
    if (!ReadRegionFile(regionPath, &records) || records.empty()) return -1;
    TextFileWriter out;
    if (!out.Open(listPath)) {
        ReportCannotCreate(listPath);
        return -2;
    }
    int32_t number = 0;
    for (const RegionRecord& r : records) {
        out.PrintLine("NO %d, %d, %10.5f, %10.5f", ++number, std::abs(r.count), r.volume, r.area);
        for (const RegionVertex& v : r.vertices) out.PrintLine(" %10.5f, %10.5f, %10.5f, %10.5f", v.y, v.x, v.zBase, v.zCur);
    }
    if (!out.Close()) {
        ReportWriteFailed(listPath);
        RemovePartialFile(listPath);
        return -2;
    }
    return 0;
}

void DrawVolumeRegions(std::FILE* file, int32_t recordCount, int32_t minusRegionCount) {
    if (!file || recordCount <= 0) return;
    std::vector<RegionRecord> records;
    const long at = std::ftell(file);
    ReadRegionRecords(file, &records);
    if (at >= 0) std::fseek(file, at, SEEK_SET);
    const uint32_t baseColor = minusRegionCount > 0 ? 0xFF0000u : 0x00FF00u;
    for (const RegionRecord& r : records)
        DrawRegionPolygon(r.vertices.data(), static_cast<int32_t>(r.vertices.size()), r.count < 0 ? 0xFFFFFFu : baseColor);
}

std::string FormatTinVolumeResult(const TinVolumeRequest& q, int32_t v, int32_t a) {
    std::string format = FormatString(
        "＋体積[%%15.%dlf]  水平面積[%%12.%dlf]\r\n－体積[%%15.%dlf]  水平面積[%%12.%dlf]\r\n", v, a, v, a);
    std::string text = FormatString(format.c_str(), q.plusVolume, q.plusArea, q.minusVolume, q.minusArea);
    format = FormatString("\t\t体積なし水平面積[%%12.%dlf]\r\n体積合計[%%15.%dlf]　総面積[%%15.%dlf]\r\n", a, v, a);
    text += FormatString(format.c_str(), q.zeroArea, q.plusVolume + q.minusVolume, q.totalArea);
    if (q.overhangCount > 0) {
        format = FormatString("現況ファイル オーバーハング面積 [%%15.%dlf] (%%d 個)\r\n", a);
        text += FormatString(format.c_str(), q.overhangArea, q.overhangCount);
    }
    return text;
}
