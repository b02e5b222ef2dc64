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
#include "section/ui/section_frame_widget.h"
#include "section/ui/section_point_dialogs.h"
#include "shell/command_routing.h"
#include "view/display_flags.h"
#include "view/view_navigation.h"
#include "view/view_state.h"

namespace {

QString Fmt(const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return QString::fromLatin1(buf);
}

CrossSection* Current() {
    return g_currentSection >= 1 && g_currentSection <= g_crossSectionCount ? GetCrossSection(g_currentSection)
                                                                              : nullptr;
}

QPushButton* Button(QWidget* parent, const char* text, const char* id, bool checkable = false) {
    auto* b = new QPushButton(QString::fromUtf8(text), parent);
    b->setObjectName(id);
    b->setAutoDefault(false);
    b->setCheckable(checkable);
    return b;
}

}  // namespace

CCrossSectionDlg::CCrossSectionDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("crossSectionWindow");
    setWindowTitle(QString::fromUtf8("横断図"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    m_frame = new CSectionFrameWidget(this);
    m_showPrevious = new QCheckBox(QString::fromUtf8("前断面"), this);
    m_showPrevious->setObjectName("1018");
    m_showNext = new QCheckBox(QString::fromUtf8("次断面"), this);
    m_showNext->setObjectName("1019");
    m_gridBox = new QLineEdit(this);
    m_gridBox->setObjectName("1020");
    m_numberBox = new QLineEdit(this);
    m_numberBox->setObjectName("1031");
    m_scaleBox = new QLineEdit(this);
    m_scaleBox->setObjectName("1082");
    for (QLineEdit* e : {m_gridBox, m_numberBox, m_scaleBox}) {
        e->setMaximumWidth(60);
        e->installEventFilter(this);
    }
    auto* all = Button(this, "全体", "1022");
    m_zoomButton = Button(this, "拡大", "1023", true);
    auto* out = Button(this, "縮小", "1024");
    m_moveButton = Button(this, "移動", "1025", true);
    auto* colours = Button(this, "色設定", "1073");
    auto* spinUp = new QToolButton(this);
    spinUp->setObjectName("1030up");
    spinUp->setArrowType(Qt::UpArrow);
    auto* spinDown = new QToolButton(this);
    spinDown->setObjectName("1030down");
    spinDown->setArrowType(Qt::DownArrow);

    auto* row = new QHBoxLayout;
    row->addWidget(m_showPrevious);
    row->addWidget(m_showNext);
    row->addWidget(new QLabel(QString::fromUtf8("方眼"), this));
    row->addWidget(m_gridBox);
    for (QPushButton* b : {all, m_zoomButton, out, m_moveButton}) row->addWidget(b);
    row->addWidget(new QLabel(QString::fromUtf8("断面No"), this));
    row->addWidget(spinUp);
    row->addWidget(spinDown);
    row->addWidget(m_numberBox);
    row->addWidget(colours);
    row->addWidget(new QLabel(QString::fromUtf8("縦倍率"), this));
    row->addWidget(m_scaleBox);
    row->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 4);
    layout->setSpacing(6);
    layout->addWidget(m_frame, 1);
    layout->addLayout(row);

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

    connect(all, &QPushButton::clicked, this, [this] {
        SectionZoomAll(m_frame->Frame());
        m_frame->update();
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
    connect(m_showPrevious, &QCheckBox::toggled, m_frame, qOverload<>(&QWidget::update));
    connect(m_showNext, &QCheckBox::toggled, m_frame, qOverload<>(&QWidget::update));
    connect(spinUp, &QToolButton::clicked, this, [this] { SpinSection(-1); });
    connect(spinDown, &QToolButton::clicked, this, [this] { SpinSection(1); });
    runColorDialog = [this] {
        CSectionColorDlg dlg(this, [this] { m_frame->update(); });
        dlg.exec();
    };
    connect(colours, &QPushButton::clicked, this, [this] {
        if (runColorDialog) runColorDialog();
        m_frame->update();
    });
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
    // With the focus in the vertical scale box the wheel works on the scale.
    m_frame->onWheel = [this](bool forward) {
        if (!m_scaleBox->hasFocus()) return false;
        SectionFrame& f = m_frame->Frame();
        f.verticalScale = SectionWheelVerticalScale(f.verticalScale, forward);
        m_scaleBox->setText(Fmt(" %3.1f", f.verticalScale));
        return true;
    };
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
    m_gridBox->setText(Fmt("%3.1f", f.gridInterval));
    m_numberBox->setText(QString::number(g_currentSection));
    m_scaleBox->setText(Fmt(" %3.1f", f.verticalScale));
    if (g_sectionWndRect.right != 0) {
        setGeometry(g_sectionWndRect.left, g_sectionWndRect.top, g_sectionWndRect.right - g_sectionWndRect.left,
                    g_sectionWndRect.bottom - g_sectionWndRect.top);
    } else {
        resize(820, 520);
    }
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
    if (!m_initialised) return;
    const QRect g = geometry();
    g_sectionWndRect = {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
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
    if (g_sectionEditMode == kSectionEditAdd) m_frame->setCursor(Qt::CrossCursor);
    else if (g_sectionEditMode == kSectionEditModify) m_frame->setCursor(Qt::PointingHandCursor);
    else if (g_sectionViewMode == kSectionViewMove) m_frame->setCursor(Qt::OpenHandCursor);
    else if (g_sectionViewMode == kSectionViewZoomBox) m_frame->setCursor(Qt::CrossCursor);
    else m_frame->unsetCursor();
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
        box->setText(Fmt("%3.1f", f.gridInterval));
    } else if (box == m_numberBox) {
        const int n = box->text().trimmed().toInt(&ok);
        if (m_enterPressed && ok && n >= 1 && n <= g_sectionViewCount && n != g_currentSection) SetShownSection(n);
        box->setText(QString::number(g_currentSection));
    } else if (box == m_scaleBox) {
        if (!box->text().trimmed().isEmpty()) {
            f.verticalScale = ClampTypedVerticalScale(ok ? v : 0.0);
            box->setText(Fmt(" %3.1f", f.verticalScale));
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
    if (box && event->type() == QEvent::Wheel && box == m_scaleBox) {
        auto* w = static_cast<QWheelEvent*>(event);
        if (w->angleDelta().y() == 0) return true;
        SectionFrame& f = m_frame->Frame();
        f.verticalScale = SectionWheelVerticalScale(f.verticalScale, w->angleDelta().y() > 0);
        m_scaleBox->setText(Fmt(" %3.1f", f.verticalScale));
        m_frame->update();
        return true;
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
    SectionFrame& f = m_frame->Frame();
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_enterPressed = true;
        if (QWidget* w = focusWidget()) w->clearFocus();
        return;
    case Qt::Key_Escape: return;
    case Qt::Key_Up: SectionKeyPan(f, SectionKey::Up); break;
    case Qt::Key_Down: SectionKeyPan(f, SectionKey::Down); break;
    case Qt::Key_Left: SectionKeyPan(f, SectionKey::Left); break;
    case Qt::Key_Right: SectionKeyPan(f, SectionKey::Right); break;
    default: QDialog::keyPressEvent(event); return;
    }
    m_frame->update();
}

void InstallCrossSectionWindow(QWidget* frame, FrameCommandTarget& commands) {
    commands.SetHandler(32822, [frame] {
        OnCrossSectionCommand([frame] { (new CCrossSectionDlg(frame))->show(); });
    });
}
