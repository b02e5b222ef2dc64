#pragma once
// What ezdxf and GDAL read from a DXF file we wrote: second opinions for the writer tests.
#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "dxf_test_support.h"

namespace dxftest {

struct OracleEntity {
    std::string kind;  // LINE, POINT, 3DFACE, POLYLINE3D, POLYLINE2D, LWPOLYLINE, TEXT
    std::string layer;
    int colour = 0;
    std::vector<double> numbers;
    std::string textHex;
};

struct EzdxfReport {
    bool ran = false;
    int recoverErrors = -1, recoverFixes = -1, auditErrors = -1, auditFixes = -1;
    std::vector<OracleEntity> entities;
};

inline std::vector<std::string> SplitBars(const std::string& line) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(line);
    while (std::getline(in, part, '|')) parts.push_back(part);
    if (!line.empty() && line.back() == '|') parts.push_back("");
    return parts;
}

inline EzdxfReport EzdxfRead(const std::filesystem::path& file, const std::string& encoding = "cp932") {
    EzdxfReport r;
    std::string out;
    const std::string script = std::string(NOSTREL_SOURCE_DIR) + "/tests/dxf/ezdxf_dump.py";
    r.ran = RunCommand("/usr/bin/python3 " + script + " '" + file.string() + "' " + encoding + " 2>/dev/null", &out);
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        const auto p = SplitBars(line);
        if (p.size() == 3 && p[0] == "RECOVER") {
            r.recoverErrors = std::stoi(p[1]);
            r.recoverFixes = std::stoi(p[2]);
        } else if (p.size() == 3 && p[0] == "AUDIT") {
            r.auditErrors = std::stoi(p[1]);
            r.auditFixes = std::stoi(p[2]);
        } else if (p.size() == 5) {
            OracleEntity e{p[0], p[1], std::stoi(p[2]), {}, p[4]};
            std::istringstream numbers(p[3]);
            double v;
            while (numbers >> v) e.numbers.push_back(v);
            r.entities.push_back(std::move(e));
        }
    }
    return r;
}

inline std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (unsigned char c : bytes) {
        s += digits[c >> 4];
        s += digits[c & 15];
    }
    return s;
}

// ogrinfo's features: geometry kind ("LINESTRING", "POINT", "POLYGON") and its numbers, and
// the Text field of labels. `env` is put before the command (DXF_ENCODING=...).
struct OgrFeature {
    std::string geometry;
    std::vector<double> numbers;
    std::string text;
};

inline std::vector<OgrFeature> OgrRead(const std::filesystem::path& file, const std::string& env = "") {
    std::vector<OgrFeature> features;
    std::string out;
    if (!RunCommand(env + " ogrinfo -al -q '" + file.string() + "' 2>/dev/null", &out)) return features;
    std::istringstream in(out);
    std::string line;
    OgrFeature current;
    bool open = false;
    while (std::getline(in, line)) {
        if (line.rfind("OGRFeature", 0) == 0) {
            if (open) features.push_back(current);
            current = OgrFeature{};
            open = true;
            continue;
        }
        const size_t t = line.find("Text (String) = ");
        if (t != std::string::npos) {
            current.text = line.substr(t + 16);
            continue;
        }
        const size_t paren = line.find('(');
        for (const char* g : {"LINESTRING", "POINT", "POLYGON"}) {
            const size_t at = line.find(g);
            if (at == std::string::npos || paren == std::string::npos || at > paren) continue;
            if (line.find("Style") != std::string::npos) continue;
            current.geometry = g;
            std::string coords = line.substr(paren);
            for (char& ch : coords)
                if (ch == '(' || ch == ')' || ch == ',') ch = ' ';
            std::istringstream c(coords);
            double v;
            while (c >> v) current.numbers.push_back(v);
            break;
        }
    }
    if (open) features.push_back(current);
    return features;
}

inline std::map<std::string, int> CountKinds(const std::vector<OracleEntity>& entities) {
    std::map<std::string, int> m;
    for (const auto& e : entities) ++m[e.kind];
    return m;
}

inline std::map<std::string, int> CountGeometries(const std::vector<OgrFeature>& features) {
    std::map<std::string, int> m;
    for (const auto& f : features) ++m[f.geometry];
    return m;
}

}  // namespace dxftest
