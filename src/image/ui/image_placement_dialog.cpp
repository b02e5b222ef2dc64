#include "image/ui/image_placement_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "shell/command_routing.h"
#include "shell/ui/dialog_keys.h"
#include "shell/ui/registration_widgets.h"
#include "view/view_state.h"

namespace {
QWidget* g_frame = nullptr;
CBgImagePositionDlg* g_instance = nullptr;

QString U(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

CBgImagePositionDlg::CBgImagePositionDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("bgImagePositionDialog");
    setWindowTitle(QString::fromUtf8("背景画像位置設定"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    m_hint = AddRegistrationPrompt(this, layout);
    InstallDialogKeyFilter(this)->BindFlags(&m_state.enterPressed, &m_state.escapePressed);

    auto* imageGroup = new QGroupBox(QString::fromUtf8("画像座標設定"), this);
    auto* imageLayout = new QGridLayout(imageGroup);
    AddVertexButtons(imageGroup, imageLayout, m_vertex, [this](int k, bool on) {
        OnImageVertexButton(m_state, k, on);
        Sync();
    });
    m_size = new QLabel(imageGroup);
    m_size->setObjectName("1217");
    m_imagePoint = new QLabel(imageGroup);
    m_imagePoint->setObjectName("1218");
    imageLayout->addWidget(m_size, 1, 0, 1, 2);
    imageLayout->addWidget(m_imagePoint, 1, 2, 1, 2);
    layout->addWidget(imageGroup);

    auto* groundGroup = new QGroupBox(QString::fromUtf8("対応座標設定"), this);
    auto* groundLayout = new QGridLayout(groundGroup);
    m_tabs = new QTabBar(groundGroup);
    m_tabs->setObjectName("1282");
    m_tabs->addTab(QString::fromUtf8("数値入力"));
    m_tabs->addTab(QString::fromUtf8("マウス指定"));
    groundLayout->addWidget(m_tabs, 0, 0, 1, 3);
    m_north = new QLineEdit(groundGroup);
    m_north->setObjectName("1203");
    m_east = new QLineEdit(groundGroup);
    m_east->setObjectName("1202");
    m_northShown = new QLabel(groundGroup);
    m_northShown->setObjectName("1228");
    m_eastShown = new QLabel(groundGroup);
    m_eastShown->setObjectName("1227");
    groundLayout->addWidget(new QLabel("X", groundGroup), 1, 0);
    groundLayout->addWidget(m_north, 1, 1);
    groundLayout->addWidget(m_northShown, 1, 1);
    groundLayout->addWidget(new QLabel("Y", groundGroup), 2, 0);
    groundLayout->addWidget(m_east, 2, 1);
    groundLayout->addWidget(m_eastShown, 2, 1);
    for (QLineEdit* edit : {m_north, m_east}) edit->installEventFilter(this);
    m_registerEntry = new QPushButton(QString::fromUtf8("座標登録"), groundGroup);
    m_registerEntry->setObjectName("1204");
    m_registerEntry->setAutoDefault(false);
    m_groundPick = MakePushLike(new QCheckBox(QString::fromUtf8("設定開始"), groundGroup));
    m_groundPick->setObjectName("1131");
    groundLayout->addWidget(m_registerEntry, 3, 1);
    groundLayout->addWidget(m_groundPick, 3, 2);
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int tab) {
        OnImageTabChange(m_state, tab);
        Sync();
    });
    connect(m_registerEntry, &QPushButton::clicked, this, [this] {
        OnImageRegisterEntry(m_state, m_east->text().left(59).toStdString(), m_north->text().left(59).toStdString());
        Sync();
        update();
    });
    connect(m_groundPick, &QCheckBox::clicked, this, [this](bool on) {
        OnImageGroundPickCheck(m_state, on);
        Sync();
    });
    layout->addWidget(groundGroup);

    m_leastSquares = new QCheckBox(QString::fromUtf8("最小２乗法"), this);
    m_leastSquares->setObjectName("1135");
    connect(m_leastSquares, &QCheckBox::clicked, this, [this](bool on) { m_state.leastSquares = on; });
    layout->addWidget(m_leastSquares);
    const RegistrationButtons buttons = AddRegistrationButtons(this, layout);
    QPushButton* cancel = buttons.cancel;
    m_register = buttons.registration;
    connect(buttons.reset, &QPushButton::clicked, this, [this] {
        OnImagePlacementReset(m_state);
        Sync();
        update();
    });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(m_register, &QPushButton::clicked, this, [this] { Register(); });

    OpenImagePlacementDialog(m_state);
    SetImagePlacementPickReceiver(&CBgImagePositionDlg::ReceivePick, this, &m_state);
    SetToolWindow(ToolWindow::kBgImagePosition, this);
    g_instance = this;
    Sync();
    cancel->setFocus();
}

CBgImagePositionDlg::~CBgImagePositionDlg() {
    if (g_instance == this) g_instance = nullptr;
    ClearToolWindow(ToolWindow::kBgImagePosition, this);
    if (!m_closing) OnImagePlacementClosed();
}

CBgImagePositionDlg* CBgImagePositionDlg::Instance() { return g_instance; }

void CBgImagePositionDlg::Install(QWidget* frame, FrameCommandTarget& commands) {
    g_frame = frame;
    commands.SetHandler(32867, [] {
        if (IsToolWindowOpen(ToolWindow::kBgImagePosition)) {
            ::CloseToolWindow(ToolWindow::kBgImagePosition);
            return;
        }
        if (g_bgImageHandle.Empty() || !g_bgImage.loaded) return;
        auto* dialog = new CBgImagePositionDlg(g_frame);
        dialog->show();
    });
}

void CBgImagePositionDlg::ReceivePick(void* dialog) {
    auto* self = static_cast<CBgImagePositionDlg*>(dialog);
    if (OnImagePlacementPick(self->m_state)) {
        self->Sync();
        self->update();
    }
}

// Closing by the command again, by the close box or before another tool leaves the image
// as it stands.
void CBgImagePositionDlg::CloseToolWindow() { Finish(); }

void CBgImagePositionDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    Finish();
}

void CBgImagePositionDlg::reject() {
    if (m_closing) return;
    OnImagePlacementCancel(m_state);
    Finish();
}

void CBgImagePositionDlg::Register() {
    if (!OnImagePlacementRegister(m_state)) {
        Sync();
        return;
    }
    Finish();
}

void CBgImagePositionDlg::Finish() {
    if (m_closing) return;
    m_closing = true;
    if (g_instance == this) g_instance = nullptr;
    ClearToolWindow(ToolWindow::kBgImagePosition, this);
    OnImagePlacementClosed();
    InvalidateAndUpdateView();
    hide();
    deleteLater();
}

void CBgImagePositionDlg::Sync() {
    for (int k = 0; k < 4; ++k) {
        const QSignalBlocker block(m_vertex[k]);
        m_vertex[k]->setChecked(m_state.vertexChecked[k]);
    }
    {
        const QSignalBlocker block(m_groundPick);
        m_groundPick->setChecked(m_state.groundPickChecked);
    }
    m_hint->setPlainText(U(m_state.hint));
    m_size->setText(U(m_state.sizeText));
    m_imagePoint->setText(U(m_state.imageText));
    m_east->setText(U(m_state.eastText));
    m_north->setText(U(m_state.northText));
    m_eastShown->setText(U(m_state.eastText));
    m_northShown->setText(U(m_state.northText));
    const bool numeric = m_state.tab == 0;
    m_east->setVisible(numeric);
    m_north->setVisible(numeric);
    m_eastShown->setVisible(!numeric);
    m_northShown->setVisible(!numeric);
    m_registerEntry->setVisible(m_state.registerEntryVisible);
    m_groundPick->setVisible(m_state.groundPickVisible);
    m_register->setEnabled(m_state.registerEnabled);
    m_leastSquares->setEnabled(m_state.leastSquaresEnabled);
    update();
}

bool CBgImagePositionDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && (watched == m_north || watched == m_east) && !m_closing) {
        if (watched == m_east)
            OnImageKillFocusEast(m_state, m_east->text().left(59).toStdString());
        else
            OnImageKillFocusNorth(m_state, m_north->text().left(59).toStdString());
        m_east->setText(U(m_state.eastText));
        m_north->setText(U(m_state.northText));
        m_register->setEnabled(m_state.registerEnabled);
        m_leastSquares->setEnabled(m_state.leastSquaresEnabled);
        update();
    }
    return QDialog::eventFilter(watched, event);
}

void CBgImagePositionDlg::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    PaintSetVertices(this, m_vertex, [](int k) { return g_bgImage.pairSet[k] != 0; });
}

void CBgImagePositionDlg::wheelEvent(QWheelEvent* event) {
    auto* main = qobject_cast<QMainWindow*>(g_frame);
    QWidget* view = main ? main->centralWidget() : nullptr;
    if (!view) return QDialog::wheelEvent(event);
    QWheelEvent copy(view->mapFromGlobal(event->globalPosition()), event->globalPosition(), event->pixelDelta(),
                     event->angleDelta(), event->buttons(), event->modifiers(), event->phase(), event->inverted());
    QApplication::sendEvent(view, &copy);
    event->accept();
}
