#include "exchange/sima_route.h"

#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "model/file_report.h"
#include "model/terrain_data.h"
#include "platform/encoding.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "route/route_data.h"
#include "section/section_records.h"
#include "view/display_flags.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

class SimaText {
public:
    void Line(const char* format, ...) __attribute__((format(printf, 2, 3))) {
        va_list args;
        va_start(args, format);
        m_text += FormatStringV(format, args);
        va_end(args);
        m_text += "\r\n";
    }
    // A program text written into the file.
    void Label(const char* utf8) { m_text += Utf8ToCp932(utf8) + "\r\n"; }
    std::string& Text() { return m_text; }

private:
    std::string m_text;
};

double SignedRadius(const IpPoint& ip) { return ip.turnSide == 1 ? -ip.radius : ip.radius; }

// The first IP whose main point (chosen by `field`) lies within 1.0 of the station.
int32_t MatchIp(const StationRecord& st, double IpPoint::*field, bool needA2 = false) {
    for (int32_t i = 1; i <= g_ipPointCount; ++i) {
        const IpPoint& ip = g_ipPoints[i];
        if (needA2 && !(ip.a2 > 0.001)) continue;
        if (std::fabs(ip.*field - st.addedDistance) < 1.0) return i;
    }
    return 0;
}

// The curve record of a station: the matched IP (0 none) and whether the centre line
// closes an element first.
struct CurveRecord {
    int32_t ip = 0;
    bool closes = false;
    std::string record;
};

CurveRecord CurveFor(const StationRecord& st) {
    CurveRecord c;
    const int32_t k = st.kind;
    if (k == 3 || k == 13 || k == 14 || k == 15) {
        c.closes = (k == 14 || k == 15);
        c.ip = MatchIp(st, &IpPoint::ka1Distance);
        if (c.ip) {
            const IpPoint& ip = g_ipPoints[c.ip];
            c.record = FormatString("C02, %.3f, %.3f, %.3f,", ip.a1, 0.0, SignedRadius(ip));
        }
    } else if (k == 5 || k == 17 || k == 18) {
        c.ip = MatchIp(st, &IpPoint::ke1Distance);
        c.closes = (k == 17 || k == 18) || (k == 5 && c.ip && g_ipPoints[c.ip].a1 > 0.001);
        if (c.ip) {
            const IpPoint& ip = g_ipPoints[c.ip];
            const int flag = kPi * ip.radius <= ip.arcLength ? 1 : 0;
            c.record = FormatString("C01, %d, %.3f,", flag, SignedRadius(ip));
        }
    } else if (k == 8 || k == 20 || k == 21) {
        c.closes = true;
        c.ip = MatchIp(st, &IpPoint::ke2Distance, true);
        if (c.ip) {
            const IpPoint& ip = g_ipPoints[c.ip];
            c.record = FormatString("C02, %.3f, %.3f, %.3f,", ip.a2, SignedRadius(ip), 0.0);
        }
    } else if (k == 10 || k == 19) {
        c.closes = true;
    }
    return c;
}

bool IsMainPoint(int32_t kind) {
    for (int32_t k : {2, 4, 6, 9, 22, 40})
        if (kind == k) return false;
    return true;
}

bool WriteChecked(const std::filesystem::path& path, const std::string& text) {
    if (WriteFileBytes(path, text)) return true;
    RemovePartialFile(path);  // no half-written file left behind
    return false;
}

}  // namespace

std::string RouteSimaText() {
    const int32_t nIp = g_ipPointCount;
    const int32_t nSt = g_stations ? g_stationCount : 0;
    if (nIp <= 0 && nSt <= 0) return {};
    const std::string haL = Utf8ToCp932("ﾊﾊﾞL"), haR = Utf8ToCp932("ﾊﾊﾞR");
    SimaText out;
    out.Line("G00,02,-,");
    out.Label("Z00,/ 座標 /,");
    out.Line("A00,");
    long number = 0;
    auto ipIsEnd = [&](int32_t i) { return i == 1 || i == nIp; };
    for (int32_t i = 1; i <= nIp; ++i) {
        const IpPoint& ip = g_ipPoints[i];
        if (ipIsEnd(i))
            out.Line("A01,%ld,%s,%.3lf,%.3lf,%.3lf,", ++number, ip.name, ip.x, ip.y, 0.0);
        else
            out.Line("A01,%ld,%s%d,%.3lf,%.3lf,%.3lf,", ++number, ip.name, ip.number, ip.x, ip.y, 0.0);
    }
    // Numbers: IPs 1..nIp, centres nIp+j, left stakes nIp+nSt+j, right nIp+2nSt+j.
    for (int32_t j = 1; j <= nSt; ++j) {
        const StationRecord& st = g_stations[j];
        out.Line("A01,%ld,%s,%.3lf,%.3lf,%.3lf,", ++number, st.name, st.x, st.y, 0.0);
    }
    for (int32_t j = 1; j <= nSt; ++j)
        out.Line("A01,%ld,%s%d,%.3lf,%.3lf,%.3lf,", ++number, haL.c_str(), j, g_stations[j].leftX,
                 g_stations[j].leftY, 0.0);
    for (int32_t j = 1; j <= nSt; ++j)
        out.Line("A01,%ld,%s%d,%.3lf,%.3lf,%.3lf,", ++number, haR.c_str(), j, g_stations[j].rightX,
                 g_stations[j].rightY, 0.0);
    out.Line("A99,");
    auto ipMember = [&](const char* prefix, int32_t i) {
        const IpPoint& ip = g_ipPoints[i];
        if (ipIsEnd(i))
            out.Line("%s %d,%s,", prefix, i, ip.name);
        else
            out.Line("%s %d,%s%d,", prefix, i, ip.name, ip.number);
    };
    if (nIp > 0) {
        out.Label("Z00,/ ＩＰ線 /,");
        out.Line("F00, %d, %d, IP-POINT,%d,", 1, 1, 1);
        for (int32_t i = 1; i <= nIp; ++i) ipMember("B01,", i);
        out.Line("F99,");
    }
    if (nSt > 0) {
        out.Label("Z00,/ 主要線 /,");
        out.Line("F00, %d, %d, MAIN,%d,", 2, 1, 2);
        for (int32_t j = 1; j <= nSt; ++j) {
            const StationRecord& st = g_stations[j];
            if (!IsMainPoint(st.kind)) continue;
            out.Line("B01, %d,%s,", nIp + j, st.name);
            const CurveRecord c = CurveFor(st);
            if (c.ip) {
                out.Line("%s", c.record.c_str());
                const IpPoint& ip = g_ipPoints[c.ip];
                out.Line("C04, %d,%s%d,", c.ip, ip.name, ip.number);
            }
        }
        out.Line("F99,");
        out.Label("Z00,/ 中心線 /,");
        out.Line("F00, %d, %d, CENTER,%d,", 3, 1, 3);
        for (int32_t j = 1; j <= nSt; ++j) {
            const StationRecord& st = g_stations[j];
            const CurveRecord c = CurveFor(st);
            if (c.closes) out.Line("C99,");
            out.Line("B01, %d,%s,", nIp + j, st.name);
            out.Line("B03, %.3f,", st.addedDistance);
            if (c.ip) {
                out.Line("%s", c.record.c_str());
                out.Line("C00,");
            }
        }
        out.Line("F99,");
        out.Label("Z00,/ 幅杭線 左/,");
        out.Text() += FormatString(Utf8ToCp932("F00, %d, %d, ﾊﾊﾞﾋﾀﾞﾘ,%d,").c_str(), 4, 1, 4) + "\r\n";
        for (int32_t j = 1; j <= nSt; ++j) out.Line("B01, %d,%s%d,", nIp + nSt + j, haL.c_str(), j);
        out.Line("F99,");
        out.Label("Z00,/ 幅杭線 右/,");
        out.Text() += FormatString(Utf8ToCp932("F00, %d, %d, ﾊﾊﾞﾐｷﾞ,%d,").c_str(), 5, 1, 5) + "\r\n";
        for (int32_t j = 1; j <= nSt; ++j)
            out.Line("B01, %d,%s%d,", nIp + 2 * nSt + j, haR.c_str(), j);
        out.Line("F99,");
    }
    return std::move(out.Text());
}

int32_t WriteRouteSima(const std::filesystem::path& path) {
    const std::string text = RouteSimaText();
    if (text.empty()) return kRouteSimaNothing;
    return WriteChecked(path, text) ? 0 : kRouteSimaWriteFailed;
}

// ---- reading ----

namespace {

// The line's comma fields with the empty ones skipped.
std::vector<std::string> Fields(std::string_view line) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= line.size()) {
        size_t comma = line.find(',', start);
        if (comma == std::string_view::npos) comma = line.size();
        std::string_view f = line.substr(start, comma - start);
        while (!f.empty() && (f.front() == ' ' || f.front() == '\t')) f.remove_prefix(1);
        while (!f.empty() && (f.back() == ' ' || f.back() == '\t')) f.remove_suffix(1);
        if (!f.empty()) out.emplace_back(f);
        start = comma + 1;
    }
    return out;
}

// Blanks, double quotes and line feeds removed, cut to `limit` bytes whole characters.
std::string CleanName(const std::string& raw, size_t limit) {
    std::string s;
    for (char c : raw)
        if (c != ' ' && c != '"' && c != '\n' && c != '\r' && c != '\t') s += c;
    return s.substr(0, Cp932PrefixLength(s, limit));
}

double Num(const std::vector<std::string>& f, size_t i) {
    return i < f.size() ? std::strtod(f[i].c_str(), nullptr) : 0.0;
}
long Int(const std::vector<std::string>& f, size_t i) {
    return i < f.size() ? std::strtol(f[i].c_str(), nullptr, 10) : 0;
}

bool Has(std::string_view line, const char* code) {
    return line.substr(0, 5).find(code) != std::string_view::npos;
}

struct LocalPoint {
    long number;
    std::string name;
    double x, y, z;
};

// A curve value read but not yet given to an IP.
struct Pending {
    bool set = false;
    double value = 0;
    void operator=(double v) { set = true, value = v; }
    void reset() { set = false, value = 0; }
    double Magnitude() const { return std::fabs(value); }
};

void CopyName(char* dst, size_t size, const std::string& s) {
    std::memset(dst, 0, size);
    std::memcpy(dst, s.data(), std::min(s.size(), size - 1));
}

}  // namespace

int32_t ReadRouteSima(const std::filesystem::path& path) {
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) return kRouteSimaOpenFailed;
    std::vector<std::string_view> lines;
    for (size_t pos = 0; pos < bytes.size();) {
        size_t lf = bytes.find('\n', pos);
        if (lf == std::string::npos) lf = bytes.size();
        std::string_view l(bytes.data() + pos, lf - pos);
        if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
        lines.push_back(l);
        pos = lf + 1;
    }

    // Counting pass: the centre-line members set the station capacity.
    int32_t centreCount = 0, blockKind = 0;
    for (std::string_view l : lines) {
        if (Has(l, "F00")) {
            const auto f = Fields(l);
            blockKind = f.size() > 1 ? static_cast<int32_t>(Int(f, f.size() - 1)) : 0;
        } else if (Has(l, "F99")) {
            blockKind = 0;
        } else if (Has(l, "B01") && blockKind == 3) {
            ++centreCount;
        }
    }
    const int32_t capacity = centreCount > 0 ? 2 * centreCount : 100;

    // Point pass.
    std::vector<LocalPoint> points(1);  // 1-based
    long lastNumber = 0;
    for (std::string_view l : lines) {
        if (!Has(l, "A01")) continue;
        const auto f = Fields(l);
        LocalPoint p{Int(f, 1), {}, 0, 0, 0};
        const size_t dbl = l.find(",,");
        if (l.find(",,,") != std::string_view::npos) {
            p = {lastNumber, {}, 0, 0, 0};
        } else if (dbl != std::string_view::npos && dbl + 2 == l.size()) {
            p.name = CleanName(f.size() > 2 ? f[2] : "", 9);
            p.x = Num(f, 3);
            p.y = Num(f, 4);
        } else if (dbl != std::string_view::npos) {
            p.x = Num(f, 2);
            p.y = Num(f, 3);
            p.z = Num(f, 4);
        } else {
            p.name = CleanName(f.size() > 2 ? f[2] : "", 9);
            p.x = Num(f, 3);
            p.y = Num(f, 4);
            p.z = Num(f, 5);
        }
        lastNumber = p.number;
        points.push_back(std::move(p));
    }
    const int32_t localCount = static_cast<int32_t>(points.size()) - 1;
    auto findPoint = [&](long number) -> int32_t {
        for (int32_t i = 1; i <= localCount; ++i)
            if (points[i].number == number) return i;
        return (number >= 1 && number <= localCount) ? static_cast<int32_t>(number) : 0;
    };

    // Block pass into local tables.
    std::vector<IpPoint> ips(1);
    std::vector<StationRecord> stations(1);
    int32_t leftNext = 0, rightNext = 0;
    double added = 0, bpAdded = g_bpAddedDistance;
    Pending pendR, pendA1, pendA2;
    bool seenC04 = false;
    int32_t c99Ip = 1;
    blockKind = 0;
    for (std::string_view l : lines) {
        const auto f = Fields(l);
        const bool curveBlock = blockKind == 2 || blockKind == 3;
        if (Has(l, "F00")) {
            blockKind = f.size() > 1 ? static_cast<int32_t>(Int(f, f.size() - 1)) : 0;
            if (blockKind < 1 || blockKind > 5) blockKind = 0;
        } else if (Has(l, "F99")) {
            blockKind = 0;
        } else if (Has(l, "F03")) {
            if (f.size() > 1) bpAdded = Num(f, 1);
        } else if (Has(l, "B01")) {
            if (f.size() < 2) continue;
            const int32_t k = findPoint(Int(f, 1));
            if (k == 0) continue;
            const LocalPoint& p = points[k];
            const std::string name = f.size() > 2 ? CleanName(f[2], 9) : std::string();
            if (blockKind == 1) {
                if (static_cast<int32_t>(ips.size()) - 1 >= kMaxIpPoints - 1) continue;
                IpPoint ip{};
                ip.number = static_cast<int32_t>(ips.size()) - 1;
                // Inner IPs are written as name + number: take the number off again, so
                // that "IP1" does not come back as "IP11" on the next write.
                std::string base = name;
                const std::string suffix = std::to_string(ip.number);
                if (ip.number > 0 && base.size() > suffix.size() &&
                    base.compare(base.size() - suffix.size(), suffix.size(), suffix) == 0)
                    base.resize(base.size() - suffix.size());
                CopyName(ip.name, sizeof ip.name, base.substr(0, Cp932PrefixLength(base, 5)));
                ip.x = p.x;
                ip.y = p.y;
                ip.simaPointNo = static_cast<int32_t>(Int(f, 1));
                ips.push_back(ip);
            } else if (blockKind == 3) {
                if (static_cast<int32_t>(stations.size()) - 1 >= capacity - 1) continue;
                StationRecord st{};
                st.kind = 2;
                CopyName(st.name, sizeof st.name, name.substr(0, Cp932PrefixLength(name, 15)));
                st.addedDistance = added;
                st.x = st.leftX = st.rightX = p.x;
                st.y = st.leftY = st.rightY = p.y;
                stations.push_back(st);
            } else if (blockKind == 4 || blockKind == 5) {
                int32_t& next = blockKind == 4 ? leftNext : rightNext;
                if (next >= capacity - 1 || next + 1 >= static_cast<int32_t>(stations.size())) continue;
                StationRecord& st = stations[++next];
                (blockKind == 4 ? st.leftX : st.rightX) = p.x;
                (blockKind == 4 ? st.leftY : st.rightY) = p.y;
            }
        } else if (Has(l, "B03")) {
            if (blockKind == 3 && f.size() > 1) {
                added = Num(f, 1);
                if (stations.size() > 1) stations.back().addedDistance = added;
            }
        } else if (Has(l, "B04")) {
            if ((blockKind != 4 && blockKind != 5) || f.size() < 4) continue;
            const int32_t s = blockKind == 4 ? leftNext : rightNext;
            if (s < 1 || s >= static_cast<int32_t>(stations.size())) continue;
            const double d = Num(f, 3);
            for (size_t t = 1; t < stations.size(); ++t) {
                if (static_cast<int32_t>(t) == s || std::fabs(stations[t].addedDistance - d) >= 0.001) continue;
                StationRecord &from = stations[s], &to = stations[t];
                if (blockKind == 4) {
                    to.leftX = from.leftX, to.leftY = from.leftY;
                    from.leftX = from.x, from.leftY = from.y;
                } else {
                    to.rightX = from.rightX, to.rightY = from.rightY;
                    from.rightX = from.x, from.rightY = from.y;
                }
                break;
            }
        } else if (Has(l, "C01")) {
            if (curveBlock && f.size() > 2) pendR = Num(f, 2);
        } else if (Has(l, "C02")) {
            if (!curveBlock || f.size() < 4) continue;
            const double a = Num(f, 1);
            if (std::fabs(Num(f, 2)) < 0.001) pendA1 = a;
            if (std::fabs(Num(f, 3)) < 0.001) pendA2 = a;
        } else if (Has(l, "C04")) {
            if (!curveBlock || f.size() < 2) continue;
            seenC04 = true;
            const long no = Int(f, 1);
            bool given = false;
            for (size_t i = 1; i < ips.size(); ++i) {
                if (ips[i].simaPointNo != no) continue;
                if (pendR.set) ips[i].radius = pendR.Magnitude();
                if (pendA1.set) ips[i].a1 = pendA1.Magnitude();
                if (pendA2.set) ips[i].a2 = pendA2.Magnitude();
                given = true;
            }
            if (given) pendR.reset(), pendA1.reset(), pendA2.reset();
        } else if (Has(l, "C99")) {
            if (!curveBlock || seenC04) continue;
            ++c99Ip;
            if (c99Ip < static_cast<int32_t>(ips.size())) {
                ips[c99Ip].radius = pendR.Magnitude();
                ips[c99Ip].a1 = pendA1.Magnitude();
                ips[c99Ip].a2 = pendA2.Magnitude();
            }
            pendR.reset(), pendA1.reset(), pendA2.reset();
        }
    }
    const int32_t stationCount = static_cast<int32_t>(stations.size()) - 1;
    if (stationCount > 0) {
        stations[1].kind = 1;
        stations[stationCount].kind = 11;
    }

    // Room first, so that a memory failure leaves the route and points as they were.
    if (localCount > 1 && g_pointCount + localCount + 1 > g_pointCapacity) {
        const int32_t old = g_pointCapacity;
        g_pointCapacity = g_pointCount + localCount + 10;
        if (GrowPointBlock(g_pointCapacity) != 0) {
            g_pointCapacity = old;
            ShowMessage("ランダムデータ用のメモリー処理に失敗しました。", "", msg::kOk | msg::kIconInformation);
            return -1;
        }
    }
    if (GrowStationBlock(capacity) != 0) {
        ShowMessage("SIMA路線データ用のメモリーが確保できないので読み込みを中止しました。", "",
                    msg::kOk | msg::kIconInformation);
        return -1;
    }
    g_stationCapacity = capacity;
    for (int32_t j = 1; j <= stationCount; ++j) g_stations[j] = stations[j];
    g_stationCount = stationCount;
    const int32_t ipCount = static_cast<int32_t>(ips.size()) - 1;
    for (int32_t i = 1; i <= ipCount; ++i) g_ipPoints[i] = ips[i];
    g_ipPointCount = ipCount;
    g_bpAddedDistance = bpAdded;
    g_showRoute = -1;

    if (localCount > 1) {
        for (int32_t i = 1; i <= localCount; ++i) {
            RandomPoint& r = g_points[++g_pointCount];
            r = RandomPoint{};
            r.x = points[i].x;
            r.y = points[i].y;
            r.z = points[i].z;
            r.invalid = 1;
            r.outside = 1;
            r.multiUse = static_cast<int32_t>(points[i].number);
            CopyName(r.name, sizeof r.name, points[i].name);
        }
        SetPointEndMarker();
        g_pointsPresent = -1;
        g_showPointNames = -1;
        g_showPoints = -1;
        ShowMessage("ＳＩＭＡ座標データを未使用点ランダムデータとして取り込みました。\n"
                    "不必要なら［点編集］メニュー内の［未使用点削除］で削除してください。",
                    "", msg::kOk | msg::kIconInformation);
    }
    return 0;
}

// ---- sections ----

namespace {

bool SectionsExist() {
    return !g_crossSections.empty() && g_crossSectionCount >= 0 &&
           (g_crossSectionCount == 0 || GetCrossSection(g_crossSectionCount) != nullptr);
}

}  // namespace

std::string LongSectionSimaText() {
    if (!SectionsExist()) return {};
    SimaText out;
    out.Line("G00,02,-,");
    out.Line("H00,,,");
    for (int32_t s = 1; s <= g_crossSectionCount; ++s) {
        const CrossSection* c = GetCrossSection(s);
        out.Line("H01,%s,%.3f,%.3f,%.3f,1,", c->name, c->distance, c->height, c->height2);
    }
    out.Line("H99,");
    return std::move(out.Text());
}

std::string CrossSectionSimaText() {
    if (!SectionsExist()) return {};
    SimaText out;
    out.Line("G00,02,-,");
    out.Line("I00,,,");
    for (int32_t s = 1; s <= g_crossSectionCount; ++s) {
        const CrossSection* c = GetCrossSection(s);
        out.Line("I01,%s,%.3f,%.3f,%.3f,1,", c->name, c->distance, c->height, c->height2);
        const int32_t have = static_cast<int32_t>(c->points.size()) - 1;
        for (int32_t j = std::min(c->leftCount, have); j >= 1; --j)
            out.Line("I02,%s,%.3f,%.3f,", c->points[j].leftName, -std::fabs(c->points[j].leftOffset),
                     c->points[j].leftHeight);
        for (int32_t j = 1; j <= std::min(c->rightCount, have); ++j)
            out.Line("I02,%s,%.3f,%.3f,", c->points[j].rightName, c->points[j].rightOffset,
                     c->points[j].rightHeight);
    }
    out.Line("I99,");
    return std::move(out.Text());
}

int32_t WriteLongSectionSima(const std::filesystem::path& path) {
    if (!SectionsExist()) return kRouteSimaNothing;
    return WriteChecked(path, LongSectionSimaText()) ? 0 : kRouteSimaWriteFailed;
}

int32_t WriteCrossSectionSima(const std::filesystem::path& path) {
    if (!SectionsExist()) return kRouteSimaNothing;
    return WriteChecked(path, CrossSectionSimaText()) ? 0 : kRouteSimaWriteFailed;
}
