#include "view/ui/light_source_dialog.h"

#include <QCloseEvent>
#include <QEvent>
#include <QPointer>
#include <QVBoxLayout>

#include "shell/command_routing.h"
#include "view/color_band_params.h"
#include "view/ui/light_direction_widget.h"
#include "view/view_state.h"

namespace {
QPointer<QWidget> g_lightSourceFrame;
}

CLightSourceDlg::CLightSourceDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("CLightSourceDlg");
    setWindowTitle(QString::fromUtf8("光源設定"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    m_widget = new CLightDirectionWidget(this);
    m_widget->setDirection(g_colorBandParams.lightAzimuth, g_colorBandParams.lightElevation);
    // The colour-band dialogs and the settings file move the light too: the marker
    // follows the record whenever it is drawn.
    m_widget->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_widget, 1);
    resize(160, 160);
    connect(m_widget, &CLightDirectionWidget::directionChanged, this, [](double azimuth, double elevation) {
        g_colorBandParams.lightAzimuth = azimuth;
        g_colorBandParams.lightElevation = elevation;
        g_redrawMask = -1;
        InvalidateAndUpdateView();
    });
    SetToolWindow(ToolWindow::kLightSource, this);
}

CLightSourceDlg::~CLightSourceDlg() { ClearToolWindow(ToolWindow::kLightSource, this); }

bool CLightSourceDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_widget && event->type() == QEvent::Paint)
        m_widget->setDirection(g_colorBandParams.lightAzimuth, g_colorBandParams.lightElevation);
    return QDialog::eventFilter(watched, event);
}

void CLightSourceDlg::closeEvent(QCloseEvent* event) {
    ClearToolWindow(ToolWindow::kLightSource, this);
    QDialog::closeEvent(event);
}

// Esc ends the window like its close box.
void CLightSourceDlg::reject() { close(); }

void CLightSourceDlg::CloseToolWindow() {
    ClearToolWindow(ToolWindow::kLightSource, this);
    close();
}

void CLightSourceDlg::Toggle(QWidget* frame) {
    if (IsToolWindowOpen(ToolWindow::kLightSource)) {
        ::CloseToolWindow(ToolWindow::kLightSource);
        return;
    }
    (new CLightSourceDlg(frame))->show();
}

void CLightSourceDlg::Install(QWidget* frame, FrameCommandTarget& commands) {
    g_lightSourceFrame = frame;
    commands.SetHandler(32961, [] { Toggle(g_lightSourceFrame.data()); });
}
