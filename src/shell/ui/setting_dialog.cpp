#include "shell/ui/setting_dialog.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "shell/command_routing.h"
#include "shell/setting_params.h"
#include "shell/ui/enter_as_tab.h"

using namespace setting_dlg;

namespace {
QWidget* g_settingFrame = nullptr;

QString Utf8(const char* text) { return QString::fromUtf8(text); }

struct RadioDef {
    int id;
    const char* text;
};

QGroupBox* RadioGroup(QWidget* parent, const char* title, std::initializer_list<RadioDef> radios,
                      QList<QRadioButton*>& all, bool vertical = false) {
    auto* box = new QGroupBox(Utf8(title), parent);
    QBoxLayout* layout = vertical ? static_cast<QBoxLayout*>(new QVBoxLayout(box)) : new QHBoxLayout(box);
    auto* group = new QButtonGroup(box);
    for (const RadioDef& r : radios) {
        auto* radio = new QRadioButton(Utf8(r.text), box);
        radio->setObjectName(QString::number(r.id));
        group->addButton(radio, r.id);
        layout->addWidget(radio);
        all << radio;
    }
    return box;
}

QLineEdit* Edit(QWidget* parent, int id) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::number(id));
    return edit;
}
}  // namespace

CSetting::CSetting(QWidget* frame) : QDialog(frame) {
    setObjectName("settingDialog");
    setWindowTitle(Utf8("パラメータ設定"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    auto* layout = new QVBoxLayout(this);

    layout->addWidget(RadioGroup(this, "標高値小数桁",
                                 {{kDecimals0, "０桁"}, {kDecimals1, "１桁"}, {kDecimals2, "２桁"}, {kDecimals3, "３桁"}},
                                 m_radios));
    layout->addWidget(RadioGroup(this, "全体図表示指定",
                                 {{kOverviewAll, "全データ"}, {kOverviewUsed, "計算未使用点は除く"}, {kOverviewInside, "外周内のみ"}},
                                 m_radios, true));
    auto* routes = new QHBoxLayout;
    routes->addWidget(RadioGroup(this, "路線横断表示", {{kRouteSectionsOn, "する"}, {kRouteSectionsOff, "しない"}}, m_radios));
    routes->addWidget(RadioGroup(this, "他路線横断表示", {{kOtherSectionsOn, "する"}, {kOtherSectionsOff, "しない"}}, m_radios));
    layout->addLayout(routes);

    auto* edits = new QGridLayout;
    m_interval = Edit(this, kSimpleInterval);
    m_step = Edit(this, kCursorStep);
    m_step->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), m_step));
    edits->addWidget(new QLabel(Utf8("簡易線間隔"), this), 0, 0);
    edits->addWidget(m_interval, 0, 1);
    edits->addWidget(new QLabel(Utf8("カーソル移動量"), this), 1, 0);
    auto* stepRow = new QHBoxLayout;
    stepRow->addWidget(new QLabel(Utf8("画面の"), this));
    stepRow->addWidget(m_step);
    stepRow->addWidget(new QLabel(Utf8("％"), this));
    edits->addLayout(stepRow, 1, 1);
    layout->addLayout(edits);

    layout->addWidget(RadioGroup(this, "立体表示回転軸", {{kAxisVertical, "垂直軸(Y)"}, {kAxisForeAft, "前後軸(Z)"}}, m_radios));
    layout->addWidget(RadioGroup(this, "ランダム点表示ドット",
                                 {{kDot1, "1ドット"}, {kDot2, "2ドット"}, {kDot3, "3ドット"}, {kDot4, "4ドット"}}, m_radios));

    auto* angles = new QGroupBox(Utf8("3D表示　回転角・上下角"), this);
    angles->setObjectName("1245");
    auto* angleLayout = new QGridLayout(angles);
    m_azimuth = Edit(angles, kAzimuth);
    m_tilt = Edit(angles, kTilt);
    angleLayout->addWidget(new QLabel(Utf8("回転角(0 +360)"), angles), 0, 0);
    angleLayout->addWidget(m_azimuth, 0, 1);
    angleLayout->addWidget(new QLabel(Utf8("上下角(-90 +30)"), angles), 1, 0);
    angleLayout->addWidget(m_tilt, 1, 1);
    layout->addWidget(angles);

    auto* finish = new QPushButton(Utf8("終了"), this);
    finish->setObjectName(QString::number(kFinish));
    finish->setAutoDefault(false);
    layout->addWidget(finish, 0, Qt::AlignRight);
    // 終了 only closes: the reminder's switch and interval are the backup reminder's own.
    connect(finish, &QPushButton::clicked, this, &QDialog::close);

    for (QRadioButton* radio : m_radios)
        connect(radio, &QRadioButton::clicked, this, [radio] { OnSettingRadio(radio->objectName().toInt()); });
    for (QLineEdit* edit : {m_interval, m_step, m_azimuth, m_tilt}) edit->installEventFilter(this);
    InstallEnterAsTab(this);

    ShowRadios();
    m_interval->setText(QString::fromStdString(SimpleIntervalText()));
    m_step->setText(QString::fromStdString(CursorStepText()));
    RefreshAngles();

    // The view's every repaint may follow a rotation made with the mouse or the keys.
    if (auto* main = qobject_cast<QMainWindow*>(frame)) m_view = main->centralWidget();
    if (m_view) m_view->installEventFilter(this);
    SetToolWindow(ToolWindow::kSetting, this);
}

CSetting::~CSetting() {
    if (m_view) m_view->removeEventFilter(this);
    ClearToolWindow(ToolWindow::kSetting, this);
}

void CSetting::Install(QWidget* frame, FrameCommandTarget& commands) {
    g_settingFrame = frame;
    commands.SetHandler(32830, [] {
        if (IsToolWindowOpen(ToolWindow::kSetting)) {
            ::CloseToolWindow(ToolWindow::kSetting);
            return;
        }
        (new CSetting(g_settingFrame))->show();
    });
}

void CSetting::ShowRadios() {
    for (int id : CheckedSettingRadios())
        if (auto* radio = findChild<QRadioButton*>(QString::number(id))) radio->setChecked(true);
}

void CSetting::RefreshAngles() {
    const std::pair<QLineEdit*, std::string> boxes[] = {{m_azimuth, AzimuthText()}, {m_tilt, TiltText()}};
    for (const auto& [box, text] : boxes) {
        const QString shown = QString::fromStdString(text);
        if (!box->hasFocus() && box->text() != shown) box->setText(shown);
    }
}

void CSetting::EditLeft(QLineEdit* edit) {
    const std::string typed = edit->text().toStdString();
    std::string shown;
    if (edit == m_interval)
        shown = OnSimpleIntervalEdit(typed);
    else if (edit == m_step)
        shown = OnCursorStepEdit(typed);
    else if (edit == m_azimuth)
        shown = OnAzimuthEdit(typed);
    else
        shown = OnTiltEdit(typed);
    if (shown != typed) edit->setText(QString::fromStdString(shown));
}

bool CSetting::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_view) {
        if (event->type() == QEvent::Paint) RefreshAngles();
        return false;
    }
    if (event->type() == QEvent::FocusOut)
        if (auto* edit = qobject_cast<QLineEdit*>(watched)) EditLeft(edit);
    return QDialog::eventFilter(watched, event);
}

void CSetting::paintEvent(QPaintEvent* event) {
    RefreshAngles();
    QDialog::paintEvent(event);
}

void CSetting::closeEvent(QCloseEvent* event) {
    ClearToolWindow(ToolWindow::kSetting, this);
    QWidget::closeEvent(event);
}

// Esc ends the window like its close box; the next 32830 makes a new one.
void CSetting::reject() {
    ClearToolWindow(ToolWindow::kSetting, this);
    hide();
    deleteLater();
}
