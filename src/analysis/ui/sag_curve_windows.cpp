#include "analysis/ui/sag_curve_windows.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "analysis/section_profile.h"
#include "analysis/ui/point_section_settings_dialog.h"
#include "analysis/ui/simple_section_window.h"
#include "platform/text_io.h"
#include "section/section_defaults.h"
#include "section/ui/section_frame_widget.h"
#include "shell/tool_commands.h"
#include "view/cursor_state.h"
#include "view/pick_overlay.h"
#include "view/view_navigation.h"

namespace {

CTower_Dlg* g_towerDlg = nullptr;

QString Text(const std::string& s) { return QString::fromStdString(s); }

QLineEdit* Edit(QWidget* parent, const char* id) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(id);
    e->setFixedWidth(64);
    return e;
}

QLabel* Label(QWidget* parent, const char* text, const char* id) {
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->setObjectName(id);
    return l;
}

// The window's own close, as a message posted to it.
void PostClose(QWidget* w) {
    if (w) QMetaObject::invokeMethod(w, "close", Qt::QueuedConnection);
}

}  // namespace

// ---- 座標点入力画面 ----

CTowerIP::CTowerIP(QWidget* parent, bool widthMode) : QDialog(parent) {
    setObjectName("towerInputDialog");
    setWindowTitle(QString::fromUtf8("座標点入力画面"));
    m_state.widthMode = widthMode;
    m_xLabel = Label(this, "X 座 標", "1013");
    m_yLabel = Label(this, "Y 座 標", "1014");
    m_x = Edit(this, "1082");
    m_y = Edit(this, "1083");
    m_x->setFixedWidth(140);
    m_y->setFixedWidth(140);
    auto* ok = new QPushButton(QString::fromUtf8("登　録"), this);
    ok->setObjectName("1");
    ok->setDefault(true);
    auto* cancel = new QPushButton(QString::fromUtf8("ｷｬﾝｾﾙ"), this);
    cancel->setObjectName("2");
    cancel->setAutoDefault(false);
    auto* grid = new QGridLayout(this);
    grid->addWidget(m_xLabel, 0, 0);
    grid->addWidget(m_x, 0, 1);
    grid->addWidget(m_yLabel, 1, 0);
    grid->addWidget(m_y, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 2, 0, 1, 2);
    connect(ok, &QPushButton::clicked, this, [this] { Confirm(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_x->setText(Text(FormatString("%.5f", g_cursorX)));
    m_y->setText(Text(FormatString("%.5f", g_cursorY)));
}

void CTowerIP::Confirm() {
    const double x = TowerInputValue(m_x->text().trimmed().toStdString());
    const double y = TowerInputValue(m_y->text().trimmed().toStdString());
    if (!ConfirmTowerInput(m_state, x, y)) {
        accept();
        return;
    }
    m_xLabel->setText(QString::fromUtf8("前後幅(m)"));
    m_y->hide();
    m_yLabel->hide();
    m_x->setText(Text(TowerWidthText()));
    m_x->setFocus();
    m_x->selectAll();
}

bool CTowerIP::Run(QWidget* parent) {
    CTowerIP dlg(parent);
    return dlg.exec() == QDialog::Accepted;
}

// ---- 弛度線描画 ----

CTower_Dlg::CTower_Dlg(QWidget* parent, double ratio) : QDialog(parent) {
    setObjectName("towerWindow");
    setWindowTitle(QString::fromUtf8(" 弛度線描画"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    g_towerDlg = this;
    m_model.ratio = std::fabs(ratio);
    m_frame = new CSectionFrameWidget(this);
    m_frame->setObjectName("1017");
    m_left = Edit(this, "1082");
    m_coefficient = Edit(this, "1084");
    m_right = Edit(this, "1083");
    m_grid = Edit(this, "1020");
    m_length = new QLineEdit(this);
    m_length->setObjectName("1113");
    m_length->setReadOnly(true);
    m_length->setFixedWidth(200);
    auto* row = new QGridLayout;
    row->addWidget(Label(this, "左端の高さ", "1117"), 0, 0);
    row->addWidget(Label(this, "曲線係数", "1116"), 0, 1);
    row->addWidget(Label(this, "右端の高さ", "1115"), 0, 2);
    row->addWidget(Label(this, "方眼", "1226"), 0, 3);
    row->addWidget(m_left, 1, 0);
    row->addWidget(m_coefficient, 1, 1);
    row->addWidget(m_right, 1, 2);
    row->addWidget(m_grid, 1, 3);
    row->addWidget(m_length, 1, 4);
    row->setColumnStretch(5, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 4);
    layout->addWidget(m_frame, 1);
    layout->addLayout(row);
    for (QLineEdit* e : {m_left, m_coefficient, m_right, m_grid}) e->installEventFilter(this);

    m_frame->updateScale = [this](SectionFrame& f) {
        bool ok = false;
        const double pitch = m_grid->text().trimmed().toDouble(&ok);
        f.gridInterval = ok && pitch >= 0 ? pitch : 0;
        f.verticalScale = 1;
        UpdateSectionScale(f, m_model.distanceSpan, m_model.heightSpan, kLongSectionScaleFactor);
    };
    m_frame->drawContent = [this](QPainter& p, SectionFrame&) { DrawContent(p); };
    m_frame->onEditPress = [this](int x, int y) { Press(x, y); };
    m_frame->onEditMove = [this](int x, int y) { Drag(x, y); };
    m_frame->onEditRelease = [this](int, int) {
        m_dragged = 0;
        m_frame->update();
    };
    m_frame->onHover = [this](int x, int y) { Hover(x, y); };
    m_frame->onRightDoubleClick = [this](int x, int y) { ShowPopup(x, y); };
    m_frame->onLeftDoubleClick = [this](int, int) { Rebuild(); };
    m_frame->onViewModeEnded = [this](bool) { m_frame->viewMode = 0; };
    m_frame->onWheel = [](bool) { return false; };

    resize(760, 460);
    Rebuild();
    m_left->setText("10");
    m_right->setText("10");
    m_grid->setText(Text(FormatString("%.0f", SimpleSectionGridPitch(m_model.dMax - m_model.dMin))));
    m_coefficient->setText(QString::number(DefaultSagCoefficient(m_model)));
}

CTower_Dlg::~CTower_Dlg() {
    if (g_towerDlg != this) return;
    g_towerDlg = nullptr;
    SagWindowClosed();
}

CTower_Dlg* CTower_Dlg::Current() { return g_towerDlg; }

void CTower_Dlg::Open(QWidget* parent, double ratio) {
    if (g_towerDlg) {
        g_towerDlg->m_model.ratio = std::fabs(ratio);
        g_towerDlg->Rebuild();
        return;
    }
    (new CTower_Dlg(parent, ratio))->show();
}

void CTower_Dlg::Rebuild() {
    RebuildSagModel(m_model);
    SectionFrame& f = m_frame->Frame();
    const double d1 = m_model.D1();
    f.offsetOrigin = (m_model.dMin + m_model.dMax) / 2 - d1;
    f.heightOrigin = (m_model.hMin + m_model.hMax) / 2;
    f.offsetPan = f.heightPan = 0;
    f.zoom = 1;
    f.verticalScale = 1;
    f.metresPerPixel = 0.01;
    m_hovered = 0;
    m_frame->update();
}

double CTower_Dlg::ReadEdit(QLineEdit* e, double fallback) const {
    bool ok = false;
    const double v = e->text().trimmed().toDouble(&ok);
    return ok ? v : fallback;
}

void CTower_Dlg::DrawContent(QPainter& p) {
    m_frame->background = g_sectionViewColors[9];
    m_frame->grid = g_sectionViewColors[4];
    m_frame->labels = g_sectionViewColors[7];
    m_frame->readout = g_sectionViewColors[8];
    const SectionFrame& f = m_frame->Frame();
    const int32_t n = std::clamp(g_profile.right.count, 0, kProfileMaxPoints);
    if (n < 2 || f.Height() <= 1) return;
    const double d1 = m_model.D1(), d2 = m_model.D2();
    auto at = [&f, d1](double d, double h) {
        const SectionPixel px = SectionWorldToScreen(f, d - d1, h);
        return QPoint(px.x, px.y);
    };
    // Ground.
    const ProfileSide& r = g_profile.right;
    const ProfileSide& l = g_profile.left;
    p.setPen(SectionColor(g_sectionViewColors[1]));
    int32_t leftmost = INT32_MAX, rightmost = INT32_MIN;
    auto line = [&](QPoint a, QPoint b) {
        p.drawLine(a, b);
        leftmost = std::min({leftmost, a.x(), b.x()});
        rightmost = std::max({rightmost, a.x(), b.x()});
    };
    if (l.count == -r.count) {
        for (int32_t i = 1; i <= n; ++i) line(at(l.dist[i], l.z[i]), at(r.dist[i], r.z[i]));
    } else {
        for (int32_t i = 1; i < n; ++i) line(at(r.dist[i], r.z[i]), at(r.dist[i + 1], r.z[i + 1]));
    }
    m_columns.groundLeft = leftmost;
    m_columns.groundRight = rightmost;
    // Feet.
    QFont font("Sans Serif");
    font.setPixelSize(12);
    p.setFont(font);
    const QPoint footS = at(d1, m_model.s.z), footE = at(d2, m_model.e.z);
    m_columns.footS = footS.x();
    m_columns.footE = footE.x();
    for (const auto& [q, mark] : {std::pair{footS, "S"}, std::pair{footE, "E"}}) {
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
    // Text lines.
    const double plan = std::hypot(m_model.e.x - m_model.s.x, m_model.e.y - m_model.s.y);
    const double slope = plan < 0.01 ? 0 : (m_model.e.z - m_model.s.z) / plan * 100;
    p.setPen(SectionColor(g_sectionViewColors[1]));
    p.drawText(35, 62, Text(FormatString("S [ X= %.3f%sY= %.3f%sZ= %.3f ]", m_model.s.x, "    ", m_model.s.y, "    ",
                                         m_model.s.z)));
    p.drawText(35, 77, Text(FormatString("E [ X= %.3f%sY= %.3f%sZ= %.3f ]", m_model.e.x, "    ", m_model.e.y, "    ",
                                         m_model.e.z)));
    p.drawText(35, 92, Text(FormatString("D= %.3fm%sP= %.3f%%", plan, "    ", slope)));

    // Towers and the curve, with the edits corrected as they are read.
    bool fixed = false;
    const double a = SagCoefficientValue(ReadEdit(m_coefficient, 0), &fixed);
    if (fixed) m_coefficient->setText("1.0");
    const double hL = SagHeightValue(ReadEdit(m_left, -1), &fixed);
    if (fixed) m_left->setText("0.0");
    const double hR = SagHeightValue(ReadEdit(m_right, -1), &fixed);
    if (fixed) m_right->setText("0.0");
    const QPoint top1 = at(d1, m_model.s.z + hL), top2 = at(d2, m_model.e.z + hR);
    p.setPen(SectionColor(g_sectionViewColors[10]));
    p.drawLine(footS, top1);
    p.drawLine(footE, top2);
    const QPoint handles[5] = {{}, top1, footS, top2, footE};
    for (int k = 1; k <= 4; ++k) m_handles.x[k] = handles[k].x(), m_handles.y[k] = handles[k].y();

    m_curve = ComputeSagCurve(m_model, hL, hR, a);
    m_report.s = m_model.s, m_report.e = m_model.e;
    m_report.hL = hL, m_report.hR = hR, m_report.a = a;
    m_report.d1 = d1, m_report.d2 = d2;
    m_report.length = m_curve.curve.length;
    m_report.points = m_curve.curve.points;
    if (m_curve.result == kCatenaryOk && !m_curve.curve.points.empty()) {
        const std::vector<CatenaryPoint>& pts = m_curve.curve.points;
        const int row0 = at(pts[0].x, pts[0].z).y();
        const bool flat = std::all_of(pts.begin(), pts.end(), [&](const CatenaryPoint& c) { return at(c.x, c.z).y() == row0; });
        if (!flat) {
            const QColor colour = SectionColor(m_curve.clear ? kSagClearColor : kSagTouchColor);
            p.setPen(colour);
            p.setBrush(colour);
            QPoint prev(INT32_MIN, INT32_MIN);
            for (const CatenaryPoint& c : pts) {
                const QPoint q = at(c.x, c.z);
                if (q == prev) continue;
                p.drawEllipse(q, 1, 1);
                prev = q;
            }
            p.setBrush(Qt::NoBrush);
            m_length->setText(Text(FormatString("実長 : %.03f m", m_curve.curve.length)));
            if (m_curve.curve.lowestInside) p.drawEllipse(at(m_curve.curve.lowest.x, m_curve.curve.lowest.z), 2, 2);
        }
    }
    // The hovered handle and the chord.
    if (m_hovered > 0) {
        const int x = m_handles.x[m_hovered], y = m_handles.y[m_hovered];
        p.setPen(SectionColor(g_sectionViewColors[1]));
        for (int sx : {-1, 1})
            for (int sy : {-1, 1}) {
                const QPoint c(x + sx * 6, y + sy * 6);
                p.drawLine(c, c - QPoint(sx * 3, 0));
                p.drawLine(c, c - QPoint(0, sy * 3));
            }
        const bool chordClear = SagChordClears(m_model.ground, d1, m_model.s.z + hL, d2, m_model.e.z + hR);
        QPen dotted(chordClear ? QColor(Qt::white) : QColor(255, 0, 255), 1, Qt::DotLine);
        p.setPen(dotted);
        p.drawLine(top1, top2);
    }
    // The shift panel.
    if (m_panelShown) {
        const SagShiftPanel s = Panel();
        p.setPen(Qt::white);
        p.setBrush(QColor(64, 64, 64));
        p.drawRoundedRect(QRect(s.left, s.top, s.size, s.size), 15, 15);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(s.closeLeft, s.closeTop, 14, 14));
        p.drawLine(s.closeLeft + 3, s.closeTop + 3, s.closeLeft + 11, s.closeTop + 11);
        p.drawLine(s.closeLeft + 11, s.closeTop + 3, s.closeLeft + 3, s.closeTop + 11);
        p.setBrush(QColor(132, 112, 255));
        for (int k = 0; k < 6; ++k) {
            // Each triangle points away from the centre.
            const double dx = s.buttonX[k] - s.centreX, dy = s.buttonY[k] - s.centreY;
            const double len = std::max(1.0, std::hypot(dx, dy));
            const double ux = dx / len, uy = dy / len;
            const QPointF tip(s.buttonX[k] + 5 * ux, s.buttonY[k] + 5 * uy);
            const QPointF b1(s.buttonX[k] - 4 * ux - 5 * uy, s.buttonY[k] - 4 * uy + 5 * ux);
            const QPointF b2(s.buttonX[k] - 4 * ux + 5 * uy, s.buttonY[k] - 4 * uy - 5 * ux);
            const QPointF tri[3] = {tip, b1, b2};
            p.drawPolygon(tri, 3);
        }
        p.setBrush(Qt::NoBrush);
        p.setPen(Qt::red);
        p.drawLine(s.centreX - s.lineX, s.centreY - s.lineY, s.centreX + s.lineX, s.centreY + s.lineY);
        p.drawText(s.centreX - s.lineX - 4, s.centreY - s.lineY + 4, "S");
        p.drawText(s.centreX + s.lineX - 4, s.centreY + s.lineY + 4, "E");
    }
}

SagShiftPanel CTower_Dlg::Panel() const {
    const SectionFrame& f = m_frame->Frame();
    return LayoutSagShiftPanel(f.right, f.top, m_model.e.x - m_model.s.x, m_model.e.y - m_model.s.y);
}

void CTower_Dlg::Hover(int x, int y) {
    if (QWidget* w = QApplication::focusWidget(); w && w != m_frame && isAncestorOf(w)) m_frame->setFocus();
    const int32_t h = HitSagHandle(m_handles, x, y);
    if (h != m_hovered) {
        m_hovered = h;
        m_frame->update();
    }
}

void CTower_Dlg::Press(int x, int y) {
    m_frame->setFocus();
    if (m_panelShown) {
        const int32_t hit = HitSagShiftPanel(Panel(), x, y);
        if (hit >= 0) {
            if (hit == 6) {
                m_panelShown = false;
                BuildTowerGroundProfile(m_model.ratio);
                Rebuild();
            } else {
                ShiftSagLine(m_model, static_cast<SagShift>(hit));
                Rebuild();
            }
            QuickRepaintView();
            return;
        }
    }
    m_dragged = HitSagHandle(m_handles, x, y);
}

void CTower_Dlg::Drag(int x, int y) {
    if (m_dragged == 0) return;
    const SectionWorld w = SectionScreenToWorld(m_frame->Frame(), x, y);
    if (m_dragged == 1) {
        m_left->setText(Text(FormatString("%.2f", w.height - m_model.s.z)));
    } else if (m_dragged == 3) {
        m_right->setText(Text(FormatString("%.2f", w.height - m_model.e.z)));
    } else if (!DragSagFoot(m_model, m_dragged, x, w.offset + m_model.D1(), m_columns)) {
        return;
    }
    m_frame->update();
    QuickRepaintView();
}

void CTower_Dlg::ShowPopup(int x, int y) {
    QMenu menu(this);
    menu.setObjectName("towerPopup");
    QAction* copy = menu.addAction("Copy to clipboard");
    QAction* panel = menu.addAction("2D View");
    panel->setCheckable(true);
    panel->setChecked(m_panelShown);
    connect(copy, &QAction::triggered, this, [this] { PopupCommand(1); });
    connect(panel, &QAction::triggered, this, [this] { PopupCommand(2); });
    menu.exec(m_frame->mapToGlobal(QPoint(x, y)));
}

void CTower_Dlg::PopupCommand(int command) {
    if (command == 1) {
        CopyTowerReport(m_report);
    } else if (command == 2) {
        m_panelShown = !m_panelShown;
        m_frame->update();
    }
}

void CTower_Dlg::DrawOverlay(OverlayCanvas& canvas) {
    const double hL = ReadEdit(m_left, 0), hR = ReadEdit(m_right, 0), a = ReadEdit(m_coefficient, 0);
    m_frame->Frame().gridInterval = std::max(0.0, ReadEdit(m_grid, m_frame->Frame().gridInterval));
    DrawTowerOverlay(canvas, m_model.s, m_model.e, hL, hR, a);
}

void CTower_Dlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            QWidget* had = QApplication::focusWidget();
            m_frame->setFocus();
            if (qobject_cast<QLineEdit*>(had)) {
                m_frame->update();
                QuickRepaintView();
            }
            return;
        }
        case Qt::Key_Escape:
        case Qt::Key_Up:
        case Qt::Key_Down:
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

bool CTower_Dlg::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (box && event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter || k->key() == Qt::Key_Escape ||
            k->key() == Qt::Key_Up || k->key() == Qt::Key_Down) {
            keyPressEvent(k);
            return true;
        }
    }
    // The wheel over a height or the coefficient steps it by 5.
    if (box && box != m_grid && event->type() == QEvent::Wheel) {
        const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
        if (delta == 0) return true;
        const double least = box == m_coefficient ? 1 : 0;
        const double v = std::max(least, ReadEdit(box, least) + (delta > 0 ? 5 : -5));
        box->setText(Text(FormatString("%.2f", v)));
        m_frame->update();
        QuickRepaintView();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// ---- Installation ----

void InstallLineToolWindows(QWidget* frame) {
    LineToolWindows& w = LineTools();
    w.simpleSectionOpen = [] { return CSimpleSectionDlg::Current() != nullptr; };
    w.showSimpleSection = [frame](int32_t mode) { CSimpleSectionDlg::Show(frame, mode); };
    w.reloadSimpleSection = [] {
        if (CSimpleSectionDlg* d = CSimpleSectionDlg::Current()) d->Reload();
    };
    w.closeSimpleSection = [] { PostClose(CSimpleSectionDlg::Current()); };
    w.sagOpen = [] { return CTower_Dlg::Current() != nullptr; };
    w.openSag = [frame](double ratio) { CTower_Dlg::Open(frame, ratio); };
    w.reloadSag = [] {
        if (CTower_Dlg* d = CTower_Dlg::Current()) d->Rebuild();
    };
    w.closeSag = [] { PostClose(CTower_Dlg::Current()); };
    w.sagWindowStart = [] { return CTower_Dlg::Current() ? CTower_Dlg::Current()->Model().s : g_towerStart; };
    w.runTowerInput = [frame] { return CTowerIP::Run(frame); };
    w.drawTowerOverlay = [](OverlayCanvas& canvas) {
        if (CTower_Dlg* d = CTower_Dlg::Current()) d->DrawOverlay(canvas);
    };
    ToolServices().runPointSectionSettingsDialog = [frame](bool firstUse) {
        if (firstUse) InitSectionBandDefaults();
        CPointSectionSettingsDlg::Run(frame);
    };
}

void UninstallLineToolWindows() {
    LineTools() = {};
    ToolServices().runPointSectionSettingsDialog = nullptr;
}
