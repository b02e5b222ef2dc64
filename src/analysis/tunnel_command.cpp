#include "analysis/tunnel_command.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "model/duplicate_points.h"
#include "model/numeric_text.h"
#include "model/progress.h"
#include "model/terrain_data.h"
#include "platform/file_dialog.h"
#include "platform/input.h"
#include "platform/text_io.h"
#include "shell/command_routing.h"
#include "shell/tool_mode.h"
#include "view/pick_overlay.h"
#include "model/tin_grid_builder.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/view_input.h"
#include "view/view_navigation.h"
#include "view/view_picking.h"
#include "view/view_state.h"
#include "view/view_transform.h"

CTunnelDevelopDlg* g_tunnelDlg = nullptr;

namespace {

std::function<void()> g_tunnelWindowFactory;

constexpr int32_t kChainNear = 10;  // pixels, city-block
constexpr uint32_t kAxisPen = 0x4040FF;     // RGB(255, 64, 64)
constexpr uint32_t kAxisBrush = 0x00FFFF;   // RGB(255, 255, 0)
constexpr uint32_t kAxisStart = 0x0000FF;   // RGB(255, 0, 0)

struct Vec3 {
    double x, y, z;
};
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double Length(Vec3 a) { return std::sqrt(Dot(a, a)); }
double Cosine(Vec3 a, Vec3 b) {
    const double l = Length(a) * Length(b);
    return l > 0.0 ? Dot(a, b) / l : -1.0;
}
Vec3 Of(const TunnelChainPoint& p) { return {p.x, p.y, p.z}; }

struct ClientPos {
    int32_t x = 0, y = 0;
    bool shown = false;
};

// Where a ground point appears in the window, as the points' own projection has it;
// shown when it lies on the screen.
ClientPos Project(double x, double y, double z) {
    RandomPoint r{};
    r.x = x, r.y = y, r.z = z;
    ProjectRecord(r);
    ClientPos c;
    c.x = g_viewportCenterX + r.screenX;
    c.y = g_viewportCenterY - r.screenY;
    c.shown = r.hidden == 0 && c.x >= 0 && c.x <= g_bufferMaxX && c.y >= 0 && c.y <= g_bufferMaxY;
    return c;
}

int32_t CityBlock(const ClientPos& a, int32_t x, int32_t y) { return std::abs(a.x - x) + std::abs(a.y - y); }

std::string Fixed(const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

// The message text 1140 as the progress window of the duplicate search.
class MessageProgress : public ProgressWindow {
public:
    explicit MessageProgress(TunnelDevelopState& s) : m_state(s) {}
    void Refresh() override {}
    void SetCaption(const std::string&) override {}
    void ShowNote(const std::string& text) override {
        m_state.messageText = text;
        if (m_state.onMessage) m_state.onMessage();
    }
    void Destroy() override {}

private:
    TunnelDevelopState& m_state;
};

bool NameStarts(const RandomPoint& p, const char* tag) {
    return p.name[0] == '@' && std::strncmp(p.name + 1, tag, std::strlen(tag)) == 0;
}

// A field of a fixed-column line; empty beyond its end.
std::string Columns(const std::string& line, size_t from, size_t count) {
    return from < line.size() ? line.substr(from, count) : std::string();
}

}  // namespace

CTunnelDevelopDlg::CTunnelDevelopDlg() {
    g_toolMode = 0;
    g_dragState = 0;
    if (judgement < 0.0001) judgement = 0.001;
    int32_t begin = 0, end = 0;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        if (NameStarts(g_points[i], "BGN")) begin = i;
        if (NameStarts(g_points[i], "END")) end = i;
    }
    if (begin != 0 && end != 0) {
        state.basePoint1 = begin;
        state.basePoint2 = end;
        FullRepaintView();
    }
    state.onMessage = [this] { Refresh(); };
    g_tunnelDlg = this;
    UpdateTexts();
}

CTunnelDevelopDlg::~CTunnelDevelopDlg() {
    refreshControls = nullptr;
    g_toolMode = 0;
    g_dragState = 0;
    if (g_tunnelDlg == this) g_tunnelDlg = nullptr;
    state.onMessage = nullptr;
    // However the window goes, the points do not stay developed.
    if (state.Developed()) RestoreTunnelPoints(state);
    state.copy.clear();
    state.copiedCount = 0;
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

void CTunnelDevelopDlg::Refresh() {
    if (refreshControls) refreshControls();
}

int32_t CTunnelDevelopDlg::ChainCount() const {
    int32_t n = 0;
    while (n < kTunnelChainSize && state.chain[n].present) ++n;
    return n;
}

void CTunnelDevelopDlg::OnTwoPointMode() {
    axisMode = kTwoPoints;
    pickMode = 0;
    g_toolMode = 0;
    for (TunnelChainPoint& p : state.chain) p = TunnelChainPoint{};
    heightDifferenceShown = false;
    importEnabled = false;
    sphereEnabled = !state.Developed();
    state.messageText = "２点のランダム点を軸に展開します";
    UpdateTexts();
}

void CTunnelDevelopDlg::OnChainMode() {
    axisMode = kChain;
    pickMode = 0;
    g_toolMode = 0;
    state.basePoint1 = state.basePoint2 = 0;
    heightDifferenceShown = true;
    importEnabled = true;
    sphereEnabled = false;
    state.messageText = "指定座標間を軸に展開します";
    UpdateTexts();
}

void CTunnelDevelopDlg::OnBasePoint1(bool down) {
    heightDifferenceShown = false;
    pickMode = down ? 1 : 0;
    if (down) {
        g_dragState = 0;
        g_toolMode = MODE_OUTLINE_EDIT;
        g_outlineEditState = 0;
        state.messageText = axisMode == kTwoPoints ? "基点側ランダム点を指定します" : "高度値を路盤と天盤から計算します";
    } else {
        g_toolMode = 0;
        state.messageText.clear();
    }
    UpdateTexts();
}

void CTunnelDevelopDlg::OnBasePoint2(bool down) {
    heightDifferenceShown = false;
    pickMode = down ? 2 : 0;
    if (down) {
        g_dragState = 0;
        g_toolMode = MODE_OUTLINE_EDIT;
        g_outlineEditState = 0;
        state.messageText =
            axisMode == kTwoPoints ? "終点側ランダム点を指定します" : "高度値を近傍ランダム点標高－高度差とします";
    } else {
        g_toolMode = 0;
        state.messageText.clear();
    }
    heightDifferenceShown = axisMode == kChain && pickMode != 1;
    UpdateTexts();
}

int32_t CTunnelDevelopDlg::OnViewClick(int32_t flags, int32_t x, int32_t y) {
    int32_t result = 0;
    const bool ignored = (flags & (kMouseFlagShift | kMouseFlagControl)) != 0 || IsKeyDown(key::kAlt);
    if (!ignored) {
        if (axisMode == kTwoPoints)
            PickBasePoint(flags, x, y, result);
        else
            EditChainPoint(flags, x, y, result);
    }
    UpdateTexts();
    return result;
}

void CTunnelDevelopDlg::PickBasePoint(int32_t, int32_t x, int32_t y, int32_t& result) {
    if (pickMode == 0) return;
    const int32_t p = FindPointAtCursor(x, y, kPickRadius2);
    if (p != 0 && (p == state.basePoint1 || p == state.basePoint2)) {
        const int32_t own = pickMode == 1 ? state.basePoint1 : state.basePoint2;
        if (p == own) pickMode = 0;
        return;
    }
    if (p == 0) return;
    (pickMode == 1 ? state.basePoint1 : state.basePoint2) = p;
    pickMode = 0;
    result = p;
}

void CTunnelDevelopDlg::RemoveChainPoint(int32_t i) {
    for (int32_t k = i; k + 1 < kTunnelChainSize; ++k) state.chain[k] = state.chain[k + 1];
    state.chain[kTunnelChainSize - 1] = TunnelChainPoint{};
}

void CTunnelDevelopDlg::EditChainPoint(int32_t, int32_t x, int32_t y, int32_t& result) {
    if (pickMode == 0) return;
    const int32_t n = ChainCount();
    // 1. A chain point under the click goes.
    int32_t nearest = -1, nearestDistance = kChainNear;
    std::vector<ClientPos> chainPos(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) {
        chainPos[i] = Project(state.chain[i].x, state.chain[i].y, state.chain[i].z);
        if (!chainPos[i].shown) continue;
        const int32_t d = CityBlock(chainPos[i], x, y);
        if (d < nearestDistance) nearestDistance = d, nearest = i;
    }
    if (nearest >= 0) {
        RemoveChainPoint(nearest);
        result = -1;
        return;
    }
    // 2. The random point under the click: the nearest, and once close, the highest.
    int32_t best = 0, bestDistance = kChainNear;
    const bool haveScreen = g_projectionValid == 1;
    if (!haveScreen) ProjectAllData(0);
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        const RandomPoint& p = g_points[i];
        if (p.hidden != 0) continue;
        const ClientPos c{g_viewportCenterX + p.screenX, g_viewportCenterY - p.screenY, true};
        const int32_t d = std::max(2, CityBlock(c, x, y));
        if (d >= kChainNear) continue;
        if (best == 0 || (bestDistance > 3 && d <= bestDistance) ||
            (bestDistance <= 3 && d <= bestDistance && p.z > g_points[best].z)) {
            best = i;
            bestDistance = d;
        }
    }
    double nx = 0, ny = 0, nz = 0;
    if (g_birdsEyeOn) {
        if (PickTinPoint3D(x - g_viewportCenterX, g_viewportCenterY - y, nx, ny, nz) == 0) {
            if (best == 0) return;
            nx = g_points[best].x, ny = g_points[best].y, nz = g_points[best].z;
        }
    } else {
        if (best == 0) return;
        ClientToGround(x, y, nx, ny);
        nz = g_points[best].z;
    }
    // 3. A chain point nearer to the new one than the random point was: that one goes.
    const ClientPos at = Project(nx, ny, nz);
    const int32_t limit = best != 0 ? bestDistance : kChainNear;
    nearest = -1;
    nearestDistance = limit;
    for (int32_t i = 0; i < n; ++i) {
        if (!chainPos[i].shown) continue;
        const int32_t d = CityBlock(chainPos[i], at.x, at.y);
        if (d < nearestDistance) nearestDistance = d, nearest = i;
    }
    if (nearest >= 0) {
        RemoveChainPoint(nearest);
        result = -1;
        return;
    }
    // 4. Its height.
    if (pickMode == 2) {
        nz -= heightDifference;
    } else {
        double z = 0;
        nz = HeightFromFloorAndCrown(nx, ny, z) ? z : HeightFromNeighbours(nx, ny, nz);
    }
    // 5. In its place along the chain.
    InsertChainPoint(nx, ny, nz);
    result = -1;
}

void CTunnelDevelopDlg::InsertChainPoint(double x, double y, double z) {
    const int32_t n = ChainCount();
    if (n >= kTunnelChainSize) return;
    const Vec3 p{x, y, z};
    int32_t at = n;
    if (n >= 2) {
        const Vec3 c0 = Of(state.chain[0]), c1 = Of(state.chain[1]);
        const Vec3 last = Of(state.chain[n - 1]), before = Of(state.chain[n - 2]);
        if (Cosine(last - before, p - last) > 0.5) {
            at = n;
        } else if (Cosine(c0 - c1, p - c0) > 0.5) {
            at = 0;
        } else {
            double bestDistance = 0;
            int32_t bestSegment = 0;
            for (int32_t k = 1; k < n; ++k) {
                const Vec3 a = Of(state.chain[k - 1]), b = Of(state.chain[k]);
                const double len = Length(b - a);
                if (!(len > 1e-6)) continue;
                const double t = Dot(p - a, b - a) / len;
                if (t < 0.0 || t > len) continue;
                const double d = std::sqrt(std::max(0.0, Dot(p - a, p - a) - t * t));
                if (d > len) continue;
                if (bestSegment == 0 || d < bestDistance) bestSegment = k, bestDistance = d;
            }
            at = bestSegment != 0 ? bestSegment : n;
        }
    }
    for (int32_t k = n; k > at; --k) state.chain[k] = state.chain[k - 1];
    state.chain[at] = TunnelChainPoint{true, x, y, z};
}

bool CTunnelDevelopDlg::HeightFromFloorAndCrown(double x, double y, double& z) const {
    std::vector<double> heights;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        const RandomPoint& p = g_points[i];
        const double dx = p.x - x, dy = p.y - y;
        if (dx * dx + dy * dy < 6.25) heights.push_back(p.z);
    }
    if (heights.size() < 10) return false;
    double mean = 0;
    for (double h : heights) mean += h;
    mean /= static_cast<double>(heights.size());
    double above = 0, below = 0;
    int32_t nAbove = 0, nBelow = 0;
    for (double h : heights) {
        if (h > mean) above += h, ++nAbove;
        if (h < mean) below += h, ++nBelow;
    }
    if (nAbove < 5 || nBelow < 5) return false;
    above /= nAbove;
    below /= nBelow;
    if (std::fabs(above - below) < state.width * 0.0625) return false;
    z = (above + below) / 2.0;
    return true;
}

double CTunnelDevelopDlg::HeightFromNeighbours(double x, double y, double z) const {
    const double w2 = state.width * state.width;
    std::vector<double> diffs;
    for (int32_t i = 1; i <= g_pointCount; ++i) {
        const RandomPoint& p = g_points[i];
        const double dx = p.x - x, dy = p.y - y;
        if (dx * dx + dy * dy <= w2) diffs.push_back(p.z - z);
    }
    double sum = 0;
    for (double d : diffs) sum += d;
    const double g = std::fabs(sum / (static_cast<double>(diffs.size()) + 1.0) * 0.3);
    double kept = 0;
    int32_t count = 0;
    for (double d : diffs)
        if (std::fabs(d) >= g) kept += d, ++count;
    return z + kept / (count + 1);
}

int32_t CTunnelDevelopDlg::OnViewKey(int32_t key) {
    if (key != vkey::kDelete && key != vkey::kBack) return 0;
    int32_t removed = 0;
    if (axisMode == kTwoPoints) {
        if (state.basePoint2 != 0)
            state.basePoint2 = 0, removed = 1;
        else if (state.basePoint1 != 0)
            state.basePoint1 = 0, removed = 1;
    } else if (const int32_t n = ChainCount(); n > 0) {
        state.chain[n - 1] = TunnelChainPoint{};
        removed = 1;
    }
    UpdateTexts();
    return removed;
}

void CTunnelDevelopDlg::UpdateTexts() {
    baseText1.clear();
    baseText2.clear();
    char buf[64];
    if (axisMode == kTwoPoints) {
        if (state.basePoint1 != 0) std::snprintf(buf, sizeof buf, "NO %d", state.basePoint1), baseText1 = buf;
        if (state.basePoint2 != 0) std::snprintf(buf, sizeof buf, "NO %d", state.basePoint2), baseText2 = buf;
    } else if (const int32_t n = ChainCount(); n > 0) {
        std::snprintf(buf, sizeof buf, "[%d] %3.1fm", n, state.chain[n - 1].z);
        baseText1 = buf;
    }
    Refresh();
}

std::string CTunnelDevelopDlg::OnWidthChanged(const std::string& text) {
    double v = 0;
    if (ParseDialogNumber(text, &v) && v > 0.0) state.width = v;
    UpdateTexts();
    return Fixed(" %3.1f", state.width);
}

std::string CTunnelDevelopDlg::OnHeightDifferenceChanged(const std::string& text) {
    double v = 0;
    if (!text.empty() && ParseDialogNumber(text, &v)) heightDifference = v;
    UpdateTexts();
    return Fixed(" %3.1f", heightDifference);
}

std::string CTunnelDevelopDlg::OnDistanceChanged(const std::string& text) {
    double v = 0;
    if (!text.empty() && ParseDialogNumber(text, &v)) judgement = v < 0.0001 ? 0.001 : v;
    UpdateTexts();
    return Fixed(" %5.3f", judgement);
}

void CTunnelDevelopDlg::AfterDevelop() {
    if (state.Developed()) {
        restoreEnabled = true;
        cylinderEnabled = false;
        sphereEnabled = false;
    }
    pickMode = 0;
    UpdateTexts();
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

void CTunnelDevelopDlg::OnDevelopCylinder() {
    if (axisMode == kTwoPoints)
        DevelopCylinder(state);
    else
        DevelopCylinderAlongChain(state);
    AfterDevelop();
}

void CTunnelDevelopDlg::OnDevelopSphere() {
    if (axisMode == kTwoPoints) DevelopSphere(state);
    AfterDevelop();
}

void CTunnelDevelopDlg::OnRestore() {
    RestoreTunnelPoints(state);
    // A refused restore keeps the copy, and with it the way back.
    if (!state.Developed()) {
        restoreEnabled = false;
        cylinderEnabled = true;
        sphereEnabled = axisMode == kTwoPoints;
    }
    UpdateTexts();
    FullRepaintView();
}

void CTunnelDevelopDlg::OnInvalidateDuplicates() {
    MessageProgress progress(state);
    FindDuplicatePoints(&progress, keepMode, judgement);
    FullRepaintView();
}

void CTunnelDevelopDlg::OnReleaseInvalid() {
    for (int32_t i = 1; i <= g_pointCount; ++i)
        if (g_points[i].invalid == kPointOnTunnelAxis) g_points[i].invalid = 0;
    FullRepaintView();
}

void CTunnelDevelopDlg::OnMakeTwoSided() {
    if (!g_tinEdges || g_tinEdgeCount < 2) return;
    const int32_t count = g_tinEdgeCount;
    for (int32_t i = 1; i <= g_pointCount; ++i) g_points[i].multiUse = 0;
    int32_t used = 0;
    for (int32_t r = 1; r <= count; ++r) {
        for (const int32_t v : {g_tinEdges[r].a, g_tinEdges[r].b}) {
            if (v < 1 || v > g_pointCount || g_points[v].multiUse != 0) continue;
            g_points[v].multiUse = 1;
            ++used;
        }
    }
    if (used * 5 < count) {
        state.messageText = "既に両面化されています";
        Refresh();
        return;
    }
    const int32_t needed = 2 * count + 32;
    if (needed > g_tinEdgeCapacity) {
        if (GrowTinEdgeBlock(needed) != 0) return;
        g_tinEdgeCapacity = needed;
    }
    for (int32_t r = count; r >= 1; --r) {
        const TinEdge e = g_tinEdges[r];
        g_tinEdges[2 * r - 1] = e;
        TinEdge back = e;
        std::swap(back.a, back.b);
        g_tinEdges[2 * r] = back;
    }
    g_tinEdgeCount = 2 * count;
    SetTinEndRecord();
    state.messageText = "両面化完了";
    Refresh();
    FullRepaintView();
}

void CTunnelDevelopDlg::OnImportRoute() {
    FileDialogRequest request;
    request.title = "ルートファイルの選択";
    request.filter = "ルートファイル(*.RUT)|*.RUT|すべてのファイル|*.*|";
    request.folder = g_dataFolder;
    const std::string path = RunFileDialog(request);
    if (path.empty()) return;
    ImportRoute(path);
}

bool CTunnelDevelopDlg::ImportRoute(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    std::string line;
    auto next = [&] {
        if (!ReadTextLine(file, line)) return false;
        if (line.size() > 99) line.resize(99);
        return true;
    };
    for (int i = 0; i < 5; ++i) {
        const bool header = next() && line.size() >= 2 &&
                            (static_cast<unsigned char>(line[0]) & static_cast<unsigned char>(line[1])) == 0x2A;
        if (!header) {
            std::fclose(file);
            return false;
        }
    }
    for (TunnelChainPoint& p : state.chain) p = TunnelChainPoint{};
    int32_t n = 0;
    bool more = false;
    while (next()) {
        if (line.empty()) break;
        if (n == kTunnelChainSize - 1) {
            more = true;
            break;
        }
        TunnelChainPoint& p = state.chain[n++];
        p.present = true;
        p.x = std::atof(Columns(line, 24, 15).c_str());
        p.y = std::atof(Columns(line, 39, 15).c_str());
        p.z = std::atof(Columns(line, 54, std::string::npos).c_str()) + heightDifference;
    }
    std::fclose(file);
    char buf[96];
    if (more)
        std::snprintf(buf, sizeof buf, "%d 点以降の路線データは\n読み込めません", kTunnelChainSize);
    else
        std::snprintf(buf, sizeof buf, "%d 点の路線データを取込", n);
    state.messageText = buf;
    UpdateTexts();
    FullRepaintView();
    return true;
}

void CTunnelDevelopDlg::PrepareClose(bool closeBox) {
    if (state.Developed()) OnRestore();
    if (!closeBox) return;
    for (int32_t i = 1; i <= g_pointCount; ++i)
        if (g_points[i].invalid == kPointOnTunnelAxis) g_points[i].invalid = 1;
}

void CTunnelDevelopDlg::OnOK() {
    PrepareClose(false);
    if (closeWindow)
        closeWindow();
    else
        delete this;
}

void CTunnelDevelopDlg::OnClose() {
    PrepareClose(true);
    if (closeWindow)
        closeWindow();
    else
        delete this;
}

void SetTunnelWindowFactory(std::function<void()> open) { g_tunnelWindowFactory = std::move(open); }

void OnTunnelDevelopment() {
    if (g_tunnelDlg) {
        if (g_tunnelDlg->closeWindow)
            g_tunnelDlg->closeWindow();
        else
            delete g_tunnelDlg;
        return;
    }
    if (g_tunnelWindowFactory) g_tunnelWindowFactory();
    if (g_tunnelDlg) g_tunnelDlg->OnDistanceChanged(Fixed("%.6f", g_dupTolerance));
}

void RegisterTunnelCommand(CommandHandlerMap& commands) {
    commands.SetHandler(33011, OnTunnelDevelopment);
    commands.SetUpdateRule(33011, [](CommandUpdate& u) {
        u.enabled = g_tunnelWindowFactory != nullptr || g_tunnelDlg != nullptr;
        u.check = g_tunnelDlg ? CheckState::kChecked : CheckState::kUnchecked;
    });
}

void DrawTunnelOverlay(OverlayCanvas& canvas) {
    if (!g_tunnelDlg) return;
    const TunnelDevelopState& s = g_tunnelDlg->state;
    canvas.SetPen(kAxisPen);
    auto series = [&canvas](const std::vector<ClientPos>& points) {
        const ClientPos* prev = nullptr;
        for (size_t i = 0; i < points.size(); ++i) {
            const ClientPos& p = points[i];
            if (!p.shown) {
                prev = nullptr;
                continue;
            }
            if (prev) {
                canvas.MoveTo(prev->x, prev->y);
                canvas.LineTo(p.x, p.y);
            }
            if (i == 0) {
                canvas.FillRect(p.x - 4, p.y - 4, p.x + 4, p.y + 4, kAxisStart);
            } else {
                canvas.SetBrush(kAxisBrush);
                canvas.Ellipse(p.x - 4, p.y - 4, p.x + 4, p.y + 4);
            }
            prev = &p;
        }
    };
    std::vector<ClientPos> bases;
    for (const int32_t b : {s.basePoint1, s.basePoint2}) {
        if (b < 1 || b > g_pointCount) break;
        bases.push_back(Project(g_points[b].x, g_points[b].y, g_points[b].z));
    }
    series(bases);
    std::vector<ClientPos> chain;
    for (const TunnelChainPoint& p : s.chain) {
        if (!p.present) break;
        chain.push_back(Project(p.x, p.y, p.z));
    }
    series(chain);
    canvas.SetBrush(kOverlayWhite);
}
