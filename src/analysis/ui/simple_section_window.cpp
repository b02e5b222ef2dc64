#include "analysis/ui/simple_section_window.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "analysis/section_profile.h"
#include "platform/text_io.h"
#include "section/cross_section_edit.h"
#include "section/section_calc.h"
#include "section/section_defaults.h"
#include "section/ui/section_frame_controls.h"
#include "section/ui/section_frame_widget.h"
#include "view/view_navigation.h"
#include "view/view_state.h"

namespace {

QString Fmt(const char* format, double v) { return QString::fromStdString(FormatString(format, v)); }

QPushButton* Button(QWidget* parent, const char* text, const char* id, bool checkable = false) {
    auto* b = new QPushButton(QString::fromUtf8(text), parent);
    b->setObjectName(id);
    b->setAutoDefault(false);
    b->setCheckable(checkable);
    return b;
}

QLineEdit* Edit(QWidget* parent, const char* id) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(id);
    e->setMaximumWidth(70);
    return e;
}

bool ReadNumber(const QLineEdit* e, double* v) {
    bool ok = false;
    *v = e->text().trimmed().toDouble(&ok);
    return ok;
}

}  // namespace

CSimpleSectionDlg::CSimpleSectionDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("simpleSectionWindow");
    setWindowTitle(QString::fromUtf8("簡易断面"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    m_frame = new CSectionFrameWidget(this);
    m_frame->setObjectName("1017");
    m_grid = Edit(this, "1020");
    m_exaggeration = Edit(this, "1083");
    m_band = Edit(this, "1082");
    m_number = Edit(this, "1031");
    auto* all = Button(this, "全体", "1022");
    m_zoomButton = Button(this, "拡大", "1023", true);
    auto* out = Button(this, "縮小", "1024");
    m_moveButton = Button(this, "移動", "1025", true);
    m_recalc = Button(this, "再計算", "1155");
    m_spinUp = new QToolButton(this);
    m_spinUp->setObjectName("1030up");
    m_spinUp->setArrowType(Qt::UpArrow);
    m_spinDown = new QToolButton(this);
    m_spinDown->setObjectName("1030down");
    m_spinDown->setArrowType(Qt::DownArrow);
    m_bandLabel = new QLabel(QString::fromUtf8("抽出幅"), this);
    m_bandLabel->setObjectName("1154");
    m_numberLabel = new QLabel(QString::fromUtf8("断面No"), this);
    m_numberLabel->setObjectName("1032");
    for (QLineEdit* e : {m_grid, m_exaggeration, m_band, m_number}) {
        e->installEventFilter(this);
        connect(e, &QLineEdit::editingFinished, this, [this, e] { EditFinished(e); });
    }

    auto* row = new QHBoxLayout;
    auto* gridLabel = new QLabel(QString::fromUtf8("方眼"), this);
    gridLabel->setObjectName("1021");
    row->addWidget(gridLabel);
    row->addWidget(m_grid);
    for (QPushButton* b : {m_zoomButton, m_moveButton, all, out}) row->addWidget(b);
    auto* exLabel = new QLabel(QString::fromUtf8("縦倍率"), this);
    exLabel->setObjectName("1158");
    row->addWidget(exLabel);
    row->addWidget(m_exaggeration);
    row->addWidget(m_bandLabel);
    row->addWidget(m_band);
    row->addWidget(m_recalc);
    row->addWidget(m_numberLabel);
    row->addWidget(m_number);
    row->addWidget(m_spinUp);
    row->addWidget(m_spinDown);
    row->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 4);
    layout->setSpacing(6);
    layout->addWidget(m_frame, 1);
    layout->addLayout(row);

    connect(all, &QPushButton::clicked, this, [this] {
        Pull();
        SimpleSectionWholeView(m_view);
        Push();
    });
    connect(out, &QPushButton::clicked, this, [this] {
        SectionZoomOut(m_frame->Frame());
        m_frame->update();
    });
    connect(m_zoomButton, &QPushButton::clicked, this, [this](bool on) {
        g_sectionViewMode = on ? kSectionViewZoomBox : 0;
        SyncModeButtons();
    });
    connect(m_moveButton, &QPushButton::clicked, this, [this](bool on) {
        g_sectionViewMode = on ? kSectionViewMove : 0;
        SyncModeButtons();
    });
    connect(m_recalc, &QPushButton::clicked, this, [this] {
        Pull();
        if (RecalculateSimpleSection(m_view)) {
            Push();
            FullRepaintView();
        }
    });
    // The spin's upper arrow goes back a section.
    connect(m_spinUp, &QToolButton::clicked, this, [this] { Step(1); });
    connect(m_spinDown, &QToolButton::clicked, this, [this] { Step(-1); });

    m_frame->updateScale = [this](SectionFrame& f) {
        UpdateSectionScale(f, m_view.distanceSpan, m_view.heightSpan, kSimpleSectionScaleFactor);
    };
    m_frame->drawContent = [this](QPainter& p, SectionFrame&) { DrawContent(p); };
    m_frame->readoutText = [this](int x, int y, bool) -> std::string {
        if (g_profile.right.count <= 0) return {};
        const SectionWorld w = SectionScreenToWorld(m_frame->Frame(), x, y);
        return SimpleSectionReadout(w.offset, w.height, m_measuring, m_measureFrom.offset, m_measureFrom.height);
    };
    m_frame->onEditPress = [this](int x, int y) {
        m_measuring = g_profile.right.count > 0;
        m_frame->rubberLine = m_measuring;
        m_frame->pressPos = m_frame->lastPos = QPoint(x, y);
        m_measureFrom = SectionScreenToWorld(m_frame->Frame(), x, y);
    };
    m_frame->onEditMove = [](int, int) {};
    m_frame->onEditRelease = [this](int, int) {
        m_measuring = false;
        m_frame->rubberLine = false;
        m_frame->setFocus();
        m_frame->update();
    };
    m_frame->onWheel = [this](bool forward) {
        if (!m_exaggeration->hasFocus()) return false;
        SectionFrame& f = m_frame->Frame();
        f.verticalScale = SectionWheelVerticalScale(f.verticalScale, forward);
        m_exaggeration->setText(Fmt(" %3.1f", f.verticalScale));
        m_frame->update();
        return true;
    };
    m_frame->onViewModeEnded = [this](bool) { SyncModeButtons(); };

    SetToolWindow(ToolWindow::kSimpleSection, this);
    SectionFrame& f = m_frame->Frame();
    f.zoom = 1;
    f.verticalScale = 1;
    f.offsetPan = f.heightPan = 0;
    m_grid->setText(Fmt("%3.1f", f.gridInterval));
    m_exaggeration->setText(Fmt("%3.1f", f.verticalScale));
    m_band->setText(QString::fromStdString(SimpleSectionBandWidthText()));
    RestoreSectionWindowRect(this, g_simpleSectionWndRect, QSize(760, 420));
    m_placed = true;
    SyncModeButtons();
    ApplyControls();
}

CSimpleSectionDlg::~CSimpleSectionDlg() {
    // A window that a newer one has replaced leaves the tool state to it.
    const ToolWindowHandle* slot = GetToolWindow(ToolWindow::kSimpleSection);
    if (slot != nullptr && slot != this) return;
    ClearToolWindow(ToolWindow::kSimpleSection, this);
    SimpleSectionWindowClosed();
}

void CSimpleSectionDlg::CloseToolWindow() {
    ClearToolWindow(ToolWindow::kSimpleSection, this);
    close();
}

CSimpleSectionDlg* CSimpleSectionDlg::Current() {
    return dynamic_cast<CSimpleSectionDlg*>(GetToolWindow(ToolWindow::kSimpleSection));
}

void CSimpleSectionDlg::Show(QWidget* parent, int32_t mode) {
    CSimpleSectionDlg* w = Current();
    if (!w) {
        w = new CSimpleSectionDlg(parent);
        w->show();
    }
    w->m_view.mode = mode;
    SetSimpleSectionStoredMode(mode == kSimpleSectionStored);
    w->Reload();
}

// The frame widget owns the drawing area; the core works on a copy.
void CSimpleSectionDlg::Pull() { m_view.frame = m_frame->Frame(); }

void CSimpleSectionDlg::Push() {
    m_frame->Frame() = m_view.frame;
    m_frame->update();
    setWindowTitle(QString::fromStdString(SimpleSectionTitle(m_view)));
}

void CSimpleSectionDlg::Reload() {
    Pull();
    ReloadSimpleSection(m_view);
    Push();
    m_grid->setText(Fmt("%3.1f", m_view.frame.gridInterval));
    ApplyControls();
    if (m_view.mode == kSimpleSectionStored) FullRepaintView();
}

void CSimpleSectionDlg::ApplyControls() {
    const bool band = g_profileFromPoints != 0;
    for (QWidget* w : std::initializer_list<QWidget*>{m_bandLabel, m_band, m_recalc}) w->setVisible(band);
    const bool stored = m_view.mode == kSimpleSectionStored;
    for (QWidget* w : std::initializer_list<QWidget*>{m_numberLabel, m_number, m_spinUp, m_spinDown})
        w->setVisible(stored);
    m_number->setText(QString::number(m_view.number));
}

void CSimpleSectionDlg::Step(int32_t step) {
    Pull();
    const bool repaintPlan = StepSimpleSection(m_view, step);
    Push();
    m_number->setText(QString::number(m_view.number));
    if (repaintPlan) QuickRepaintView();
}

void CSimpleSectionDlg::SyncModeButtons() {
    m_zoomButton->setChecked(g_sectionViewMode == kSectionViewZoomBox);
    m_moveButton->setChecked(g_sectionViewMode == kSectionViewMove);
    m_frame->viewMode = g_sectionViewMode;
    m_frame->UpdateCursor();
}

void CSimpleSectionDlg::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    if (m_placed) StoreSectionWindowRect(this, g_simpleSectionWndRect);
}

void CSimpleSectionDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (m_placed) StoreSectionWindowRect(this, g_simpleSectionWndRect);
}

void CSimpleSectionDlg::DrawContent(QPainter& p) {
    m_frame->background = g_sectionViewColors[9];
    m_frame->grid = g_sectionViewColors[4];
    m_frame->labels = g_sectionViewColors[7];
    m_frame->readout = g_sectionViewColors[8];
    const int32_t n = std::clamp(g_profile.right.count, 0, kProfileMaxPoints);
    if (n <= 0) return;
    const SectionFrame& f = m_frame->Frame();
    auto at = [&f](double d, double h) {
        const SectionPixel px = SectionWorldToScreen(f, d, h);
        return QPoint(px.x, px.y);
    };
    const ProfileSide& r = g_profile.right;
    const ProfileSide& l = g_profile.left;
    p.setPen(SectionColor(g_sectionViewColors[1]));
    if (l.count + r.count == 0) {
        for (int32_t i = 1; i <= n; ++i) p.drawLine(at(l.dist[i], l.z[i]), at(r.dist[i], r.z[i]));
    } else {
        for (int32_t i = 1; i < n; ++i) p.drawLine(at(r.dist[i], r.z[i]), at(r.dist[i + 1], r.z[i + 1]));
    }
    QFont font("Sans Serif");
    font.setPixelSize(12);
    p.setFont(font);
    for (const auto& [i, mark] : {std::pair{1, "S"}, std::pair{n, "E"}}) {
        const QPoint q = at(r.dist[i], r.z[i]);
        p.setPen(SectionColor(g_sectionViewColors[10]));
        p.setBrush(SectionColor(g_sectionViewColors[5]));
        p.drawEllipse(q, 2, 2);
        p.setBrush(Qt::NoBrush);
        p.setBackgroundMode(Qt::OpaqueMode);
        p.setBackground(Qt::white);
        p.setPen(Qt::black);
        p.drawText(q + QPoint(4, -4), QString::fromLatin1(mark));
        p.setBackgroundMode(Qt::TransparentMode);
    }
    const SimpleSectionTexts t = SimpleSectionTextLines();
    p.setPen(SectionColor(g_sectionViewColors[1]));
    p.drawText(35, 50 + 12, QString::fromStdString(t.start));
    p.drawText(35, 65 + 12, QString::fromStdString(t.end));
    p.drawText(35, 80 + 12, QString::fromStdString(t.span));
}

// An edit takes its value as it is left (Enter moves the focus away).
void CSimpleSectionDlg::EditFinished(QLineEdit* box) {
    double v = 0;
    SectionFrame& f = m_frame->Frame();
    if (box == m_grid) {
        if (ReadNumber(box, &v) && ApplySimpleSectionGrid(m_view, v)) f.gridInterval = v;
        box->setText(Fmt("%3.1f", f.gridInterval));
    } else if (box == m_exaggeration) {
        if (ReadNumber(box, &v)) f.verticalScale = ClampTypedVerticalScale(v);
        box->setText(Fmt(" %3.1f", f.verticalScale));
    } else if (box == m_band) {
        const double before = g_sectionBandWidth;
        if (ReadNumber(box, &v)) ApplySimpleSectionBandWidth(v);
        box->setText(QString::fromStdString(SimpleSectionBandWidthText()));
        if (g_sectionBandWidth != before && g_profileFromPoints) m_recalc->click();
    } else if (box == m_number) {
        bool ok = false;
        const int n = box->text().trimmed().toInt(&ok);
        Pull();
        if (ok && TypeSimpleSectionNumber(m_view, n)) {
            Push();
            QuickRepaintView();
        }
        box->setText(QString::number(m_view.number));
    }
    m_frame->update();
}

void CSimpleSectionDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            m_frame->setFocus();
            return;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right: {
            const bool sideways = event->key() == Qt::Key_Left || event->key() == Qt::Key_Right;
            if (sideways && m_grid->hasFocus()) break;
            static constexpr SectionKey kKeys[] = {SectionKey::Left, SectionKey::Up, SectionKey::Right,
                                                   SectionKey::Down};
            SectionKeyPan(m_frame->Frame(), kKeys[event->key() - Qt::Key_Left]);
            m_frame->update();
            return;
        }
        default:
            break;
    }
    QDialog::keyPressEvent(event);
}

bool CSimpleSectionDlg::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (box && event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            m_frame->setFocus();  // the edit applies its value as it loses the focus
            return true;
        }
        if (k->key() >= Qt::Key_Left && k->key() <= Qt::Key_Down &&
            !(box == m_grid && (k->key() == Qt::Key_Left || k->key() == Qt::Key_Right))) {
            keyPressEvent(k);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
