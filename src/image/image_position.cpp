#include "image/image_position.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "image/image_mapping.h"
#include "model/geodesy.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "view/view_state.h"

namespace fs = std::filesystem;

int32_t g_worldFileZone = 0;
int32_t g_worldFileDatum = 0;

namespace {

constexpr const char* kStars = "*********************************";
constexpr const char* kCornerTitle = "********** 北西、北東、南西、南東";

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// The image path without its extension (the extension of the file name only).
std::string BasePath(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path;
    return path.substr(0, dot);
}

std::string LowerExtension(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return ext;
}

std::string Existing(const std::string& path) { return FindFileNoCase(fs::path(path)).string(); }

void FinishPlacement(ImageSlot& image) {
    ComputeImageEdgeLengths(image);
    SetupImageMapping(image);
}

// A corner line: north in the first 15 characters, east from the 16th on.
bool ParseCornerLine(const std::string& line, double& east, double& north) {
    if (line.size() <= 20) return false;
    const double n = std::atof(line.substr(0, 15).c_str());
    const double e = std::atof(line.c_str() + 15);
    if (!std::isfinite(n) || !std::isfinite(e)) return false;
    east = e;
    north = n;
    return true;
}

void ReadPositionFile(std::FILE* file, ImageSlot& image) {
    std::string line;
    bool any = ReadTextLine(file, line);
    while (any && !line.empty() && line[0] == '*') any = ReadTextLine(file, line);
    for (int k = 0; k < 4 && any; ++k) {
        if (line.size() > 69) line.resize(69);
        const bool corner = ParseCornerLine(line, image.corners[k][0], image.corners[k][1]);
        if (k == 3 && corner) image.positionKnown = 1;
        any = ReadTextLine(file, line);
    }
}

// Corners of an image of width x height from the six world-file values, as (east, north).
void WorldCorners(const double w[6], int32_t width, int32_t height, double corners[4][2]) {
    const double a = w[0], d = w[1], b = w[2], e = w[3], c = w[4], f = w[5];
    const double ulE = c - (a + b) / 2, ulN = f - (d + e) / 2;
    corners[0][0] = ulE;
    corners[0][1] = ulN;
    corners[1][0] = ulE + width * a;
    corners[1][1] = ulN + width * d;
    corners[2][0] = ulE + height * b;
    corners[2][1] = ulN + height * e;
    corners[3][0] = ulE + width * a + height * b;
    corners[3][1] = ulN + width * d + height * e;
}

std::string LatLongQuestion(const std::string& worldPath, double c, double f) {
    const std::string cText = FormatString("%4.5f", c);
    const std::string fText = FormatString("%4.5f", f);
    const std::string pad(cText.size() > fText.size() ? cText.size() - fText.size() : 0, ' ');
    return "位置ファイル\n" + Cp932ToUtf8(worldPath) + "\nには画像左上の座標が以下の通り指定されています。\n\n" +
           FormatString("X  :  %s%4.5f\nY  :  %s%4.5f\n\n", "", c, pad.c_str(), f) + "緯度経度として座標変換して読込ますか？";
}

// Latitude/longitude corners to plane coordinates through the zone dialog; false when the
// user declines (the values are then used as read).
bool ConvertLatLongCorners(double corners[4][2], const ZoneDialogRunner& runZoneDialog) {
    if (!runZoneDialog) return false;
    ZoneSelectValues values;
    values.m_zone = g_worldFileZone;
    values.m_datumSelection = g_worldFileDatum;
    values.m_dataDatum = g_worldFileDatum;
    if (!runZoneDialog(values) || values.m_zone <= 0) return false;
    g_worldFileZone = values.m_zone;
    const bool world = values.m_dataDatum == 1;
    g_worldFileDatum = world ? 1 : 0;
    Ellipsoid ellipsoid;
    ellipsoid.SelectEllipsoid(world ? 19 : 4);
    double plane[4][2];
    for (int k = 0; k < 4; ++k) {
        double x, y;  // north, east
        if (!ellipsoid.ZoneGeographicToPlane(x, y, g_worldFileZone, corners[k][1], corners[k][0])) return false;
        plane[k][0] = y;
        plane[k][1] = x;
    }
    for (int k = 0; k < 4; ++k) {
        corners[k][0] = plane[k][0];
        corners[k][1] = plane[k][1];
    }
    return true;
}

int32_t ReadWorldFile(std::FILE* file, const std::string& worldPath, ImageSlot& image,
                      const ZoneDialogRunner& runZoneDialog, PositionFileState& state) {
    double w[6];
    std::string line;
    for (double& value : w) {
        if (!ReadTextLine(file, line)) {
            state = PositionFileState::DamagedWorldFile;
            return 0;
        }
        if (line.size() > 255) line.resize(255);
        value = std::atof(line.c_str());
        // A value that is no number cannot place anything.
        if (!std::isfinite(value)) {
            state = PositionFileState::DamagedWorldFile;
            return 0;
        }
    }
    double corners[4][2];
    WorldCorners(w, image.width, image.height, corners);
    const double c = w[4], f = w[5];
    if (c >= -180 && c <= 180 && f >= -360 && f <= 360) {
        const int answer = ShowMessage(LatLongQuestion(worldPath, c, f), "", msg::kYesNo | msg::kIconQuestion);
        if (answer == msg::kIdYes) ConvertLatLongCorners(corners, runZoneDialog);
    }
    for (int k = 0; k < 4; ++k)
        if (!std::isfinite(corners[k][0]) || !std::isfinite(corners[k][1])) {
            state = PositionFileState::DamagedWorldFile;
            return 0;
        }
    std::copy(&corners[0][0], &corners[0][0] + 8, &image.corners[0][0]);
    image.positionKnown = 1;
    FinishPlacement(image);
    state = PositionFileState::Read;
    return 1;
}

bool WritePositionFile(const std::string& path, const double corners[4][2]) {
    TextFileWriter out(path);
    if (!out.IsOpen()) return false;
    out.WriteLine(kStars);
    out.WriteLine(Utf8ToCp932(kCornerTitle));
    out.WriteLine(kStars);
    for (int k = 0; k < 4; ++k) out.PrintLine("%15.3f%15.3f ", corners[k][1], corners[k][0]);
    return out.Close();
}

bool WriteWorldFile(const std::string& path, const double corners[4][2], int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return false;
    const double a = (corners[1][0] - corners[0][0]) / width, d = (corners[1][1] - corners[0][1]) / width;
    const double b = (corners[2][0] - corners[0][0]) / height, e = (corners[2][1] - corners[0][1]) / height;
    const double c = corners[0][0] + (a + b) / 2, f = corners[0][1] + (d + e) / 2;
    TextFileWriter out(path);
    if (!out.IsOpen()) return false;
    for (double v : {a, d, b, e, c, f}) out.PrintLine("%.6f", v);
    return out.Close();
}

}  // namespace

std::string WorldFilePathToRead(const std::string& imagePath) {
    const std::string ext = LowerExtension(imagePath), base = BasePath(imagePath);
    if (ext == "tif") return base + ".tfw";
    if (ext == "jpg") return base + ".jgw";
    if (ext == "bmp") {
        const std::string bpw = Existing(base + ".bpw");
        return bpw.empty() ? base + ".bmpw" : base + ".bpw";
    }
    return "";
}

std::string WorldFilePathToWrite(const std::string& imagePath) {
    const std::string base = BasePath(imagePath);
    const size_t dot = imagePath.find_last_of('.');
    const char first = dot != std::string::npos && dot + 1 < imagePath.size() ? imagePath[dot + 1] : '\0';
    if (first == 'J' || first == 'j') return base + ".JGW";
    if (first == 'T' || first == 't') return base + ".TFW";
    return base + ".BPW";
}

int32_t ReadImagePositionFiles(int32_t read, const ZoneDialogRunner& runZoneDialog, PositionFileState* state) {
    PositionFileState ignored;
    PositionFileState& found = state ? *state : ignored;
    found = PositionFileState::None;
    ImageSlot& image = g_bgImage;
    image.positionKnown = 0;
    if (!image.loaded) return 0;
    const std::string base = BasePath(g_bgImagePath);
    std::string path = Existing(base + ".MPI");
    const bool isPositionFile = !path.empty();
    if (!isPositionFile) {
        const std::string world = WorldFilePathToRead(g_bgImagePath);
        if (!world.empty()) path = Existing(world);
    }
    if (path.empty()) return 0;
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) return 0;
    if (read == 0) return 1;
    if (!isPositionFile) return ReadWorldFile(file.get(), path, image, runZoneDialog, found);
    ReadPositionFile(file.get(), image);
    if (image.positionKnown == 0) {
        found = PositionFileState::Damaged;
        SetupImageMapping(image);
        return 1;
    }
    found = PositionFileState::Read;
    FinishPlacement(image);
    return 1;
}

bool WriteImagePositionFiles() {
    const ImageSlot& image = g_bgImage;
    if (!image.loaded || g_bgImagePath.size() <= 4) return false;
    const std::string base = BasePath(g_bgImagePath);
    if (image.positionKnown == 0) {
        std::error_code ec;
        const std::string existing = Existing(base + ".MPI");
        if (!existing.empty()) fs::remove(existing, ec);
        return false;
    }
    const bool position = WritePositionFile(base + ".MPI", image.corners);
    const bool world = WriteWorldFile(WorldFilePathToWrite(g_bgImagePath), image.corners, image.width, image.height);
    return position && world;
}

bool WriteImagePositionFiles(const std::string& path, const PlacementCorners& corners, int32_t width,
                             int32_t height) {
    if (path.size() < 5) return false;
    double c[4][2];
    for (int k = 0; k < 4; ++k) {
        c[k][1] = corners.values[2 * k];
        c[k][0] = corners.values[2 * k + 1];
    }
    const std::string base = BasePath(path);
    const bool position = WritePositionFile(base + ".MPI", c);
    const bool world = WriteWorldFile(base + ".BPW", c, width, height);
    return position && world;
}

int32_t CheckImagePosition() {
    ImageSlot& image = g_bgImage;
    if (image.positionKnown == 0) return 0;
    double minE = image.corners[0][0], maxE = minE, minN = image.corners[0][1], maxN = minN;
    for (int k = 1; k < 4; ++k) {
        minE = std::min(minE, image.corners[k][0]);
        maxE = std::max(maxE, image.corners[k][0]);
        minN = std::min(minN, image.corners[k][1]);
        maxN = std::max(maxN, image.corners[k][1]);
    }
    const double south = g_extentCenterX - g_extentSize, north = g_extentCenterX + g_extentSize;
    const double west = g_extentCenterY - g_extentSize, east = g_extentCenterY + g_extentSize;
    const bool unrelated = maxN < south || minE > east || maxE < west || minN > north;
    if (!unrelated) return 0;
    const int answer =
        ShowMessage("この画像データの位置情報は現在のランダム点と無関係と思われます\n位置情報を無視します", "", msg::kYesNo);
    if (answer != msg::kIdNo) image.positionKnown = 0;
    return 1;
}
