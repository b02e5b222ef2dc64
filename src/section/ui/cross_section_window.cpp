#include "section/ui/cross_section_window.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>
#include <cstring>
#include <cstdio>

#include "section/cross_section_command.h"
#include "section/cross_section_edit.h"
#include "section/section_defaults.h"
#include "section/section_point_edit.h"
#include "section/section_records.h"
#include "section/ui/section_frame_controls.h"
#include "section/ui/section_frame_widget.h"
#include "section/ui/section_point_dialogs.h"
#include "shell/command_routing.h"
#include "view/display_flags.h"
#include "view/view_navigation.h"
#include "view/view_state.h"

namespace {

CrossSection* Current() {
    return g_currentSection >= 1 && g_currentSection <= g_crossSectionCount ? GetCrossSection(g_currentSection)
                                                                              : nullptr;
}

}  // namespace

CCrossSectionDlg::CCrossSectionDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("crossSectionWindow");
    setWindowTitle(QString::fromUtf8("横断図"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    m_frame = new CSectionFrameWidget(this);
    SectionControlsOptions options;
    options.neighbours = true;
    options.sectionNumber = true;
    options.scaleBoxId = "1082";
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
    for (QLineEdit* e : {m_gridBox, m_numberBox, m_scaleBox}) e->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 4);
    layout->setSpacing(6);
    layout->addWidget(m_frame, 1);
    layout->addLayout(c.row);

    m_popup = new QMenu(this);
    m_popup->addAction(QString::fromUtf8("拡大"), this, [this] {
        ApplySectionPopupItem(SectionPopupItem::ZoomBox);
        SyncModeButtons();
    });
    m_popup->addAction(QString::fromUtf8("移動"), this, [this] {
        ApplySectionPopupItem(SectionPopupItem::Move);
        SyncModeButtons();
    });
    m_popup->addAction(QString::fromUtf8("測点追加"), this, [this] {
        ApplySectionPopupItem(SectionPopupItem::AddPoints);
        SyncModeButtons();
    });
    m_popup->addAction(QString::fromUtf8("測点編集"), this, [this] {
        ApplySectionPopupItem(SectionPopupItem::ModifyPoints);
        SyncModeButtons();
    });
    m_popup->addAction(QString::fromUtf8("解除"), this, [this] {
        ApplySectionPopupItem(SectionPopupItem::Release);
        SyncModeButtons();
        m_frame->update();
    });

    connect(c.spinUp, &QToolButton::clicked, this, [this] { SpinSection(-1); });
    connect(c.spinDown, &QToolButton::clicked, this, [this] { SpinSection(1); });
    runColorDialog = [this] {
        CSectionColorDlg dlg(this, [this] { m_frame->update(); });
        dlg.exec();
    };
    runPointEdit = [this] { return DefaultPointEdit(); };

    m_frame->updateScale = [](SectionFrame& f) {
        const CrossSection* s = Current();
        f.offsetOrigin = 0.0;
        f.heightOrigin = s ? s->height : 0.0;
        UpdateSectionScale(f, g_sectionWidthSpan, g_sectionHeightSpan, kCrossSectionScaleFactor);
    };
    m_frame->drawContent = [this](QPainter& p, SectionFrame&) { DrawContent(p); };
    m_frame->onEditPress = [this](int x, int y) { EditPress(x, y); };
    m_frame->onEditMove = [this](int, int) {};
    m_frame->onEditRelease = [this](int x, int y) { EditRelease(x, y); };
    m_frame->onRightDoubleClick = [this](int x, int y) { m_popup->popup(m_frame->mapToGlobal(QPoint(x, y))); };
    m_frame->onViewModeEnded = [this](bool right) {
        // A right release ends the view mode; during editing a view mode is one-shot.
        if (right || g_sectionEditMode != 0) g_sectionViewMode = 0;
        SyncModeButtons();
        setFocus();
    };

    SetToolWindow(ToolWindow::kSection, this);
    SetCrossSectionRepaint([this] {
        UpdateTitle();
        m_frame->update();
    });
    CrossSectionWindowOpened();
    SectionFrame& f = m_frame->Frame();
    f.gridInterval = 10.0;
    f.verticalScale = 1.0;
    m_gridBox->setText(SectionFormat("%3.1f", f.gridInterval));
    m_numberBox->setText(QString::number(g_currentSection));
    m_scaleBox->setText(SectionFormat(" %3.1f", f.verticalScale));
    RestoreSectionWindowRect(this, g_sectionWndRect, QSize(820, 520));
    g_sectionCursorPos = {m_frame->width() / 2, m_frame->height() / 2};
    m_initialised = true;
    StoreRect();
    UpdateTitle();
}

CCrossSectionDlg::~CCrossSectionDlg() {
    // A window closed before has already given the globals back; a new one may own them.
    if (GetToolWindow(ToolWindow::kSection) != this) return;
    ClearToolWindow(ToolWindow::kSection, this);
    CrossSectionWindowClosed();
}

void CCrossSectionDlg::CloseToolWindow() {
    ClearToolWindow(ToolWindow::kSection, this);
    close();
}

void CCrossSectionDlg::closeEvent(QCloseEvent* event) {
    // The section globals go back at once; the object itself goes later.
    if (GetToolWindow(ToolWindow::kSection) == this || !GetToolWindow(ToolWindow::kSection)) {
        ClearToolWindow(ToolWindow::kSection, this);
        CrossSectionWindowClosed();
    }
    // Not QDialog's: it would ask reject(), which keeps the window open for Esc.
    QWidget::closeEvent(event);
}

void CCrossSectionDlg::reject() {
    // Esc never closes the window; the close box does (closeEvent).
}

void CCrossSectionDlg::StoreRect() {
    if (m_initialised) StoreSectionWindowRect(this, g_sectionWndRect);
}

void CCrossSectionDlg::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    StoreRect();
}

void CCrossSectionDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    StoreRect();
}

void CCrossSectionDlg::SyncModeButtons() {
    m_zoomButton->setChecked(g_sectionViewMode == kSectionViewZoomBox);
    m_moveButton->setChecked(g_sectionViewMode == kSectionViewMove);
    m_frame->viewMode = g_sectionViewMode;
    m_frame->editCursor = g_sectionEditMode == kSectionEditAdd      ? 148
                          : g_sectionEditMode == kSectionEditModify ? 149
                                                                    : 0;
    m_frame->UpdateCursor();
}

void CCrossSectionDlg::UpdateTitle() {
    m_numberBox->setText(QString::number(g_currentSection));
    const CrossSection* s = Current();
    if (g_sectionViewCount < 1 || s == nullptr) {
        setWindowTitle(QString::fromUtf8("横断図"));
        return;
    }
    char buf[160];
    char name[kSectionNameBytes + 1] = {};
    std::memcpy(name, s->name, kSectionNameBytes);
    if (s->leftCount == 0 && s->rightCount == 0)
        std::snprintf(buf, sizeof buf, "横断図  %s  %.3f", name, s->distance);
    else
        std::snprintf(buf, sizeof buf, "横断図  %s  %.3f  左%3d   右%3d", name, s->distance, s->leftCount,
                      s->rightCount);
    // The name is Shift-JIS from the file; the rest is ours.
    setWindowTitle(QString::fromUtf8(buf));
}

void CCrossSectionDlg::DrawContent(QPainter& p) {
    SectionFrame& f = m_frame->Frame();
    m_frame->background = g_sectionViewColors[9];
    m_frame->grid = g_sectionViewColors[4];
    m_frame->labels = g_sectionViewColors[7];
    m_frame->readout = g_sectionViewColors[8];
    const CrossSection* s = Current();
    if (g_sectionViewCount < 1 || s == nullptr) return;
    // The selected point's mark comes first: it may pan the view.
    SectionPixel mark{};
    const int32_t sel = g_sectionSelectedPoint;
    if (sel != 0) {
        const int32_t count = sel < 0 ? s->leftCount : s->rightCount;
        const int32_t i = std::min(std::abs(sel), count);
        if (i >= 1 && i < static_cast<int32_t>(s->points.size())) {
            const SectionPoint& pt = s->points[i];
            mark = PlaceSectionMark(f, sel < 0 ? pt.leftOffset : pt.rightOffset,
                                    sel < 0 ? pt.leftHeight : pt.rightHeight, g_sectionCursorPos);
        }
    }
    auto toQ = [&f](SectionWorld w) {
        const SectionPixel px = SectionWorldToScreen(f, w.offset, w.height);
        return QPoint(px.x, px.y);
    };
    p.setPen(SectionColor(g_sectionViewColors[0]));
    const int cx = toQ({0.0, f.heightOrigin}).x();
    p.drawLine(cx, 0, cx, m_frame->height());
    auto drawLine = [&](int32_t n, uint32_t colour) {
        p.setPen(SectionColor(colour));
        for (const SectionPolyline& line : SectionLinePieces(n)) {
            for (size_t k = 1; k < line.points.size(); ++k) p.drawLine(toQ(line.points[k - 1]), toQ(line.points[k]));
        }
    };
    if (m_showPrevious->isChecked() && g_currentSection >= 2 && g_currentSection <= g_sectionViewCount)
        drawLine(g_currentSection - 1, g_sectionViewColors[2]);
    if (m_showNext->isChecked() && g_currentSection < g_sectionViewCount)
        drawLine(g_currentSection + 1, g_sectionViewColors[3]);
    if (g_currentSection > g_sectionViewCount) return;
    drawLine(g_currentSection, g_sectionViewColors[1]);
    std::vector<SectionWorld> left, right;
    CurrentSectionSides(left, right);
    p.setPen(SectionColor(g_sectionViewColors[10]));
    p.setBrush(SectionColor(g_sectionViewColors[5]));
    for (const auto* side : {&left, &right})
        for (const SectionWorld& w : *side) {
            const QPoint q = toQ(w);
            p.drawEllipse(QRect(q.x() - 2, q.y() - 2, 4, 4));
        }
    if (sel != 0) {
        p.setBrush(SectionColor(g_sectionViewColors[6]));
        p.drawEllipse(QRect(mark.x - 3, mark.y - 3, 6, 6));
    }
    p.setBrush(Qt::NoBrush);
}

void CCrossSectionDlg::EditPress(int x, int y) {
    m_grabbed = 0;
    if (g_sectionEditMode == 0) {
        g_sectionSelectedPoint = HitTestSectionPoint(m_frame->Frame(), 15, x, y);
    } else if (g_sectionEditMode == kSectionEditAdd) {
        m_grabbed = HitTestSectionPoint(m_frame->Frame(), 5, x, y);
    }
    m_frame->rubberLine = m_grabbed != 0;
}

bool CCrossSectionDlg::DefaultPointEdit() {
    const QPoint anchor = m_frame->mapToGlobal(QPoint(g_sectionCursorPos.x, g_sectionCursorPos.y));
    CSectionPointEditDlg dlg(this, anchor, (g_sectionEditMode & 0x400) != 0, [this] { m_frame->repaint(); });
    return dlg.exec() == QDialog::Accepted;
}

void CCrossSectionDlg::EditRelease(int x, int y) {
    g_sectionCursorPos = {x, y};
    m_frame->rubberLine = false;
    SectionFrame& f = m_frame->Frame();
    auto runDialog = [this] {
        m_frame->repaint();
        return runPointEdit ? runPointEdit() : false;
    };
    if (g_sectionEditMode == kSectionEditAdd) {
        SectionAddRelease(m_grabbed, SectionScreenToWorld(f, x, y), f.Contains(x, y), runDialog);
    } else if (g_sectionEditMode == kSectionEditModify) {
        SectionModifyRelease(HitTestSectionPoint(f, 15, x, y), runDialog);
    } else {
        g_sectionSelectedPoint = 0;
    }
    if (g_sectionEditMode != 0 && g_birdsEyeOn) {
        g_redrawMask = g_showSections ? -1 : 0;
        InvalidateAndUpdateView();
    }
    m_grabbed = 0;
    UpdateTitle();
    m_frame->update();
    m_frame->WarpCursor(QPoint(g_sectionCursorPos.x, g_sectionCursorPos.y));
    g_sectionCursorPos = {x, y};
}

void CCrossSectionDlg::SpinSection(int delta) {
    const int next = g_currentSection - delta;
    if (next < 1) return;
    SetShownSection(std::min(next, g_sectionViewCount));
}

void CCrossSectionDlg::ApplyBox(QLineEdit* box) {
    SectionFrame& f = m_frame->Frame();
    bool ok = false;
    const double v = box->text().trimmed().toDouble(&ok);
    if (box == m_gridBox) {
        if (m_enterPressed && ok) ApplySectionGridInterval(f, v);
        box->setText(SectionFormat("%3.1f", f.gridInterval));
    } else if (box == m_numberBox) {
        const int n = box->text().trimmed().toInt(&ok);
        if (m_enterPressed && ok && n >= 1 && n <= g_sectionViewCount && n != g_currentSection) SetShownSection(n);
        box->setText(QString::number(g_currentSection));
    } else if (box == m_scaleBox) {
        if (!box->text().trimmed().isEmpty()) {
            f.verticalScale = ClampTypedVerticalScale(ok ? v : 0.0);
            box->setText(SectionFormat(" %3.1f", f.verticalScale));
        }
    }
    m_frame->update();
}

bool CCrossSectionDlg::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (box && event->type() == QEvent::FocusOut) {
        ApplyBox(box);
        const bool returnToScale = box == m_scaleBox && m_enterPressed;
        m_enterPressed = false;
        if (returnToScale) box->setFocus();
        return false;
    }
    if (box && event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            // The box applies its text now, as leaving it after Enter would.
            m_enterPressed = true;
            ApplyBox(box);
            m_enterPressed = false;
            if (box != m_scaleBox) box->clearFocus();
            return true;
        }
        if (k->key() == Qt::Key_Escape) return true;
        if (k->key() == Qt::Key_Up || k->key() == Qt::Key_Down ||
            ((k->key() == Qt::Key_Left || k->key() == Qt::Key_Right) && box == m_scaleBox)) {
            keyPressEvent(k);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CCrossSectionDlg::keyPressEvent(QKeyEvent* event) {
    if (!HandleSectionWindowKey(this, m_frame, event, m_enterPressed)) QDialog::keyPressEvent(event);
}

void InstallCrossSectionWindow(QWidget* frame, FrameCommandTarget& commands) {
    commands.SetHandler(32822, [frame] {
        OnCrossSectionCommand([frame] { (new CCrossSectionDlg(frame))->show(); });
    });
}
