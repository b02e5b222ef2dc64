#include "shell/host_channel.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

#include "exchange/delimited_text.h"
#include "exchange/dxf_points.h"
#include "exchange/import_request.h"
#include "exchange/point_file_reader.h"
#include "model/auto_outline.h"
#include "model/bnd_file.h"
#include "model/duplicate_points.h"
#include "model/outline_edit.h"
#include "model/outline_hole_files.h"
#include "model/pick_reset.h"
#include "model/point_in_outline.h"
#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "model/tin_grid_builder.h"
#include "model/tri_file.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/shared_memory.h"
#include "platform/text_io.h"
#include "pointedit/unused_points.h"
#include "shell/quiet_mode.h"
#include "shell/status_text.h"
#include "shell/tool_mode.h"
#include "view/display_flags.h"
#include "view/view_history.h"
#include "view/view_navigation.h"
#include "view/view_state.h"
#include "view/view_transform.h"
#include "volume/mesh_data.h"
#include "volume/mesh_files.h"
#include "volume/mesh_from_tin.h"
#include "volume/mesh_volume.h"

namespace fs = std::filesystem;

namespace {
constexpr const char* kDone = "正常終了";

// A string field of the block: the bytes before its NUL, never beyond the field.
std::string Field(const char (&field)[kHostStringBytes]) {
    return std::string(field, strnlen(field, kHostStringBytes));
}
bool Terminated(const char* field) { return memchr(field, '\0', kHostStringBytes) != nullptr; }

void SetText(ExternalCommandBlock& block, const std::string& utf8) {
    const std::string cp932 = Utf8ToCp932(utf8);
    const size_t n = Cp932PrefixLength(cp932, kHostStringBytes - 1);
    std::memcpy(block.resultText, cp932.data(), n);
    std::memset(block.resultText + n, 0, kHostStringBytes - n);
}

void Result(ExternalCommandBlock& block, int32_t code, const std::string& text) {
    block.resultCode = code;
    SetText(block, text);
}

void ClearData() {
    g_pointsPresent = 0;
    g_pointCount = 0;
    g_tinPresent = 0;
    g_tinEdgeCount = 0;
    g_meshAreaDefined = 0;
    g_meshElevationsDone = 0;
    g_meshRows = 0;
    g_meshColumns = 0;
    ClearOutline();
    ClearPicks();
    ClearPickList();
    if (g_points) SetPointEndMarker();
    if (g_tinEdges) SetTinEndRecord();
}

void ResetMeshParams(double pitch) {
    g_meshRotation = 0;
    g_meshPitchLength = g_meshPitchWidth = pitch;
    g_meshVolumeZeroLimit = 0;
    g_meshAreaPolygonCount = 0;
    g_draggedMeshVertex = 0;
    g_meshAreaDefined = 0;
    g_meshElevationsDone = 0;
    g_meshPlanDone = 0;
    g_meshVolumeDone = 0;
    g_meshSectionDirection = 0;
    g_meshStationNameStyleV = 0;
    g_meshStationNameStyleH = 0;
    g_meshAverageDigits = 3;
    g_meshVolumeDigits = 3;
}

// Quiet for the steps that would ask or report; the previous state back on every way out.
class QuietScope {
public:
    QuietScope() : m_saved(g_quietMode) { g_quietMode = 1; }
    ~QuietScope() { g_quietMode = m_saved; }
    QuietScope(const QuietScope&) = delete;
    QuietScope& operator=(const QuietScope&) = delete;

private:
    int32_t m_saved;
};

// Drive, folder and file name of a path: the path without its extension.
std::string WithoutExtension(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path;
    return path.substr(0, dot);
}

// The file under that name in any letter case; the name itself when there is none.
std::string FindFileOrPath(const std::string& wanted) {
    const fs::path found = FindFileNoCase(wanted);
    return found.empty() ? wanted : found.string();
}

// A path field counts only when it is longer than 4 characters.
bool Present(const std::string& path) { return path.size() > 4; }

// Writes the outline's vertices 1..n as coordinate lines; the file is removed when a write
// fails.
bool WriteOutlineCoordinates(const fs::path& path) {
    TextFileWriter out;
    if (!out.Open(path)) return false;
    const int32_t n = g_outline.Count();
    for (int32_t k = 1; k <= n; ++k) {
        const RandomPoint& p = g_points[g_outline[k]];
        out.PrintLine("%.4f, %.4f, %.4f", p.x, p.y, p.z);
    }
    if (!out.Close()) {
        std::error_code ec;
        fs::remove(path, ec);
        return false;
    }
    return true;
}

bool ReadOnlyFile(const fs::path& path) {
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (ec || !fs::exists(st)) return false;
    constexpr auto kWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (st.permissions() & kWrite) == fs::perms::none;
}

// One input file by its kind; the plot mode of new points is 3.
void ReadInputFile(const std::string& path, int kind) {
    if (kind == 9) {
        ReadDelimitedPointText(path, 0, 3, 0, 0);
    } else if (kind == 10) {
        const int32_t earlier = g_pointCount;
        {
            QuietScope quiet;
            ReadDxfEntitiesAsPoints(path, 0, 3, 0, 0);
        }
        SwapPointXYFrom(earlier);
    } else if (kind == 0) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (!file) return;
        ReadImportPointFile(file, kImportKindRnd, 0, 3, 0, 0);
        std::fclose(file);
    }
}

// Writes base.RND, .TRI, .BND and (with a mesh) .MSH; false when any of them failed.
bool SaveHostResult(const std::string& rndPath) {
    if (!WriteRndFile(rndPath, nullptr)) return false;
    if (g_tinPresent != 0 && g_tinEdgeCount > 0 && WriteTriFile(rndPath) != 0) return false;
    if (g_outline.Count() > 0) {
        WriteBndFile(rndPath);
        // The writer does not tell failure from success: the file must be there, whole.
        const int32_t n = std::min(g_outline.Count(), kIndexListMaxVertices);
        const uintmax_t expected = 5 * 22 + 8 + static_cast<uintmax_t>(n + 1) * 8;
        std::error_code ec;
        if (fs::file_size(WithExtension(rndPath, ".BND"), ec) != expected || ec) return false;
    }
    if (g_meshAreaDefined && !WriteMeshFile(WithoutExtension(rndPath) + ".MSH")) return false;
    return true;
}

constexpr const char* kSaveFailed = "結果ファイル保存失敗";
}  // namespace

void ReadBndOutline(const std::string& inputPath, std::string* copyPath) {
    if (copyPath) copyPath->clear();
    ClearOutline();
    const fs::path bnd = FindFileNoCase(WithoutExtension(inputPath) + ".BND");
    if (bnd.empty() || g_pointCount <= 2) return;
    std::FILE* file = std::fopen(bnd.c_str(), "rb");
    if (!file) return;
    std::string line;
    bool headerRead = true;
    for (int i = 0; i < 7 && headerRead; ++i) headerRead = ReadTextLine(file, line);
    // The count in the file is a claim: the outline list's room and the lines that follow bound it.
    long n = headerRead ? std::strtol(line.c_str(), nullptr, 10) : 0;
    if (n < 0 || n > kIndexListMaxVertices) n = 0;
    int32_t taken = 0;
    for (int32_t i = 1; i <= n; ++i) {
        if (!ReadTextLine(file, line) || line.empty() || static_cast<unsigned char>(line[0]) < 0x20) break;
        const long a = std::strtol(line.c_str(), nullptr, 10);
        if (a < 1 || a > g_pointCount) break;
        g_points[a].flags = kPointFlagOutline;
        g_outline[i] = static_cast<int32_t>(a);
        g_outline[0] = taken = i;
    }
    std::fclose(file);
    if (taken == n && n > 2) {
        g_outline[n + 1] = g_outline[1];
    } else {
        g_outline[0] = 0;
        return;
    }
    if (!copyPath) return;
    const fs::path copy = TempFolder() / "TEMPBND.BN2";
    if (!WriteOutlineCoordinates(copy)) {
        g_outline[0] = 0;
        return;
    }
    *copyPath = copy.string();
}

int CheckBndClosed(const std::string& inputPath) {
    if (ClassifyInputExtension(inputPath) != 0) return 0;
    const fs::path bnd = FindFileNoCase(WithoutExtension(inputPath) + ".BND");
    std::FILE* file = bnd.empty() ? nullptr : std::fopen(bnd.c_str(), "rb");
    if (!file) return 0;
    ReadBndFile(file);
    std::fclose(file);
    const int32_t n = g_outline.Count();
    return n > 2 && g_outline[1] == g_outline[n + 1] ? 1 : 0;
}

void SwapPointXYFrom(int32_t earlierCount) {
    if (!g_importRequest.swapXY || !g_points) return;
    for (int32_t i = std::max(earlierCount, 0) + 1; i <= g_pointCount; ++i) std::swap(g_points[i].x, g_points[i].y);
}

void MarkFlaggedPointsInvalid() {
    for (int32_t i = 1; i <= g_pointCount; ++i)
        if (g_points[i].outside != 0) g_points[i].invalid = 1;
}

int WriteBn5Points(const std::string& inputPath) {
    if (g_outline.Count() <= 2) return 0;
    const std::string stem = WithoutExtension(inputPath);
    const fs::path bn2 = FindFileNoCase(stem + ".BN2");
    if (!bn2.empty() && ReadOnlyFile(bn2)) return 0;
    return WriteOutlineCoordinates(stem + ".BN5") ? -5 : 0;
}

int ClassifyInputExtension(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return 9;
    std::string ext = path.substr(dot, 4);
    for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (ext == ".RND") return 0;
    if (ext == ".DXF") return 10;
    if (ext == ".BN2") return 200;
    return 9;
}

void ReorderOutlinePointsFirst() {
    const int32_t n = g_outline.Count();
    if (n <= 0 || n > g_pointCount || !g_points) return;
    for (int32_t i = 1; i <= g_pointCount; ++i) g_points[i].multiUse = 0;
    for (int32_t k = 1; k <= n; ++k) {
        const int32_t p = g_outline[k];
        if (p < 1 || p > g_pointCount || g_points[p].multiUse != 0) return;  // damaged outline: left alone
        g_points[p].multiUse = k;
    }
    int32_t j = 1;
    for (int32_t i = 1; i <= n; ++i) {
        if (g_points[i].multiUse != 0) continue;
        if (j <= i) j = i + 1;
        while (j <= g_pointCount && g_points[j].multiUse == 0) ++j;
        if (j > g_pointCount) return;
        std::swap(g_points[i], g_points[j]);
    }
    for (int32_t i = 1; i <= n; ++i) g_outline[g_points[i].multiUse] = i;
    g_outline[n + 1] = g_outline[1];
    // The end record follows the kept points.
    g_points[n + 1] = g_points[g_pointCount + 1];
    g_pointCount = n;
}

int ReadMshHeader(const std::string& pathWithoutExtension) {
    ResetMeshParams(1.0);
    const auto path = FindFileNoCase(pathWithoutExtension + ".MSH");
    if (path.empty()) return 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) return 0;
    std::string line;
    for (int i = 0; i < 6; ++i) {
        if (!std::getline(in, line)) return 0;
        if (line.size() > 1000) line.resize(1000);
    }
    std::vector<std::string> fields(1);
    int commas = 0;
    for (char c : line) {
        if (c == ',') {
            if (++commas == 10) break;
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    if (commas < 9) return 0;
    double* doubles[] = {&g_meshOriginX, &g_meshOriginY, &g_meshRotation, &g_meshLength,
                         &g_meshWidth,   &g_meshPitchLength, &g_meshPitchWidth};
    for (int i = 0; i < 7; ++i) *doubles[i] = std::strtod(fields[i].c_str(), nullptr);
    g_meshColumns = static_cast<int32_t>(std::strtol(fields[8].c_str(), nullptr, 10));
    g_meshRows = static_cast<int32_t>(std::strtol(fields[9].c_str(), nullptr, 10));
    g_meshElevationsDone = 0;
    g_meshAreaDefined = 1;
    g_showMesh = 1;
    return commas;
}

void CalcHostMeshExtent(double pitch) {
    const double p = pitch < 0.001 ? 1.0 : pitch;
    ResetMeshParams(p);
    g_meshOriginX = g_meshOriginY = 0;
    if (!g_points || g_pointCount < 1) return;
    double minX = g_points[1].x, maxX = minX, minY = g_points[1].y, maxY = minY;
    auto take = [&](const RandomPoint& r) {
        minX = std::min(minX, r.x);
        maxX = std::max(maxX, r.x);
        minY = std::min(minY, r.y);
        maxY = std::max(maxY, r.y);
    };
    if (g_tinEdgeCount > 0 && g_tinEdges) {
        for (int32_t e = 1; e <= g_tinEdgeCount; ++e) {
            for (int32_t end : {g_tinEdges[e].a, g_tinEdges[e].b}) {
                const int32_t i = std::abs(end);
                if (i >= 1 && i <= g_pointCount) take(g_points[i]);
            }
        }
    } else {
        for (int32_t i = 1; i <= g_pointCount; ++i)
            if (g_points[i].invalid == 0 && g_points[i].outside == 0) take(g_points[i]);
    }
    g_meshOriginX = p * std::floor(minX / p);
    g_meshOriginY = p * std::floor(minY / p);
    g_meshLength = p * (std::floor(maxX / p) + 1.2) - g_meshOriginX;
    g_meshWidth = p * (std::floor(maxY / p) + 1.2) - g_meshOriginY;
    g_meshAreaDefined = 1;
    g_showMesh = 1;
}

namespace {
// One request: the block, the extra file paths after it and what the common start set up.
struct HostRun {
    ExternalCommandBlock& block;
    const char* extraFiles;  // extraFileCount fields of kHostStringBytes, checked against the mapping
    std::string& documentPath;
    std::string base;
    double tolerance = 0.000001;
    int32_t keepMode = kKeepHighest;
    std::string tempCopy;  // the outline copy made for this request, removed at its end
};

// The rolling radius of the automatic outline, from the extent as it is now.
double RollingRadius(const ExternalCommandBlock& b) {
    double l = b.edgeLengthMode ? b.edgeLength * 0.5 : g_extentSize * b.edgeLength * 0.01;
    if (!(l >= 0.0001)) l = g_extentSize + 1;
    return l;
}

std::string ExtraFile(const HostRun& run, int32_t i) {
    const char* field = run.extraFiles + static_cast<size_t>(i) * kHostStringBytes;
    return std::string(field, strnlen(field, kHostStringBytes));
}

// The first input file of commands 1, 2 and 5. `copyPath` is given when the outline of an
// RND file is to be kept as a coordinate copy.
void ReadFirstFile(const std::string& first, std::string* copyPath, bool& fromCoordinateFile) {
    const int kind = ClassifyInputExtension(first);
    if (kind == 200) {
        LoadOutlineFile(first);
        if (g_outline.Count() > 0) fromCoordinateFile = true;
        ComputeDataExtents(0);
        return;
    }
    ReadInputFile(first, kind);
    if (kind == 0) ReadBndOutline(first, copyPath);
}

// Commands 1 and 2: input files, outline, TIN, mesh, saved beside the base path.
void BuildFromInputFiles(HostRun& run, int32_t command) {
    ExternalCommandBlock& b = run.block;
    ClearData();
    const std::string first = Field(b.firstInputFile);
    bool fromCoordinateFile = false;
    bool copyMade = false;
    if (b.firstFileFlag && Present(first)) {
        ReadFirstFile(first, &run.tempCopy, fromCoordinateFile);
        if (ClassifyInputExtension(first) == 0) {
            if (g_outline.Count() > 2) {
                copyMade = !run.tempCopy.empty();
                if (b.extraFileCount > 0) ReorderOutlinePointsFirst();
            } else {
                run.tempCopy.clear();
            }
        }
        if (g_pointCount != 0) g_pointsPresent = -1;
        if (g_pointCount > 2 && g_outline.Count() < 3) {
            ComputeDataExtents(0);
            if (CheckBndClosed(first) != 1) {
                RemoveDuplicatePoints(run.tolerance, run.keepMode);
                if (BuildAutoOutline(RollingRadius(b)) != kAutoOutlineDone) {
                    Result(b, 90, "外周計算パラメータが不適切");
                    return;
                }
            }
            if (b.extraFileCount > 0) ReorderOutlinePointsFirst();
        } else if (g_pointCount <= 2 && g_outline.Count() < 3) {
            Result(b, 91, "外周ファイルにデータがありません");
            return;
        }
    }
    for (int32_t i = 0; i < b.extraFileCount; ++i) {
        const std::string path = ExtraFile(run, i);
        if (!Present(path)) continue;
        const int kind = ClassifyInputExtension(path);
        if (kind != 200) ReadInputFile(path, kind);
    }
    if (g_pointCount <= 3) {
        Result(b, 92, "ファイル内にデータがありません");
        return;
    }
    g_pointsPresent = -1;
    if (g_outline.Count() > 2) {
        if (b.deleteFlag) {
            QuietScope quiet;
            DeleteUnusedPoints();
        } else {
            OrientPolygonClockwise(g_outline);
            MarkPointsInPolygonRaster(g_outline, 0);
            MarkFlaggedPointsInvalid();
        }
    }
    ClearOutline();
    RemoveDuplicatePoints(run.tolerance, run.keepMode);
    const double radius = RollingRadius(b);
    int32_t outlineResult = kAutoOutlineDone;
    if (!fromCoordinateFile && !copyMade) {
        outlineResult = BuildAutoOutline(radius);
    } else {
        // The outline is read again by its coordinates: the point numbers have changed.
        ClearOutline();
        if (fromCoordinateFile) LoadOutlineFile(first);
        if (copyMade) LoadOutlineFile(run.tempCopy);
        const int32_t n = g_outline.Count();
        if (n >= 3 && n <= kIndexListMaxVertices + 1 && !b.keepOutlineFlag) {
            ClearPicks();
            for (int32_t k = 0; k <= std::min(n + 1, kIndexListEntries - 1); ++k) g_pickList2[k] = g_outline[k];
            ClearOutline();
            outlineResult = BuildAutoOutline(radius);
            ClearPicks();
        }
    }
    if (outlineResult != kAutoOutlineDone) {
        Result(b, 90, "外周計算パラメータが不適切");
        return;
    }

    const int64_t wanted = int64_t{4} * g_pointCount;
    if (wanted > g_tinEdgeCapacity) {
        if (wanted > std::numeric_limits<int32_t>::max() - 16 ||
            GrowTinEdgeBlock(static_cast<int32_t>(wanted)) != 0) {
            Result(b, 93, "三角網計算に失敗");
            return;
        }
        g_tinEdgeCapacity = static_cast<int32_t>(wanted);
    }
    g_tinEdgeCount = 0;
    g_tinPresent = 0;
    SetTinEndRecord();
    OrientPolygonClockwise(g_outline);
    SetStatusText("外周内部点登録中...");
    MarkPointsOutsideOutline(g_outline);
    {
        QuietScope quiet;
        BuildTinGrid();
    }
    if (g_tinPresent == 0) {
        Result(b, 93, "三角網計算に失敗");
        return;
    }
    g_showTin = 1;
    if (!b.noMeshFlag) {
        QuietScope quiet;
        if (command == 1) CalcHostMeshExtent(b.meshPitch);
        else ReadMshHeader(Field(b.meshPath));
        if (g_meshAreaDefined) CalcMeshFromTin(1, 0.0, 0, 0);
    }
    if (run.documentPath.size() > 4 && g_tinEdgeCount > 0) {
        QuietScope quiet;
        if (!SaveHostResult(run.documentPath)) {
            // Nothing to adopt: the document would name a file that was not written.
            run.documentPath.clear();
            SetText(b, kSaveFailed);
            return;
        }
    }
    SetText(b, kDone);
}

// Command 5: the automatic outline of the first file as .BN5 beside it.
void WriteInputOutline(HostRun& run) {
    ExternalCommandBlock& b = run.block;
    ClearData();
    const std::string first = Field(b.firstInputFile);
    if (!b.firstFileFlag || !Present(first)) {
        SetText(b, kDone);
        return;
    }
    bool fromCoordinateFile = false;
    ReadFirstFile(first, nullptr, fromCoordinateFile);
    if (g_pointCount != 0) g_pointsPresent = -1;
    if (g_outline.Count() >= 3) {
        SetText(b, kDone);
        return;
    }
    if (g_pointCount <= 2) {
        Result(b, 91, "外周ファイルにデータがありません");
        return;
    }
    ComputeDataExtents(0);
    RemoveDuplicatePoints(run.tolerance, run.keepMode);
    if (BuildAutoOutline(RollingRadius(b)) != kAutoOutlineDone) {
        Result(b, 90, "外周計算パラメータが不適切");
        return;
    }
    b.resultCode = WriteBn5Points(first);
    if (b.resultCode == -5) SetText(b, kDone);
    else Result(b, 92, "外周ファイル保存失敗(読取専用)");
}

// Command 3: mesh volume of the current mesh against the plan mesh.
void ComputeHostMeshVolume(HostRun& run) {
    ExternalCommandBlock& b = run.block;
    // printf precision: a negative or absurd count from the host is no precision.
    g_meshAverageDigits = g_meshVolumeDigits = std::clamp(b.decimals, 0, 15);
    g_meshVolumeZeroLimit = b.zeroVolumeLimit;
    g_meshVolumeDone = 0;
    const char* failure = nullptr;
    {
        QuietScope quiet;
        const std::string current = Field(b.meshPath), plan = Field(b.secondMeshPath);
        if (!ReadMeshFile(FindFileOrPath(current + ".MSH"))) {
            failure = "現況MSHファイル読込失敗";
        } else if (!ReadPlanMeshFile(FindFileOrPath(plan + ".MSH"))) {
            failure = "計画MSHファイル読込失敗";
        } else {
            CalcMeshAverageVolume(kMeshVolumeCompute, kPartialCellsAll);
            if (!g_meshVolumeDone) failure = "土量計算に失敗";
            else if (!run.base.empty() && !WriteMeshVolumeFile(run.base + ".MVO")) failure = "MVOファイル保存失敗";
        }
    }
    const int64_t last = int64_t{g_meshColumns} * g_meshRows;
    if (g_meshVolumeDone && last >= 1 && last < g_meshNodes.Size()) {
        b.cutTotal = g_meshNodes.Data()[last].cut;
        b.fillTotal = g_meshNodes.Data()[last].fill;
        if (!failure) b.resultCode = 7;
    }
    SetText(b, failure ? failure : kDone);
}

// Commands 11 and 12: a mesh over the points and TIN of a saved data set.
void MeshFromSavedTin(HostRun& run, int32_t command) {
    ExternalCommandBlock& b = run.block;
    const std::string source = Field(command == 11 ? b.meshPath : b.secondMeshPath);
    g_pointsPresent = g_pointCount = g_tinPresent = g_tinEdgeCount = g_meshAreaDefined = 0;
    ClearOutline();
    ClearPicks();
    ClearPickList();
    if (g_points) SetPointEndMarker();
    if (g_tinEdges) SetTinEndRecord();
    ReadInputFile(FindFileOrPath(source + ".RND"), 0);
    if (g_pointCount <= 2) {
        Result(b, 96, "RNDファイル異常");
        return;
    }
    g_pointsPresent = -1;
    if (std::FILE* tri = std::fopen(FindFileOrPath(source + ".TRI").c_str(), "rb")) {
        ReadTriFile(tri);
        std::fclose(tri);
    }
    g_meshAreaDefined = 0;
    if (g_tinEdgeCount <= 0) {
        Result(b, 96, "TRIファイル異常");
        return;
    }
    g_tinPresent = -1;
    {
        QuietScope quiet;
        if (command == 11) CalcHostMeshExtent(b.meshPitch);
        else ReadMshHeader(Field(b.meshPath));
        if (!g_meshAreaDefined) {
            Result(b, 96, "作業前MSHファイル異常");
            return;
        }
        CalcMeshFromTin(1, 0.0, 0, 0);
    }
    if (!run.base.empty()) {
        const std::string msh = run.base + ".MSH";
        if (g_meshAreaDefined && run.documentPath.size() > 4) {
            QuietScope quiet;
            if (!WriteMeshFile(msh)) {
                run.documentPath.clear();
                SetText(b, kSaveFailed);
                return;
            }
        } else {
            std::error_code ec;
            fs::remove(msh, ec);
        }
    }
    SetText(b, kDone);
}
}  // namespace

void RunExternalCommandOn(int32_t command, void* data, size_t size, std::string& documentPath,
                          const ExternalCommandHooks& hooks) {
    documentPath.clear();
    // Not even room for the result text: nothing can be said.
    if (!data || size < offsetof(ExternalCommandBlock, basePath)) return;
    auto& block = *static_cast<ExternalCommandBlock*>(data);
    auto commonEnd = [&] {
        if (documentPath.size() < 5) documentPath.clear();
        if (block.resultCode > 10) g_showMesh = 0;
        g_showPoints = 1;
        g_showTin = 1;
        ShowAllKeepSettings();
    };
    if (block.version != kHostBlockVersion) {
        Result(block, 99, "Quarvelのバージョンが異なります");
        commonEnd();
        return;
    }
    // A block too short for its paths, or paths without their end, are refused before
    // anything is touched.
    if (size < sizeof(ExternalCommandBlock)) {
        SetText(block, "パラメータ領域が短すぎます");
        commonEnd();
        return;
    }
    for (const char* field : {block.basePath, block.firstInputFile, block.meshPath, block.secondMeshPath}) {
        if (!Terminated(field)) {
            SetText(block, "パラメータ領域の文字列が終端していません");
            commonEnd();
            return;
        }
    }
    const bool readsExtraFiles = command == 1 || command == 2;
    if (readsExtraFiles &&
        (block.extraFileCount < 0 ||
         kHostExtraFilesOffset + kHostStringBytes * static_cast<size_t>(block.extraFileCount) > size)) {
        SetText(block, "追加ファイル数がパラメータ領域を超えています");
        commonEnd();
        return;
    }
    const char* extraFiles = static_cast<const char*>(data) + kHostExtraFilesOffset;
    for (int32_t i = 0; readsExtraFiles && i < block.extraFileCount; ++i) {
        if (!Terminated(extraFiles + static_cast<size_t>(i) * kHostStringBytes)) {
            SetText(block, "パラメータ領域の文字列が終端していません");
            commonEnd();
            return;
        }
    }
    const std::string base = Field(block.basePath);
    if (base.size() >= kHostBasePathLimit) {
        SetText(block, "出力パスが長すぎます(255文字まで)");
        commonEnd();
        return;
    }
    g_viewHistoryHead = g_viewHistoryTail = g_viewHistoryBack = 0;
    g_importRequest.swapXY = block.xySwap ? 1 : 0;
    HostRun run{block, extraFiles, documentPath, base, 0.000001, kKeepHighest, {}};
    run.keepMode = block.keepRule == 0 ? kKeepHighest : kKeepLowest;
    if (!base.empty()) {
        documentPath = base + ".RND";
        g_currentDataPath = documentPath;
    } else {
        g_currentDataPath = "NoName.RND";
    }
    // Also a NaN from the host becomes the smallest tolerance.
    run.tolerance = block.duplicateTolerance >= 0.000001 ? block.duplicateTolerance : 0.000001;
    switch (command) {
    case 0:
        block.resultCode = 103;
        SetText(block, kDone);
        if (hooks.postFrameCommand) hooks.postFrameCommand(32787);
        break;
    case 1:
    case 2: BuildFromInputFiles(run, command); break;
    case 3: ComputeHostMeshVolume(run); break;
    case 4:
        documentPath = " ";
        g_meshWidth = g_meshLength = 0;
        ClearData();
        g_showMesh = 0;
        SetText(block, kDone);
        break;
    case 5: WriteInputOutline(run); break;
    case 11:
    case 12: MeshFromSavedTin(run, command); break;
    default:
        SetText(block, kDone);
        break;
    }
    if (!run.tempCopy.empty()) {
        std::error_code ec;
        fs::remove(run.tempCopy, ec);
    }
    commonEnd();
}

void RunExternalCommand(int32_t command, std::string& documentPath, const ExternalCommandHooks& hooks) {
    g_toolMode = MODE_NONE;
    g_dragState = 0;
    documentPath.clear();
    SharedMemoryBlock block;
    if (!block.Open(kHostBlockName)) return;
    RunExternalCommandOn(command, block.Data(), block.Size(), documentPath, hooks);
    block.Close();
}
