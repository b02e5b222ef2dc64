#include "view/ui/display_settings_dialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>

#include "model/document_services.h"
#include "model/terrain_data.h"
#include "route/route_data.h"
#include "view/view_state.h"

QPointer<CHeightScaleBar> g_verticalScaleDlg;

namespace {
QString Utf8(const char* text) { return QString::fromUtf8(text); }
QString Text(const std::string& text) { return QString::fromStdString(text); }

void FullRepaint() {
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}

// Keeps the window's column and puts its bottom edge on the bottom of the view.
void PlaceAtViewBottom(QWidget* dialog) {
    QWidget* frame = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
    auto* main = qobject_cast<QMainWindow*>(frame);
    QWidget* view = main ? main->centralWidget() : nullptr;
    if (!view) return;
    const int bottom = view->mapToGlobal(QPoint(0, view->height())).y();
    const QRect g = dialog->frameGeometry();
    dialog->move(g.left(), bottom - g.height());
}
}  // namespace

// ---- 縦倍率 ----

CHeightScaleBar::CHeightScaleBar(QWidget* frame)
    : QWidget(frame, Qt::Tool), m_frame(frame) {
    setObjectName("CHeightScaleBar");
    setWindowTitle(Utf8("縦倍率"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName("heightScale");
    m_edit->setMaxLength(16);
    m_edit->installEventFilter(this);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(new QLabel(Utf8("縦倍率"), this));
    layout->addWidget(m_edit);
    Update();
}

void CHeightScaleBar::Update() {
    // In step with the toolbar's box, which is offered while there is something to show.
    m_state.enabled = g_pointsPresent != 0 || g_stationCount > 0;
    const HeightScaleBarRefresh r = UpdateHeightScaleBar(m_state, g_birdsEyeOn != 0);
    if (r.show) {
        if (m_frame && !isVisible()) {
            const QRect f = m_frame->frameGeometry();
            move(f.right() - width() - 40, f.top() + 80);
        }
        show();
    }
    if (r.hide) hide();
    if (!r.text.empty()) m_edit->setText(Text(r.text));
}

void CHeightScaleBar::Changed() {
    Update();
    if (m_changed) m_changed();
    FullRepaint();
}

void CHeightScaleBar::LeaveField() {
    const std::string typed = m_edit->text().toStdString();
    if (typed.empty()) return;
    const bool changed = LeaveHeightScaleField(m_state, typed);
    // The field shows what was stored, also when the text was held to the range.
    m_state.lastShown = std::nan("");
    Update();
    if (changed) {
        if (m_changed) m_changed();
        FullRepaint();
    }
}

void CHeightScaleBar::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta != 0 && WheelHeightScaleBar(delta)) Changed();
    event->accept();
}

bool CHeightScaleBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_edit) {
        if (event->type() == QEvent::KeyPress) {
            m_state.enterPressed = false;
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                m_state.enterPressed = true;
                LeaveField();
                m_edit->selectAll();
                return true;
            }
            if (key == Qt::Key_Escape) {
                m_edit->clearFocus();
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            LeaveField();
        } else if (event->type() == QEvent::Wheel) {
            wheelEvent(static_cast<QWheelEvent*>(event));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- 簡易等高線の設定 ----

CSimpleContourDlg::CSimpleContourDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("CSimpleContourDlg");
    setWindowTitle(Utf8("簡易等高線の設定"));
    m_edit = new QLineEdit(Text(OpenSimpleContourDialog()), this);
    m_edit->setObjectName("interval");
    m_edit->setMaxLength(32);
    m_edit->installEventFilter(this);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(Utf8("簡易線間隔"), this));
    row->addWidget(m_edit);
    row->addWidget(new QLabel("m", this));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("1");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("2");
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        m_edit->setText(Text(LeaveSimpleContourField(m_edit->text().toStdString())));
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_edit->selectAll();
}

void CSimpleContourDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    PlaceAtViewBottom(this);
}

bool CSimpleContourDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_edit && event->type() == QEvent::FocusOut)
        m_edit->setText(Text(LeaveSimpleContourField(m_edit->text().toStdString())));
    return QDialog::eventFilter(watched, event);
}

// ---- 傾斜線の設定 ----

CSlopeLineDlg::CSlopeLineDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("CSlopeLineDlg");
    setWindowTitle(Utf8("傾斜線の設定"));
    const SlopeLineDialogValues v = OpenSlopeLineDialog();
    auto edit = [this](const char* name, const std::string& text) {
        auto* e = new QLineEdit(Text(text), this);
        e->setObjectName(name);
        e->setMaxLength(16);
        e->installEventFilter(this);
        return e;
    };
    m_gentle = edit("gentle", v.gentle);
    m_steep = edit("steep", v.steep);
    m_decimals = edit("decimals", v.decimals);
    m_labels = new QCheckBox(Utf8("数値あり"), this);
    m_labels->setObjectName("labels");
    m_labels->setChecked(v.labels);
    m_degrees = new QRadioButton(Utf8("度"), this);
    m_degrees->setObjectName("degrees");
    m_percent = new QRadioButton("%", this);
    m_percent->setObjectName("percent");
    (v.percent ? m_percent : m_degrees)->setChecked(true);
    for (QRadioButton* radio : {m_degrees, m_percent})
        connect(radio, &QRadioButton::clicked, this, [this] { m_labels->setChecked(true); });

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(Utf8("緩傾斜"), this), 0, 0);
    grid->addWidget(m_gentle, 0, 1);
    grid->addWidget(new QLabel(Utf8("度以上"), this), 0, 2);
    grid->addWidget(new QLabel(Utf8("急傾斜"), this), 1, 0);
    grid->addWidget(m_steep, 1, 1);
    grid->addWidget(new QLabel(Utf8("度以上"), this), 1, 2);
    grid->addWidget(m_labels, 2, 0);
    grid->addWidget(m_decimals, 2, 1);
    grid->addWidget(new QLabel(Utf8("桁"), this), 2, 2);
    auto* units = new QHBoxLayout;
    units->addWidget(m_degrees);
    units->addWidget(m_percent);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("1");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("2");
    connect(buttons, &QDialogButtonBox::accepted, this, &CSlopeLineDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSlopeLineDlg::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(units);
    layout->addWidget(buttons);
}

void CSlopeLineDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    PlaceAtViewBottom(this);
}

void CSlopeLineDlg::Leave(QLineEdit* edit) {
    const std::string typed = edit->text().toStdString();
    std::string shown;
    if (edit == m_gentle)
        shown = LeaveGentleSlopeField(typed);
    else if (edit == m_steep)
        shown = LeaveSteepSlopeField(typed);
    else
        shown = LeaveSlopeDecimalsField(typed);
    edit->setText(Text(shown));
}

bool CSlopeLineDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut)
        if (auto* edit = qobject_cast<QLineEdit*>(watched)) Leave(edit);
    return QDialog::eventFilter(watched, event);
}

void CSlopeLineDlg::accept() {
    // The field being typed in counts as left.
    for (QLineEdit* edit : {m_gentle, m_steep, m_decimals}) Leave(edit);
    SlopeLineDialogValues v;
    v.labels = m_labels->isChecked();
    v.percent = m_percent->isChecked();
    v.decimals = m_decimals->text().toStdString();
    AcceptSlopeLineDialog(v);
    QDialog::accept();
}

void CSlopeLineDlg::reject() {
    CancelSlopeLineDialog();
    QDialog::reject();
}

CHeightScaleBar* InstallDisplaySettingsWindows(QWidget* frame) {
    QPointer<QWidget> owner(frame);
    SetSimpleContourDialogRunner([owner] {
        CSimpleContourDlg dlg(owner.data());
        dlg.exec();
    });
    SetSlopeLineDialogRunner([owner] {
        CSlopeLineDlg dlg(owner.data());
        dlg.exec();
    });
    g_verticalScaleDlg = new CHeightScaleBar(frame);
    SetHeightScaleBarRefresh([] {
        if (g_verticalScaleDlg) g_verticalScaleDlg->Update();
    });
    return g_verticalScaleDlg;
}

void UninstallDisplaySettingsWindows() {
    SetSimpleContourDialogRunner(nullptr);
    SetSlopeLineDialogRunner(nullptr);
    SetHeightScaleBarRefresh(nullptr);
    delete g_verticalScaleDlg.data();
}
