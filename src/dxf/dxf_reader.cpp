#include "dxf/dxf_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <numbers>
#include <string_view>

#include "dxf/dxf_entities.h"
#include "dxf/dxf_import_params.h"
#include "dxf/dxf_registration.h"
#include "dxf/dxf_snap_index.h"
#include "dxf/dxf_store.h"
#include "model/file_report.h"
#include "platform/encoding.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "platform/window_state.h"
#include "view/display_flags.h"

namespace {
enum class Keyword {
    kNone,
    kEof,
    kEntities,
    kLayer,
    kBlocks,
    kExtMin,
    kExtMax,
    kBlock,
    kEndBlk,
    kEntity,
    kInsert,
};

struct KeywordEntry {
    std::string_view text;
    Keyword keyword;
    DxfEntityKind kind;
};

constexpr KeywordEntry kKeywords[] = {
    {"EOF", Keyword::kEof, DxfEntityKind::kLine},
    {"ENTITIES", Keyword::kEntities, DxfEntityKind::kLine},
    {"LAYER", Keyword::kLayer, DxfEntityKind::kLine},
    {"BLOCKS", Keyword::kBlocks, DxfEntityKind::kLine},
    {"$EXTMIN", Keyword::kExtMin, DxfEntityKind::kLine},
    {"$EXTMAX", Keyword::kExtMax, DxfEntityKind::kLine},
    {"BLOCK", Keyword::kBlock, DxfEntityKind::kLine},
    {"ENDBLK", Keyword::kEndBlk, DxfEntityKind::kLine},
    {"SEQEND", Keyword::kEntity, DxfEntityKind::kSeqEnd},
    {"TEXT", Keyword::kEntity, DxfEntityKind::kText},
    {"MTEXT", Keyword::kEntity, DxfEntityKind::kMText},
    {"POLYLINE", Keyword::kEntity, DxfEntityKind::kPolyline},
    {"VERTEX", Keyword::kEntity, DxfEntityKind::kVertex},
    {"LWPOLYLINE", Keyword::kEntity, DxfEntityKind::kLwPolyline},
    {"3DFACE", Keyword::kEntity, DxfEntityKind::k3dFace},
    {"ARC", Keyword::kEntity, DxfEntityKind::kArc},
    {"CIRCLE", Keyword::kEntity, DxfEntityKind::kCircle},
    {"LINE", Keyword::kEntity, DxfEntityKind::kLine},
    {"POINT", Keyword::kEntity, DxfEntityKind::kPoint},
    {"SOLID", Keyword::kEntity, DxfEntityKind::kSolid},
    {"SPLINE", Keyword::kEntity, DxfEntityKind::kSpline},
    {"INSERT", Keyword::kInsert, DxfEntityKind::kLine},
};

const KeywordEntry* Classify(std::string_view line) {
    if (line.empty() || line.size() > 12) return nullptr;
    const char c = line.front();
    // Numbers, the most common lines, start no keyword but 3DFACE.
    if ((c >= '0' && c <= '9' && c != '3') || c == ' ' || c == '-' || c == '.') return nullptr;
    for (const KeywordEntry& k : kKeywords)
        if (MatchesDxfKeyword(line, k.text)) return &k;
    return nullptr;
}

struct Extents {
    double north = 0, east = 0, elevation = 0;
};

class DxfRun {
public:
    DxfRun(TextLineReader& lines, const std::string& path) : m_lines(lines), m_reader(lines), m_path(path) {}
    // False when a store could not grow.
    bool Scan();

private:
    void ReadLayerEntry();
    void ReadExtents(bool max);
    void ReadBlockStart();
    void AppendBlockEnd();
    void ReadInsert();
    void CheckExtents();

    TextLineReader& m_lines;
    DxfGroupReader m_reader;
    const std::string& m_path;
    DxfEntityRun m_run;
    std::string m_name;  // shared by the layer entries and the block starts
    Extents m_extMin{-std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                     -std::numeric_limits<double>::infinity()};
    Extents m_extMax{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::infinity()};
    int32_t m_extMinCount = 0;
    int32_t m_extMaxCount = 0;
    bool m_extentsUsed = false;
};

bool DxfRun::Scan() {
    m_run.splineQuality = g_dxfSplineQuality;
    ResetDxfEntityHead(m_run.pending.head);
    std::string_view line;
    while (m_lines.Next(line)) {
        if (line.empty()) continue;
        if (const KeywordEntry* k = Classify(line)) {
            switch (k->keyword) {
                case Keyword::kEof:
                    return true;
                case Keyword::kEntities:
                    m_run.target = DXF_TARGET_ENTITIES;
                    break;
                case Keyword::kLayer:
                    ReadLayerEntry();
                    break;
                case Keyword::kBlocks:
                    m_run.target = DXF_TARGET_BLOCKS;
                    break;
                case Keyword::kExtMin:
                case Keyword::kExtMax:
                    ReadExtents(k->keyword == Keyword::kExtMax);
                    break;
                case Keyword::kBlock:
                    ReadBlockStart();
                    break;
                case Keyword::kEndBlk:
                    AppendBlockEnd();
                    break;
                case Keyword::kEntity:
                    if (m_run.target == DXF_TARGET_BLOCKS || m_run.target == DXF_TARGET_ENTITIES)
                        HandleDxfEntity(k->kind, m_reader, m_run);
                    break;
                case Keyword::kInsert:
                    if (m_run.target == DXF_TARGET_ENTITIES) ReadInsert();
                    break;
                case Keyword::kNone:
                    break;
            }
        }
        CheckExtents();
        if (m_run.target == DXF_TARGET_FAILED) return false;
    }
    return true;
}

void DxfRun::CheckExtents() {
    if (m_extentsUsed || m_extMinCount != 1 || m_extMaxCount != 1) return;
    m_extentsUsed = true;
    DxfClip& c = m_run.clip;
    c.minNorth = m_extMin.north - 0.0001;
    c.minEast = m_extMin.east - 0.0001;
    c.maxNorth = m_extMax.north + 0.0001;
    c.maxEast = m_extMax.east + 0.0001;
    // Extents with the minimum above the maximum are the "nothing drawn yet" values CAD
    // programs write: clipping by them would drop the whole drawing.
    c.on = std::isfinite(c.minNorth) && std::isfinite(c.minEast) && std::isfinite(c.maxNorth) &&
           std::isfinite(c.maxEast) && c.minNorth <= c.maxNorth && c.minEast <= c.maxEast;
}

void DxfRun::ReadLayerEntry() {
    int32_t colour = 256;
    std::string_view line, value;
    for (;;) {
        if (!m_lines.Next(line) || line.empty()) return;
        const int32_t code = DxfGroupCode(line);
        if (code == 0) {
            if (g_dxfLayerCount < kMaxDxfLayers) {
                DxfLayer& layer = g_dxfLayers[++g_dxfLayerCount];
                std::memset(&layer, 0, sizeof layer);
                std::memcpy(layer.name, m_name.data(), std::min(m_name.size(), sizeof layer.name - 1));
                layer.colour = colour;
            }
            return;
        }
        if (!m_lines.Next(value) || value.empty()) return;
        if (code == 2)
            m_name = DxfStoredName(value, 128);
        else if (code == 62)
            colour = ParseDxfInt(value);
    }
}

void DxfRun::ReadExtents(bool max) {
    Extents e;
    std::string_view line, value;
    for (;;) {
        if (!m_lines.Next(line) || line.empty()) break;
        const int32_t code = DxfGroupCode(line);
        if (code == 0 || code == 9) break;
        if (!m_lines.Next(value) || value.empty()) break;
        if (code == 10)
            e.east = ParseDxfDouble(value);
        else if (code == 20)
            e.north = ParseDxfDouble(value);
        else if (code == 30)
            e.elevation = ParseDxfDouble(value);
    }
    if (max) {
        m_extMax = e;
        ++m_extMaxCount;
    } else {
        m_extMin = e;
        ++m_extMinCount;
    }
}

void DxfRun::ReadBlockStart() {
    m_run.target = DXF_TARGET_BLOCKS;
    Extents base;
    std::string_view line, value;
    for (;;) {
        if (!m_lines.Next(line) || line.empty()) break;
        if (MatchesDxfKeyword(line, "ENDSEC")) {
            m_run.target = DXF_TARGET_NONE;
            break;
        }
        const int32_t code = DxfGroupCode(line);
        if (code == 0) break;
        if (!m_lines.Next(value) || value.empty()) break;
        if (code == 2)
            m_name = DxfStoredName(value, 128);
        else if (code == 10)
            base.east = ParseDxfDouble(value);
        else if (code == 20)
            base.north = ParseDxfDouble(value);
        else if (code == 30)
            base.elevation = ParseDxfDouble(value);
    }
    if (!std::isfinite(base.east) || !std::isfinite(base.north) || !std::isfinite(base.elevation)) base = {};
    if (EnsureDxfCapacity(m_run.target, 100) < 0) return;
    DxfElement& e = AppendDxfRecord(m_run.target);
    std::memset(&e, 0, sizeof e);
    e.pen = DXF_PEN_BLOCK_START;
    e.x = e.sourceX = base.north;
    e.y = e.sourceY = base.east;
    e.z = base.elevation;
    std::memcpy(e.text, m_name.data(), Cp932PrefixLength(m_name, sizeof e.text - 1));
    // The record's text holds 31 bytes; the whole name is matched through the side table.
    g_dxfBlockNames[m_name].push_back(g_dxfBlockElementCount);
}

void DxfRun::AppendBlockEnd() {
    DxfTarget blocks = DXF_TARGET_BLOCKS;
    const int32_t r = EnsureDxfCapacity(blocks, 100);
    if (r == -2) m_run.target = DXF_TARGET_FAILED;
    if (r < 0) return;
    DxfElement& e = AppendDxfRecord(blocks);
    std::memset(&e, 0, sizeof e);
    e.pen = DXF_PEN_BLOCK_END;
}

void DxfRun::ReadInsert() {
    DxfInsert insert;
    m_reader.refused = false;
    ReadDxfInsertEntity(m_reader, insert);
    if (m_reader.refused) return;
    int32_t layer = 0;
    int32_t colour = insert.head.colour;
    FindOrAddDxfLayer(insert.head.layer, layer, colour);
    if (colour < 0 || insert.head.colour < 0) return;
    const auto found = g_dxfBlockNames.find(insert.blockName);
    if (found == g_dxfBlockNames.end()) return;
    const double theta = insert.rotation * std::numbers::pi / 180.0;
    const double cs = std::cos(theta), sn = std::sin(theta);
    const DxfClip& clip = m_run.clip;
    for (const int32_t start : found->second) {
        if (start < 1 || start > g_dxfBlockElementCount) continue;
        const DxfElement head = g_dxfBlockElementsBlock.Data()[start];
        if (head.pen != DXF_PEN_BLOCK_START) continue;
        bool afterDropped = false;
        for (int32_t i = start + 1; i <= g_dxfBlockElementCount; ++i) {
            const DxfElement m = g_dxfBlockElementsBlock.Data()[i];
            if (m.pen == DXF_PEN_BLOCK_END) break;
            if (m.pen >= 128) continue;
            if (EnsureDxfCapacity(m_run.target, 100) < 0) return;
            const double su = (m.y - head.y) * insert.scale[0];
            const double sv = (m.x - head.x) * insert.scale[1];
            const double east = insert.position.x + su * cs - sv * sn;
            const double north = insert.position.y + su * sn + sv * cs;
            const double z = (m.z - head.z) * insert.scale[2] + insert.position.z;
            if (!std::isfinite(east) || !std::isfinite(north) || !std::isfinite(z)) {
                afterDropped = true;
                continue;
            }
            DxfElement& e = AppendDxfRecord(m_run.target);
            e = m;
            e.colour = colour;
            if (afterDropped && e.pen == DXF_PEN_DRAW) e.pen = DXF_PEN_MOVE;
            afterDropped = false;
            e.x = e.sourceX = north;
            e.y = e.sourceY = east;
            e.z = z;
            e.textAngle = m.textAngle + insert.rotation;
            e.selected = 0;
            if (clip.on && clip.Outside(north, east)) {
                --g_dxfElementCount;
                ++g_dxfClippedCount;
                afterDropped = true;
            }
        }
    }
}

// Block-start records past the count are gone: their side-table entries with them.
void PruneBlockNames() {
    for (auto it = g_dxfBlockNames.begin(); it != g_dxfBlockNames.end();) {
        auto& v = it->second;
        v.erase(std::remove_if(v.begin(), v.end(), [](int32_t r) { return r > g_dxfBlockElementCount; }), v.end());
        it = v.empty() ? g_dxfBlockNames.erase(it) : std::next(it);
    }
}
}  // namespace

int32_t ReadBackgroundDxf(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        ReportCannotOpen(path);
        return kDxfReadCannotOpen;
    }
    const std::string oldSourcePath = g_dxfSourcePath;
    const std::string oldBackgroundPath = g_backgroundDxfPath;
    const DxfRegistration oldRegistration = g_dxfRegistration;
    g_dxfSourcePath = path;
    g_backgroundDxfPath = path;
    g_dxfRegistration.transformActive = 0;
    g_dxfRegistration.dxfLoaded = 0;
    ShowWaitCursor(true);
    if (g_dxfElementCount > 0 &&
        ShowMessage("現在の背景DXFデータを削除しますか", "", msg::kYesNo | msg::kIconQuestion) == msg::kIdYes) {
        g_dxfElementCountAtLoad = 0;
        g_dxfElementCount = 0;
        g_dxfBlockElementCount = 0;
        g_dxfLayerCount = 0;
        g_dxfBlockNames.clear();
    }
    const int32_t elementsBefore = g_dxfElementCount;
    const int32_t blocksBefore = g_dxfBlockElementCount;
    const int32_t layersBefore = g_dxfLayerCount;
    const int32_t countAtLoadBefore = g_dxfElementCountAtLoad;
    g_dxfFirstNewElement = g_dxfElementCount + 1;
    g_dxfClippedCount = 0;
    NoteDxfElementsChanged(g_dxfFirstNewElement);

    bool fitted;
    {
        TextLineReader lines(file);
        DxfRun run(lines, path);
        fitted = run.Scan();
    }
    std::fclose(file);
    if (!fitted) {
        // The drawing that did not fit is dropped whole; what was loaded before stays.
        g_dxfElementCount = elementsBefore;
        g_dxfBlockElementCount = blocksBefore;
        g_dxfLayerCount = layersBefore;
        g_dxfElementCountAtLoad = countAtLoadBefore;
        PruneBlockNames();
        g_dxfSourcePath = oldSourcePath;
        g_backgroundDxfPath = oldBackgroundPath;
        g_dxfRegistration = oldRegistration;
        ShowWaitCursor(false);
        ShowMessage(FormatString("%s is too big", path.c_str()), "Memory Error", msg::kOk | msg::kIconInformation);
        return kDxfReadTooBig;
    }
    g_dxfElementCountAtLoad = g_dxfElementCount;
    if (g_dxfElementCount >= 1) {
        g_dxfRegistration.transformActive = 0;
        std::fill(std::begin(g_dxfRegistration.vertexFlags), std::end(g_dxfRegistration.vertexFlags), 0);
        ResetDxfRegistration(1);
        g_showBackgroundDxf = 1;
        g_dxfRegistration.dxfLoaded = 1;
    }
    ShowWaitCursor(false);
    return kDxfReadDone;
}
