#include "view/text_flag_file.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/encoding.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "view/palette.h"
#include "view/text_flags.h"

namespace {
constexpr int kFirstFlagColorEntry = 76;
constexpr const char* kFlagLimitReached = "点数が制限に達しました";

std::vector<std::string_view> Split(std::string_view line, char separator) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        const size_t end = line.find(separator, start);
        fields.push_back(line.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) return fields;
        start = end + 1;
    }
}

int32_t FieldInt(const std::vector<std::string_view>& fields, size_t i) {
    if (i >= fields.size()) return 0;
    const std::string s(fields[i]);
    const long long v = std::strtoll(s.c_str(), nullptr, 10);
    return static_cast<int32_t>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
}

double FieldDouble(const std::vector<std::string_view>& fields, size_t i) {
    if (i >= fields.size()) return 0.0;
    const std::string s(fields[i]);
    const double v = std::atof(s.c_str());
    return std::isfinite(v) ? v : 0.0;  // a flag at infinity could never be drawn or picked
}

// Texts longer than the record are cut where no double-byte character is split.
void CopyField(char* out, size_t size, std::string_view text) {
    const size_t n = Cp932PrefixLength(text, size - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

int32_t ColorRef(const RgbQuad& c) { return c.blue << 16 | c.green << 8 | c.red; }

void SetFirstLine(std::string_view line) {
    const std::vector<std::string_view> colours = Split(line, ',');
    if (g_drawBitmapInfo) {
        for (size_t i = 0; i < 4 && i < colours.size(); ++i) {
            const int32_t v = FieldInt(colours, i);
            RgbQuad& c = g_drawBitmapInfo->colors[kFirstFlagColorEntry + i];
            c.red = v & 255;
            c.green = (v >> 8) & 255;
            c.blue = (v >> 16) & 255;
        }
    }
    const std::vector<std::string_view> sizes = Split(line, '*');
    for (size_t i = 1; i <= 3 && i < sizes.size(); ++i)
        g_textFlagSizes[i - 1] = std::clamp(FieldInt(sizes, i), kTextFlagSizeMin, kTextFlagSizeMax);
}

void SetFlag(TextFlag& f, std::string_view line) {
    const std::vector<std::string_view> fields = Split(line, ',');
    f = TextFlag{};
    f.x = FieldDouble(fields, 0);
    f.y = FieldDouble(fields, 1);
    f.z = FieldDouble(fields, 2);
    f.lineLength = fields.size() > 3 ? TextFlagLineLengthFromText(std::string(fields[3]).c_str()) : 0;
    f.sizeClass = FieldInt(fields, 4);
    f.colour = FieldInt(fields, 5);
    if (fields.size() > 6) CopyField(f.text, sizeof f.text, fields[6]);
    if (fields.size() > 7) CopyField(f.link, sizeof f.link, fields[7]);
}

bool Blank(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}
}  // namespace

bool TextFlagFieldStorable(const char* text) { return std::strchr(text, ',') == nullptr; }

bool ReadTextFlagFile(const std::filesystem::path& path, int32_t append) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        ShowMessage("ファイルが開けません。\n" + path.string(), "", msg::kOk | msg::kIconError);
        return false;
    }
    TextLineReader reader(file);
    std::string_view line;
    if (!reader.Next(line) || line.empty() || line[0] == '\0') {
        std::fclose(file);
        ShowMessage("テキストフラグファイルではありません。\n" + path.string(), "",
                    msg::kOk | msg::kIconError);
        return false;
    }
    if (append == 0) g_textFlagCount = 0;
    g_textFlagCount = std::clamp(g_textFlagCount, 0, kMaxTextFlags);
    SetFirstLine(line);
    while (reader.Next(line)) {
        if (!line.empty() && line[0] == '\0') break;
        if (Blank(line)) continue;
        if (g_textFlagCount >= kMaxTextFlags) {
            ShowMessage(kFlagLimitReached, "", msg::kOk | msg::kIconWarning);
            break;
        }
        SetFlag(g_textFlags[g_textFlagCount + 1], line);
        ++g_textFlagCount;
    }
    const bool error = reader.Error();
    std::fclose(file);
    if (error)
        ShowMessage("ファイルを最後まで読めませんでした。\n" + path.string(), "",
                    msg::kOk | msg::kIconWarning);
    g_showTextFlags = 1;
    return true;
}

bool WriteTextFlagFile(const std::filesystem::path& path) {
    TextFileWriter out(path);
    if (out.IsOpen()) {
        int32_t colours[4] = {0, 0, 0, 0};
        if (g_drawBitmapInfo)
            for (int i = 0; i < 4; ++i)
                colours[i] = ColorRef(g_drawBitmapInfo->colors[kFirstFlagColorEntry + i]);
        out.PrintLine("%d,%d,%d,%d *%d *%d *%d", colours[0], colours[1], colours[2], colours[3],
                      g_textFlagSizes[0], g_textFlagSizes[1], g_textFlagSizes[2]);
        const int32_t count = std::clamp(g_textFlagCount, 0, kMaxTextFlags);
        for (int32_t i = 1; i <= count; ++i) {
            const TextFlag& f = g_textFlags[i];
            out.PrintLine("%.3f,%.3f,%.3f,%d,%d,%d,%.*s,%.*s", f.x, f.y, f.z, f.lineLength,
                          f.sizeClass, f.colour, static_cast<int>(sizeof f.text), f.text,
                          static_cast<int>(sizeof f.link), f.link);
        }
    }
    if (out.Close()) return true;
    ShowMessage("テキストフラグファイルを保存できません。\n" + path.string(), "",
                msg::kOk | msg::kIconError);
    return false;
}
