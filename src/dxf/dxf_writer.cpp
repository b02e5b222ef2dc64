#include "dxf/dxf_writer.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "dxf/dxf_registration.h"
#include "dxf/dxf_store.h"

std::FILE* g_dxfOutFile = nullptr;
int32_t g_dxfNextHandle = 1024;
int32_t g_dxfWithHeader = 0;
int32_t g_dxfElementsSkipped = 0;

namespace {
// Large drawings are written at disk speed: groups are formatted into one buffer and
// handed to the file in big blocks.
constexpr size_t kBufferSize = size_t{1} << 20;
// The longest group value we format: a finite double in "%.6f" has at most 309 integer digits.
constexpr size_t kMaxLine = 400;

std::vector<char> g_buffer;
size_t g_used = 0;
bool g_failed = false;
int32_t g_refused = 0;

void Flush() {
    if (g_used == 0) return;
    if (!g_failed && std::fwrite(g_buffer.data(), 1, g_used, g_dxfOutFile) != g_used) g_failed = true;
    g_used = 0;
}

char* Room(size_t n) {
    if (g_used + n > g_buffer.size()) Flush();
    return g_buffer.data() + g_used;
}

void Raw(std::string_view s) {
    if (s.size() > kBufferSize / 2) {
        Flush();
        if (!g_failed && std::fwrite(s.data(), 1, s.size(), g_dxfOutFile) != s.size()) g_failed = true;
        return;
    }
    char* p = Room(s.size());
    std::memcpy(p, s.data(), s.size());
    g_used += s.size();
}

void EndLine(char* p) {
    p[0] = '\r';
    p[1] = '\n';
    g_used = p + 2 - g_buffer.data();
}

// Group codes below 1000 are right-aligned in three characters.
void Code(int code) {
    char* p = Room(kMaxLine);
    char* start = p;
    if (code < 10) *p++ = ' ';
    if (code < 100) *p++ = ' ';
    p = std::to_chars(p, start + 16, code).ptr;
    EndLine(p);
}

void Line(std::string_view value) {
    Raw(value);
    Raw("\r\n");
}

void Int(int code, int64_t value) {
    Code(code);
    char* p = Room(kMaxLine);
    EndLine(std::to_chars(p, p + 32, value).ptr);
}

// Same digits as printf "%.Nf" (both round the exact binary value).
void Fixed(int code, double value, int decimals) {
    Code(code);
    char* p = Room(kMaxLine);
    EndLine(std::to_chars(p, p + kMaxLine - 2, value, std::chars_format::fixed, decimals).ptr);
}

void Point(int codeBase, double north, double east, double z, int decimals = 3) {
    Fixed(codeBase, east, decimals);
    Fixed(codeBase + 10, north, decimals);
    Fixed(codeBase + 20, z, decimals);
}

void Handle() { Int(5, ++g_dxfNextHandle); }

void Group(int code, std::string_view value) {
    Code(code);
    Line(value);
}

bool Finite(std::initializer_list<double> values) {
    for (double v : values)
        if (!std::isfinite(v)) return false;
    return true;
}

// -1 no file, -3 refused, 0 go on.
int32_t Begin(std::initializer_list<double> coordinates) {
    if (!g_dxfOutFile) return -1;
    if (!Finite(coordinates)) {
        ++g_refused;
        return -3;
    }
    return 0;
}

// The fixed skeleton and tail: code and value per group; values of the codes below are
// right-aligned in six characters.
struct FixedGroup {
    int code;
    const char* value;
};

bool WideValue(int code) {
    return code == 62 || code == 67 || code == 70 || code == 71 || code == 72 || code == 73 || code == 1070;
}

void WriteFixed(const FixedGroup* groups, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        Code(groups[i].code);
        if (WideValue(groups[i].code)) {
            char value[16];
            std::snprintf(value, sizeof value, "%6s", groups[i].value);
            Line(value);
        } else {
            Line(groups[i].value);
        }
    }
}

#define TABLE_START(name, handle) {0, "TABLE"}, {2, name}, {5, handle}, {100, "AcDbSymbolTable"}, {70, "0"}
#define REACTORS(owner) {102, "{ACAD_REACTORS"}, {330, owner}, {102, "}"}, {330, owner}
#define HARD {1001, "ACAD"}, {1000, "TREAT_AS_HARD"}, {1070, "0"}

constexpr FixedGroup kSkeleton[] = {
    {0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1014"}, {9, "$HANDSEED"}, {5, "33"},
    {0, "ENDSEC"},
    {0, "SECTION"}, {2, "TABLES"},
    TABLE_START("VPORT", "8"),
    {0, "ENDTAB"},
    TABLE_START("LTYPE", "5"),
    {0, "LTYPE"}, {5, "14"}, {100, "AcDbSymbolTableRecord"}, {100, "AcDbLinetypeTableRecord"}, {2, "BYBLOCK"},
    {70, "0"}, {3, ""}, {72, "65"}, {73, "0"}, {40, "0.0"},
    {0, "LTYPE"}, {5, "15"}, {100, "AcDbSymbolTableRecord"}, {100, "AcDbLinetypeTableRecord"}, {2, "BYLAYER"},
    {70, "0"}, {3, ""}, {72, "65"}, {73, "0"}, {40, "0.0"},
    {0, "ENDTAB"},
    TABLE_START("LAYER", "2"),
    {0, "LAYER"}, {5, "10"}, {100, "AcDbSymbolTableRecord"}, {100, "AcDbLayerTableRecord"}, {2, "0"}, {70, "0"},
    {62, "7"}, {6, "CONTINUOUS"},
    {0, "ENDTAB"},
    TABLE_START("STYLE", "3"),
    {0, "ENDTAB"},
    TABLE_START("VIEW", "6"),
    {0, "ENDTAB"},
    TABLE_START("UCS", "7"),
    {0, "ENDTAB"},
    TABLE_START("APPID", "9"),
    {0, "APPID"}, {5, "12"}, {100, "AcDbSymbolTableRecord"}, {100, "AcDbRegAppTableRecord"}, {2, "ACAD"}, {70, "0"},
    {0, "ENDTAB"},
    TABLE_START("DIMSTYLE", "A"),
    {0, "ENDTAB"},
    TABLE_START("BLOCK_RECORD", "1"),
    {0, "BLOCK_RECORD"}, {5, "1F"}, {100, "AcDbSymbolTableRecord"}, {100, "AcDbBlockTableRecord"},
    {2, "*MODEL_SPACE"},
    {0, "BLOCK_RECORD"}, {5, "1B"}, {100, "AcDbSymbolTableRecord"}, {100, "AcDbBlockTableRecord"},
    {2, "*PAPER_SPACE"},
    {0, "ENDTAB"},
    {0, "ENDSEC"},
    {0, "SECTION"}, {2, "BLOCKS"},
    {0, "BLOCK"}, {5, "20"}, {330, "1F"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbBlockBegin"}, {2, "*MODEL_SPACE"},
    {70, "0"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"}, {3, "*MODEL_SPACE"}, {1, ""},
    {0, "ENDBLK"}, {5, "21"}, {330, "1F"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbBlockEnd"},
    {0, "BLOCK"}, {5, "1C"}, {330, "1B"}, {100, "AcDbEntity"}, {67, "1"}, {8, "0"}, {100, "AcDbBlockBegin"},
    {2, "*PAPER_SPACE"}, {70, "0"}, {10, "0.0"}, {20, "0.0"}, {30, "0.0"}, {3, "*PAPER_SPACE"}, {1, ""},
    {0, "ENDBLK"}, {5, "1D"}, {330, "1B"}, {100, "AcDbEntity"}, {67, "1"}, {8, "0"}, {100, "AcDbBlockEnd"},
    {0, "ENDSEC"},
};

constexpr FixedGroup kTail[] = {
    {0, "SECTION"}, {2, "OBJECTS"},
    {0, "DICTIONARY"}, {5, "C"}, {330, "0"}, {100, "AcDbDictionary"}, {3, "ACAD_GROUP"}, {350, "D"},
    {3, "ACAD_LAYOUT"}, {350, "1A"}, {3, "ACAD_MLINESTYLE"}, {350, "17"}, {3, "ACAD_PLOTSETTINGS"}, {350, "19"},
    HARD,
    {0, "DICTIONARY"}, {5, "2F"}, {330, "1F"}, {100, "AcDbDictionary"}, {3, "ACAD_LAYOUTSELFREF"}, {350, "30"},
    {0, "DICTIONARY"}, {5, "2D"}, {330, "1B"}, {100, "AcDbDictionary"}, {3, "ACAD_LAYOUTSELFREF"}, {350, "2E"},
    {0, "DICTIONARY"}, {5, "D"}, REACTORS("C"), {100, "AcDbDictionary"}, HARD,
    {0, "DICTIONARY"}, {5, "1A"}, REACTORS("C"), {100, "AcDbDictionary"}, HARD,
    {0, "DICTIONARY"}, {5, "17"}, REACTORS("C"), {100, "AcDbDictionary"}, {3, "STANDARD"}, {350, "18"}, HARD,
    {0, "DICTIONARY"}, {5, "19"}, REACTORS("C"), {100, "AcDbDictionary"}, HARD,
    {0, "XRECORD"}, {5, "30"}, REACTORS("2F"), {100, "AcDbXrecord"}, {340, "1F"},
    {0, "XRECORD"}, {5, "2E"}, REACTORS("2D"), {100, "AcDbXrecord"}, {340, "1B"},
    {0, "MLINESTYLE"}, {5, "18"}, REACTORS("17"), {100, "AcDbMlineStyle"}, {2, "STANDARD"}, {70, "0"}, {3, ""},
    {62, "256"}, {51, "90.0"}, {52, "90.0"}, {71, "2"}, {49, "0.5"}, {62, "256"}, {6, "BYLAYER"}, {49, "-0.5"},
    {62, "256"}, {6, "BYLAYER"},
    {0, "ENDSEC"},
    {0, "EOF"},
};

#undef TABLE_START
#undef REACTORS
#undef HARD
}  // namespace

bool DxfWriterFailed() { return g_failed; }
int32_t DxfWriterRefusedCount() { return g_refused; }

int32_t OpenDxfWriter(const std::string& path, int32_t withHeader) {
    if (g_dxfOutFile) {  // a writer left open by a failed caller: give its file up
        std::fclose(g_dxfOutFile);
        g_dxfOutFile = nullptr;
    }
    g_dxfNextHandle = 1024;
    g_dxfWithHeader = 0;
    g_failed = false;
    g_refused = 0;
    g_used = 0;
    g_dxfOutFile = std::fopen(path.c_str(), "wb");
    if (!g_dxfOutFile) return -1;
    if (g_buffer.size() != kBufferSize) g_buffer.assign(kBufferSize, 0);
    if (withHeader) {
        g_dxfWithHeader = 1;
        WriteFixed(kSkeleton, std::size(kSkeleton));
    }
    Group(0, "SECTION");
    Group(2, "ENTITIES");
    Code(0);
    return 0;
}

int32_t CloseDxfWriter() {
    if (!g_dxfOutFile) return kDxfWriteCannotCreate;
    Line("ENDSEC");
    if (g_dxfWithHeader) {
        WriteFixed(kTail, std::size(kTail));
    } else {
        Group(0, "EOF");
    }
    Flush();
    if (std::fflush(g_dxfOutFile) != 0 || std::ferror(g_dxfOutFile)) g_failed = true;
    if (std::fclose(g_dxfOutFile) != 0) g_failed = true;
    g_dxfOutFile = nullptr;
    return g_failed ? kDxfWriteFailed : kDxfWriteDone;
}

int32_t WriteDxf3dFace(double north1, double east1, double z1, double north2, double east2, double z2,
                       double north3, double east3, double z3, double north4, double east4, double z4,
                       int32_t colour, int32_t layer) {
    if (int32_t r = Begin({north1, east1, z1, north2, east2, z2, north3, east3, z3, north4, east4, z4})) return r;
    Line("3DFACE");
    if (g_dxfWithHeader) {
        Handle();
        Group(100, "AcDbEntity");
        Group(100, "AcDbFace");
    }
    Int(8, layer);
    Int(62, colour);
    Point(10, north1, east1, z1);
    Point(11, north2, east2, z2);
    Point(12, north3, east3, z3);
    Point(13, north4, east4, z4);
    Code(0);
    return 0;
}

int32_t WriteDxfLine(double north1, double east1, double z1, double north2, double east2, double z2,
                     int32_t colour, int32_t layer) {
    if (int32_t r = Begin({north1, east1, z1, north2, east2, z2})) return r;
    Line("LINE");
    if (g_dxfWithHeader) {
        Handle();
        Group(100, "AcDbEntity");
        Group(100, "AcDbLine");
    }
    Int(8, layer);
    Int(62, colour);
    Point(10, north1, east1, z1);
    Point(11, north2, east2, z2);
    Code(0);
    return 0;
}

int32_t WriteDxfPoint(double north, double east, double z, int32_t colour, int32_t layer) {
    if (int32_t r = Begin({north, east, z})) return r;
    Line("POINT");
    if (g_dxfWithHeader) {
        Handle();
        Group(100, "AcDbEntity");
        Group(100, "AcDbPoint");
    }
    Int(8, layer);
    Int(62, colour);
    Point(10, north, east, z);
    Code(0);
    return 0;
}

int32_t WriteDxfPolylineHeader(double north, double east, double z, int32_t colour, int32_t layer, int32_t is3d) {
    if (int32_t r = Begin({north, east, z})) return r;
    Line("POLYLINE");
    if (g_dxfWithHeader) {
        Handle();
        Group(100, "AcDbEntity");
    }
    Int(8, layer);
    if (g_dxfWithHeader) Group(100, is3d == 1 ? "AcDb3dPolyline" : "AcDb2dPolyline");
    Int(62, colour);
    Group(66, "   1");
    Point(10, north, east, z);
    if (is3d == 1) Group(70, " 8");
    Code(0);
    return 0;
}

int32_t WriteDxfVertex(double north, double east, double z, int32_t layer, int32_t last, int32_t is3d) {
    if (int32_t r = Begin({north, east, z})) return r;
    Line("VERTEX");
    if (g_dxfWithHeader) {
        Handle();
        Group(100, "AcDbEntity");
        Group(100, "AcDbVertex");
    }
    Int(8, layer);
    if (g_dxfWithHeader) Group(100, is3d == 1 ? "AcDb3dPolylineVertex" : "AcDb2dVertex");
    Point(10, north, east, z);
    if (is3d == 1) Group(70, " 32");
    Code(0);
    if (last == 1) {
        Line("SEQEND");
        if (g_dxfWithHeader) {
            Handle();
            Group(100, "AcDbEntity");
        }
        Code(0);
    }
    return 0;
}

int32_t WriteDxfText(double north, double east, double z, double angle, double height, const char* text,
                     int32_t colour, int32_t layer, size_t maxBytes) {
    if (int32_t r = Begin({north, east, z, angle, height})) return r;
    std::string value(text ? text : "", text ? strnlen(text, maxBytes) : 0);
    // A line end inside the value would shift every later group by one line.
    for (char& c : value)
        if (c == '\r' || c == '\n') c = ' ';
    Line("TEXT");
    if (g_dxfWithHeader) {
        Handle();
        Group(100, "AcDbEntity");
        Group(100, "AcDbText");
    }
    Int(8, layer);
    Int(62, colour);
    Point(10, north, east, z, 5);
    Group(1, value);
    Fixed(50, angle, 6);
    Fixed(40, height, 5);
    Group(41, "1.0");
    Code(0);
    return 0;
}

int32_t WriteDxfLwPolylineVertex(double north, double east, double z, int32_t colour, int32_t layer,
                                 int32_t vertexCount, int32_t position, int32_t is3d) {
    if (int32_t r = Begin({north, east, position == -1 && is3d == 1 ? z : 0.0})) return r;
    if (position == -1) {
        Line("LWPOLYLINE");
        Handle();
        Group(100, "AcDbEntity");
        Int(8, layer);
        Group(100, "AcDbPolyline");
        Int(90, vertexCount);
        Int(62, colour);
        Fixed(38, is3d == 1 ? z : 0.0, 3);
    }
    Fixed(10, east, 3);
    Fixed(20, north, 3);
    if (position == 1) Code(0);
    return 0;
}

int32_t WriteDxfElements(const std::string& path, int32_t withZ) {
    g_dxfElementsSkipped = 0;
    const int32_t count = g_dxfElementCount;
    const DxfElement* e = g_dxfElementsBlock.Data();
    if (count > 0 && !e) return kDxfWriteCannotCreate;

    // Elements that can be written, and the pen each is written with: a draw that follows
    // nothing it could join (a point, a text, a left-out element, the start) opens a new run.
    std::vector<int32_t> order;
    std::vector<uint8_t> pens;
    order.reserve(count > 0 ? count : 0);
    pens.reserve(count > 0 ? count : 0);
    for (int32_t i = 1; i <= count; ++i) {
        const DxfElement& el = e[i];
        if (!std::isfinite(el.x) || !std::isfinite(el.y) || (withZ && !std::isfinite(el.z)) ||
            (el.pen == DXF_PEN_TEXT && (!std::isfinite(el.textAngle) || !std::isfinite(el.textHeight)))) {
            ++g_dxfElementsSkipped;
            order.push_back(-1);
            pens.push_back(0xFF);
            continue;
        }
        uint8_t pen = el.pen;
        if (pen == DXF_PEN_DRAW && (pens.empty() || (pens.back() != DXF_PEN_MOVE && pens.back() != DXF_PEN_DRAW)))
            pen = DXF_PEN_MOVE;
        order.push_back(i);
        pens.push_back(pen);
    }

    if (OpenDxfWriter(path, 0) != 0) return kDxfWriteCannotCreate;
    const double rotation = g_dxfRegistration.transformActive == 1 ? g_dxfRegistration.rotation : 0.0;
    const size_t n = order.size();
    auto z = [&](const DxfElement& el) { return withZ ? el.z : 0.0; };
    auto colourOf = [](const DxfElement& el) {
        const int64_t c = el.colour;
        return static_cast<int32_t>(std::min<int64_t>(c < 0 ? -c : c, INT32_MAX));
    };
    for (size_t k = 0; k < n && !g_failed; ++k) {
        if (order[k] < 0) continue;
        const DxfElement& el = e[order[k]];
        const int32_t colour = colourOf(el);
        switch (pens[k]) {
            case DXF_PEN_MOVE: {
                size_t draws = 0;
                while (k + 1 + draws < n && pens[k + 1 + draws] == DXF_PEN_DRAW) ++draws;
                if (draws == 0) break;
                if (draws == 1) {
                    const DxfElement& next = e[order[k + 1]];
                    WriteDxfLine(el.x, el.y, z(el), next.x, next.y, z(next), colour, el.layer);
                    ++k;
                    break;
                }
                const int32_t is3d = withZ ? 1 : 0;
                WriteDxfPolylineHeader(0, 0, 0, colour, el.layer, is3d);
                WriteDxfVertex(el.x, el.y, z(el), el.layer, 0, is3d);
                for (size_t d = 1; d <= draws; ++d) {
                    const DxfElement& v = e[order[k + d]];
                    WriteDxfVertex(v.x, v.y, z(v), v.layer, d == draws ? 1 : 0, is3d);
                }
                k += draws;
                break;
            }
            case DXF_PEN_POINT:
                WriteDxfPoint(el.x, el.y, z(el), colour, el.layer);
                break;
            case DXF_PEN_TEXT:
                if (el.text[0] != '\0')
                    WriteDxfText(el.x, el.y, z(el), el.textAngle - rotation, el.textHeight, el.text, colour, el.layer,
                                 sizeof el.text);
                break;
            default:
                break;
        }
    }
    const int32_t closed = CloseDxfWriter();
    if (closed != kDxfWriteDone) return closed;
    return g_dxfElementsSkipped > 0 ? kDxfWriteSkipped : kDxfWriteDone;
}
