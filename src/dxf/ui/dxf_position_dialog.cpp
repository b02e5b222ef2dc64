#include "dxf/ui/dxf_position_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "dxf/dxf_registration.h"
#include "shell/command_routing.h"
#include "shell/ui/dialog_keys.h"
#include "shell/ui/registration_widgets.h"

namespace {
QWidget* g_frame = nullptr;

}  // namespace

CBgDxfPositionDlg::CBgDxfPositionDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("bgDxfPositionDialog");
    setWindowTitle(QString::fromUtf8("背景ＤＸＦ位置設定"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    m_prompt = AddRegistrationPrompt(this, layout);
    // Enter moves on and never presses a button; Esc does nothing (the dialog closes only
    // by its buttons).
    InstallDialogKeyFilter(this)->BindFlags(&m_state.enterPressed, &m_state.escapePressed);

    auto* dxfGroup = new QGroupBox(QString::fromUtf8("ＤＸＦ座標設定"), this);
    auto* dxfLayout = new QGridLayout(dxfGroup);
    AddVertexButtons(dxfGroup, dxfLayout, m_vertex, [this](int k, bool on) {
        OnDxfVertexButton(m_state, k, on);
        Sync();
    });
    m_endPoint = new QCheckBox(QString::fromUtf8("端点指定"), dxfGroup);
    m_endPoint->setObjectName("1224");
    m_midPoint = new QCheckBox(QString::fromUtf8("線分中点指定"), dxfGroup);
    m_midPoint->setObjectName("1225");
    dxfLayout->addWidget(m_endPoint, 1, 0, 1, 2);
    dxfLayout->addWidget(m_midPoint, 1, 2, 1, 2);
    connect(m_endPoint, &QCheckBox::clicked, this, [this](bool on) {
        OnDxfEndPointCheck(m_state, on);
        Sync();
    });
    connect(m_midPoint, &QCheckBox::clicked, this, [this](bool on) {
        OnDxfMidPointCheck(m_state, on);
        Sync();
    });
    m_source = new QLabel(dxfGroup);
    m_source->setObjectName("1218");
    dxfLayout->addWidget(m_source, 2, 0, 1, 4);
    layout->addWidget(dxfGroup);

    auto* publicGroup = new QGroupBox(QString::fromUtf8("対応ランダム座標設定"), this);
    auto* publicLayout = new QGridLayout(publicGroup);
    m_x = new QLineEdit(publicGroup);
    m_x->setObjectName("1203");
    m_y = new QLineEdit(publicGroup);
    m_y->setObjectName("1202");
    publicLayout->addWidget(new QLabel("X", publicGroup), 0, 0);
    publicLayout->addWidget(m_x, 0, 1);
    publicLayout->addWidget(new QLabel("Y", publicGroup), 1, 0);
    publicLayout->addWidget(m_y, 1, 1);
    for (QLineEdit* edit : {m_x, m_y}) edit->installEventFilter(this);
    m_mouse = MakePushLike(new QCheckBox(QString::fromUtf8("マウス"), publicGroup));
    m_mouse->setObjectName("1131");
    m_pointSnap = new QCheckBox(QString::fromUtf8("点"), publicGroup);
    m_pointSnap->setObjectName("1226");
    auto* numeric = new QPushButton(QString::fromUtf8("数値入力"), publicGroup);
    numeric->setObjectName("1204");
    numeric->setAutoDefault(false);
    publicLayout->addWidget(m_mouse, 0, 2);
    publicLayout->addWidget(m_pointSnap, 1, 2);
    publicLayout->addWidget(numeric, 2, 1, 1, 2);
    connect(m_mouse, &QCheckBox::clicked, this, [this](bool on) {
        OnDxfMouseCheck(m_state, on);
        Sync();
    });
    connect(m_pointSnap, &QCheckBox::clicked, this, [this](bool on) { m_state.pointSnap = on; });
    connect(numeric, &QPushButton::clicked, this, [this] {
        OnDxfNumericEntry(m_state, m_y->text().left(60).toStdString(), m_x->text().left(60).toStdString());
        Sync();
        update();
    });
    layout->addWidget(publicGroup);

    m_projective = new QCheckBox(QString::fromUtf8("投影変換"), this);
    m_projective->setObjectName("1227");
    connect(m_projective, &QCheckBox::clicked, this, [this](bool on) { m_state.projectiveChecked = on; });
    layout->addWidget(m_projective);
    const RegistrationButtons buttons = AddRegistrationButtons(this, layout);
    QPushButton* cancel = buttons.cancel;
    m_register = buttons.registration;
    connect(buttons.reset, &QPushButton::clicked, this, [this] {
        OnDxfPositionReset(m_state);
        Sync();
        update();
    });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(m_register, &QPushButton::clicked, this, [this] { Register(); });

    OpenDxfPositionDialog(m_state);
    SetDxfPositionPickReceiver(&CBgDxfPositionDlg::ReceivePick, this);
    SetToolWindow(ToolWindow::kBgDxfPosition, this);
    Sync();
    m_x->clear();
    m_y->clear();
    cancel->setFocus();
}

CBgDxfPositionDlg::~CBgDxfPositionDlg() {
    ClearToolWindow(ToolWindow::kBgDxfPosition, this);
    OnDxfPositionClosed();
}

void CBgDxfPositionDlg::Install(QWidget* frame, FrameCommandTarget& commands) {
    g_frame = frame;
    commands.SetHandler(32874, [] {
        if (IsToolWindowOpen(ToolWindow::kBgDxfPosition)) {
            ::CloseToolWindow(ToolWindow::kBgDxfPosition);
            return;
        }
        auto* dialog = new CBgDxfPositionDlg(g_frame);
        dialog->show();
    });
}

void CBgDxfPositionDlg::ReceivePick(void* dialog) {
    auto* self = static_cast<CBgDxfPositionDlg*>(dialog);
    if (OnDxfPositionPick(self->m_state)) {
        self->Sync();
        self->update();
    }
}

// Closing by the command again or before another tool is a cancel: half-made pairs never
// leave the drawing without the registration it had.
void CBgDxfPositionDlg::CloseToolWindow() { reject(); }

void CBgDxfPositionDlg::reject() {
    if (m_closing) return;
    OnDxfPositionCancel(m_state);
    Finish();
}

void CBgDxfPositionDlg::Register() {
    if (!OnDxfPositionRegister(m_state)) {
        Sync();
        return;
    }
    Finish();
}

void CBgDxfPositionDlg::Finish() {
    m_closing = true;
    ClearToolWindow(ToolWindow::kBgDxfPosition, this);
    OnDxfPositionClosed();
    hide();
    deleteLater();
}

void CBgDxfPositionDlg::Sync() {
    for (int k = 0; k < 4; ++k) {
        const QSignalBlocker block(m_vertex[k]);
        m_vertex[k]->setChecked(m_state.vertexChecked[k]);
    }
    for (auto [box, on] : {std::pair{m_endPoint, m_state.endPointSnap}, {m_midPoint, m_state.midPointSnap},
                           {m_mouse, m_state.mouse}, {m_pointSnap, m_state.pointSnap},
                           {m_projective, m_state.projectiveChecked}}) {
        const QSignalBlocker block(box);
        box->setChecked(on);
    }
    m_prompt->setPlainText(QString::fromStdString(m_state.prompt));
    m_source->setText(QString::fromStdString(m_state.sourceText));
    m_x->setText(QString::fromStdString(m_state.xText));
    m_y->setText(QString::fromStdString(m_state.yText));
    m_projective->setEnabled(m_state.projectiveEnabled);
    m_register->setEnabled(m_state.registerEnabled);
}

bool CBgDxfPositionDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && (watched == m_x || watched == m_y)) {
        if (watched == m_y)
            OnDxfKillFocusY(m_state, m_y->text().left(60).toStdString());
        else
            OnDxfKillFocusX(m_state, m_x->text().left(60).toStdString());
        m_x->setText(QString::fromStdString(m_state.xText));
        m_y->setText(QString::fromStdString(m_state.yText));
        m_projective->setEnabled(m_state.projectiveEnabled);
        m_register->setEnabled(m_state.registerEnabled);
        update();
    }
    return QDialog::eventFilter(watched, event);
}

void CBgDxfPositionDlg::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    PaintSetVertices(this, m_vertex, [](int k) { return g_dxfRegistration.vertexFlags[k] != 0; });
}
