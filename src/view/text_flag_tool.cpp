#include "view/text_flag_tool.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "model/tin_query.h"
#include "platform/desktop_open.h"
#include "platform/encoding.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "pointedit/edit_point.h"
#include "shell/tool_mode.h"
#include "shell/work_folder.h"
#include "view/display_flags.h"
#include "view/palette.h"
#include "view/pick_overlay.h"
#include "view/projection.h"
#include "view/raster_primitives.h"
#include "view/text_flag_file.h"
#include "view/text_flags.h"
#include "view/view_input.h"
#include "view/view_navigation.h"
#include "view/view_picking.h"
#include "view/view_state.h"
#include "view/view_transform.h"

namespace fs = std::filesystem;

CTextFlagDlg* g_textFlagDlg = nullptr;

namespace {
constexpr int32_t kDragSlack = 4;          // pixels a press may move and stay a click
constexpr int32_t kPressPickLimit = 15;    // city-block pixels to take a flag at a press
constexpr int32_t kLinkPickLimit = 30;     // city-block pixels of a link mark
constexpr int32_t kDeletePickRadius2 = 400;
constexpr int32_t kEditPickRadius2 = 2000;
constexpr int32_t kSnapRadius2 = 4800;
constexpr int kFirstFlagColorEntry = 76;
constexpr uint32_t kDragMarkColor = 0x00C0FF;  // red 255, green 192, blue 0

constexpr const char* kFlagFilter = "テキストフラグファイル (*.TFG)|*.TFG|すべてのファイル|*.*||";
constexpr const char* kLinkFilter =
    "All Files|*.*|PDF Files|*.PDF|BMP Files|*.BMP|Jpeg Files|*.jpg|TIFF Files|*.tif|Doc "
    "Files|*.doc|TEXT Files|*.txt|";
constexpr const char* kLinkOutsideFolder =
    "リンクファイルはランダムデータファイルと同じフォルダにコピーしてください。";
constexpr const char* kNoComma = "「,」（半角のカンマ）は使えません。";

bool ValidFlag(int32_t i) { return i >= 1 && i <= std::min(g_textFlagCount, kMaxTextFlags); }

int32_t CityBlock(int32_t dc, int32_t dr, const TextFlag& f, bool withLineTop) {
    int32_t d = std::abs(f.screenX - dc) + std::abs(f.screenY - dr);
    if (withLineTop) d = std::min(d, std::abs(f.screenX - dc) + std::abs(f.screenY + f.lineLength - dr));
    return d;
}

// Nothing to stand on: the flag keeps the height it had.
bool NoSurface() {
    return !g_tinPresent || !(g_showTin || g_colorBandOn || g_showBackgroundImage);
}

std::string TrimLeft(std::string s) {
    const size_t start = s.find_first_not_of(" \t\r\n");
    return start == std::string::npos ? std::string() : s.substr(start);
}

std::string Trim(std::string s) {
    s = TrimLeft(std::move(s));
    const size_t end = s.find_last_not_of(" \t\r\n");
    return s.substr(0, end == std::string::npos ? 0 : end + 1);
}

void Copy(char* out, size_t size, const std::string& text) {
    const size_t n = Cp932PrefixLength(text, size - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

void Repaint(bool full) {
    if (full) g_redrawMask = -1;
    InvalidateAndUpdateView();
}

std::string DataFileStem() {
    if (g_currentDataPath.empty()) return "DATA1";
    return fs::path(g_currentDataPath).stem().string();
}

bool SameFolder(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;
    return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}
}  // namespace

fs::path TextFlagLinkFolder() {
    if (!g_currentDataPath.empty()) return fs::path(g_currentDataPath).parent_path();
    return ProgramFolder();
}

CTextFlagDlg::CTextFlagDlg() {
    g_textFlagDlg = this;
    g_showTextFlags = 1;
    m_ground.hidden = 1;
}

CTextFlagDlg::~CTextFlagDlg() {
    if (m_modified && ShowMessage("追加、編集したテキストフラグデータを保存しますか？", "",
                                  msg::kYesNo | msg::kIconQuestion) == msg::kIdYes)
        OnSave();
    if (g_toolMode == MODE_TEXT_FLAG) g_toolMode = MODE_NONE;
    g_selectedTextFlag = 0;
    if (g_textFlagDlg == this) g_textFlagDlg = nullptr;
}

void CTextFlagDlg::Refresh() {
    if (refreshControls) refreshControls();
}

void CTextFlagDlg::Shrink() { m_editPart = false; }

bool CTextFlagDlg::RevertMove() {
    if (m_movedFlag == 0) return false;
    if (ValidFlag(m_movedFlag)) {
        TextFlag& f = g_textFlags[m_movedFlag];
        f.x = m_movedX;
        f.y = m_movedY;
        f.z = m_movedZ;
    }
    m_movedFlag = 0;
    return true;
}

void CTextFlagDlg::OnMode(Mode mode) {
    if (RevertMove() || g_selectedTextFlag != 0) g_redrawMask = -1;
    g_showTextFlags = 1;
    m_mode = mode;
    g_toolMode = MODE_TEXT_FLAG;
    m_dragFlag = 0;
    g_selectedTextFlag = 0;
    Shrink();
    Refresh();
    Repaint(false);
}

bool CTextFlagDlg::StoreFields(TextFlag& f) {
    Copy(f.text, sizeof f.text, m_fields.text);
    Copy(f.link, sizeof f.link, m_fields.link);
    f.x = std::atof(m_fields.x.c_str());
    f.y = std::atof(m_fields.y.c_str());
    f.z = std::atof(m_fields.z.c_str());
    f.lineLength = TextFlagLineLengthFromText(m_fields.lineLength.c_str());
    f.colour = std::clamp(m_fields.colour, 1, 4);
    f.sizeClass = std::clamp(m_fields.sizeClass, 1, 3);
    return true;
}

void CTextFlagDlg::LoadFields(const TextFlag& f) {
    m_fields.text = std::string(f.text, strnlen(f.text, sizeof f.text));
    m_fields.link = std::string(f.link, strnlen(f.link, sizeof f.link));
    m_fields.x = FormatString("%.3f", f.x);
    m_fields.y = FormatString("%.3f", f.y);
    m_fields.z = FormatString("%.3f", f.z);
    m_fields.lineLength = FormatString("%d", f.lineLength);
    m_fields.colour = std::clamp(f.colour, 1, 4);
    m_fields.sizeClass = std::clamp(f.sizeClass, 1, 3);
}

void CTextFlagDlg::OnRegister() {
    m_movedFlag = 0;  // the flag stays where it was dragged
    // The file separates its fields by commas: such a text could not be read back.
    if ((m_mode == kAdd || m_mode == kEdit) &&
        (!TextFlagFieldStorable(m_fields.text.c_str()) || !TextFlagFieldStorable(m_fields.link.c_str()))) {
        ShowMessage(kNoComma, "", msg::kOk | msg::kIconWarning);
        if (focusText) focusText();
        return;
    }
    if (m_mode == kAdd && g_selectedTextFlag == 0) {
        if (m_fields.text.empty()) {
            ShowMessage("文字を入力してください", "", msg::kOk | msg::kIconWarning);
            if (focusText) focusText();
            return;
        }
        if (g_textFlagCount + 1 < kMaxTextFlags + 1) {
            TextFlag& f = g_textFlags[++g_textFlagCount];
            f = TextFlag{};
            StoreFields(f);
            m_modified = true;
        } else {
            ShowMessage("制限に達しました", "", msg::kOk | msg::kIconWarning);
        }
    } else if (m_mode == kEdit || m_mode == kAdd) {
        if (m_dragFlag > 0) g_selectedTextFlag = m_dragFlag;
        if (ValidFlag(g_selectedTextFlag)) {
            StoreFields(g_textFlags[g_selectedTextFlag]);
            m_modified = true;
        }
    }
    g_selectedTextFlag = 0;
    g_showTextFlags = 1;
    m_dragFlag = 0;
    m_selectedSizeClass = 0;
    Shrink();
    Refresh();
    Repaint(true);
}

void CTextFlagDlg::OnCancel() {
    Shrink();
    if (ValidFlag(g_selectedTextFlag) && m_selectedSizeClass != 0)
        g_textFlags[g_selectedTextFlag].sizeClass = m_selectedSizeClass;
    m_selectedSizeClass = 0;
    g_selectedTextFlag = 0;
    m_dragFlag = 0;
    RevertMove();
    Refresh();
    Repaint(true);
}

void CTextFlagDlg::OnLoad() {
    RevertMove();
    g_selectedTextFlag = 0;
    m_dragFlag = 0;
    int32_t append = 0;
    if (g_textFlagCount > 0)
        append = ShowMessage("現在のデータに追加しますか？", "", msg::kYesNo | msg::kIconQuestion) ==
                 msg::kIdYes;
    FileDialogRequest request;
    request.title = "テキストフラグデータ読込";
    request.filter = kFlagFilter;
    request.folder = g_workFolder;
    const std::string path = RunFileDialog(request);
    if (!path.empty()) {
        g_lastFolder = fs::path(path).parent_path().string();
        // Replacing: texts of class 1 are shown large unless the file says otherwise.
        if (g_textFlagCount > 0 && append == 0) g_textFlagSizes[0] = 20;
        ReadTextFlagFile(path, append);
    }
    Refresh();
    Repaint(true);
}

bool CTextFlagDlg::OnSave() {
    RevertMove();
    g_selectedTextFlag = 0;
    m_dragFlag = 0;
    FileDialogRequest request;
    request.save = true;
    request.title = "テキストフラグデータ保存";
    request.filter = kFlagFilter;
    request.defaultExtension = "TFG";
    request.folder = g_workFolder;
    request.fileName = DataFileStem() + ".TFG";
    const std::string path = RunFileDialog(request);
    if (path.empty()) return false;
    g_lastFolder = fs::path(path).parent_path().string();
    if (!WriteTextFlagFile(path)) return false;
    m_modified = false;
    return true;
}

void CTextFlagDlg::OnClose() {
    if (RevertMove() || g_selectedTextFlag != 0) Repaint(true);
    g_selectedTextFlag = 0;
    g_toolMode = MODE_NONE;
    if (closeWindow) closeWindow();
}

void CTextFlagDlg::OnBrowseLink() {
    const fs::path folder = TextFlagLinkFolder();
    FileDialogRequest request;
    request.title = "Link Files";
    request.filter = kLinkFilter;
    request.folder = folder.string();
    const std::string path = RunFileDialog(request);
    if (path.empty()) return;
    if (!SameFolder(fs::path(path).parent_path(), folder)) {
        ShowMessage(kLinkOutsideFolder, "", msg::kOk | msg::kIconError);
        return;
    }
    const std::string name = fs::path(path).filename().string();
    if (!TextFlagFieldStorable(name.c_str())) {
        ShowMessage(kNoComma, "", msg::kOk | msg::kIconWarning);
        return;
    }
    m_fields.link = Utf8ToCp932(name);
    Refresh();
}

std::string CTextFlagDlg::TextLeft(const std::string& text) { return m_fields.text = TrimLeft(text); }
std::string CTextFlagDlg::LinkLeft(const std::string& text) { return m_fields.link = Trim(text); }
std::string CTextFlagDlg::NumberLeft(const std::string& text) {
    return FormatString("%.3f", std::atof(text.c_str()));
}
std::string CTextFlagDlg::LineLengthLeft(const std::string& text) {
    return m_fields.lineLength = FormatString("%d", TextFlagLineLengthFromText(text.c_str()));
}

std::string CTextFlagDlg::SizeText() const {
    return FormatString(" %d", g_textFlagSizes[std::clamp(m_fields.sizeClass, 1, 3) - 1]);
}

std::string CTextFlagDlg::SizeLeft(const std::string& text) {
    const int32_t size = std::clamp(std::atoi(text.c_str()), kTextFlagSizeMin, kTextFlagSizeMax);
    g_textFlagSizes[std::clamp(m_fields.sizeClass, 1, 3) - 1] = size;
    Repaint(true);
    return SizeText();
}

std::string CTextFlagDlg::OnSizeClass(int32_t index) {
    m_fields.sizeClass = std::clamp(index + 1, 1, 3);
    if (ValidFlag(g_selectedTextFlag)) {
        TextFlag& f = g_textFlags[g_selectedTextFlag];
        if (m_selectedSizeClass == 0) m_selectedSizeClass = f.sizeClass;
        f.sizeClass = m_fields.sizeClass;
        Repaint(true);
    }
    return SizeText();
}

std::string CTextFlagDlg::AllLineLengths(const std::string& text) {
    if (std::none_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return {};
    const int32_t length = TextFlagLineLengthFromText(TrimLeft(text).c_str());
    const int32_t count = std::min(g_textFlagCount, kMaxTextFlags);
    for (int32_t i = 1; i <= count; ++i) g_textFlags[i].lineLength = length;
    Repaint(true);
    return FormatString("%d", length);
}

int32_t CTextFlagDlg::FlagColour(int32_t colourClass) {
    if (!g_drawBitmapInfo || colourClass < 1 || colourClass > 4) return 0;
    const RgbQuad& c = g_drawBitmapInfo->colors[kFirstFlagColorEntry + colourClass - 1];
    return c.red | c.green << 8 | c.blue << 16;
}

void CTextFlagDlg::SetFlagColour(int32_t colourClass, int32_t colorRef) {
    if (!g_drawBitmapInfo || colourClass < 1 || colourClass > 4) return;
    RgbQuad& c = g_drawBitmapInfo->colors[kFirstFlagColorEntry + colourClass - 1];
    c.red = colorRef & 255;
    c.green = (colorRef >> 8) & 255;
    c.blue = (colorRef >> 16) & 255;
    Refresh();
    Repaint(true);
}

// ---- The mouse tool ----

int32_t CTextFlagDlg::FlagNear(int32_t dc, int32_t dr, int32_t limit) const {
    int32_t best = 0, bestD = limit;
    const int32_t count = std::min(g_textFlagCount, kMaxTextFlags);
    for (int32_t i = 1; i <= count; ++i) {
        const TextFlag& f = g_textFlags[i];
        if (f.offScreen != 0) continue;
        const int32_t d = CityBlock(dc, dr, f, g_birdsEyeOn != 0);
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

bool CTextFlagDlg::Position(int32_t dc, int32_t dr, int32_t column, int32_t row, bool shift,
                            double& x, double& y, double& z) const {
    if (shift) {
        const int32_t p = FindPointAtCursor(column, row, kSnapRadius2);
        if (p > 0 && p <= g_pointCount) {
            x = g_points[p].x;
            y = g_points[p].y;
            z = g_points[p].z;
            return true;
        }
    }
    const bool noSurface = NoSurface();
    const double dragZ = ValidFlag(m_dragFlag) ? g_textFlags[m_dragFlag].z : 0.0;
    if (g_birdsEyeOn) {
        if (!noSurface && PickTinPoint3D(dc, dr, x, y, z) != 0) return true;
        if (!ValidFlag(m_dragFlag) || !(g_focalLength > 0)) return false;
        // Off the surface a dragged flag slides on the level it stands at.
        double dx = 0, dy = 0, dz = 0;
        BirdsEyePickRay(dc, dr, dx, dy, dz);
        if (!(std::abs(dz) > 0.0001)) return false;
        const double t = (dragZ - g_eyeZ) / dz;
        if (!(t > 0)) return false;
        x = g_eyeX + t * dx;
        y = g_eyeY + t * dy;
        z = dragZ;
        return true;
    }
    x = dr / g_viewScale + g_viewCenterX;
    y = dc / g_viewScale + g_viewCenterY;
    if (noSurface) {
        z = dragZ;
    } else {
        z = 0;
        if (GetTinZ(x, y) != 0) z = g_editPoint.z;
    }
    return true;
}

int32_t CTextFlagDlg::OnViewMouse(int32_t message, int32_t flags, int32_t column, int32_t row) {
    if (IsKeyDown(key::kAlt)) return 0;
    const bool shift = (flags & kMouseFlagShift) != 0;
    const bool ctrl = (flags & kMouseFlagControl) != 0;
    const bool left = (flags & kMouseFlagLeft) != 0;
    if (message == kFlagMouseMove && !left && m_dragFlag > 0) m_dragFlag = 0;
    const int32_t dc = column - g_bufferMaxX / 2;
    const int32_t dr = g_bufferMaxY / 2 - row;
    const bool wanted = message == kFlagLButtonUp || (message == kFlagMouseMove && m_dragFlag > 0);
    double x = 0, y = 0, z = 0;
    const bool found = wanted && Position(dc, dr, column, row, shift, x, y, z);
    const bool far = std::abs(column - m_pressX) > kDragSlack || std::abs(row - m_pressY) > kDragSlack;

    if (message == kFlagLButtonDown) {
        m_dragFlag = 0;
        if (g_projectionValid == 0) ProjectAllData(0);
        m_dragFlag = FlagNear(dc, dr, kPressPickLimit);
        if (m_dragFlag > 0) {
            const TextFlag& f = g_textFlags[m_dragFlag];
            m_ground.x = f.x;
            m_ground.y = f.y;
            m_ground.z = f.z;
        }
        if (m_dragFlag != m_movedFlag) RevertMove();
        m_pressX = column;
        m_pressY = row;
        m_movedFar = false;
    } else if (message == kFlagLButtonUp) {
        m_clickX = column;
        m_clickY = row;
        if (m_dragFlag <= 0) {
            m_ground.hidden = 1;
            if (found) {
                m_ground.x = x;
                m_ground.y = y;
                m_ground.z = z;
                ProjectRecord(m_ground);
            }
            m_dragFlag = -1;
            HandleClick(found);
        } else if (found && m_mode != kNone) {
            TextFlag& f = g_textFlags[m_dragFlag];
            if (ctrl) z = f.z;
            if (far) {
                if (m_dragFlag != m_movedFlag) {
                    RevertMove();
                    m_movedFlag = m_dragFlag;
                    m_movedX = f.x;
                    m_movedY = f.y;
                    m_movedZ = f.z;
                }
                f.x = x;
                f.y = y;
                f.z = z;
            }
            HandleClick(found);
            if (m_mode != kAdd) m_dragFlag = 0;
        } else {
            m_dragFlag = 0;
        }
    } else if (message == kFlagMouseMove && m_dragFlag > 0) {
        if (far) {
            if (m_mode == kDelete) {
                m_dragFlag = 0;
                return 0;
            }
            m_movedFar = true;
        }
        if (found) {
            m_ground.x = x;
            m_ground.y = y;
            m_ground.z = z;
            Repaint(false);
        }
    }
    return 0;
}

void CTextFlagDlg::HandleClick(bool found) {
    bool taken = false;
    if (m_mode == kAdd && m_dragFlag <= 0) {
        if (g_selectedTextFlag != 0) {
            g_selectedTextFlag = 0;
            RevertMove();
        }
        double x = m_ground.x, y = m_ground.y, z = m_ground.z;
        if (found && m_ground.hidden == 0) {
            taken = true;
        } else if (!g_birdsEyeOn) {
            ClientToGround(m_clickX, m_clickY, x, y);
            z = GetTinZ(x, y) != 0 ? g_editPoint.z : 0.0;
            taken = true;
        } else {
            const int32_t p = FindPointAtCursor(m_clickX, m_clickY, kSnapRadius2);
            if (p > 0 && p <= g_pointCount) {
                x = g_points[p].x;
                y = g_points[p].y;
                z = g_points[p].z;
                taken = true;
            }
        }
        if (taken) {
            m_fields.x = FormatString("%.3f", x);
            m_fields.y = FormatString("%.3f", y);
            m_fields.z = FormatString("%.3f", z);
        }
        m_fields.text.clear();
        m_fields.link.clear();
    } else if (m_mode == kDelete) {
        RevertMove();
        const int32_t f =
            m_dragFlag > 0 ? m_dragFlag : FindTextFlagAtCursor(m_clickX, m_clickY, kDeletePickRadius2);
        if (!ValidFlag(f)) {
            g_selectedTextFlag = 0;
        } else if (f != g_selectedTextFlag) {
            g_selectedTextFlag = f;
        } else {
            const int32_t count = std::min(g_textFlagCount, kMaxTextFlags);
            for (int32_t i = f; i < count; ++i) g_textFlags[i] = g_textFlags[i + 1];
            g_textFlags[count] = TextFlag{};
            g_textFlagCount = count - 1;
            g_selectedTextFlag = 0;
            m_modified = true;
        }
    } else if (m_mode == kEdit || m_mode == kAdd) {
        const int32_t f =
            m_dragFlag > 0 ? m_dragFlag : FindTextFlagAtCursor(m_clickX, m_clickY, kEditPickRadius2);
        g_selectedTextFlag = ValidFlag(f) ? f : 0;
        m_selectedSizeClass = 0;
        if (g_selectedTextFlag != 0) {
            LoadFields(g_textFlags[g_selectedTextFlag]);
            taken = true;
        }
    }
    m_editPart = taken;
    Refresh();
    if (taken && focusText) focusText();
    Repaint(true);
}

void CTextFlagDlg::DrawOverlay(OverlayCanvas& canvas) {
    if (m_dragFlag <= 0) return;
    ProjectRecord(m_ground);
    if (m_ground.hidden != 0) return;
    const int32_t left = g_bufferMaxX / 2 + m_ground.screenX - 3;
    const int32_t top = g_bufferMaxY / 2 - m_ground.screenY - 3;
    canvas.FillRect(left, top, left + 6, top + 6, kDragMarkColor);
}

// ---- Picks without the tool ----

int32_t FindTextFlagAtCursor(int32_t column, int32_t row, int32_t r2) {
    if (g_projectionValid == 0) ProjectAllData(0);
    int32_t best = 0;
    int64_t bestD = r2;
    const int32_t count = std::min(g_textFlagCount, kMaxTextFlags);
    for (int32_t i = 1; i <= count; ++i) {
        const TextFlag& f = g_textFlags[i];
        if (f.offScreen != 0) continue;
        const int32_t cx = g_viewportCenterX + f.screenX;
        int32_t cy = g_viewportCenterY - f.screenY;
        if (g_birdsEyeOn) cy -= f.lineLength;
        if (cx < 1 || cx > g_bufferMaxX - 1 || cy < 1 || cy > g_bufferMaxY - 1) continue;
        const int64_t dx = cx - column, dy = cy - row;
        const int64_t d = dx * dx + dy * dy;
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

int32_t PickLinkMark(int32_t message, int32_t flags, int32_t column, int32_t row) {
    if ((flags & kMouseFlagControl) || IsKeyDown(key::kAlt) || message != kFlagLButtonUp) return 0;
    const int32_t dc = column - g_bufferMaxX / 2;
    const int32_t dr = g_bufferMaxY / 2 - row;
    int32_t best = 0, bestD = kLinkPickLimit;
    const int32_t count = std::min(g_textFlagCount, kMaxTextFlags);
    for (int32_t i = 1; i <= count; ++i) {
        const TextFlag& f = g_textFlags[i];
        if (f.offScreen != 0) continue;
        const int32_t d = CityBlock(dc, dr, f, g_birdsEyeOn != 0);
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    if (best != 0) {
        g_selectedTextFlag = best;
        g_redrawMask = -1;
    }
    InvalidateAndUpdateView();
    return 0;
}

void OpenSelectedFlagLink() {
    if (!ValidFlag(g_selectedTextFlag)) return;
    const TextFlag& f = g_textFlags[g_selectedTextFlag];
    const std::string link(f.link, strnlen(f.link, sizeof f.link));
    if (link.empty()) return;
    const std::string shown = Cp932ToUtf8(link);
    if (ShowMessage("'" + shown + "'", "", msg::kYesNo | msg::kIconQuestion) == msg::kIdYes) {
        // Only a file beside the data: a link naming another folder is not followed.
        const fs::path name = fs::path(shown);
        const fs::path folder = TextFlagLinkFolder();
        std::error_code ec;
        if (name.has_parent_path() || name.is_absolute() || name == "." || name == "..") {
            ShowMessage(kLinkOutsideFolder, "", msg::kOk | msg::kIconError);
        } else if (!fs::is_regular_file(folder / name, ec) || !OpenWithDesktop(folder / name, folder)) {
            ShowMessage("Failed \n '" + shown + "'", "", msg::kOk | msg::kIconError);
        }
    }
    g_selectedTextFlag = 0;
    g_redrawMask = -1;
}
