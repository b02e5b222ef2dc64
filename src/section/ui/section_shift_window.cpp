#include "section/ui/section_shift_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <cstdio>
#include <cstring>

#include "section/cross_section_edit.h"
#include "section/section_defaults.h"
#include "section/section_point_edit.h"
#include "section/section_records.h"
#include "section/section_shift.h"
#include "section/section_shift_command.h"
#include "section/ui/section_frame_controls.h"
#include "section/ui/section_frame_widget.h"
#include "section/ui/section_point_dialogs.h"
#include "shell/command_routing.h"

namespace {

const CrossSection* CurrentGround() {
    return g_currentSection >= 1 && g_currentSection <= g_crossSectionCount ? GetCrossSection(g_currentSection)
                                                                              : nullptr;
}

const PlanSection* CurrentPlan() {
    return g_currentSection >= 1 && g_currentSection <= g_planSectionCount ? GetPlanSection(g_currentSection)
                                                                           : nullptr;
}

}  // namespace

CODN_SFT::CODN_SFT(QWidget* parent) : QDialog(parent) {
    setObjectName("sectionShiftWindow");
    setWindowTitle(QString::fromUtf8("横断シフト"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    SectionShiftWindowOpened();
    m_frame = new CSectionFrameWidget(this);
    SectionControlsOptions options;
    options.neighbours = true;
    options.sectionNumber = true;
    options.scaleBoxId = "1082";
    options.boxWidth = 80;
    const SectionFrameControls c = BuildSectionFrameControls(
        this, m_frame, options,
        [this](int mode) {
            g_sectionViewMode = mode;
            SyncModeButtons();
        },
        [this] {
            if (runColorDialog) runColorDialog();
        });
    m_showPrevious = c.showPrevious;
    m_showNext = c.showNext;
    m_gridBox = c.gridBox;
    m_numberBox = c.numberBox;
    m_scaleBox = c.scaleBox;
    m_zoomButton = c.zoomButton;
    m_moveButton = c.moveButton;
    m_shiftBox = new QLineEdit(this);
    m_shiftBox->setObjectName("1026");
    m_datumBox = new QLineEdit(this);
    m_datumBox->setObjectName("1033");
    for (QLineEdit* e : {m_gridBox, m_numberBox, m_scaleBox, m_shiftBox, m_datumBox}) {
        e->setMaximumWidth(80);
        e->installEventFilter(this);
    }
    auto* calc = SectionButton(this, "計算", "1221");
    auto* calc2 = SectionButton(this, "計算2", "1223");
    auto* save = SectionButton(this, "保存", "1222");
    auto* random = SectionButton(this, "ﾗﾝﾀﾞﾑ", "1044");
    auto* row2 = new QHBoxLayout;
    row2->addWidget(new QLabel(QString::fromUtf8("移動量"), this));
    row2->addWidget(m_shiftBox);
    row2->addWidget(new QLabel(QString::fromUtf8("DL値"), this));
    row2->addWidget(m_datumBox);
    for (QPushButton* b : {calc, calc2, save, random}) row2->addWidget(b);
    row2->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 4);
    layout->addWidget(m_frame, 1);
    layout->addLayout(c.row);
    layout->addLayout(row2);

    connect(c.spinUp, &QToolButton::clicked, this, [this] { SpinSection(-1); });
    connect(c.spinDown, &QToolButton::clicked, this, [this] { SpinSection(1); });
    runColorDialog = [this] {
        CSectionColorDlg dlg(this, [this] { m_frame->update(); });
        dlg.exec();
    };
    connect(calc, &QPushButton::clicked, this, [this] {
        ShiftSectionsParallel(g_sectionShift.shift, g_sectionShift.datum);
        m_frame->update();
    });
    connect(calc2, &QPushButton::clicked, this, [this] {
        ShiftSectionsDown(g_sectionShift.shift, g_sectionShift.datum);
        m_frame->update();
    });
    connect(save, &QPushButton::clicked, this, [] { SaveShiftedSections(); });
    connect(random, &QPushButton::clicked, this, [] { SaveShiftedSectionsAsRandom(); });

    m_frame->updateScale = [](SectionFrame& f) {
        const CrossSection* s = CurrentGround();
        f.offsetOrigin = 0.0;
        f.heightOrigin = s ? s->height : 0.0;
        UpdateSectionScale(f, g_sectionWidthSpan, g_sectionHeightSpan, kCrossSectionScaleFactor);
    };
    m_frame->drawContent = [this](QPainter& p, SectionFrame&) { DrawContent(p); };
    m_frame->readoutX = 35;
    m_frame->readoutText = [this](int x, int y, bool measuring) {
        const SectionFrame& f = m_frame->Frame();
        const SectionWorld at = SectionScreenToWorld(f, x, y);
        if (!measuring) return FormatShiftReadout(at, nullptr);
        const SectionWorld press = SectionScreenToWorld(f, m_frame->pressPos.x(), m_frame->pressPos.y());
        return FormatShiftReadout(at, &press);
    };
    m_frame->onEditPress = [this](int x, int y) {
        g_sectionSelectedPoint = HitTestPlanPoint(m_frame->Frame(), 15, x, y);
        m_measuring = false;
        m_frame->rubberLine = true;
    };
    m_frame->onEditMove = [this](int, int) { m_measuring = true; };
    m_frame->onEditRelease = [this](int, int) {
        m_frame->rubberLine = false;
        m_measuring = false;
        g_sectionSelectedPoint = 0;
        m_frame->update();
    };
    m_frame->onRightDoubleClick = [this](int, int) {
        g_sectionViewMode = 0;
        g_sectionEditMode = 0;
        g_sectionSelectedPoint = 0;
        SyncModeButtons();
        m_frame->update();
    };
    m_frame->onViewModeEnded = [this](bool right) {
        if (right || g_sectionEditMode != 0) g_sectionViewMode = 0;
        SyncModeButtons();
        setFocus();
    };

    SetToolWindow(ToolWindow::kSectionShift, this);
    SectionFrame& f = m_frame->Frame();
    f.gridInterval = 1.0;
    f.verticalScale = 1.0;
    m_gridBox->setText(SectionFormat("%3.1f", f.gridInterval));
    m_scaleBox->setText(SectionFormat(" %3.1f", f.verticalScale));
    m_shiftBox->setText(SectionFormat("%.3f", g_sectionShift.shift));
    m_datumBox->setText(SectionFormat("%.3f", g_sectionShift.datum));
    // The cross-section window's place: the two share it.
    RestoreSectionWindowRect(this, g_sectionWndRect, QSize(820, 560));
    g_sectionCursorPos = {m_frame->width() / 2, m_frame->height() / 2};
    m_initialised = true;
    StoreRect();
    UpdateTitle();
}

CODN_SFT::~CODN_SFT() {
    if (GetToolWindow(ToolWindow::kSectionShift) != this) return;
    ClearToolWindow(ToolWindow::kSectionShift, this);
    SectionShiftWindowClosed();
}

void CODN_SFT::CloseToolWindow() {
    ClearToolWindow(ToolWindow::kSectionShift, this);
    SectionShiftWindowClosed();
    close();
}

void CODN_SFT::closeEvent(QCloseEvent* event) {
    if (GetToolWindow(ToolWindow::kSectionShift) == this) {
        ClearToolWindow(ToolWindow::kSectionShift, this);
        SectionShiftWindowClosed();
    }
    // Not QDialog's: it would ask reject(), which keeps the window open for Esc.
    QWidget::closeEvent(event);
}

void CODN_SFT::reject() {
    // Esc never closes the window; the close box does.
}

void CODN_SFT::StoreRect() {
    if (m_initialised) StoreSectionWindowRect(this, g_sectionWndRect);
}

void CODN_SFT::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    StoreRect();
}

void CODN_SFT::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    StoreRect();
}

void CODN_SFT::ShowSection(int n) {
    if (n < 1 || n > g_crossSectionCount) return;
    g_currentSection = n;
    g_sectionSelectedPoint = 0;
    UpdateTitle();
    m_frame->update();
}

void CODN_SFT::SpinSection(int delta) {
    const int next = g_currentSection - delta;
    if (next < 1) return;
    ShowSection(std::min(next, g_crossSectionCount));
}

void CODN_SFT::SyncModeButtons() {
    m_zoomButton->setChecked(g_sectionViewMode == kSectionViewZoomBox);
    m_moveButton->setChecked(g_sectionViewMode == kSectionViewMove);
    m_frame->viewMode = g_sectionViewMode;
    m_frame->UpdateCursor();
}

void CODN_SFT::UpdateTitle() {
    m_numberBox->setText(QString::number(g_currentSection));
    const CrossSection* s = CurrentGround();
    if (s == nullptr) return;
    char name[kSectionNameBytes + 1] = {};
    std::memcpy(name, s->name, kSectionNameBytes);
    char buf[160];
    if (s->leftCount == 0 && s->rightCount == 0)
        std::snprintf(buf, sizeof buf, "横断図  %s  %.3f", name, s->distance);
    else
        std::snprintf(buf, sizeof buf, "横断図  %s  %.3f  左%3d   右%3d", name, s->distance, s->leftCount,
                      s->rightCount);
    setWindowTitle(QString::fromUtf8(buf));
}

void CODN_SFT::DrawContent(QPainter& p) {
    SectionFrame& f = m_frame->Frame();
    m_frame->background = g_sectionViewColors[9];
    m_frame->grid = g_sectionViewColors[4];
    m_frame->labels = g_sectionViewColors[7];
    m_frame->readout = g_sectionViewColors[8];
    const CrossSection* s = CurrentGround();
    if (s == nullptr) return;
    const PlanSection* plan = CurrentPlan();
    // The selected plan point's mark comes first: it may pan the view.
    SectionPixel mark{};
    const int32_t sel = plan ? g_sectionSelectedPoint : 0;
    if (sel != 0) {
        std::vector<SectionWorld> left, right;
        CurrentPlanSides(left, right);
        const std::vector<SectionWorld>& side = sel < 0 ? left : right;
        const size_t i = std::min<size_t>(static_cast<size_t>(std::abs(sel)), side.size());
        if (i >= 1) mark = PlaceSectionMark(f, side[i - 1].offset, side[i - 1].height, g_sectionCursorPos);
    }
    auto toQ = [&f](double offset, double height) {
        const SectionPixel px = SectionWorldToScreen(f, offset, height);
        return QPoint(px.x, px.y);
    };
    p.setPen(SectionColor(g_sectionViewColors[0]));
    const int cx = toQ(0.0, f.heightOrigin).x();
    p.drawLine(cx, 0, cx, m_frame->height());
    auto drawGround = [&](int32_t n, uint32_t colour) {
        p.setPen(SectionColor(colour));
        for (const SectionPolyline& line : SectionLinePieces(n))
            for (size_t k = 1; k < line.points.size(); ++k)
                p.drawLine(toQ(line.points[k - 1].offset, line.points[k - 1].height),
                           toQ(line.points[k].offset, line.points[k].height));
    };
    if (m_showPrevious->isChecked() && g_currentSection >= 2 && g_currentSection <= g_crossSectionCount)
        drawGround(g_currentSection - 1, g_sectionViewColors[2]);
    if (m_showNext->isChecked() && g_currentSection < g_crossSectionCount)
        drawGround(g_currentSection + 1, g_sectionViewColors[3]);
    drawGround(g_currentSection, g_sectionViewColors[1]);
    // Without its plan record the section shows the ground alone.
    if (plan == nullptr) return;
    std::vector<SectionWorld> sides[2];
    CurrentPlanSides(sides[0], sides[1]);
    std::vector<QPoint> marks;
    for (const std::vector<SectionWorld>& side : sides) {
        QPoint prev = toQ(0, plan->planHeight);
        for (size_t j = 0; j < side.size(); ++j) {
            const QPoint next = toQ(side[j].offset, side[j].height);
            if (!(plan->kind == 1 && j == 0)) p.drawLine(prev, next);
            prev = next;
            marks.push_back(next);
        }
    }
    p.setPen(SectionColor(g_sectionViewColors[10]));
    p.setBrush(SectionColor(g_sectionViewColors[5]));
    for (const QPoint& m : marks) p.drawEllipse(QRect(m.x() - 2, m.y() - 2, 4, 4));
    if (sel != 0) {
        p.setBrush(SectionColor(g_sectionViewColors[6]));
        p.drawEllipse(QRect(mark.x - 3, mark.y - 3, 6, 6));
    }
    p.setBrush(Qt::NoBrush);
}

void CODN_SFT::ApplyBox(QLineEdit* box) {
    SectionFrame& f = m_frame->Frame();
    const std::string typed = box->text().trimmed().toStdString();
    bool ok = false;
    const double v = box->text().trimmed().toDouble(&ok);
    if (box == m_shiftBox) {
        if (!typed.empty()) box->setText(QString::fromStdString(SectionShiftAmountLeft(typed)));
    } else if (box == m_datumBox) {
        if (!typed.empty()) box->setText(QString::fromStdString(SectionShiftDatumLeft(typed)));
    } else if (box == m_gridBox) {
        if (m_enterPressed && ok) ApplySectionGridInterval(f, v);
        box->setText(SectionFormat("%3.1f", f.gridInterval));
    } else if (box == m_numberBox) {
        const int n = box->text().trimmed().toInt(&ok);
        if (m_enterPressed && ok && n != g_currentSection) ShowSection(n);
        box->setText(QString::number(g_currentSection));
    } else if (box == m_scaleBox) {
        if (!typed.empty()) {
            f.verticalScale = ClampTypedVerticalScale(ok ? v : 0.0);
            box->setText(SectionFormat(" %3.1f", f.verticalScale));
        }
    }
    m_frame->update();
}

bool CODN_SFT::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (box && event->type() == QEvent::FocusOut) {
        ApplyBox(box);
        const bool returnHere = m_enterPressed && (box == m_shiftBox || box == m_datumBox || box == m_scaleBox);
        m_enterPressed = false;
        if (returnHere) box->setFocus();
        return false;
    }
    if (box && event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            // The box applies its text now, as leaving it after Enter would.
            m_enterPressed = true;
            ApplyBox(box);
            m_enterPressed = false;
            if (box == m_gridBox || box == m_numberBox) box->clearFocus();
            return true;
        }
        if (k->key() == Qt::Key_Escape) return true;
        const bool leftRight = k->key() == Qt::Key_Left || k->key() == Qt::Key_Right;
        if (k->key() == Qt::Key_Up || k->key() == Qt::Key_Down ||
            (leftRight && box != m_gridBox && box != m_numberBox)) {
            keyPressEvent(k);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CODN_SFT::keyPressEvent(QKeyEvent* event) {
    if (!HandleSectionWindowKey(this, m_frame, event, m_enterPressed)) QDialog::keyPressEvent(event);
}

void InstallSectionShiftWindow(QWidget* frame, FrameCommandTarget& commands) {
    commands.SetHandler(33069, [frame] { OnSectionShiftCommand([frame] { (new CODN_SFT(frame))->show(); }); });
}
