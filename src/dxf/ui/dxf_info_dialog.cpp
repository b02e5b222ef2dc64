#include "dxf/ui/dxf_info_dialog.h"

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
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cstdio>

#include "dxf/dxf_info.h"
#include "dxf/dxf_pick_state.h"
#include "platform/encoding.h"
#include "shell/ui/enter_as_tab.h"
#include "view/display_flags.h"

namespace {
QString Utf8(const char* text) { return QString::fromUtf8(text); }

QPushButton* Button(QWidget* parent, int id, const char* text) {
    auto* b = new QPushButton(Utf8(text), parent);
    b->setObjectName(QString::number(id));
    b->setAutoDefault(false);
    return b;
}

QRadioButton* Radio(QWidget* parent, QButtonGroup* group, int id, const char* text) {
    auto* r = new QRadioButton(Utf8(text), parent);
    r->setObjectName(QString::number(id));
    group->addButton(r, id);
    return r;
}

QLineEdit* Edit(QWidget* parent, int id) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::number(id));
    return e;
}

QString Fixed3(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", v);
    return QString::fromLatin1(text);
}
}  // namespace

CDxfInfoWindow::CDxfInfoWindow(QWidget* frame) : QDialog(frame), m_core(new CDxfInfoDlg) {
    setObjectName("dxfInfoDialog");
    setWindowTitle(Utf8("背景ＤＸＦ"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    auto* layout = new QVBoxLayout(this);

    auto* pick = new QGridLayout;
    const char* labels[] = {"Ｘ：", "Ｙ：", "Ｚ："};
    const int ids[] = {1227, 1228, 1229, 1131};
    for (int k = 0; k < 4; ++k) {
        m_fields[k] = new QLabel(this);
        m_fields[k]->setObjectName(QString::number(ids[k]));
        m_fields[k]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        pick->addWidget(new QLabel(Utf8(k < 3 ? labels[k] : "ＴＥＸＴ"), this), k, 0);
        pick->addWidget(m_fields[k], k, 1);
    }
    layout->addLayout(pick);

    m_doubleByte = new QCheckBox(Utf8("2ﾊﾞｲﾄ文字非表示"), this);
    m_doubleByte->setObjectName("1211");
    layout->addWidget(m_doubleByte);

    auto* search = new QGroupBox(Utf8("検索方法"), this);
    auto* searchLayout = new QVBoxLayout(search);
    auto* searchGroup = new QButtonGroup(this);
    searchLayout->addWidget(Radio(search, searchGroup, 1135, "端点"));
    searchLayout->addWidget(Radio(search, searchGroup, 1164, "線上点"));
    searchGroup->button(g_dxfSearchOnLine == 1 ? 1164 : 1135)->setChecked(true);
    layout->addWidget(search);
    for (int id : {1084, 1085}) {
        auto* box = new QCheckBox(Utf8(id == 1084 ? "同一レイヤ検索" : "同一色検索"), this);
        box->setObjectName(QString::number(id));
        box->setEnabled(false);
        layout->addWidget(box);
    }
    m_deleteSearched = Button(this, 1077, "検索要素削除");
    QPushButton* deleteOutside = Button(this, 1078, "表示範囲外要素削除");
    layout->addWidget(m_deleteSearched);
    layout->addWidget(deleteOutside);

    layout->addWidget(new QLabel(Utf8("ランダム点追加"), this));
    auto* intervalRow = new QGridLayout;
    m_interval = Edit(this, 1083);
    intervalRow->addWidget(new QLabel(Utf8("間隔"), this), 0, 0);
    intervalRow->addWidget(m_interval, 0, 1);
    layout->addLayout(intervalRow);
    auto* method = new QGroupBox(Utf8("追加方法"), this);
    auto* methodLayout = new QVBoxLayout(method);
    auto* methodGroup = new QButtonGroup(this);
    methodLayout->addWidget(Radio(method, methodGroup, 1086, "端点のみ"));
    methodLayout->addWidget(Radio(method, methodGroup, 1087, "一定間隔"));
    methodLayout->addWidget(Radio(method, methodGroup, 1088, "両方"));
    methodLayout->addWidget(Radio(method, methodGroup, 1094, "文字を標高に"));
    methodGroup->button(1086)->setChecked(true);
    layout->addWidget(method);
    QPushButton* add = Button(this, 1079, "追加");
    m_undo = Button(this, 1080, "取消");
    layout->addWidget(add);
    layout->addWidget(m_undo);
    auto* nameFromLayer = new QCheckBox(Utf8("点名をﾚｲﾔ名に"), this);
    nameFromLayer->setObjectName("1143");
    layout->addWidget(nameFromLayer);
    auto* elevationGroup = new QGroupBox(Utf8("標高入力"), this);
    auto* elevationLayout = new QVBoxLayout(elevationGroup);
    auto* elevationInput = new QCheckBox(Utf8("する"), elevationGroup);
    elevationInput->setObjectName("1111");
    elevationInput->setChecked(true);
    elevationInput->setEnabled(false);
    m_elevation = Edit(elevationGroup, 1090);
    elevationLayout->addWidget(elevationInput);
    elevationLayout->addWidget(m_elevation);
    layout->addWidget(elevationGroup);

    layout->addWidget(new QLabel(Utf8("属性、点名変更"), this));
    auto* simple = new QCheckBox(Utf8("簡易検索"), this);
    simple->setObjectName("1089");
    layout->addWidget(simple);
    auto* judgeRow = new QGridLayout;
    m_judge = Edit(this, 1093);
    judgeRow->addWidget(new QLabel(Utf8("判定距離"), this), 0, 0);
    judgeRow->addWidget(m_judge, 0, 1);
    layout->addLayout(judgeRow);
    QPushButton* unused = Button(this, 1081, "未使用点");
    QPushButton* used = Button(this, 1082, "使用点");
    layout->addWidget(unused);
    layout->addWidget(used);
    m_pointName = Edit(this, 1091);
    layout->addWidget(m_pointName);
    QPushButton* rename = Button(this, 1092, "点名変更");
    layout->addWidget(rename);

    m_interval->setText(Fixed3(m_core->m_points.m_interval));
    m_judge->setText(Fixed3(m_core->m_points.m_judgeDistance));
    m_elevation->setText(Fixed3(m_core->m_points.m_elevation));
    m_doubleByte->setChecked(g_hideDoubleByteText != 0);

    m_core->refreshControls = [this] { RefreshControls(); };
    m_core->closeWindow = [this] { close(); };
    connect(searchGroup, &QButtonGroup::idClicked, this,
            [](int id) { g_dxfSearchOnLine = id == 1164 ? 1 : 0; });
    connect(methodGroup, &QButtonGroup::idClicked, this, [this](int id) {
        m_core->m_points.m_addMethod = id == 1086 ? 0 : id == 1087 ? 1 : id == 1088 ? 2 : 3;
    });
    connect(m_doubleByte, &QCheckBox::clicked, this, [this] { m_core->OnDoubleByteText(); });
    connect(m_deleteSearched, &QPushButton::clicked, this, [this] { m_core->OnDeleteSearched(); });
    connect(deleteOutside, &QPushButton::clicked, this, [this] { m_core->OnDeleteOutside(); });
    connect(add, &QPushButton::clicked, this, [this] { m_core->OnAdd(); });
    connect(m_undo, &QPushButton::clicked, this, [this] { m_core->OnUndo(); });
    connect(unused, &QPushButton::clicked, this, [this] { m_core->OnChangeNear(DXF_POINTS_UNUSED); });
    connect(used, &QPushButton::clicked, this, [this] { m_core->OnChangeNear(DXF_POINTS_USED); });
    connect(rename, &QPushButton::clicked, this, [this] { m_core->OnChangeNear(DXF_POINTS_RENAME); });
    connect(nameFromLayer, &QCheckBox::clicked, this,
            [this](bool on) { m_core->m_points.m_nameFromLayer = on ? 1 : 0; });
    connect(simple, &QCheckBox::clicked, this,
            [this](bool on) { m_core->m_points.m_simpleSearch = on ? 1 : 0; });
    for (QLineEdit* e : {m_interval, m_elevation, m_judge, m_pointName}) e->installEventFilter(this);
    InstallEnterAsTab(this);
    SetToolWindow(ToolWindow::kDxfInfo, this);
    RefreshControls();
}

CDxfInfoWindow::~CDxfInfoWindow() { ClearToolWindow(ToolWindow::kDxfInfo, this); }

void CDxfInfoWindow::RefreshControls() {
    if (!m_core) return;
    const int ids[] = {1227, 1228, 1229, 1131};
    for (int k = 0; k < 4; ++k)
        m_fields[k]->setText(QString::fromStdString(Cp932ToUtf8(m_core->PickField(ids[k]))));
    m_deleteSearched->setEnabled(m_core->DeleteEnabled());
    m_undo->setEnabled(m_core->UndoEnabled());
    m_doubleByte->setChecked(g_hideDoubleByteText != 0);
}

void CDxfInfoWindow::EditLeft(QLineEdit* edit) {
    if (!m_core) return;
    DxfPointSettings& s = m_core->m_points;
    const std::string text = edit->text().toStdString();
    if (edit == m_interval) {
        SetIntervalFromText(s, text);
        edit->setText(Fixed3(s.m_interval));
    } else if (edit == m_elevation) {
        s.m_elevation = ParseLeadingNumber(text);
        edit->setText(Fixed3(s.m_elevation));
    } else if (edit == m_judge) {
        SetJudgeDistanceFromText(s, text);
        edit->setText(Fixed3(s.m_judgeDistance));
    } else if (edit == m_pointName) {
        const QString trimmed = edit->text().trimmed();
        s.m_pointName = Utf8ToCp932(trimmed.toStdString());
        edit->setText(trimmed);
    }
}

bool CDxfInfoWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit && event->type() == QEvent::FocusOut) EditLeft(edit);
    return QDialog::eventFilter(watched, event);
}

void CDxfInfoWindow::wheelEvent(QWheelEvent* event) {
    if (m_core && m_elevation->hasFocus()) {
        DxfPointSettings& s = m_core->m_points;
        if (!m_elevation->text().isEmpty()) s.m_elevation = ParseLeadingNumber(m_elevation->text().toStdString());
        s.m_elevation += event->angleDelta().y() > 0 ? 1 : -1;
        m_elevation->setText(Fixed3(s.m_elevation));
    }
    QDialog::wheelEvent(event);
}

void CDxfInfoWindow::closeEvent(QCloseEvent* event) {
    // The view stops offering its clicks as soon as the window goes.
    m_core.reset();
    ClearToolWindow(ToolWindow::kDxfInfo, this);
    QWidget::closeEvent(event);
}

void CDxfInfoWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}

void InstallDxfInfoWindow(QWidget* frame) {
    SetDxfInfoWindowFactory([frame] { (new CDxfInfoWindow(frame))->show(); });
}
