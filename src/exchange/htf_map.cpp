#include "exchange/htf_map.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dxf/dxf_registration.h"
#include "dxf/dxf_store.h"
#include "exchange/delimited_text.h"
#include "exchange/vector_import.h"
#include "model/corner_mapping.h"
#include "model/document_services.h"
#include "model/geodesy.h"
#include "model/zone_dialog.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "platform/window_state.h"
#include "shell/work_folder.h"
#include "view/view_state.h"
#include "view/view_transform.h"

const char* const kHtfRowLabels[kHtfRows] = {"主曲線", "計曲線", "補助曲線", "海",        "主要河川",
                                              "詳細河川", "湖沼", "湖沼（小）", "湿地", "その他"};

namespace {

constexpr const char* kAskDelete = "現在の背景DXFデータを削除しますか";
constexpr const char* kFilter = "HTFファイル (*.HTF)|*.HTF|すべてのファイル|*.*||";
constexpr const char* kTitle = "HTFファイル読込";
constexpr const char* kDamaged = "HTFファイルが壊れています。読み込みを中止しました。\n";

enum class CoordSystem { kRealm, kBlSecond, kBlDegree, kNormalized };

// What a line does: the first keyword found in it decides.
enum class Keyword { kNone, kCoordSystem, kCoordDomain, kMeshCode, kLine, kArea, kPoint };

struct KeywordRow {
    const char* text;
    Keyword keyword;
};
constexpr KeywordRow kKeywords[] = {
    {"%COORDSYSTEM", Keyword::kCoordSystem}, {"%COORDDOMAIN", Keyword::kCoordDomain},
    {"%MESHCODE", Keyword::kMeshCode},       {"%LINE", Keyword::kLine},
    {"%AREA", Keyword::kArea},               {"%POINT", Keyword::kPoint},
};

struct SystemRow {
    const char* word;
    CoordSystem system;
};
// Tested in this order; any other word means plane coordinates.
constexpr SystemRow kSystems[] = {
    {"REALM", CoordSystem::kRealm},
    {"BLSECOND", CoordSystem::kBlSecond},
    {"BLDEGREE", CoordSystem::kBlDegree},
    {"NORMALIZED", CoordSystem::kNormalized},
};

Keyword KeywordOf(std::string_view line, size_t& after) {
    for (const KeywordRow& row : kKeywords) {
        const size_t at = line.find(row.text);
        if (at != std::string_view::npos) {
            after = at + std::string_view(row.text).size();
            return row.keyword;
        }
    }
    return Keyword::kNone;
}

// The blank-separated words of a header after its keyword.
std::vector<std::string> Words(std::string_view rest) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < rest.size()) {
        while (i < rest.size() && (rest[i] == ' ' || rest[i] == '\t')) ++i;
        size_t j = i;
        while (j < rest.size() && rest[j] != ' ' && rest[j] != '\t') ++j;
        if (j > i) words.emplace_back(rest.substr(i, j - i));
        i = j;
    }
    return words;
}

// An integer word; out-of-range counts are held to what an int takes.
int64_t Integer(const std::string& word) {
    const long long v = std::strtoll(word.c_str(), nullptr, 10);
    return std::max<long long>(std::min<long long>(v, INT32_MAX), INT32_MIN);
}

void Split(double v, double& d, double& m, double& s) {
    d = std::trunc(v);
    m = std::trunc((v - d) * 60.0);
    s = ((v - d) * 60.0 - m) * 60.0;
}

class HtfReader {
public:
    HtfReader(bool zonePass, const HtfInputValues& options) : m_zonePass(zonePass), m_options(options) {
        m_geodesy.SelectEllipsoid(g_useWorldDatum == 1 ? kEllipsoidGrs1980 : kEllipsoidBessel1841);
    }

    // False when the file must not be taken (told).
    bool Run(std::FILE* file, const std::filesystem::path& path) {
        TextLineReader reader(file);
        std::string_view view;
        m_path = &path;
        m_reader = &reader;
        while (!m_done && !m_failed && Next(view)) {
            std::string line(view);
            while (!m_done && !m_failed) {
                size_t after = 0;
                const Keyword k = KeywordOf(line, after);
                std::string pending;
                switch (k) {
                case Keyword::kCoordSystem: System(line.substr(after)); break;
                case Keyword::kCoordDomain: Domain(line.substr(after)); break;
                case Keyword::kMeshCode: MeshCode(line.substr(after)); break;
                case Keyword::kLine:
                case Keyword::kArea: pending = Feature(line.substr(after)); break;
                case Keyword::kPoint: pending = Point(line.substr(after)); break;
                default: break;
                }
                // A feature that ended early at a keyword line hands that line back.
                if (pending.empty()) break;
                line = pending;
            }
        }
        if (reader.Error() && !m_failed) Damaged();
        return !m_failed;
    }

    std::vector<DxfElement> m_elements;
    bool m_zoneFound = false;

private:
    bool Next(std::string_view& view) {
        if (!m_reader->Next(view)) return false;
        ++m_lineNumber;
        if (view.find('\0') != std::string_view::npos) {
            Damaged();
            return false;
        }
        return true;
    }

    void Damaged() {
        ShowMessage(kDamaged + m_path->filename().string() + ": line " + std::to_string(m_lineNumber), "",
                    msg::kOk | msg::kIconError);
        m_failed = true;
    }

    void System(const std::string& rest) {
        m_system = CoordSystem::kRealm;
        for (const SystemRow& row : kSystems) {
            if (rest.find(row.word) != std::string::npos) {
                m_system = row.system;
                break;
            }
        }
    }

    void Domain(const std::string& rest) {
        const std::vector<std::string> w = Words(rest);
        double v[4] = {0, 0, 0, 0};
        for (size_t i = 0; i < 4 && i < w.size(); ++i) v[i] = std::atof(w[i].c_str());
        m_domainA = v[0];
        m_domainB = v[1];
        m_domainC = v[2];
        m_domainD = v[3];
        m_haveDomain = true;
        SetUpRegistration();
    }

    void MeshCode(const std::string& rest) {
        const std::vector<std::string> w = Words(rest);
        GridSquare square;
        if (w.empty() || !GridSquareOf(Integer(w[0]), square)) return;
        if (m_zonePass) {
            double ad, am, as, od, om, os;
            Split(square.south, ad, am, as);
            Split(square.west, od, om, os);
            FindNearestPlaneZone(ad, am, as, od, om, os, &g_planeZone);
            m_done = true;
            return;
        }
        if (!ZoneReady()) return;
        m_geodesy.ZoneGeographicToPlane(m_corner[0][0], m_corner[0][1], g_planeZone, square.south, square.west);
        m_geodesy.ZoneGeographicToPlane(m_corner[1][0], m_corner[1][1], g_planeZone, square.north, square.west);
        m_geodesy.ZoneGeographicToPlane(m_corner[2][0], m_corner[2][1], g_planeZone, square.north, square.east);
        m_geodesy.ZoneGeographicToPlane(m_corner[3][0], m_corner[3][1], g_planeZone, square.south, square.east);
        m_haveSquare = true;
        SetUpRegistration();
    }

    // Geographic conversions need a zone: refused once for the file without one.
    bool ZoneReady() {
        if (IsPlaneZone(g_planeZone)) return true;
        double lat, lon;
        ZoneOrigin(g_planeZone, lat, lon);  // tells
        m_failed = true;
        return false;
    }

    // The sheet's normalised corners paired with its corners in the plane zone.
    void SetUpRegistration() {
        if (!m_haveDomain || !m_haveSquare) return;
        DxfRegistration& r = g_dxfRegistration;
        const double source[4][2] = {{m_domainC, m_domainA}, {m_domainC, m_domainB}, {m_domainD, m_domainB}, {m_domainD, m_domainA}};
        for (int i = 0; i < 4; ++i) {
            r.sourcePoint[i][0] = source[i][0];
            r.sourcePoint[i][1] = source[i][1];
            r.publicPoint[i][0] = m_corner[i][1];  // east
            r.publicPoint[i][1] = m_corner[i][0];  // north
        }
        r.vertexFlags[0] = 2;
        r.vertexFlags[1] = r.vertexFlags[2] = r.vertexFlags[3] = 1;
        r.projective = 0;
        ComputeDxfRegistration(1);
        r.transformActive = 1;
        m_mapping.SetCornerMapping(r.corners[0], r.corners[1], r.corners[2], r.corners[3], r.corners[4], r.corners[5],
                                   r.corners[6], r.corners[7]);
        m_registered = true;
    }

    // One coordinate line to plane X (north), Y (east); false when nothing is to be made.
    bool Convert(std::string_view line, double& x, double& y) {
        const std::vector<std::string> w = Words(line);
        const double first = w.size() > 0 ? std::atof(w[0].c_str()) : 0.0;
        const double second = w.size() > 1 ? std::atof(w[1].c_str()) : 0.0;
        const bool geographic = m_system == CoordSystem::kBlDegree || m_system == CoordSystem::kBlSecond;
        const double scale = m_system == CoordSystem::kBlSecond ? 1.0 / 3600.0 : 1.0;
        if (m_zonePass) {
            if (geographic) {
                double ad, am, as, od, om, os;
                Split(second * scale, ad, am, as);
                Split(first * scale, od, om, os);
                FindNearestPlaneZone(ad, am, as, od, om, os, &g_planeZone);
            }
            m_done = true;
            return false;
        }
        if (geographic) {
            if (!ZoneReady()) return false;
            m_geodesy.ZoneGeographicToPlane(x, y, g_planeZone, second * scale, first * scale);
            return true;
        }
        if (m_system == CoordSystem::kNormalized && m_registered) {
            const DxfRegistration& r = g_dxfRegistration;
            if (r.projective == -1) {
                m_mapping.ImageToGround((second - r.ty) / r.b, (first - r.tx) / r.a, y, x);
            } else {
                x = r.a * first + r.b * second + r.tx;
                y = r.a * second - r.b * first + r.ty;
            }
            return true;
        }
        y = first;
        x = second;
        return true;
    }

    // The vertex lines of a line or area feature. A keyword line ends the feature early
    // (a count larger than the vertices given) and comes back to be read as what it is.
    std::string Feature(const std::string& rest) {
        const std::vector<std::string> w = Words(rest);
        const int64_t n = w.size() > 0 ? Integer(w[0]) : 0;
        const int32_t classCode = w.size() > 1 ? static_cast<int32_t>(Integer(w[1])) : 0;
        if (w.size() > 2) m_subCode = static_cast<int32_t>(Integer(w[2]));
        const double z = w.size() > 3 ? std::atof(w[3].c_str()) : 0.0;
        const int32_t row = HtfRowOf(classCode, m_subCode);
        std::string_view view;
        for (int64_t i = 0; i < n && !m_done && !m_failed; ++i) {
            if (!Next(view)) return {};
            size_t after = 0;
            if (KeywordOf(view, after) != Keyword::kNone) return std::string(view);
            double x = 0, y = 0;
            if (!Convert(view, x, y)) return {};
            m_elements.push_back(MakeImportElement(i == 0 ? DXF_PEN_MOVE : DXF_PEN_DRAW, x, y, z, 0, {},
                                                   m_options.layer[row], m_options.colour[row]));
        }
        return {};
    }

    std::string Point(const std::string& rest) {
        const std::vector<std::string> w = Words(rest);
        const int32_t classCode = w.size() > 0 ? static_cast<int32_t>(Integer(w[0])) : 0;
        if (w.size() > 1) m_subCode = static_cast<int32_t>(Integer(w[1]));
        const std::string label = w.size() > 2 ? w[2] : std::string();
        const int32_t row = HtfRowOf(classCode, m_subCode);
        std::string_view view;
        if (!Next(view)) return {};
        size_t after = 0;
        if (KeywordOf(view, after) != Keyword::kNone) return std::string(view);
        double x = 0, y = 0;
        if (!Convert(view, x, y)) return {};
        m_elements.push_back(MakeImportElement(DXF_PEN_TEXT, x, y, 0, m_options.textHeight, label,
                                               m_options.layer[row], m_options.colour[row]));
        return {};
    }

    bool m_zonePass;
    const HtfInputValues& m_options;
    Ellipsoid m_geodesy;
    const std::filesystem::path* m_path = nullptr;
    TextLineReader* m_reader = nullptr;
    int64_t m_lineNumber = 0;
    bool m_done = false;
    bool m_failed = false;
    CoordSystem m_system = CoordSystem::kRealm;
    int32_t m_subCode = 0;
    double m_domainA = 0, m_domainB = 0, m_domainC = 0, m_domainD = 0;
    bool m_haveDomain = false;
    bool m_haveSquare = false;
    double m_corner[4][2] = {};  // (north, east): south-west, north-west, north-east, south-east
    bool m_registered = false;
    CornerMapping m_mapping;
};

}  // namespace

HtfInputValues OpenHtfInput() {
    g_useWorldDatum = 1;
    return HtfInputValues{};
}

void HtfLayerLostFocus(HtfInputValues& values, int32_t row, const std::string& text) {
    if (row >= 0 && row < kHtfRows) values.layer[row] = std::atoi(text.c_str());
}

std::string HtfTextHeightLostFocus(HtfInputValues& values, const std::string& text) {
    const double v = std::fabs(std::atof(text.c_str()));
    if (v > 0 && std::isfinite(v)) values.textHeight = v;
    return FormatString("%.3f", values.textHeight);
}

ZoneSelectValues HtfZoneDialogValues() {
    ZoneSelectValues values;
    values.m_zone = g_planeZone;
    values.m_datumSelection = 1;
    values.m_convertDatum = 1;
    return values;
}

std::string HtfZoneChosen(const ZoneSelectValues& values) {
    g_planeZone = ValidPlaneZone(values.m_zone);
    const int32_t datum = values.m_dataDatum >= 0 ? values.m_dataDatum : values.m_datumSelection;
    g_useWorldDatum = datum == 1 ? 1 : 0;
    return HtfZoneText();
}

std::string HtfZoneText() { return FormatString("[ %d ]", g_planeZone); }

int32_t HtfRowOf(int32_t classCode, int32_t subCode) {
    if (classCode == 111) return subCode == 2 ? 1 : subCode == 3 ? 2 : 0;
    if (classCode == 121 || classCode == 122) return subCode >= 2 && subCode <= 6 ? subCode + 2 : 3;
    return 9;
}

bool GridSquareOf(int64_t code, GridSquare& square) {
    if (code < 1000 || (code > 10000 && code < 100000)) return false;
    if (code <= 10000) {
        const int64_t pq = code / 100, uv = code % 100;
        square.south = pq * 2.0 / 3.0;
        square.west = uv + 100.0;
        square.north = square.south + 2.0 / 3.0;
        square.east = square.west + 1.0;
        return true;
    }
    while (code > 999999) code /= 10;  // the first six digits
    const int64_t pq = code / 10000, uv = code / 100 % 100, r = code / 10 % 10, s = code % 10;
    square.south = (pq + r / 8.0) * 2.0 / 3.0;
    square.west = uv + 100.0 + s / 8.0;
    square.north = square.south + 1.0 / 12.0;
    square.east = square.west + 1.0 / 8.0;
    return true;
}

int32_t ImportHtfMap(int32_t zonePass, const std::filesystem::path& path, int32_t fileIndex,
                     const HtfInputValues& options) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) return -1;
    const std::string dxfName = std::filesystem::path(path).replace_extension(".DXF").string();
    g_dxfSourcePath = dxfName;
    g_backgroundDxfPath = dxfName;
    bool empty = false;
    if (!zonePass && fileIndex == 0 && g_dxfElementCount > 0)
        empty = ShowMessage(kAskDelete, "", msg::kYesNo) == msg::kIdYes;

    // The registration is scratch while the file is read; a file not taken leaves it as it was.
    const DxfRegistration before = g_dxfRegistration;
    ShowWaitCursor(true);
    HtfReader reader(zonePass != 0, options);
    const bool read = reader.Run(file.get(), path);
    ShowWaitCursor(false);
    if (zonePass) {
        g_dxfRegistration = before;
        return 0;
    }
    if (!read || !CommitImportElements(reader.m_elements, empty)) {
        g_dxfRegistration = before;
        return -1;
    }
    if (g_dxfElementCount > 0) FinishImportElements();
    else g_dxfRegistration = before;
    return 0;
}

void RunHtfMapSelect(HtfInputDialog dialog) {
    FileDialogRequest request;
    request.title = kTitle;
    request.filter = kFilter;
    request.folder = g_workFolder;
    const std::vector<std::string> files = RunMultipleFileDialog(request);
    if (files.empty()) return;
    g_lastFolder = FolderOfPath(files.front());
    HtfInputValues values;
    ImportHtfMap(1, files.front(), 0, values);
    values = OpenHtfInput();
    if (dialog && !dialog(values)) return;
    for (size_t i = 0; i < files.size(); ++i)
        if (ImportHtfMap(0, files[i], static_cast<int32_t>(i), values) != 0) break;
    g_overviewExtent = 0;
    ComputeDataExtents(0);
    g_birdsEyeTilt = -0.2;
    ClearViewHistory();
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}
