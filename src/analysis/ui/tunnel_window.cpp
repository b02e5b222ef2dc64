#include "analysis/ui/tunnel_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cstdio>

#include "analysis/tunnel_command.h"

namespace {
QString Utf8(const char* text) { return QString::fromUtf8(text); }
QString Utf8(const std::string& text) { return QString::fromStdString(text); }

template <class W>
W* Named(W* w, int id) {
    w->setObjectName(QString::number(id));
    return w;
}

QPushButton* Button(QWidget* parent, int id, const char* text, bool checkable = false) {
    auto* b = Named(new QPushButton(Utf8(text), parent), id);
    b->setAutoDefault(false);
    b->setCheckable(checkable);
    return b;
}
}  // namespace

CTunnelDevelopWindow::CTunnelDevelopWindow(QWidget* frame) : QDialog(frame), m_core(new CTunnelDevelopDlg) {
    setObjectName("tunnelDevelopDialog");
    setWindowTitle(Utf8("トンネル展開"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    auto* axisBox = new QGroupBox(Utf8("基点設定法"), this);
    m_twoPoints = Named(new QRadioButton(Utf8("２点(ランダム点)"), axisBox), 1079);
    m_chain = Named(new QRadioButton(Utf8("連続点(任意)"), axisBox), 1080);
    auto* axisGroup = new QButtonGroup(this);
    axisGroup->addButton(m_twoPoints);
    axisGroup->addButton(m_chain);
    m_pick1 = Button(axisBox, 1132, "基点登録1", true);
    m_pick2 = Button(axisBox, 1133, "基点登録2", true);
    m_base1 = Named(new QLabel(axisBox), 1155);
    m_base2 = Named(new QLabel(axisBox), 1156);
    m_heightLabel = Named(new QLabel(Utf8("高度差m"), axisBox), 1134);
    m_height = Named(new QLineEdit(axisBox), 1083);
    m_import = Button(axisBox, 1014, "路線取込");
    auto* axisGrid = new QGridLayout(axisBox);
    axisGrid->addWidget(m_twoPoints, 0, 0);
    axisGrid->addWidget(m_chain, 0, 1);
    axisGrid->addWidget(m_pick1, 1, 0);
    axisGrid->addWidget(m_base1, 1, 1);
    axisGrid->addWidget(m_pick2, 2, 0);
    axisGrid->addWidget(m_base2, 2, 1);
    axisGrid->addWidget(m_heightLabel, 3, 0);
    axisGrid->addWidget(m_height, 3, 1);
    axisGrid->addWidget(m_import, 4, 0, 1, 2);

    auto* widthBox = new QGroupBox(Utf8("展開幅m"), this);
    m_width = Named(new QLineEdit(widthBox), 1082);
    auto* widthRow = new QHBoxLayout(widthBox);
    widthRow->addWidget(m_width);
    m_cylinder = Button(this, 1135, "円筒展開");
    m_sphere = Button(this, 1139, "球面展開");
    m_restore = Button(this, 1136, "復元");
    m_flip = Named(new QCheckBox(Utf8("左右反転"), this), 1131);

    auto* dupBox = new QGroupBox(Utf8("重複点無効化"), this);
    auto* run = Button(dupBox, 1137, "実行");
    auto* release = Button(dupBox, 1138, "解除");
    m_distance = Named(new QLineEdit(dupBox), 1084);
    m_highest = Named(new QRadioButton(Utf8("最高"), dupBox), 1086);
    m_lowest = Named(new QRadioButton(Utf8("最低"), dupBox), 1087);
    auto* keepGroup = new QButtonGroup(this);
    keepGroup->addButton(m_highest);
    keepGroup->addButton(m_lowest);
    auto* dupGrid = new QGridLayout(dupBox);
    dupGrid->addWidget(run, 0, 0);
    dupGrid->addWidget(release, 0, 1);
    dupGrid->addWidget(new QLabel(Utf8("判定距離"), dupBox), 1, 0);
    dupGrid->addWidget(m_distance, 1, 1);
    dupGrid->addWidget(new QLabel(Utf8("選択点"), dupBox), 2, 0);
    dupGrid->addWidget(m_highest, 2, 1);
    dupGrid->addWidget(m_lowest, 2, 2);

    auto* twoSided = Button(this, 1142, "両面化");
    m_message = Named(new QLabel(this), 1140);
    m_message->setMinimumWidth(220);
    m_message->setWordWrap(true);
    auto* closeButton = Button(this, 1, "閉じる");

    auto* grid = new QGridLayout(this);
    grid->addWidget(axisBox, 0, 0, 1, 2);
    grid->addWidget(widthBox, 1, 0);
    grid->addWidget(m_flip, 1, 1);
    grid->addWidget(m_cylinder, 2, 0);
    grid->addWidget(m_sphere, 2, 1);
    grid->addWidget(m_restore, 3, 0);
    grid->addWidget(twoSided, 3, 1);
    grid->addWidget(dupBox, 4, 0, 1, 2);
    grid->addWidget(m_message, 5, 0, 1, 2);
    grid->addWidget(closeButton, 6, 1);

    m_core->refreshControls = [this] { RefreshControls(); };
    m_core->closeWindow = [this] {
        m_closing = true;
        close();
    };
    CTunnelDevelopDlg* core = m_core.get();
    connect(m_twoPoints, &QRadioButton::clicked, this, [core] { core->OnTwoPointMode(); });
    connect(m_chain, &QRadioButton::clicked, this, [core] { core->OnChainMode(); });
    connect(m_pick1, &QPushButton::clicked, this, [core](bool down) { core->OnBasePoint1(down); });
    connect(m_pick2, &QPushButton::clicked, this, [core](bool down) { core->OnBasePoint2(down); });
    connect(m_import, &QPushButton::clicked, this, [core] { core->OnImportRoute(); });
    connect(m_cylinder, &QPushButton::clicked, this, [core] { core->OnDevelopCylinder(); });
    connect(m_sphere, &QPushButton::clicked, this, [core] { core->OnDevelopSphere(); });
    connect(m_restore, &QPushButton::clicked, this, [core] { core->OnRestore(); });
    connect(m_flip, &QCheckBox::clicked, this, [core](bool on) { core->OnFlip(on); });
    connect(run, &QPushButton::clicked, this, [this, core] {
        setCursor(Qt::WaitCursor);
        core->OnInvalidateDuplicates();
        unsetCursor();
    });
    connect(release, &QPushButton::clicked, this, [core] { core->OnReleaseInvalid(); });
    connect(m_highest, &QRadioButton::clicked, this, [core] { core->OnKeepHighest(); });
    connect(m_lowest, &QRadioButton::clicked, this, [core] { core->OnKeepLowest(); });
    connect(twoSided, &QPushButton::clicked, this, [core] { core->OnMakeTwoSided(); });
    connect(closeButton, &QPushButton::clicked, this, [core] { core->OnOK(); });
    for (QLineEdit* e : {m_width, m_height, m_distance}) e->installEventFilter(this);
    m_chain->setChecked(true);
    m_highest->setChecked(true);
    RefreshControls();
}

CTunnelDevelopWindow::~CTunnelDevelopWindow() = default;

void CTunnelDevelopWindow::RefreshControls() {
    if (!m_core) return;
    const CTunnelDevelopDlg& c = *m_core;
    const bool two = c.axisMode == CTunnelDevelopDlg::kTwoPoints;
    m_pick1->setText(Utf8(two ? "基点1" : "基点登録1"));
    m_pick2->setText(Utf8(two ? "基点2" : "基点登録2"));
    m_pick1->setChecked(c.pickMode == 1);
    m_pick2->setChecked(c.pickMode == 2);
    m_base1->setText(Utf8(c.baseText1));
    m_base2->setText(Utf8(c.baseText2));
    m_base2->setVisible(two);
    m_heightLabel->setVisible(c.heightDifferenceShown);
    m_height->setVisible(c.heightDifferenceShown);
    m_import->setEnabled(c.importEnabled);
    m_cylinder->setEnabled(c.cylinderEnabled);
    m_sphere->setEnabled(c.sphereEnabled);
    m_restore->setEnabled(c.restoreEnabled);
    m_message->setText(Utf8(c.state.messageText));
    // The boxes show the values, but not under the user's typing.
    auto show = [](QLineEdit* e, const char* format, double v) {
        if (e->hasFocus()) return;
        char buf[64];
        std::snprintf(buf, sizeof buf, format, v);
        e->setText(QString::fromLatin1(buf));
    };
    show(m_width, " %3.1f", c.state.width);
    show(m_height, " %3.1f", c.heightDifference);
    show(m_distance, " %5.3f", c.judgement);
}

void CTunnelDevelopWindow::EditLeft(QLineEdit* edit) {
    if (!m_core) return;
    const std::string text = edit->text().trimmed().toStdString();
    if (edit == m_width)
        edit->setText(Utf8(m_core->OnWidthChanged(text)));
    else if (edit == m_height)
        edit->setText(Utf8(m_core->OnHeightDifferenceChanged(text)));
    else if (edit == m_distance)
        edit->setText(Utf8(m_core->OnDistanceChanged(text)));
}

bool CTunnelDevelopWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit && event->type() == QEvent::FocusOut) EditLeft(edit);
    if (edit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            EditLeft(edit);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CTunnelDevelopWindow::closeEvent(QCloseEvent* event) {
    // The close box; 閉じる and the view command have done their part already.
    if (!m_closing) {
        m_closing = true;
        if (m_core) m_core->PrepareClose(true);
    }
    // The dialog's end runs now, not when the window object goes: the command may open
    // the next one at once.
    if (m_core) {
        m_core->refreshControls = nullptr;
        m_core->closeWindow = nullptr;
        m_core.reset();
    }
    QWidget::closeEvent(event);
}

void CTunnelDevelopWindow::reject() {
    // Esc does not close the window.
}

void InstallTunnelWindow(QWidget* frame) {
    SetTunnelWindowFactory([frame] { (new CTunnelDevelopWindow(frame))->show(); });
}

void UninstallTunnelWindow() {
    if (g_tunnelDlg && g_tunnelDlg->closeWindow) g_tunnelDlg->closeWindow();
    SetTunnelWindowFactory(nullptr);
}
