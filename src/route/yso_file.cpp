#include "route/yso_file.h"

#include <string_view>

#include "model/file_report.h"
#include "platform/files.h"
#include "platform/text_io.h"
#include "route/route_data.h"
#include "route/route_text.h"

namespace fs = std::filesystem;

namespace {
// "%-4.4s      " for BP and EP, "%-4.4s%-6d" for the IPs between.
void AppendNameLine(std::string& out, const IpPoint& ip, bool end) {
    AppendNameField(out, FieldText(ip.name, sizeof ip.name), 4);
    if (end)
        out += "      ";
    else
        AppendFormat(out, "%-6d", ip.number);
    AppendFormat(out, "%15.5lf%15.5lf\r\n", ip.y, ip.x);
}

void AppendMainPoint(std::string& out, double distance, double y, double x) {
    AppendFormat(out, "%10.3lf%15.5lf%15.5lf\r\n", distance, y, x);
}

void AppendValue(std::string& out, double v) { AppendFormat(out, "%10.5lf\r\n", v); }
void AppendAngle(std::string& out, double v) { AppendFormat(out, "%8.4lf\r\n", v); }

void AppendHead(std::string& out, const IpPoint& ip, const char* marker) {
    AppendNameLine(out, ip, false);
    out += marker;
    out += "\r\n";
    out += ip.turnSide == 1 ? "R\r\n" : "L\r\n";
    AppendAngle(out, ip.ia);
}

void AppendClothoid(std::string& out, const ClothoidElements& c) {
    for (double v :
         {c.length, c.shift, c.xm, c.x, c.y, c.chord, c.shortTangent, c.longTangent, c.tangentToIp})
        AppendValue(out, v);
    AppendAngle(out, c.tau);
    AppendAngle(out, c.sigma);
}

void AppendBlock(std::string& out, int32_t i) {
    const IpPoint& ip = g_ipPoints[i];
    if (i == 1) {
        AppendNameLine(out, ip, true);
        AppendMainPoint(out, ip.addedDistance, ip.y, ip.x);
        out += "_E\r\n";
        return;
    }
    if (i == g_ipPointCount) {
        AppendNameLine(out, ip, true);
        out += "**\r\n";
        AppendValue(out, ip.legLength);
        AppendMainPoint(out, ip.addedDistance, ip.y, ip.x);
        return;
    }
    switch (ip.curveType) {
        case kCurveClothoid:
        case kCurveEgg:
            AppendHead(out, ip, "CL");
            for (double v : {ip.a1, ip.a2, ip.radius, ip.curveLength}) AppendValue(out, v);
            AppendClothoid(out, ip.clothoid1);
            AppendClothoid(out, ip.clothoid2);
            AppendAngle(out, ip.arcAngle);
            for (double v : {ip.arcTangentLength, ip.arcLength, ip.arcSecant, ip.legLength})
                AppendValue(out, v);
            AppendMainPoint(out, ip.ka1Distance, ip.ka1Y, ip.ka1X);
            AppendMainPoint(out, ip.ke1Distance, ip.ke1Y, ip.ke1X);
            AppendMainPoint(out, ip.ke2Distance, ip.ke2Y, ip.ke2X);
            AppendMainPoint(out, ip.ka2Distance, ip.ka2Y, ip.ka2X);
            break;
        case kCurveCircle:
            AppendHead(out, ip, "TN");
            for (double v :
                 {ip.radius, ip.arcTangentLength, ip.arcLength, ip.arcSecant, ip.legLength})
                AppendValue(out, v);
            AppendMainPoint(out, ip.ke1Distance, ip.ke1Y, ip.ke1X);
            AppendMainPoint(out, ip.ke2Distance, ip.ke2Y, ip.ke2X);
            break;
        default:
            AppendHead(out, ip, "TP");
            AppendValue(out, ip.legLength);
            AppendMainPoint(out, ip.addedDistance, ip.y, ip.x);
            break;
    }
    out += "_E\r\n";
}

// The lines of the file one by one; a missing line reads as empty.
class YsoLines {
public:
    explicit YsoLines(std::string_view bytes) : m_cursor(bytes) {}
    std::string_view Next() {
        std::string_view line;
        if (!m_cursor.Next(line)) return {};
        return line;
    }
    bool AtEnd() const { return m_cursor.AtEnd(); }
    double Value() { return RouteAtof(Next()); }
    int32_t Turn() { return Next().find('L') != std::string_view::npos ? 2 : 1; }
    void MainPoint(double* distance, double* y, double* x) {
        const std::string_view line = Next();
        *distance = ColumnDouble(line, 0, 10);
        *y = ColumnDouble(line, 10, 15);
        *x = ColumnDouble(line, 25, 15);
    }
    void Skip(int n) {
        for (int k = 0; k < n; ++k) Next();
    }

private:
    RouteLineCursor m_cursor;
};

void ReadClothoid(YsoLines& in, ClothoidElements& c) {
    for (double* v : {&c.length, &c.shift, &c.xm, &c.x, &c.y, &c.chord, &c.shortTangent,
                      &c.longTangent, &c.tangentToIp})
        *v = in.Value();
    c.tau = in.Value();
    c.sigma = in.Value();
}

// A block that belongs to no record is read into this one and forgotten.
IpPoint g_discard;
}  // namespace

std::string FormatYsoText() {
    std::string out;
    out.reserve(static_cast<size_t>(g_ipPointCount) * 500);
    for (int32_t i = 1; i <= g_ipPointCount; ++i) AppendBlock(out, i);
    return out;
}

int32_t WriteYsoFile(const fs::path& path) {
    if (g_ipPointCount < 1) return -1;
    const fs::path target = WithExtension(path, ".YSO");
    TextFileWriter file;
    if (!file.Open(target)) {
        ReportCannotCreate(target);
        return 0;
    }
    file.WriteRaw(FormatYsoText());
    if (!file.Close()) {
        ReportWriteFailed(target);
        RemovePartialFile(target);
        return 0;
    }
    return -1;
}

int32_t ReadYsoFile(const fs::path& path) {
    const fs::path found = FindCompanion(path, ".YSO");
    std::string bytes;
    if (found.empty() || !ReadFileBytes(found, bytes)) return -1;
    YsoLines in(bytes);

    in.Next();
    const std::string_view bpLine = in.Next();
    in.Next();
    if (g_ipPointCount >= 1) {
        g_ipPoints[1].curveType = kCurveBp;
        g_ipPoints[1].addedDistance = ColumnDouble(bpLine, 0, 10);
    }

    int32_t i = 1;
    while (!in.AtEnd()) {
        in.Next();  // the name line: names and coordinates come from the route file
        const std::string_view marker = in.Next();
        ++i;
        IpPoint& ip = i <= g_ipPointCount ? g_ipPoints[i] : g_discard;
        if (marker.find("CL") != std::string_view::npos) {
            ip.curveType = kCurveClothoid;
            ip.turnSide = in.Turn();
            ip.ia = in.Value();
            in.Skip(3);  // A1, A2 and R come from the route file
            ip.curveLength = in.Value();
            ReadClothoid(in, ip.clothoid1);
            ReadClothoid(in, ip.clothoid2);
            ip.arcAngle = in.Value();
            ip.arcTangentLength = in.Value();
            ip.arcLength = in.Value();
            ip.arcSecant = in.Value();
            ip.legLength = in.Value();
            in.MainPoint(&ip.ka1Distance, &ip.ka1Y, &ip.ka1X);
            in.MainPoint(&ip.ke1Distance, &ip.ke1Y, &ip.ke1X);
            in.MainPoint(&ip.ke2Distance, &ip.ke2Y, &ip.ke2X);
            in.MainPoint(&ip.ka2Distance, &ip.ka2Y, &ip.ka2X);
            in.Next();
        } else if (marker.find("TN") != std::string_view::npos) {
            ip.curveType = kCurveCircle;
            ip.turnSide = in.Turn();
            ip.ia = in.Value();
            in.Skip(1);  // R comes from the route file
            ip.arcTangentLength = in.Value();
            ip.arcLength = in.Value();
            ip.arcSecant = in.Value();
            ip.legLength = in.Value();
            // The curve of a simple circle is its arc.
            ip.curveLength = ip.arcLength;
            in.MainPoint(&ip.ke1Distance, &ip.ke1Y, &ip.ke1X);
            in.MainPoint(&ip.ke2Distance, &ip.ke2Y, &ip.ke2X);
            in.Next();
        } else if (marker.find("TP") != std::string_view::npos) {
            ip.curveType = kCurveNone;
            ip.turnSide = in.Turn();
            ip.ia = in.Value();
            ip.legLength = in.Value();
            ip.addedDistance = ColumnDouble(in.Next(), 0, 10);
            in.Next();
        } else if (marker.find("**") != std::string_view::npos) {
            ip.curveType = kCurveEp;
            ip.legLength = in.Value();
            ip.addedDistance = ColumnDouble(in.Next(), 0, 10);
            break;
        }
        if (i > g_ipPointCount) break;  // the rest belongs to no record
    }
    return 0;
}
