#include "pointedit/line_numbers.h"

#include <cstring>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/numeric_text.h"
#include "model/rnd_file.h"
#include "platform/file_dialog.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "pointedit/point_array.h"
#include "pointedit/point_deletion.h"
#include "shell/command_routing.h"
#include "shell/tool_mode.h"
#include "shell/work_folder.h"
#include "view/display_flags.h"
#include "view/view_input.h"
#include "view/view_navigation.h"
#include "view/view_picking.h"
#include "view/view_state.h"

int32_t g_lineWidthCm = 15;
std::string g_nextLineId;
std::string g_prevLineId;
int32_t g_prevLinePoint = 0;
CLineNumberDlg* g_lineNumberDlg = nullptr;

namespace {
std::function<void()> g_lineNumberWindowFactory;

constexpr int32_t kFreeIdSteps = 20000;

bool Digit(char c) { return c >= '0' && c <= '9'; }
bool Letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsPointIndex(int32_t i) { return i >= 1 && i <= g_pointCount; }

size_t NameLength(const RandomPoint& p) { return strnlen(p.name, sizeof p.name); }
char Kind(const RandomPoint& p) { return NameLength(p) > 4 ? p.name[4] : '\0'; }
std::string_view IdOf(const RandomPoint& p) {
    return std::string_view(p.name + 1, std::min<size_t>(NameLength(p) - 1, 3));
}
std::string_view LinkOf(const RandomPoint& p) {
    const size_t n = NameLength(p);
    return n > 5 ? std::string_view(p.name + 5, std::min<size_t>(n - 5, 3)) : std::string_view();
}
bool IsHeadKind(char kind) { return kind == 'W' || kind == 'w' || kind == 'T' || kind == 't'; }

bool NumericId(std::string_view id) {
    return Digit(id[2]) && (Digit(id[1]) || (id[0] == ' ' && id[1] == ' '));
}

// The text of an ID value: three digits up to 999, else the three character codes.
std::string IdText(int32_t value) {
    if (value >= 0 && value <= 999) return FormatString("%03d", value);
    return std::string{static_cast<char>((value >> 16) & 0xFF),
                       static_cast<char>((value >> 8) & 0xFF), static_cast<char>(value & 0xFF)};
}

// One character of the increment; true when it carries to the left.
bool IncrementChar(char& c) {
    if (c == ' ') {
        c = 'A';
    } else if (c == 'Z') {
        c = 'a';
    } else if (c == 'z') {
        c = 'A';
        return true;
    } else if (static_cast<unsigned char>(c) > 'z') {
        return true;
    } else {
        ++c;
    }
    return false;
}

void SetName(RandomPoint& p, const std::string& name) { CopyPointName(p.name, name); }
}  // namespace

int32_t LineIdValue(std::string_view id) {
    if (id.size() < 3) return 0;
    if (!Digit(id[0]) && id[0] != ' ') return 0;
    if (NumericId(id)) {
        int32_t v = 0;
        for (int k = 0; k < 3; ++k)
            if (Digit(id[k])) v = v * 10 + (id[k] - '0');
        return v;
    }
    return (static_cast<unsigned char>(id[0]) << 16) | (static_cast<unsigned char>(id[1]) << 8) |
           static_cast<unsigned char>(id[2]);
}

std::string IncrementLineId(std::string_view id) {
    std::string s(id.substr(0, std::min<size_t>(id.size(), 3)));
    if (s.size() < 3 || (!Digit(s[0]) && s[0] != ' ')) return s;
    if (NumericId(s)) {
        const int32_t v = LineIdValue(s);
        return v < 998 ? FormatString("%03d", v + 1) : std::string("0AA");
    }
    if (!IncrementChar(s[2])) return s;
    if (!IncrementChar(s[1])) return s;
    if (s[0] == ' ')
        s[0] = '1';
    else if (s[0] > '8')
        s[0] = '0';
    else
        ++s[0];
    return s;
}

bool IsLineNumbered(const RandomPoint& p) { return p.name[0] == '_' && Digit(p.name[1]); }

std::string FindHighestLineId() {
    int32_t best = -1, bestPoint = 0;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        const RandomPoint& p = g_points[i];
        const char kind = Kind(p);
        if (!IsLineNumbered(p) || kind == 'W' || kind == 'T' || NameLength(p) < 4) continue;
        const int32_t v = LineIdValue(IdOf(p));
        if (v >= best) {
            best = v;
            bestPoint = i;
        }
    }
    return bestPoint ? std::string(IdOf(g_points[bestPoint])) : std::string("000");
}

bool IsLineIdInUse(std::string_view id) {
    const int32_t v = LineIdValue(id);
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        const RandomPoint& p = g_points[i];
        if (IsLineNumbered(p) && LineIdValue(IdOf(p)) == v) return true;
    }
    return false;
}

std::string NextFreeLineId(std::string_view id) {
    std::string next(id);
    for (int32_t k = 0; k < kFreeIdSteps; ++k) {
        std::string stepped = IncrementLineId(next);
        // An ID that does not count (not starting with a digit) would step in place.
        if (stepped == next) break;
        next = std::move(stepped);
        if (!IsLineIdInUse(next)) break;
    }
    return next;
}

std::string LineIdStartValue() { return NextFreeLineId(FindHighestLineId()); }

// ---- the dialog ----

CLineNumberDlg::CLineNumberDlg() {
    g_nextLineId = LineIdStartValue();
    g_prevLineId.clear();
    g_prevLinePoint = 0;
    if (g_lineWidthCm < 1 || g_lineWidthCm > kMaxLineWidthCm) g_lineWidthCm = 15;
    g_lineNumberDlg = this;
}

CLineNumberDlg::~CLineNumberDlg() {
    g_pickedPoint = 0;
    if (g_lineNumberDlg == this) g_lineNumberDlg = nullptr;
}

void CLineNumberDlg::Refresh() {
    if (refreshControls) refreshControls();
}

void CLineNumberDlg::ResetRun() {
    g_prevLineId.clear();
    m_run = 0;
    g_prevLinePoint = 0;
    g_pickedPoint = 0;
}

void CLineNumberDlg::OnStartNumbering(bool ticked) {
    g_toolMode = MODE_NONE;
    g_dragState = 0;
    m_mode = ticked ? (m_triangles ? kTrianglePairs : kNumbering) : kNone;
    if (g_nextLineId.size() < 3) g_nextLineId = LineIdStartValue();
    ResetRun();
    g_showPointNames = -1;
    Refresh();
    FullRepaintView();
}

void CLineNumberDlg::OnStartAppend(bool ticked) {
    g_toolMode = MODE_NONE;
    g_dragState = 0;
    m_mode = ticked ? kAppend : kNone;
    m_triangles = false;
    g_nextLineId.clear();
    ResetRun();
    Refresh();
    QuickRepaintView();
}

void CLineNumberDlg::OnEndNumbering() {
    if (m_mode == kAppend || g_nextLineId.size() < 3) g_nextLineId = LineIdStartValue();
    m_mode = kNone;
    ResetRun();
    Refresh();
    QuickRepaintView();
}

void CLineNumberDlg::OnTriangle(bool ticked) {
    m_triangles = ticked;
    m_mode = kNone;
    Refresh();
}

std::string CLineNumberDlg::WidthLeft(const std::string& text) {
    double v = 0.0;
    // Wider lines would not fit the three digits of the ID field.
    if (ParseDialogNumber(text, &v) && v >= 1.0 && v < kMaxLineWidthCm + 1.0)
        g_lineWidthCm = static_cast<int32_t>(v);
    return FormatString("%4d", g_lineWidthCm);
}

std::string CLineNumberDlg::NextIdLeft(const std::string& text) {
    std::string t = text.substr(0, 60);
    const size_t start = t.find_first_not_of(' ');
    if (start == std::string::npos) {
        g_nextLineId = LineIdStartValue();
        return g_nextLineId;
    }
    t = t.substr(start);
    t = t.substr(0, t.find(' '));
    if (t.size() == 1) t = "00" + t;
    if (t.size() == 2) t = "0" + t;
    if (t.size() != 3 || !Digit(t[0]) || !(Letter(t[1]) || Digit(t[1])) ||
        !(Letter(t[2]) || Digit(t[2])))
        return g_nextLineId;
    if (IsLineIdInUse(t)) {
        ShowMessage(t + " は使用されています", "", msg::kOk | msg::kIconWarning);
        return g_nextLineId;
    }
    g_nextLineId = t;
    return g_nextLineId;
}

int32_t CLineNumberDlg::OnViewClick(int32_t flags, int32_t x, int32_t y) {
    if (flags & (kMouseFlagShift | kMouseFlagControl)) return 0;
    if (IsKeyDown(key::kAlt) || m_mode == kNone) return 0;
    const int32_t p = FindPointAtCursor(x, y, kPickRadius2);
    if (!IsPointIndex(p)) return 0;
    RandomPoint& P = g_points[p];
    const int32_t q = IsPointIndex(g_prevLinePoint) ? g_prevLinePoint : 0;
    const std::string width = FormatString("%03d", g_lineWidthCm);
    bool pairEnded = false;

    if (m_mode == kNumbering || m_mode == kTrianglePairs) {
        const char head = m_mode == kTrianglePairs ? 'T' : 'W';
        if (g_nextLineId.size() < 3) g_nextLineId = LineIdStartValue();
        if (q == 0) {
            g_prevLineId = g_nextLineId;
            g_nextLineId = NextFreeLineId(g_prevLineId);
            ++m_run;
            SetName(P, "_" + width + head + g_nextLineId);
            g_prevLinePoint = p;
        } else {
            if (m_mode == kNumbering && p == q) return 0;
            RandomPoint& Q = g_points[q];
            SetName(Q, "_" + (m_run == 1 ? width + head : g_prevLineId + ".") + g_nextLineId);
            SetName(P, "_" + g_nextLineId);
            g_prevLineId = g_nextLineId;
            g_nextLineId = NextFreeLineId(g_prevLineId);
            ++m_run;
            g_prevLinePoint = p;
            if (m_mode == kTrianglePairs && m_run >= 2) {
                m_run = 0;
                g_prevLinePoint = 0;
                pairEnded = true;
            }
        }
    } else if (m_mode == kAppend) {
        if (q == 0) {
            if (!IsLineNumbered(P)) return 0;
            const char kind = Kind(P);
            if ((kind == '\0' || kind == ' ' || kind == '.') && NameLength(P) > 3) {
                g_prevLineId = std::string(IdOf(P));
                g_nextLineId = NextFreeLineId(g_prevLineId);
            } else if ((kind == 'W' || kind == 'w') && NameLength(P) >= 8) {
                g_prevLineId = std::string(LinkOf(P));
                g_nextLineId = g_prevLineId;
                if (IsLineIdInUse(g_nextLineId)) g_nextLineId = NextFreeLineId(g_nextLineId);
            } else {
                return 0;
            }
            ++m_run;
            g_prevLinePoint = p;
        } else {
            if (p == q || g_nextLineId.size() < 3) return 0;
            RandomPoint& Q = g_points[q];
            // Q's ID and kind stay; the link follows them.
            char name[12] = {};
            std::memcpy(name, Q.name, sizeof name);
            if (name[4] == '\0' || name[4] == ' ') name[4] = '.';
            std::memcpy(name + 5, g_nextLineId.data(), 3);
            name[8] = '\0';
            SetName(Q, std::string(name));
            SetName(P, "_" + g_nextLineId);
            g_prevLineId = g_nextLineId;
            g_nextLineId = NextFreeLineId(g_prevLineId);
            ++m_run;
            g_prevLinePoint = p;
        }
    } else {
        return 0;
    }
    g_dataChanged = -1;
    g_pickedPoint = pairEnded ? 0 : p;
    Refresh();
    return 1;
}

void CLineNumberDlg::OnRenumber() {
    constexpr uint8_t kMember = 1, kLinked = 2, kHead = 4;
    const int32_t n = std::max(g_pointCount, 0);
    std::vector<uint8_t> bits(n + 1, 0);
    std::vector<int32_t> value(n + 1, 0);
    std::vector<uint8_t> reached(n + 1, 0);
    // The chain members by their old ID, in point order.
    std::unordered_map<int32_t, std::vector<int32_t>> byId;
    for (int32_t i = 1; i <= n; ++i) {
        const RandomPoint& p = g_points[i];
        if (!IsLineNumbered(p)) continue;
        const char kind = Kind(p);
        uint8_t b = (NameLength(p) > 5 && Digit(p.name[5])) ? kLinked : 0;
        if (IsHeadKind(kind))
            b |= kHead;
        else if (kind == '.')
            b |= kMember;
        else
            b = kMember;
        bits[i] = b;
        if (b & kMember) byId[LineIdValue(IdOf(p))].push_back(i);
    }
    std::unordered_map<int32_t, size_t> taken;  // members of an ID given out so far
    if (g_nextLineId.size() < 3) g_nextLineId = LineIdStartValue();
    for (int32_t h = 1; h <= n; ++h) {
        if ((bits[h] & (kHead | kLinked)) != (kHead | kLinked)) continue;
        value[h] = LineIdValue(g_nextLineId);
        reached[h] = 1;
        int32_t current = h;
        // Each member is reached once, so a chain that loops back ends.
        while (bits[current] & kLinked) {
            const int32_t link = LineIdValue(LinkOf(g_points[current]));
            auto it = byId.find(link);
            if (it == byId.end()) break;
            size_t& next = taken[link];
            if (next >= it->second.size()) break;
            const int32_t member = it->second[next++];
            g_nextLineId = IncrementLineId(g_nextLineId);
            value[member] = LineIdValue(g_nextLineId);
            reached[member] = 1;
            current = member;
        }
    }
    for (int32_t i = 1; i <= n; ++i) {
        if (!bits[i]) continue;
        RandomPoint& p = g_points[i];
        if (!reached[i]) {
            if (bits[i] & (kMember | kLinked)) std::memset(p.name, 0, sizeof p.name);
            continue;
        }
        char name[12] = {};
        std::memcpy(name, p.name, sizeof name);
        if (bits[i] & kMember) std::memcpy(name + 1, IdText(value[i]).data(), 3);
        if (bits[i] & kLinked) {
            std::memcpy(name + 5, IncrementLineId(IdText(value[i])).data(), 3);
            name[8] = '\0';
        }
        SetName(p, std::string(name, strnlen(name, sizeof name)));
    }
    g_dataChanged = -1;
    g_nextLineId = LineIdStartValue();
    m_mode = kNone;
    ResetRun();
    Refresh();
    FullRepaintView();
}

void CLineNumberDlg::OnErase() {
    DeletePointsKeepingTin(PointDeletionVariant::kLineNumbers);
    g_dataChanged = -1;
    m_mode = kNone;
    ResetRun();
    g_nextLineId = LineIdStartValue();
    Refresh();
    FullRepaintView();
}

bool CLineNumberDlg::SaveRnd(const std::string& path) const {
    RestoreSurveyFrame();  // never turned coordinates into a file
    RndTextLayout layout;
    layout.headerLine = "******************************";
    layout.validityColumn = 1;
    return WriteRndFile(
        path, [](const RandomPoint& p) { return IsLineNumbered(p); }, layout);
}

bool CLineNumberDlg::OnSave() {
    bool any = false;
    for (int32_t i = 1; i <= g_pointCount && !any; ++i) any = IsLineNumbered(g_points[i]);
    if (!any) {
        ShowMessage("白線データがありません", "", msg::kOk | msg::kIconWarning);
        return false;
    }
    FileDialogRequest request;
    request.save = true;
    request.title = "白線ランダムデータを保存";
    request.filter = "ランダムファイル (*.RND)|*.RND|すべてのファイル|*.*|";
    request.defaultExtension = "RND";
    request.folder = g_workFolder;
    const std::string chosen = RunFileDialog(request);
    if (chosen.empty()) return false;
    const std::string path = WithDefaultExtension(chosen, "RND");
    g_lastFolder = FolderOfPath(path);
    return SaveRnd(path);
}

// ---- the command ----

void SetLineNumberWindowFactory(std::function<void()> open) {
    g_lineNumberWindowFactory = std::move(open);
}

void OnLineNumbering() {
    if (g_lineNumberDlg) {
        if (g_lineNumberDlg->closeWindow)
            g_lineNumberDlg->closeWindow();
        else
            delete g_lineNumberDlg;
        return;
    }
    if (g_lineNumberWindowFactory) g_lineNumberWindowFactory();
}

void RegisterLineNumberCommand(CommandHandlerMap& commands) {
    commands.SetHandler(33056, OnLineNumbering);
    commands.SetUpdateRule(33056, [](CommandUpdate& u) {
        u.enabled = g_lineNumberWindowFactory != nullptr || g_lineNumberDlg != nullptr;
    });
}
