#include "volume/ui/mesh_elevation_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cstdlib>

#include "platform/text_io.h"
#include "volume/mesh_data.h"

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

QString Fixed3(double v) { return QString::fromStdString(FormatString("%.3f", v)); }

// A number typed into a field (C locale); false for anything else.
bool ReadNumber(const QLineEdit* edit, double* value) {
    const std::string text = edit->text().trimmed().toStdString();
    if (text.empty()) return false;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0') return false;
    *value = v;
    return true;
}

QRadioButton* Radio(QWidget* parent, const char* text, const char* id) {
    auto* r = new QRadioButton(U(text), parent);
    r->setObjectName(id);
    return r;
}

QLineEdit* Edit(QWidget* parent, const char* id) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(id);
    return e;
}

}  // namespace

CMeshElevationCalcDlg::CMeshElevationCalcDlg(QWidget* parent, MeshElevationCalcValues& values)
    : QDialog(parent), m_values(values) {
    setObjectName("meshElevationCalcDialog");
    setWindowTitle(U("メッシュ標高計算"));

    auto* methodBox = new QGroupBox(U("計算方法"), this);
    auto* methodLayout = new QVBoxLayout(methodBox);
    m_method[kMeshMethodTin] = Radio(methodBox, "三角網", "1163");
    m_method[kMeshMethodContourStraight] = Radio(methodBox, "等高線（直線補間）", "1036");
    m_method[kMeshMethodContourCurve] = Radio(methodBox, "等高線（曲線補間）", "1037");
    auto* methods = new QButtonGroup(this);
    for (int32_t m : {kMeshMethodTin, kMeshMethodContourStraight, kMeshMethodContourCurve}) {
        methodLayout->addWidget(m_method[m]);
        methods->addButton(m_method[m], m);
    }
    connect(methods, &QButtonGroup::idClicked, this, [this](int m) {
        SelectMeshMethod(m_values, m);
        Refresh();
    });
    m_lattice = new QCheckBox(U("正三角形配列"), methodBox);
    m_lattice->setObjectName("1156");
    methodLayout->addWidget(m_lattice);
    connect(m_lattice, &QCheckBox::clicked, this, [this](bool on) {
        SetMeshLattice(m_values, on);
        Refresh();
    });

    auto* policyBox = new QGroupBox(U("計算できない節点"), this);
    auto* policyLayout = new QGridLayout(policyBox);
    m_policy[1] = Radio(policyBox, "最低標高を登録", "1079");
    m_policy[2] = Radio(policyBox, "最高標高を登録", "1080");
    m_policy[3] = Radio(policyBox, "指定標高を登録", "1040");
    auto* policies = new QButtonGroup(this);
    for (int32_t p = 1; p <= 3; ++p) {
        policyLayout->addWidget(m_policy[p], p - 1, 0);
        policies->addButton(m_policy[p], p);
    }
    m_missingValue = Edit(policyBox, "1082");
    policyLayout->addWidget(m_missingValue, 2, 1);
    connect(policies, &QButtonGroup::idClicked, this, [this](int p) {
        SelectMissingPolicy(m_values, p);
        Refresh();
    });
    connect(m_missingValue, &QLineEdit::editingFinished, this, [this] { CommitEdits(); });

    auto* pitchBox = new QGroupBox(U("ピッチ"), this);
    auto* pitchLayout = new QGridLayout(pitchBox);
    m_pitchLength = Edit(pitchBox, "1041");
    m_pitchWidth = Edit(pitchBox, "1042");
    pitchLayout->addWidget(new QLabel(U("縦ﾋﾟｯﾁ"), pitchBox), 0, 0);
    pitchLayout->addWidget(m_pitchLength, 0, 1);
    pitchLayout->addWidget(new QLabel(U("横ﾋﾟｯﾁ"), pitchBox), 1, 0);
    pitchLayout->addWidget(m_pitchWidth, 1, 1);
    connect(m_pitchLength, &QLineEdit::editingFinished, this, [this] { CommitEdits(); });
    connect(m_pitchWidth, &QLineEdit::editingFinished, this, [this] { CommitEdits(); });

    auto* outlineBox = new QGroupBox(U("外周との交点計算"), this);
    auto* outlineLayout = new QHBoxLayout(outlineBox);
    m_outlineOn = Radio(outlineBox, "する", "1049");
    m_outlineOff = Radio(outlineBox, "しない", "1050");
    outlineLayout->addWidget(m_outlineOn);
    outlineLayout->addWidget(m_outlineOff);
    connect(m_outlineOn, &QRadioButton::clicked, this, [this] { m_values.outlineOption = 1; });
    connect(m_outlineOff, &QRadioButton::clicked, this, [this] { m_values.outlineOption = 0; });

    auto* start = new QPushButton(U("開始"), this);
    start->setObjectName("1132");
    start->setDefault(true);
    auto* stop = new QPushButton(U("中止"), this);
    stop->setObjectName("1224");
    connect(start, &QPushButton::clicked, this, [this] {
        CommitEdits();
        accept();
    });
    connect(stop, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(start);
    buttons->addWidget(stop);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(methodBox);
    layout->addWidget(policyBox);
    layout->addWidget(pitchBox);
    layout->addWidget(outlineBox);
    layout->addLayout(buttons);

    m_method[kMeshMethodTin]->setEnabled(m_values.tinAllowed);
    m_method[kMeshMethodContourStraight]->setEnabled(m_values.contoursAllowed);
    m_method[kMeshMethodContourCurve]->setEnabled(m_values.contoursAllowed);
    m_missingValue->setText(Fixed3(m_values.missingValue));
    m_pitchLength->setText(Fixed3(g_meshPitchLength));
    m_pitchWidth->setText(Fixed3(g_meshPitchWidth));
    Refresh();
}

void CMeshElevationCalcDlg::CommitEdits() {
    double v = 0;
    if (ReadNumber(m_missingValue, &v)) SetMissingValue(m_values, v);
    if (ReadNumber(m_pitchLength, &v)) SetMeshPitchLength(v);
    if (ReadNumber(m_pitchWidth, &v)) SetMeshPitchWidth(v);
    m_missingValue->setText(Fixed3(m_values.missingValue));
    m_pitchLength->setText(Fixed3(g_meshPitchLength));
    m_pitchWidth->setText(Fixed3(g_meshPitchWidth));
}

void CMeshElevationCalcDlg::Refresh() {
    m_method[m_values.method]->setChecked(true);
    m_policy[m_values.missingPolicy]->setChecked(true);
    m_lattice->setEnabled(m_values.method == kMeshMethodTin);
    m_lattice->setChecked(m_values.lattice != 0);
    m_missingValue->setEnabled(MissingValueEnabled(m_values));
    m_outlineOn->setEnabled(OutlineOptionEnabled(m_values));
    m_outlineOff->setEnabled(OutlineOptionEnabled(m_values));
    (m_values.outlineOption ? m_outlineOn : m_outlineOff)->setChecked(true);
}

bool CMeshElevationCalcDlg::Ask(QWidget* parent, MeshElevationCalcValues& values) {
    CMeshElevationCalcDlg dlg(parent, values);
    return dlg.exec() == QDialog::Accepted;
}

void OnMeshElevationCalc(QWidget* parent) {
    MeshElevationCalcValues values = MeshElevationCalcDefaults();
    if (!values.tinAllowed && !values.contoursAllowed) return;
    if (!CMeshElevationCalcDlg::Ask(parent, values)) return;
    RunMeshElevationCalc(values);
}
