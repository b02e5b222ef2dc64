#include "analysis/ui/point_section_settings_dialog.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CPointSectionSettingsDlg::CPointSectionSettingsDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("pointSectionSettingsDialog");
    setWindowTitle(QString::fromUtf8("ランダム点断面設定"));
    m_state = OpenPointSectionSettings();
    m_width = new QLineEdit(this);
    m_width->setObjectName(QString::number(kBandWidthField));
    m_width->setAlignment(Qt::AlignRight);
    m_width->setText(QString::fromStdString(BandWidthText()));
    m_width->installEventFilter(this);
    m_plan = new QCheckBox(QString::fromUtf8("平面距離で整列する"), this);
    m_plan->setObjectName(QString::number(kBandAlignByPlanDistance));
    m_connect = new QCheckBox(QString::fromUtf8("全ての点を接続する"), this);
    m_connect->setObjectName(QString::number(kBandConnectAll));
    connect(m_plan, &QCheckBox::clicked, this, [this](bool checked) {
        ClickPointSectionSetting(kBandAlignByPlanDistance, checked, m_state);
        Show();
    });
    connect(m_connect, &QCheckBox::clicked, this, [this](bool checked) {
        ClickPointSectionSetting(kBandConnectAll, checked, m_state);
        Show();
    });
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("1");
    connect(ok, &QPushButton::clicked, this, [this] {
        WidthLeft();
        accept();
    });
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QString::fromUtf8("抽出幅(m)"), this), 0, 0);
    layout->addWidget(m_width, 0, 1);
    layout->addWidget(m_plan, 1, 0, 1, 2);
    layout->addWidget(m_connect, 2, 0, 1, 2);
    layout->addWidget(ok, 3, 1);
    Show();
}

int CPointSectionSettingsDlg::Run(QWidget* parent) {
    CPointSectionSettingsDlg dialog(parent);
    return dialog.exec();
}

void CPointSectionSettingsDlg::Show() {
    m_plan->setChecked(m_state.alignByPlanDistance);
    m_connect->setChecked(m_state.connectAll);
    m_connect->setEnabled(m_state.ConnectAllEnabled());
}

void CPointSectionSettingsDlg::WidthLeft() {
    m_width->setText(QString::fromStdString(BandWidthFieldLeft(m_width->text().toStdString())));
}

bool CPointSectionSettingsDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_width) {
        if (event->type() == QEvent::FocusOut) {
            WidthLeft();
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                WidthLeft();
                focusNextChild();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}
