#include "model/ui/duplicate_check_dialog.h"

#include <QButtonGroup>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

CDuplicateCheckDlg::CDuplicateCheckDlg(const DuplicateCheckValues& values, QWidget* parent)
    : QDialog(parent), m_values(values) {
    setObjectName("duplicateCheckDialog");
    setWindowTitle(QString::fromUtf8("重複点チェック"));
    struct Radio {
        int id;
        const char* text;
        int32_t rule;
    };
    const Radio radios[] = {{1100, "ユーザー指定", kKeepAsk},
                            {1098, "標高最高値を登録", kKeepHighest},
                            {1099, "標高最低値を登録", kKeepLowest}};
    auto* group = new QButtonGroup(this);
    auto* radioBox = new QGroupBox(this);
    auto* radioLayout = new QVBoxLayout(radioBox);
    for (const Radio& r : radios) {
        auto* button = new QRadioButton(QString::fromUtf8(r.text), radioBox);
        button->setObjectName(QString::number(r.id));
        button->setChecked(r.rule == m_values.keepRule);
        group->addButton(button, r.rule);
        radioLayout->addWidget(button);
    }
    connect(group, &QButtonGroup::idClicked, this, [this](int rule) { m_values.keepRule = rule; });

    m_distance = new QLineEdit(QString::fromStdString(m_values.distanceText), this);
    m_distance->setObjectName("1236");
    m_distance->setAlignment(Qt::AlignRight);
    m_distance->installEventFilter(this);
    auto* run = new QPushButton(QString::fromUtf8("実行"), this);
    run->setObjectName("1101");
    run->setDefault(true);
    auto* end = new QPushButton(QString::fromUtf8("終了"), this);
    end->setObjectName("2");
    connect(run, &QPushButton::clicked, this, [this] {
        ApplyTypedDistance();
        accept();
    });
    connect(end, &QPushButton::clicked, this, &QDialog::reject);

    auto* distanceRow = new QHBoxLayout;
    distanceRow->addWidget(new QLabel(QString::fromUtf8("判定距離"), this));
    distanceRow->addWidget(m_distance, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(run);
    buttons->addWidget(end);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(radioBox);
    layout->addLayout(distanceRow);
    layout->addLayout(buttons);
}

void CDuplicateCheckDlg::ApplyTypedDistance() {
    m_values.distanceText = m_distance->text().toStdString();
    DuplicateDistanceLeft(m_values);
    m_distance->setText(QString::fromStdString(m_values.distanceText));
}

bool CDuplicateCheckDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_distance && event->type() == QEvent::FocusOut) ApplyTypedDistance();
    return QDialog::eventFilter(watched, event);
}

bool CDuplicateCheckDlg::Run(DuplicateCheckValues& values, QWidget* parent) {
    CDuplicateCheckDlg dialog(values, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    values = dialog.Values();
    return true;
}
