#include "route/ui/route_calc_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
struct FieldLabel {
    int id;
    const char* label;
};
constexpr FieldLabel kFields[] = {
    {kRouteIntervalField, "縦断測点の間隔："},      {kRouteLeftWidthField, "左横断切り出し幅："},
    {kRouteRightWidthField, "右横断切り出し幅："},  {kRouteBpAddedField, "ＢＰの追加距離："},
    {kRouteBpBackField, "ＢＰ－測点距離："},        {kRouteEpForwardField, "ＥＰ＋測点距離："},
    {kRouteFirstNumberField, "Ｎｏ測点開始番号："}, {kRouteToleranceField, "許容誤差："},
};

QRadioButton* AddRadio(QWidget* parent, QLayout* layout, QButtonGroup* group, int id,
                       const char* text, int checkedId) {
    auto* radio = new QRadioButton(QString::fromUtf8(text), parent);
    radio->setObjectName(QString::number(id));
    radio->setChecked(id == checkedId);
    group->addButton(radio, id);
    layout->addWidget(radio);
    return radio;
}
}  // namespace

CRouteCalcDlg::CRouteCalcDlg(QWidget* parent) : CRouteFieldDialog(parent) {
    setObjectName("routeCalcDialog");
    setWindowTitle(QString::fromUtf8("路線計算"));
    m_values = OpenRouteCalcDialog();

    auto* grid = new QGridLayout;
    int row = 0;
    for (const FieldLabel& f : kFields) {
        QLineEdit* edit = AddField(grid, row, f.id, f.label);
        edit->setAlignment(Qt::AlignRight);
        edit->setText(QString::fromStdString(RouteCalcFieldText(f.id)));
        ++row;
    }

    auto* naming = new QGroupBox(QString::fromUtf8("NO測点名"), this);
    auto* namingLayout = new QHBoxLayout(naming);
    auto* namingGroup = new QButtonGroup(this);
    AddRadio(naming, namingLayout, namingGroup, kRouteNamingNo, "NO", m_values.stationNamingRadio);
    AddRadio(naming, namingLayout, namingGroup, kRouteNamingSta, "STA",
             m_values.stationNamingRadio);
    AddRadio(naming, namingLayout, namingGroup, kRouteNamingAdded, "追加距離",
             m_values.stationNamingRadio);
    auto* clothoid = new QGroupBox(QString::fromUtf8("クロソイド測点名"), this);
    auto* clothoidLayout = new QHBoxLayout(clothoid);
    auto* clothoidGroup = new QButtonGroup(this);
    AddRadio(clothoid, clothoidLayout, clothoidGroup, kRouteClothoidBtc, "BTC,BC,EC,ETC",
             m_values.clothoidNamingRadio);
    AddRadio(clothoid, clothoidLayout, clothoidGroup, kRouteClothoidKa, "KA1,KE1,KE2,KA2",
             m_values.clothoidNamingRadio);
    connect(namingGroup, &QButtonGroup::idClicked, this,
            [this](int id) { SelectRouteCalcRadio(id, m_values); });
    connect(clothoidGroup, &QButtonGroup::idClicked, this,
            [this](int id) { SelectRouteCalcRadio(id, m_values); });

    m_singleCurveSp = new QCheckBox(QString::fromUtf8("単曲SPを出力"), this);
    m_singleCurveSp->setObjectName(QString::number(kRouteSingleCurveSpCheck));
    m_singleCurveSp->setChecked(m_values.singleCurveSp);
    connect(m_singleCurveSp, &QCheckBox::clicked, this, [this] {
        ToggleRouteSingleCurveSp(m_values);
        m_singleCurveSp->setChecked(m_values.singleCurveSp);
    });
    m_auxStations = new QCheckBox(QString::fromUtf8("造成用補助測点を作成"), this);
    m_auxStations->setObjectName(QString::number(kRouteAuxStationsCheck));
    m_auxStations->setChecked(m_values.auxStations);
    connect(m_auxStations, &QCheckBox::toggled, this,
            [this](bool checked) { SetRouteAuxStations(checked, m_values); });

    m_start = new QPushButton(QString::fromUtf8("計算開始"), this);
    m_start->setObjectName("1007");
    m_cancel = new QPushButton(QString::fromUtf8("ｷｬﾝｾﾙ"), this);
    m_cancel->setObjectName("2");
    m_start->setAutoDefault(true);
    m_cancel->setAutoDefault(true);
    connect(m_start, &QPushButton::clicked, this, &CRouteCalcDlg::OnCalcStart);
    connect(m_cancel, &QPushButton::clicked, this, &CRouteCalcDlg::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_start);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(naming);
    layout->addWidget(clothoid);
    layout->addWidget(m_singleCurveSp);
    layout->addWidget(m_auxStations);
    layout->addLayout(buttons);

    SetToolWindow(ToolWindow::kRouteCalc, this);
}

CRouteCalcDlg::~CRouteCalcDlg() { ClearToolWindow(ToolWindow::kRouteCalc, this); }

void CRouteCalcDlg::Run(QWidget* parent) {
    CRouteCalcDlg dialog(parent);
    dialog.exec();
}

void CRouteCalcDlg::CloseToolWindow() { QDialog::reject(); }

void CRouteCalcDlg::FieldLeft(QLineEdit* edit) {
    const auto it = m_fields.find(edit);
    if (it == m_fields.end()) return;
    edit->setText(
        QString::fromStdString(RouteCalcFieldLeft(it->second, edit->text().toStdString())));
}

void CRouteCalcDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        QDialog::reject();  // closes without computing, the redraw mask as it was
        return;
    }
    QDialog::mousePressEvent(event);
}

void CRouteCalcDlg::reject() {
    CancelRouteCalc();
    QDialog::reject();
}

void CRouteCalcDlg::OnCalcStart() {
    // A value still being typed counts, as when its field lost the focus.
    for (auto& [edit, id] : m_fields) FieldLeft(edit);
    StartRouteCalc();
    QDialog::accept();
}
