#include "dxf/ui/dxf_import_param_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include "shell/ui/dialog_keys.h"

namespace {
template <typename W>
W* Named(W* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}

struct KindBox {
    int id;
    const char* caption;
    int32_t DxfImportParams::*flag;
};
const KindBox kKindBoxes[9] = {
    {1131, "３Ｄ面（3DFACE)", &DxfImportParams::read3dFace},
    {1132, "円弧（ARC)", &DxfImportParams::readArc},
    {1133, "円（CIRCLE)", &DxfImportParams::readCircle},
    {1164, "線分（LINE)", &DxfImportParams::readLine},
    {1135, "点（POINT)", &DxfImportParams::readPoint},
    {1136, "塗り潰し（SOLID)", &DxfImportParams::readSolid},
    {1137, "文字（TEXT)", &DxfImportParams::readText},
    {1138, "頂点（VERTEX)\n(LWPOLYLINE)", &DxfImportParams::readVertex},
    {1141, "スプライン(SPLINE)", &DxfImportParams::readSpline},
};
}  // namespace

CDxfImportParamDlg::CDxfImportParamDlg(QWidget* parent) : QDialog(parent), m_params(StartDxfImportParams()) {
    setObjectName("dxfImportParamDialog");
    setWindowTitle(QString::fromUtf8("ＤＸＦ取り込みパラメータ設定"));
    // No close box: the dialog ends by 開始, 中止 or Esc.
    setWindowFlags(windowFlags() & ~Qt::WindowCloseButtonHint);

    auto* kinds = new QGroupBox(QString::fromUtf8("取り込みデータ"), this);
    auto* kindLayout = new QGridLayout(kinds);
    for (int i = 0; i < 9; ++i) {
        m_kindBoxes[i] = Named(new QCheckBox(QString::fromUtf8(kKindBoxes[i].caption), kinds), kKindBoxes[i].id);
        kindLayout->addWidget(m_kindBoxes[i], i / 2, i % 2);
    }

    auto* axes = new QGroupBox(QString::fromUtf8("座標系"), this);
    auto* swapped = Named(new QRadioButton(QString::fromUtf8("ＸＹ反転"), axes), 1178);
    auto* plain = Named(new QRadioButton(QString::fromUtf8("通常"), axes), 1179);
    auto* axesLayout = new QVBoxLayout(axes);
    axesLayout->addWidget(swapped);
    axesLayout->addWidget(plain);
    swapped->setChecked(true);
    connect(swapped, &QRadioButton::clicked, this, [this] { m_params.xyMode = 0; });
    connect(plain, &QRadioButton::clicked, this, [this] { m_params.xyMode = 1; });

    auto* units = new QGroupBox(QString::fromUtf8("単位"), this);
    auto* unitLayout = new QVBoxLayout(units);
    const struct {
        int id;
        const char* caption;
        int32_t unit;
    } unitRadios[] = {{1004, "ｍｍ", -1}, {1005, "ｍ", 0}, {1006, "Kｍ", 1}};
    for (const auto& u : unitRadios) {
        auto* radio = Named(new QRadioButton(QString::fromUtf8(u.caption), units), u.id);
        unitLayout->addWidget(radio);
        radio->setChecked(u.unit == 0);
        connect(radio, &QRadioButton::clicked, this, [this, unit = u.unit] { m_params.unit = unit; });
    }

    auto* extents = Named(new QCheckBox(QString::fromUtf8("オブジェクト範囲有効"), this), 1161);
    extents->setChecked(true);
    connect(extents, &QCheckBox::clicked, this, [this](bool on) { m_params.clipToExtents = on ? 1 : 0; });

    m_slider = Named(new QSlider(Qt::Horizontal, this), 1121);
    m_slider->setRange(0, 5);
    m_slider->setPageStep(1);
    m_slider->setTickPosition(QSlider::TicksBelow);
    m_slider->setValue(DxfSplineSliderPosition(m_params.splineQuality));
    auto* smoother = Named(new QPushButton(QString::fromUtf8("滑らか"), this), 1222);
    auto* coarser = Named(new QPushButton(QString::fromUtf8("粗い"), this), 1225);
    for (QPushButton* b : {smoother, coarser}) {
        b->setFlat(true);
        b->setAutoDefault(false);
    }
    connect(smoother, &QPushButton::clicked, this, [this] { m_slider->setValue(StepDxfSplineSlider(m_slider->value(), +1)); });
    connect(coarser, &QPushButton::clicked, this, [this] { m_slider->setValue(StepDxfSplineSlider(m_slider->value(), -1)); });

    auto* start = Named(new QPushButton(QString::fromUtf8("開始"), this), 1223);
    auto* cancel = Named(new QPushButton(QString::fromUtf8("中止"), this), 1224);
    start->setAutoDefault(false);
    cancel->setAutoDefault(false);
    connect(start, &QPushButton::clicked, this, &CDxfImportParamDlg::OnStart);
    connect(cancel, &QPushButton::clicked, this, [this] { OnAbortButton(this); });

    auto* sliderRow = new QHBoxLayout;
    sliderRow->addWidget(coarser);
    sliderRow->addWidget(m_slider, 1);
    sliderRow->addWidget(smoother);
    auto* side = new QVBoxLayout;
    side->addWidget(axes);
    side->addWidget(units);
    auto* top = new QHBoxLayout;
    top->addWidget(kinds, 1);
    top->addLayout(side);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(start);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(extents);
    layout->addLayout(sliderRow);
    layout->addLayout(buttons);

    ShowKindBoxes();
}

void CDxfImportParamDlg::ReadKindBoxes() {
    for (int i = 0; i < 9; ++i) m_params.*(kKindBoxes[i].flag) = m_kindBoxes[i]->isChecked() ? 1 : 0;
}

void CDxfImportParamDlg::ShowKindBoxes() {
    for (int i = 0; i < 9; ++i) m_kindBoxes[i]->setChecked(m_params.*(kKindBoxes[i].flag) != 0);
}

void CDxfImportParamDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier)) {
        ReadKindBoxes();
        ToggleAllDxfKinds(m_params);
        ShowKindBoxes();
    }
    QDialog::mousePressEvent(event);
}

void CDxfImportParamDlg::OnStart() {
    ReadKindBoxes();
    StartDxfImport(m_params, m_slider->value());
    OnStartButton(this);
}

int CDxfImportParamDlg::Run(DxfImportParams& params, QWidget* parent) {
    CDxfImportParamDlg dialog(parent);
    const int result = dialog.exec();
    params = dialog.Params();
    return result;
}
