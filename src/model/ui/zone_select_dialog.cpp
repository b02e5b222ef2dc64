#include "model/ui/zone_select_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "model/geodesy.h"

namespace {
constexpr const char* kDatumGroupTitle = "元データ属性";

template <typename W>
W* Named(W* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}

QLineEdit* ReadOnlyEdit(QWidget* parent, int id) {
    auto* edit = Named(new QLineEdit(parent), id);
    edit->setReadOnly(true);
    return edit;
}
}  // namespace

CZoneSelectDlg::CZoneSelectDlg(const ZoneSelectValues& values, QWidget* parent)
    : QDialog(parent), m_values(values) {
    setObjectName("zoneSelectDialog");
    setWindowTitle(QString::fromUtf8("系指定"));

    m_zoneCombo = Named(new QComboBox(this), 1118);
    for (int zone = 1; zone <= kPlaneZoneCount; ++zone) m_zoneCombo->addItem(QString::number(zone));
    m_areaList = Named(new QListWidget(this), 1134);
    m_areaList->setMinimumSize(520, 150);
    m_latitudeEdit = ReadOnlyEdit(this, 1113);
    m_longitudeEdit = ReadOnlyEdit(this, 1114);
    m_zoneEdit = Named(new QLineEdit(this), 1082);
    m_zoneEdit->hide();

    m_datumGroup = Named(new QGroupBox(QString::fromUtf8(kDatumGroupTitle), this), 1120);
    m_tokyoRadio = Named(new QRadioButton(QString::fromUtf8("日本測地系"), m_datumGroup), 1079);
    m_worldRadio = Named(new QRadioButton(QString::fromUtf8("世界測地系"), m_datumGroup), 1080);
    m_radioGroup = new QButtonGroup(this);
    m_radioGroup->addButton(m_tokyoRadio, 0);
    m_radioGroup->addButton(m_worldRadio, 1);
    m_convertCheck =
        Named(new QCheckBox(QString::fromUtf8("測地系を変換する"), m_datumGroup), 1131);
    auto* groupLayout = new QVBoxLayout(m_datumGroup);
    groupLayout->addWidget(m_tokyoRadio);
    groupLayout->addWidget(m_worldRadio);
    groupLayout->addWidget(m_convertCheck);

    auto* ok = Named(new QPushButton(QString::fromUtf8("OK"), this), 1);
    ok->setDefault(true);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QString::fromUtf8("１９座標系の指定"), this), 0, 0);
    grid->addWidget(m_zoneCombo, 0, 1);
    grid->addWidget(new QLabel(QString::fromUtf8("原点緯度"), this), 1, 0);
    grid->addWidget(m_latitudeEdit, 1, 1);
    grid->addWidget(new QLabel(QString::fromUtf8("原点経度"), this), 2, 0);
    grid->addWidget(m_longitudeEdit, 2, 1);
    grid->addWidget(m_zoneEdit, 3, 1);
    auto* top = new QHBoxLayout;
    top->addLayout(grid);
    top->addWidget(m_datumGroup);
    top->addStretch(1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_areaList, 1);
    layout->addLayout(bottom);

    m_controls = OpenZoneSelect(m_values);
    ShowControls();

    connect(m_zoneCombo, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0) return;
        SelectZoneEntry(index, m_values, m_controls);
        ShowControls();
    });
    connect(m_zoneEdit, &QLineEdit::editingFinished, this, [this] {
        ZoneEditLostFocus(m_zoneEdit->text().toStdString(), m_values, m_controls);
        ShowControls();
    });
    connect(m_tokyoRadio, &QRadioButton::clicked, this, [this] {
        SelectDatumRadio(0, m_values, m_controls);
        ShowControls();
    });
    connect(m_worldRadio, &QRadioButton::clicked, this, [this] {
        SelectDatumRadio(1, m_values, m_controls);
        ShowControls();
    });
    connect(m_convertCheck, &QCheckBox::clicked, this, [this](bool checked) {
        SetConvertDatumCheck(checked, m_values, m_controls);
        ShowControls();
    });
    connect(ok, &QPushButton::clicked, this, &CZoneSelectDlg::OnOk);
}

void CZoneSelectDlg::ShowControls() {
    const QSignalBlocker blockCombo(m_zoneCombo);
    m_zoneCombo->setCurrentIndex(m_controls.zoneIndex);
    m_areaList->clear();
    for (const std::string& line : m_controls.areaList)
        m_areaList->addItem(QString::fromStdString(line));
    m_latitudeEdit->setText(QString::fromStdString(m_controls.originLatitude));
    m_longitudeEdit->setText(QString::fromStdString(m_controls.originLongitude));
    m_zoneEdit->setText(QString::fromStdString(m_controls.zoneEdit));
    (m_controls.worldDatum ? m_worldRadio : m_tokyoRadio)->setChecked(true);
    m_convertCheck->setChecked(m_controls.convertChecked);
    m_convertCheck->setVisible(m_controls.convertShown);
    m_tokyoRadio->setVisible(m_controls.radiosShown);
    m_worldRadio->setVisible(m_controls.radiosShown);
    m_datumGroup->setTitle(m_controls.groupTextCleared ? QString()
                                                       : QString::fromUtf8(kDatumGroupTitle));
    m_datumGroup->setVisible(m_controls.groupShown);
}

void CZoneSelectDlg::OnOk() {
    AcceptZoneSelect(m_values, m_controls);
    accept();
}

bool CZoneSelectDlg::Run(ZoneSelectValues& values, QWidget* parent) {
    CZoneSelectDlg dialog(values, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    values = dialog.Values();
    return true;
}

CAxisConventionDlg::CAxisConventionDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("axisConventionDialog");
    setWindowTitle(QString::fromUtf8("座標系指定"));
    auto* survey = Named(new QPushButton(QString::fromUtf8("公共座標"), this), 1114);
    auto* mathematical = Named(new QPushButton(QString::fromUtf8("数学座標"), this), 1115);
    survey->setAutoDefault(false);
    mathematical->setAutoDefault(false);
    connect(survey, &QPushButton::clicked, this, [this] { done(kAxisSurvey); });
    connect(mathematical, &QPushButton::clicked, this, [this] { done(kAxisMathematical); });
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(survey);
    layout->addWidget(mathematical);
}

int CAxisConventionDlg::Run() { return exec(); }

void CAxisConventionDlg::reject() { done(kClosed); }
