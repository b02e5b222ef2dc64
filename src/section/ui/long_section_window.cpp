#include "section/ui/long_section_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "route/route_data.h"
#include "section/cross_section_edit.h"
#include "section/long_section_command.h"
#include "section/section_defaults.h"
#include "section/ui/section_frame_controls.h"
#include "section/ui/section_frame_widget.h"
#include "section/ui/section_point_dialogs.h"
#include "shell/command_routing.h"

CLongSectionDlg::CLongSectionDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("longSectionWindow");
    setWindowTitle(QString::fromUtf8("縦断図"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    LongSectionWindowOpened();
    m_extents = ComputeLongSectionExtents();
    m_frame = new CSectionFrameWidget(this);
    SectionControlsOptions options;
    options.scaleBoxId = "1026";
    const SectionFrameControls c = BuildSectionFrameControls(
        this, m_frame, options,
        [this](int mode) {
            g_longSectionViewMode = mode;
            SyncModeButtons();
        },
        [this] {
            if (runColorDialog) runColorDialog();
        });
    m_gridBox = c.gridBox;
    m_scaleBox = c.scaleBox;
    m_zoomButton = c.zoomButton;
    m_moveButton = c.moveButton;
    for (QLineEdit* e : {m_gridBox, m_scaleBox}) e->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 8);
    layout->setSpacing(6);
    layout->addWidget(m_frame, 1);
    layout->addLayout(c.row);

    runColorDialog = [this] {
        CSectionColorDlg dlg(this, [this] { m_frame->update(); });
        dlg.exec();
    };
    m_frame->updateScale = [this](SectionFrame& f) {
        f.offsetOrigin = m_extents.centreDistance;
        f.heightOrigin = m_extents.centreHeight;
        UpdateSectionScale(f, m_extents.distanceSpan, m_extents.heightSpan, kLongSectionScaleFactor);
    };
    m_frame->drawContent = [this](QPainter& p, SectionFrame&) { DrawContent(p); };
    m_frame->onEditPress = [](int, int) {};
    m_frame->onEditMove = [](int, int) {};
    // A plain click only lets go of the highlighted station.
    m_frame->onEditRelease = [this](int, int) {
        if (g_currentStation != 0) g_currentStation = 0;
        m_frame->update();
        m_frame->WarpCursor(QPoint(g_sectionCursorPos.x, g_sectionCursorPos.y));
    };
    m_frame->onViewModeEnded = [this](bool) {
        // The view mode ends only when its button is unchecked.
        SyncModeButtons();
        setFocus();
    };

    SetToolWindow(ToolWindow::kLongSection, this);
    SectionFrame& f = m_frame->Frame();
    f.gridInterval = 20.0;
    f.verticalScale = 1.0;
    m_gridBox->setText(SectionFormat("%3.1f", f.gridInterval));
    m_scaleBox->setText(SectionFormat("%3.1f", f.verticalScale));
    RestoreSectionWindowRect(this, g_longSectionWndRect, QSize(820, 480));
    g_sectionCursorPos = {m_frame->width() / 2, m_frame->height() / 2};
    m_initialised = true;
    StoreRect();
}

CLongSectionDlg::~CLongSectionDlg() { Closed(); }

void CLongSectionDlg::Closed() {
    if (m_closed) return;
    m_closed = true;
    if (GetToolWindow(ToolWindow::kLongSection) == this) ClearToolWindow(ToolWindow::kLongSection, this);
    // A newer window may own the globals already.
    if (!GetToolWindow(ToolWindow::kLongSection)) LongSectionWindowClosed();
}

void CLongSectionDlg::CloseToolWindow() {
    Closed();
    close();
}

void CLongSectionDlg::closeEvent(QCloseEvent* event) {
    Closed();
    // Not QDialog's: it would ask reject(), which keeps the window open for Esc.
    QWidget::closeEvent(event);
}

void CLongSectionDlg::reject() {
    // Esc never closes the window; the close box does.
}

void CLongSectionDlg::StoreRect() {
    if (m_initialised) StoreSectionWindowRect(this, g_longSectionWndRect);
}

void CLongSectionDlg::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    StoreRect();
}

void CLongSectionDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    StoreRect();
}

void CLongSectionDlg::SyncModeButtons() {
    m_zoomButton->setChecked(g_longSectionViewMode == kSectionViewZoomBox);
    m_moveButton->setChecked(g_longSectionViewMode == kSectionViewMove);
    m_frame->viewMode = g_longSectionViewMode;
    m_frame->UpdateCursor();
}

void CLongSectionDlg::DrawContent(QPainter& p) {
    SectionFrame& f = m_frame->Frame();
    m_frame->background = g_sectionViewColors[9];
    m_frame->grid = g_sectionViewColors[4];
    m_frame->labels = g_sectionViewColors[7];
    m_frame->readout = g_sectionViewColors[8];
    if (g_stationCount < 1 || !g_stations) return;
    auto toQ = [&f](SectionWorld w) {
        const SectionPixel px = SectionWorldToScreen(f, w.offset, w.height);
        return QPoint(px.x, px.y);
    };
    SectionPixel mark{};
    const int32_t stationCount = std::min(g_stationCount, g_stationsBlock.Size() - 1);
    const int32_t highlighted = std::min(g_currentStation, stationCount);
    if (highlighted >= 1) {
        const StationRecord& s = g_stations[highlighted];
        mark = PlaceSectionMark(f, s.addedDistance, s.groundZ, g_sectionCursorPos);
    }
    const std::vector<SectionWorld> crossings = LongCrossingLine();
    p.setPen(SectionColor(g_sectionViewColors[10]));
    for (size_t k = 1; k < crossings.size(); ++k) p.drawLine(toQ(crossings[k - 1]), toQ(crossings[k]));
    const std::vector<LongSectionMark> ground = LongSectionGroundLine();
    p.setPen(SectionColor(g_sectionViewColors[1]));
    for (size_t k = 1; k < ground.size(); ++k) p.drawLine(toQ(ground[k - 1].at), toQ(ground[k].at));
    p.setPen(SectionColor(g_sectionViewColors[10]));
    p.setBrush(SectionColor(g_sectionViewColors[5]));
    for (const LongSectionMark& m : ground) {
        const QPoint q = toQ(m.at);
        p.drawEllipse(QRect(q.x() - 2, q.y() - 2, 4, 4));
    }
    if (highlighted >= 1) {
        p.setBrush(SectionColor(g_sectionViewColors[6]));
        p.drawEllipse(QRect(mark.x - 3, mark.y - 3, 6, 6));
    }
    p.setBrush(Qt::NoBrush);
}

void CLongSectionDlg::ApplyBox(QLineEdit* box) {
    SectionFrame& f = m_frame->Frame();
    bool ok = false;
    const double v = box->text().trimmed().toDouble(&ok);
    if (box == m_gridBox) {
        if (m_enterPressed && ok) ApplySectionGridInterval(f, v);
        box->setText(SectionFormat("%3.1f", f.gridInterval));
    } else if (box == m_scaleBox) {
        if (m_enterPressed && ok) ApplyLongSectionVerticalScale(f.verticalScale, v);
        box->setText(SectionFormat("%3.1f", f.verticalScale));
    }
    m_frame->update();
}

bool CLongSectionDlg::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (box && event->type() == QEvent::FocusOut) {
        ApplyBox(box);
        m_enterPressed = false;
        return false;
    }
    if (box && event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            m_enterPressed = true;
            ApplyBox(box);
            m_enterPressed = false;
            box->clearFocus();
            return true;
        }
        if (k->key() == Qt::Key_Escape) return true;
        const bool leftRight = k->key() == Qt::Key_Left || k->key() == Qt::Key_Right;
        if (k->key() == Qt::Key_Up || k->key() == Qt::Key_Down || (leftRight && box != m_gridBox)) {
            keyPressEvent(k);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CLongSectionDlg::keyPressEvent(QKeyEvent* event) {
    if (!HandleSectionWindowKey(this, m_frame, event, m_enterPressed)) QDialog::keyPressEvent(event);
}

void InstallLongSectionWindow(QWidget* frame, FrameCommandTarget& commands) {
    commands.SetHandler(32823, [frame] { OnLongSectionCommand([frame] { (new CLongSectionDlg(frame))->show(); }); });
}
