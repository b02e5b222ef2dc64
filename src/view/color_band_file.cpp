#include "view/color_band_file.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "contour/contour_files.h"
#include "contour/slice_store.h"
#include "image/image_slot.h"
#include "model/file_report.h"
#include "model/rnd_file.h"
#include "model/terrain_data.h"
#include "platform/encoding.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "view/color_band_params.h"
#include "view/display_flags.h"
#include "view/palette.h"
#include "view/raster_primitives.h"
#include "view/view_state.h"

namespace fs = std::filesystem;

const int32_t kColorBandPaletteIndex[40] = {20, 21, 25, 22, 40, 10, 30, 31,  50, 51, 52, 53, 54, 55,
                                            42, 46, 58, 43, 44, 45, 80, 240, 60, 61, 62, 63, 64, 65,
                                            66, 67, 68, 69, 70, 71, 72, 73,  74, 75, 47, 48};

namespace {
constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kRadiansPerDegree = 0.017453292519943295;
constexpr const char* kOutOfRangeText =
    "範囲外の値があるため読み込まなかった行があります。\n%s\n行: %s";

unsigned Hex(int32_t color) { return static_cast<unsigned>(color); }

// The palette entry as the file stores it: blue in the high byte, red in the low one.
unsigned PaletteWord(const RgbQuad& c) {
    return (static_cast<unsigned>(c.blue) << 16) | (static_cast<unsigned>(c.green) << 8) | c.red;
}

// ---- reading ----

std::string_view SkipBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    return text;
}

// The leading integer of the text, as the key number.
std::optional<int32_t> LeadingInteger(std::string_view text) {
    text = SkipBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end == text.data()) return std::nullopt;
    return value;
}

// The leading decimal number of the text; none when the text does not start with one.
// A number beyond the doubles comes back infinite, for the range checks to refuse.
std::optional<double> LeadingNumber(std::string_view text) {
    text = SkipBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (end == text.data()) return std::nullopt;
    if (ec == std::errc::result_out_of_range) return HUGE_VAL;
    if (ec != std::errc()) return std::nullopt;
    return value;
}

// What reading a line's value came to.
enum class Value { kStored, kSkipped, kRefused };

// The sane range of a value; a value outside it is refused, so that it cannot reach the
// drawing.
struct Range {
    double low, high;
    bool (*fits)(double) = nullptr;  // instead of the bounds
    bool Holds(double v) const {
        if (!std::isfinite(v)) return false;
        if (fits) return fits(v);
        return v >= low && v <= high;
    }
};
constexpr double kInt32Low = -2147483648.0, kInt32High = 2147483647.0;
constexpr Range kAnyInteger{kInt32Low, kInt32High};
// Elevations and coordinates as the document's RND columns hold them.
constexpr Range kElevation{0, 0, FitsRndHeightColumn};
constexpr Range kCoordinate{0, 0, FitsRndPlanColumn};
// The bounds hold what their writer's format prints back within them.
constexpr Range kAzimuth{-360, 360};
constexpr Range kElevationAngle{-90, 90};
constexpr Range kInclination{-89.9995, 89.9995};  // a vertical plane has no tangent
constexpr Range kCameraAngle{-1e6, 1e6};
constexpr Range kViewScale{0.00001, 1e6};  // smaller scales are written as 0

// An integer field takes the number truncated toward zero.
Value StoreInteger(std::optional<double> value, const Range& range, int32_t& field) {
    if (!value) return Value::kSkipped;
    const double t = std::trunc(*value);
    if (!kAnyInteger.Holds(t) || !range.Holds(t)) return Value::kRefused;
    field = static_cast<int32_t>(t);
    return Value::kStored;
}

Value StoreNumber(std::optional<double> value, const Range& range, double& field) {
    if (!value) return Value::kSkipped;
    if (!range.Holds(*value)) return Value::kRefused;
    field = *value;
    return Value::kStored;
}

// Six hexadecimal digits, most significant first, in either case; another character in
// their place counts as 0. A value cut short is damaged.
std::optional<int32_t> SixHexDigits(std::string_view text) {
    if (text.size() < 6) return std::nullopt;
    int32_t value = 0;
    for (size_t i = 0; i < 6; ++i) {
        const char c = text[i];
        int32_t digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        value = value * 16 + digit;
    }
    return value;
}

// The d-lines' fields: an integer or a number of g_colorBandParams, with its range.
struct BandField {
    int32_t key;
    int32_t ColorBandParams::*integer;
    double ColorBandParams::*number;
    Range range;
};
constexpr BandField kBandFields[] = {
    {1, &ColorBandParams::mode, nullptr, {0, 3}},
    {2, &ColorBandParams::textColourChange, nullptr, kAnyInteger},
    {3, &ColorBandParams::shading, nullptr, kAnyInteger},
    {4, &ColorBandParams::waterShown, nullptr, kAnyInteger},
    {5, &ColorBandParams::waterTransparent, nullptr, kAnyInteger},
    {6, nullptr, &ColorBandParams::centre, kElevation},
    {7, nullptr, &ColorBandParams::highest, kElevation},
    {8, nullptr, &ColorBandParams::lowest, kElevation},
    {9, nullptr, &ColorBandParams::step, kElevation},
    {10, nullptr, &ColorBandParams::waterLevel, kElevation},
    {11, nullptr, &ColorBandParams::lightAzimuth, kAzimuth},
    {12, nullptr, &ColorBandParams::lightElevation, kElevationAngle},
    {13, &ColorBandParams::twoColourSlope, nullptr, kAnyInteger},
    {14, &ColorBandParams::planOnly, nullptr, kAnyInteger},
    {15, &ColorBandParams::useVertexColours, nullptr, kAnyInteger},
    {21, &ColorBandParams::refInclined, nullptr, kAnyInteger},
    {22, nullptr, &ColorBandParams::refX, kCoordinate},
    {23, nullptr, &ColorBandParams::refY, kCoordinate},
    {24, nullptr, &ColorBandParams::refH, kElevation},
    {25, nullptr, &ColorBandParams::refDirection, kAzimuth},
    {26, nullptr, &ColorBandParams::refInclination, kInclination},
};

Value ReadBandLine(int32_t key, std::string_view text) {
    for (const BandField& f : kBandFields) {
        if (f.key != key) continue;
        const std::optional<double> value = LeadingNumber(text);
        if (f.number) return StoreNumber(value, f.range, g_colorBandParams.*f.number);
        return StoreInteger(value, f.range, g_colorBandParams.*f.integer);
    }
    return Value::kSkipped;
}

void ReadColourLine(int32_t key, std::string_view text) {
    ColorBandParams& p = g_colorBandParams;
    int32_t* target = nullptr;
    if (key >= 101 && key <= 120)
        target = &p.stripeColours[key - 101];
    else if (key == 121)
        target = &p.waterColour;
    else if (key >= 201 && key <= 204)
        target = &p.gradientColours[key - 201];
    else if (key >= 301 && key <= 308)
        target = &p.birdsEyeColours[key - 301];
    else if (key >= 401 && key <= 412)
        target = &p.slopeColours[key - 401];
    if (!target) return;
    if (const std::optional<int32_t> v = SixHexDigits(text)) *target = *v;
}

// The v-lines' display switches (v006 .. v015) with their found-mask bits and ranges.
struct ViewSwitch {
    int32_t* flag;
    int32_t bit;
    Range range;
};
const ViewSwitch kViewSwitches[] = {
    {&g_birdsEyeOn, 32, kAnyInteger},
    {&g_showTin, 64, kAnyInteger},
    {&g_showPoints, 128, kAnyInteger},
    {&g_penSize, 256, {0, 3}},
    {&g_pointColorMode, 512, kAnyInteger},
    {&g_showBackgroundImage, 1024, kAnyInteger},
    {&g_colorBandOn, 1024, kAnyInteger},
    {&g_showDrawingContours, 2048, kAnyInteger},
    {&g_showSliceContours, 4096, kAnyInteger},
    {&g_showBackgroundDxf, 8192, kAnyInteger},
};

// The v-lines' numbers (v001 .. v005): the view's centre, scale and camera angles, the
// angles in degrees in the file.
struct ViewNumber {
    double* field;
    int32_t bit;
    Range range;
    double factor;
};
const ViewNumber kViewNumbers[] = {
    {&g_viewCenterX, 1, kCoordinate, 1.0},
    {&g_viewCenterY, 2, kCoordinate, 1.0},
    {&g_viewScale, 4, kViewScale, 1.0},
    {&g_birdsEyeAzimuth, 8, kCameraAngle, kRadiansPerDegree},
    {&g_birdsEyeTilt, 16, kCameraAngle, kRadiansPerDegree},
};

// Adds the found-mask bit of the line to `found` when a value was stored.
Value ReadViewLine(int32_t key, std::string_view text, int32_t& found) {
    const std::optional<double> value = LeadingNumber(text);
    Value result = Value::kSkipped;
    int32_t bit = 0;
    if (key >= 1 && key <= 5) {
        const ViewNumber& v = kViewNumbers[key - 1];
        double degrees = 0;
        result = StoreNumber(value, v.range, degrees);
        if (result == Value::kStored) *v.field = degrees * v.factor;
        bit = v.bit;
    } else if (key >= 6 && key <= 15) {
        const ViewSwitch& s = kViewSwitches[key - 6];
        result = StoreInteger(value, s.range, *s.flag);
        bit = s.bit;
    }
    if (result == Value::kStored) found |= bit;
    return result;
}

bool ReadPaletteLine(int32_t key, std::string_view text) {
    if (key < 1 || key > 40 || !g_drawBitmapInfo) return false;
    const int32_t index = kColorBandPaletteIndex[key - 1];
    if (index < 1 || index > 254) return false;
    const std::optional<int32_t> v = SixHexDigits(text);
    if (!v) return false;
    RgbQuad& entry = g_drawBitmapInfo->colors[index];
    entry.blue = static_cast<uint8_t>((*v >> 16) & 0xFF);
    entry.green = static_cast<uint8_t>((*v >> 8) & 0xFF);
    entry.red = static_cast<uint8_t>(*v & 0xFF);
    entry.reserved = 0;
    return true;
}

// One line of the file; kRefused when it held a value out of its range.
Value ReadLine(std::string_view line, int32_t what, int32_t& found) {
    if (line.size() <= 4 || line.front() == ';') return Value::kSkipped;
    // The first comma not followed by another one, after the key letter.
    size_t comma = std::string_view::npos;
    for (size_t i = 1; i < line.size(); ++i) {
        if (line[i] == ',' && (i + 1 == line.size() || line[i + 1] != ',')) {
            comma = i;
            break;
        }
    }
    if (comma == std::string_view::npos || comma == 1) return Value::kSkipped;
    const std::optional<int32_t> key = LeadingInteger(line.substr(1, comma - 1));
    if (!key) return Value::kSkipped;
    const std::string_view value = line.substr(comma + 1);
    Value result = Value::kSkipped;
    switch (line.front()) {
        case 'd':
            result = ReadBandLine(*key, value);
            break;
        case 'c':
            ReadColourLine(*key, value);
            break;
        case 'v':
            if ((what & kColorBandReadView) == 0) break;
            result = ReadViewLine(*key, value, found);
            // The image display cannot stay on without an image to show.
            if (g_bgImage.loaded == 0) g_showBackgroundImage = 0;
            break;
        case 'p':
            if ((what & kColorBandReadPalette) == 0) break;
            if (ReadPaletteLine(*key, value)) found |= kColorBandFoundPalette;
            break;
        default:
            break;
    }
    return result;
}
}  // namespace

int32_t WriteColorBandFile(const fs::path& path) {
    TextFileWriter out;
    if (!out.Open(path)) return 0;
    const ColorBandParams& p = g_colorBandParams;

    out.WriteLine(Utf8ToCp932(";段彩パラメータ"));
    out.WriteLine("ver1.2");
    out.PrintLine("d001,%2d", p.mode);
    out.PrintLine("d002,%2d", p.textColourChange);
    out.PrintLine("d003,%2d", p.shading);
    out.PrintLine("d004,%2d", p.waterShown);
    out.PrintLine("d005,%2d", p.waterTransparent);
    out.PrintLine("d006,%10.3f", p.centre);
    out.PrintLine("d007,%10.3f", p.highest);
    out.PrintLine("d008,%10.3f", p.lowest);
    out.PrintLine("d009,%10.3f", p.step);
    out.PrintLine("d010,%10.3f", p.waterLevel);
    out.PrintLine("d011,%7.3f", p.lightAzimuth);
    out.PrintLine("d012,%7.3f", p.lightElevation);
    out.PrintLine("d013,%2d", p.twoColourSlope);
    out.PrintLine("d014,%2d", p.planOnly);
    out.PrintLine("d015,%2d", p.useVertexColours != 0 ? 1 : 0);
    out.PrintLine("d021,%2d", p.refInclined);
    out.PrintLine("d022,%12.5f", p.refX);
    out.PrintLine("d023,%12.5f", p.refY);
    out.PrintLine("d024,%8.4f", p.refH);
    out.PrintLine("d025,%7.3f", p.refDirection);
    out.PrintLine("d026,%7.3f", p.refInclination);

    out.WriteLine(Utf8ToCp932(";縞段彩配色"));
    for (int32_t k = 0; k < 20; ++k) out.PrintLine("c%03d,%06X", 101 + k, Hex(p.stripeColours[k]));
    out.PrintLine("c121,%06X", Hex(p.waterColour));
    out.PrintLine("c122,%06X", Hex(p.spareColour));
    out.WriteLine(Utf8ToCp932(";グラデーション配色"));
    for (int32_t k = 0; k < 4; ++k) out.PrintLine("c%03d,%06X", 201 + k, Hex(p.gradientColours[k]));
    out.WriteLine(Utf8ToCp932(";鳥瞰図配色"));
    // The four surface colours and the extension colour the bird's-eye dialog edits.
    for (int32_t k = 0; k < 5; ++k) out.PrintLine("c%03d,%06X", 301 + k, Hex(p.birdsEyeColours[k]));
    out.WriteLine(Utf8ToCp932(";傾斜段彩配色"));
    for (int32_t k = 0; k < 12; ++k) out.PrintLine("c%03d,%06X", 401 + k, Hex(p.slopeColours[k]));

    out.WriteLine(";ViewParametars");
    out.PrintLine("v001,%14.4f", g_viewCenterX);
    out.PrintLine("v002,%14.4f", g_viewCenterY);
    out.PrintLine("v003,%12.5f", g_viewScale);
    out.PrintLine("v004,%10.6f", g_birdsEyeAzimuth * kDegreesPerRadian);
    out.PrintLine("v005,%10.6f", g_birdsEyeTilt * kDegreesPerRadian);
    out.PrintLine("v006,%2d", g_birdsEyeOn);
    out.PrintLine("v007,%2d", g_showTin);
    out.PrintLine("v008,%2d", g_showPoints);
    out.PrintLine("v009,%2d", g_penSize);
    out.PrintLine("v010,%2d", g_pointColorMode);
    out.PrintLine("v011,%2d", g_showBackgroundImage);
    out.PrintLine("v012,%2d", g_colorBandOn);
    out.PrintLine("v013,%2d", g_showDrawingContours);
    out.PrintLine("v014,%2d", g_showSliceContours);
    out.PrintLine("v015,%2d", g_showBackgroundDxf);

    out.WriteLine(";PaletteData");
    // Before the palette is made its defaults stand for it.
    DrawBitmapInfo defaults{};
    if (!g_drawBitmapInfo) {
        LoadStaticColors(defaults);
        InitPaletteDefaults(defaults);
    }
    const DrawBitmapInfo& palette = g_drawBitmapInfo ? *g_drawBitmapInfo : defaults;
    for (int32_t k = 0; k < 40; ++k)
        out.PrintLine("p%03d,%06X", k + 1, PaletteWord(palette.colors[kColorBandPaletteIndex[k]]));

    if (!out.Close()) {
        RemovePartialFile(path);
        return 0;
    }
    return 1;
}

int32_t ReadColorBandFile(const fs::path& path, int32_t what, int32_t* found) {
    int32_t mask = 0;
    if (found) *found = 0;
    std::error_code ec;
    if (fs::is_directory(path, ec)) return 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return 0;
    std::string line;
    std::string refused;  // the numbers of the lines whose value was out of range
    int32_t lineNumber = 0, refusedCount = 0;
    while (ReadTextLine(file, line)) {
        ++lineNumber;
        if (ReadLine(line, what, mask) != Value::kRefused) continue;
        if (++refusedCount <= 10) refused += (refused.empty() ? "" : ", ") + std::to_string(lineNumber);
    }
    std::fclose(file);
    if (found) *found = mask;
    if (refusedCount > 10) refused += FormatString(" ほか %d 行", refusedCount - 10);
    if (refusedCount > 0)
        ShowMessage(FormatString(kOutOfRangeText, path.c_str(), refused.c_str()), "",
                    msg::kOk | msg::kIconWarning);
    return 1;
}

void OnDisplayParameterSave() {
    FileDialogRequest request;
    request.save = true;
    request.title = "段彩設定ファイルの選択";
    request.filter = "段彩設定ファイル(*.CDF) |*.CDF|すべてのファイル|*.*||";
    request.defaultExtension = "CDF";
    request.folder = g_dataFolder;
    request.fileName = g_documentTitle + ".CDF";
    const std::string chosen = RunFileDialog(request);
    if (chosen.empty()) return;
    if (WriteColorBandFile(chosen) == 0) ReportWriteFailed(chosen);
}
