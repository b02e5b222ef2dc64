#include "section/ui/section_calc_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
template <typename T>
T* Named(T* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}
}  // namespace

CSectionCalcDlg::CSectionCalcDlg(bool hideExtras, QWidget* parent) : QDialog(parent) {
    setObjectName("sectionCalcDialog");
    setWindowTitle(QString::fromUtf8("縦横断計算"));
    m_state = OpenSectionCalcDialog(hideExtras);

    auto* method = new QGroupBox(QString::fromUtf8("計算方法"), this);
    auto* methodLayout = new QGridLayout(method);
    m_normal = Named(new QRadioButton(QString::fromUtf8("通常"), method), kSectionModeNormal);
    m_interval = Named(new QRadioButton(QString::fromUtf8("横断間隔指定"), method), kSectionModeInterval);
    m_spacing = Named(new QLineEdit(method), kSectionIntervalField);
    m_spacing->setAlignment(Qt::AlignRight);
    m_spacing->installEventFilter(this);
    m_straight = Named(new QRadioButton(QString::fromUtf8("直線補間"), method), kSectionStraight);
    m_curve = Named(new QRadioButton(QString::fromUtf8("曲線補間"), method), kSectionCurve);
    auto* modeGroup = new QButtonGroup(this);
    modeGroup->addButton(m_normal, kSectionModeNormal);
    modeGroup->addButton(m_interval, kSectionModeInterval);
    auto* interpolationGroup = new QButtonGroup(this);
    interpolationGroup->addButton(m_straight, kSectionStraight);
    interpolationGroup->addButton(m_curve, kSectionCurve);
    methodLayout->addWidget(m_normal, 0, 0);
    methodLayout->addWidget(m_interval, 1, 0);
    methodLayout->addWidget(new QLabel(QString::fromUtf8("横断間隔："), method), 2, 0);
    methodLayout->addWidget(m_spacing, 2, 1);
    methodLayout->addWidget(m_straight, 3, 0);
    methodLayout->addWidget(m_curve, 3, 1);
    connect(modeGroup, &QButtonGroup::idClicked, this, [this](int id) { Click(id, true); });
    connect(interpolationGroup, &QButtonGroup::idClicked, this, [this](int id) { Click(id, true); });

    m_long = Named(new QCheckBox(QString::fromUtf8("縦断線交点計算"), this), kSectionLongCrossings);
    m_follow = Named(new QCheckBox(QString::fromUtf8("面に沿わせる"), this), kSectionFollowSurface);
    m_planOnly = Named(new QCheckBox(QString::fromUtf8("計画面のみ"), this), kSectionPlanOnly);
    for (QCheckBox* box : {m_long, m_follow, m_planOnly})
        connect(box, &QCheckBox::clicked, this, [this, box](bool checked) { Click(box->objectName().toInt(), checked); });

    auto* start = Named(new QPushButton(QString::fromUtf8("開始"), this), kSectionStart);
    m_simple = Named(new QPushButton(QString::fromUtf8("簡易断面\n(作図専用)"), this), kSectionSimple);
    auto* cancel = Named(new QPushButton(QString::fromUtf8("ｷｬﾝｾﾙ"), this), kSectionCancel);
    start->setDefault(true);
    connect(start, &QPushButton::clicked, this, [this] {
        IntervalLeft();
        StartSectionCalcDialog();
        done(kSectionDialogStart);
    });
    connect(m_simple, &QPushButton::clicked, this, [this] { done(kSectionDialogSimple); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(kSectionDialogCancel); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(start);
    buttons->addWidget(m_simple);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(method);
    layout->addWidget(m_long);
    layout->addWidget(m_follow);
    layout->addWidget(m_planOnly);
    layout->addLayout(buttons);
    Show();
}

int CSectionCalcDlg::Run(bool hideExtras, QWidget* parent) {
    CSectionCalcDlg dialog(hideExtras, parent);
    return dialog.exec();
}

void CSectionCalcDlg::Click(int id, bool checked) {
    ClickSectionCalcControl(id, checked, m_state);
    Show();
}

void CSectionCalcDlg::Show() {
    m_normal->setChecked(!m_state.intervalMode);
    m_interval->setChecked(m_state.intervalMode);
    m_straight->setChecked(!m_state.curve);
    m_curve->setChecked(m_state.curve);
    m_long->setChecked(m_state.longCrossings);
    m_follow->setChecked(m_state.followSurface);
    m_planOnly->setChecked(m_state.planOnly);
    if (!m_spacing->hasFocus()) m_spacing->setText(QString::fromStdString(m_state.intervalText));
    for (QWidget* w : std::initializer_list<QWidget*>{m_spacing, m_straight, m_curve})
        w->setEnabled(m_state.IntervalControlsEnabled());
    m_follow->setEnabled(m_state.FollowSurfaceEnabled());
    for (QWidget* w : std::initializer_list<QWidget*>{m_follow, m_planOnly, m_simple})
        w->setVisible(!m_state.hideExtras);
}

void CSectionCalcDlg::IntervalLeft() {
    m_spacing->setText(QString::fromStdString(SectionIntervalFieldLeft(m_spacing->text().toStdString())));
    m_state.intervalText = m_spacing->text().toStdString();
}

bool CSectionCalcDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_spacing) {
        if (event->type() == QEvent::FocusOut) {
            IntervalLeft();
        } else if (event->type() == QEvent::KeyPress) {
            // Enter moves on as Tab does; it never closes the dialog.
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                IntervalLeft();
                focusNextChild();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}
