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
    m_widget = MakeColorBandLightWidget(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_widget, 1);
    resize(160, 160);
    SetToolWindow(ToolWindow::kLightSource, this);
}

CLightSourceDlg::~CLightSourceDlg() { ClearToolWindow(ToolWindow::kLightSource, this); }

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
