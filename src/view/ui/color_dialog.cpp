#include "view/ui/color_dialog.h"

#include <QColorDialog>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "view/view_state.h"

QPointer<CColorDialog> g_colorDialogWnd;

namespace {
QString Utf8(const char* text) { return QString::fromUtf8(text); }

QColor Rgb(uint32_t c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

struct Group {
    const char* label;
    int first;  // index into kColorSwatches
    int count;
    const char* names[16];
};
const Group kGroups[] = {
    {"ランダム点", 0, 4, {}},  {"外周", 4, 1, {}},      {"背景", 5, 1, {}},
    {"三角網", 6, 2, {}},      {"等高線", 8, 2, {}},    {"簡易線", 10, 2, {}},
    {"方眼", 12, 2, {}},       {"ＩＰ点", 14, 1, {}},   {"縦横断", 15, 2, {}},
    {"路線", 17, 3, {}},       {"背景画像", 20, 2, {"Ｂ", "Ｗ"}},
    {"ＤＸＦ", 22, 16, {"０", "１", "２", "３", "４", "５", "６", "７", "８", "９", "10", "11", "12", "13", "14", "15"}},
    {"メッシュ", 38, 2, {}},
};
}  // namespace

CColorDialog::CColorDialog(QWidget* mainWindow) : QDialog(mainWindow) {
    setObjectName("IDD_COLOR");
    setWindowTitle(Utf8("色設定"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    auto* groups = new QGridLayout;
    int at = 0;
    for (const Group& g : kGroups) {
        auto* box = new QGroupBox(Utf8(g.label), this);
        auto* row = new QGridLayout(box);
        row->setSpacing(3);
        for (int k = 0; k < g.count; ++k) {
            const int i = g.first + k;
            auto* swatch = new QFrame(box);
            swatch->setObjectName(QString::number(kColorSwatches[i].controlId));
            swatch->setFrameStyle(QFrame::Box | QFrame::Plain);
            swatch->setFixedSize(22, 16);
            m_swatches[i] = swatch;
            const int column = g.count > 8 ? k % 8 : k;
            const int line = g.count > 8 ? 2 * (k / 8) : 0;
            if (g.names[k]) row->addWidget(new QLabel(Utf8(g.names[k]), box), line + 1, column, Qt::AlignHCenter);
            row->addWidget(swatch, line, column);
        }
        groups->addWidget(box, at / 3, at % 3, 1, g.count > 8 ? 3 : 1);
        at += g.count > 8 ? 3 : 1;
    }
    layout->addLayout(groups);
    auto* buttons = new QHBoxLayout;
    const std::pair<int, const char*> texts[] = {{1025, "初期化"}, {1219, "反転"}, {1188, "閉じる"}};
    for (const auto& [id, text] : texts) {
        auto* b = new QPushButton(Utf8(text), this);
        b->setObjectName(QString::number(id));
        b->setAutoDefault(false);
        buttons->addWidget(b);
        connect(b, &QPushButton::clicked, this, [this, id = id] {
            if (id == 1188) {
                reject();
                return;
            }
            if (id == 1025)
                ResetPaletteColours();
            else
                SwapBackgroundImageColours();
            PaletteChanged();
        });
    }
    layout->addLayout(buttons);
    SetToolWindow(ToolWindow::kColor, this);
}

CColorDialog::~CColorDialog() {
    ClearToolWindow(ToolWindow::kColor, this);
    if (g_colorDialogWnd == this) g_colorDialogWnd = nullptr;
}

std::array<SwatchRect, kColorSwatchCount> CColorDialog::SwatchRects() const {
    std::array<SwatchRect, kColorSwatchCount> rects{};
    for (int i = 0; i < kColorSwatchCount; ++i) {
        const QRect r(m_swatches[i]->mapTo(this, QPoint(0, 0)), m_swatches[i]->size());
        rects[i] = {r.left() + 1, r.top() + 1, r.left() + r.width() - 1, r.top() + r.height() - 1};
    }
    return rects;
}

void CColorDialog::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter p(this);
    const auto rects = SwatchRects();
    for (int i = 0; i < kColorSwatchCount; ++i) {
        const SwatchRect& r = rects[i];
        p.fillRect(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top),
                   Rgb(PaletteEntryColour(kColorSwatches[i].paletteEntry)));
    }
}

void CColorDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        reject();
        return;
    }
    QDialog::mousePressEvent(event);
}

void CColorDialog::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    const int i = SwatchAt(SwatchRects(), at.x(), at.y());
    if (i < 0) return;
    const int32_t entry = kColorSwatches[i].paletteEntry;
    // The chooser's custom colours are kept by Qt for the program's run.
    QColorDialog chooser(Rgb(PaletteEntryColour(entry)), this);
    if (chooser.exec() != QDialog::Accepted) return;
    SetPaletteEntryColour(entry, chooser.currentColor().rgb() & 0xFFFFFF);
    PaletteChanged();
}

void CColorDialog::PaletteChanged() {
    update();
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

// 閉じる, Esc and the right button end the window; the next 色設定 makes a new one.
void CColorDialog::reject() {
    ClearToolWindow(ToolWindow::kColor, this);
    hide();
    deleteLater();
}

void OpenColorDialog(QWidget* mainWindow) {
    if (g_colorDialogWnd) {
        g_colorDialogWnd->raise();
        g_colorDialogWnd->activateWindow();
        return;
    }
    g_colorDialogWnd = new CColorDialog(mainWindow);
    g_colorDialogWnd->show();
}
