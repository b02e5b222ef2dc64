#include "view/ui/color_band_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "model/document_services.h"
#include "view/color_band_command.h"
#include "view/color_band_edit.h"
#include "view/color_band_gizmo.h"
#include "view/color_band_params.h"
#include "view/display_flags.h"
#include "view/ui/light_direction_widget.h"
#include "view/ui/vertex_color_band_dialog.h"

namespace {

CColorBandDlg* g_instance = nullptr;
QPointer<QWidget> g_frame;

QString U(const char* s) { return QString::fromUtf8(s); }
QString U(const std::string& s) { return QString::fromUtf8(s.c_str()); }

QLineEdit* Edit(const char* id, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(id);
    e->setMaxLength(64);
    return e;
}

QCheckBox* Check(const char* id, const char* text, QWidget* parent) {
    auto* c = new QCheckBox(U(text), parent);
    c->setObjectName(id);
    return c;
}

void SetText(QLineEdit* e, const std::string& text) {
    const QSignalBlocker block(e);
    e->setText(U(text));
}

void SetChecked(QCheckBox* c, bool on) {
    const QSignalBlocker block(c);
    c->setChecked(on);
}

ColorBandParams& P() { return g_colorBandParams; }

// An edit is left when the user presses a button elsewhere: waiting for that button's
// release inside the focus change would hand the release to the button before its
// press. The redraw runs once the press has been delivered.
void RedrawAfterEdit() {
    QTimer::singleShot(0, qApp, [] { RedrawAfterButtonRelease(0); });
}

}  // namespace

// ---- swatches ----

CColorSwatch::CColorSwatch(int32_t* colour, const QString& name, QWidget* parent)
    : QPushButton(parent), m_colour(colour) {
    setObjectName(name);
    setAutoDefault(false);
    setFixedSize(28, 18);
    connect(this, &QPushButton::clicked, this, [this] {
        const int32_t c = *m_colour;
        const QColor chosen = QColorDialog::getColor(QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF), this);
        if (!chosen.isValid()) return;
        *m_colour = (chosen.red() << 16) | (chosen.green() << 8) | chosen.blue();
        Refresh();
        emit colourChanged();
    });
    Refresh();
}

void CColorSwatch::Refresh() {
    const int32_t c = *m_colour;
    setStyleSheet(QString("background-color: #%1; border: 1px solid black;")
                      .arg(static_cast<unsigned>(c & 0xFFFFFF), 6, 16, QChar('0')));
}

QWidget* MakeLightWidget(QWidget* parent) {
    CLightDirectionWidget* widget = MakeColorBandLightWidget(parent);
    widget->setFixedSize(120, 120);
    return widget;
}

// ---- page 194 ----

CSlopePlaneDlg::CSlopePlaneDlg(QWidget* parent) : QWidget(parent) {
    setObjectName("CSlopePlaneDlg");
    auto* layout = new QHBoxLayout(this);
    auto* colours = new QGridLayout;
    const char* names[4] = {"マイナス側最大", "マイナス側最小", "プラス側最小", "プラス側最大"};
    // c204 (プラス側最大) on top.
    for (int k = 3; k >= 0; --k) {
        m_swatches[k] = new CColorSwatch(&P().gradientColours[k], QString("c%1").arg(201 + k), this);
        connect(m_swatches[k], &CColorSwatch::colourChanged, this, [] { RedrawAfterButtonRelease(0); });
        colours->addWidget(new QLabel(U(names[k]), this), 3 - k, 0);
        colours->addWidget(m_swatches[k], 3 - k, 1);
    }
    layout->addLayout(colours);
    layout->addWidget(MakeLightWidget(this));

    auto* plane = new QGroupBox(U("傾斜面"), this);
    plane->setObjectName("planeGroup");
    auto* grid = new QGridLayout(plane);
    const char* ids[6] = {"1082", "1083", "1084", "1085", "1086", "1087"};
    const char* labels[6] = {"X", "Y", "H", "方向(度)", "傾斜(度)", "(％)"};
    for (int k = 0; k < 6; ++k) {
        m_fields[k] = Edit(ids[k], plane);
        grid->addWidget(new QLabel(U(labels[k]), plane), k, 0);
        grid->addWidget(m_fields[k], k, 1);
        connect(m_fields[k], &QLineEdit::editingFinished, this, [this, k] {
            if (!EditPlaneFieldText(P(), static_cast<PlaneField>(k), m_fields[k]->text().toStdString())) return;
            Sync();
            RedrawAfterEdit();
        });
    }
    m_targetPick = Check("1131", "マウス 目標点", plane);
    connect(m_targetPick, &QCheckBox::toggled, this, [](bool on) { g_colorBandGizmo.targetOption = on; });
    grid->addWidget(m_targetPick, 6, 0, 1, 2);
    layout->addWidget(plane);
}

void CSlopePlaneDlg::Sync() {
    for (CColorSwatch* s : m_swatches) s->Refresh();
    const PlaneTexts t = FormatPlaneTexts(P());
    const std::string* texts[6] = {&t.x, &t.y, &t.h, &t.direction, &t.inclination, &t.percent};
    for (int k = 0; k < 6; ++k)
        if (!m_fields[k]->hasFocus()) SetText(m_fields[k], *texts[k]);
    findChild<QGroupBox*>("planeGroup")->setEnabled(P().refInclined != 0);
    SetChecked(m_targetPick, g_colorBandGizmo.targetOption);
}

// ---- page 195 ----

CBirdsEyeColorDlg::CBirdsEyeColorDlg(QWidget* parent) : QWidget(parent) {
    setObjectName("CBirdsEyeColorDlg");
    auto* layout = new QHBoxLayout(this);
    auto* colours = new QGridLayout;
    const char* names[5] = {"現況面", "路面", "法面", "水面", "拡張"};
    for (int k = 0; k < 5; ++k) {
        m_swatches[k] = new CColorSwatch(&P().birdsEyeColours[k], QString("c%1").arg(301 + k), this);
        connect(m_swatches[k], &CColorSwatch::colourChanged, this, [] { RedrawAfterButtonRelease(0); });
        colours->addWidget(new QLabel(U(names[k]), this), k, 0);
        colours->addWidget(m_swatches[k], k, 1);
    }
    layout->addLayout(colours);
    layout->addWidget(MakeLightWidget(this));
    layout->addStretch();
}

void CBirdsEyeColorDlg::Sync() {
    for (CColorSwatch* s : m_swatches) s->Refresh();
}

// ---- page 226 ----

CSlopeBandDlg::CSlopeBandDlg(QWidget* parent) : QWidget(parent) {
    setObjectName("CSlopeBandDlg");
    auto* layout = new QHBoxLayout(this);
    auto* colours = new QGridLayout;
    for (int k = 0; k < 12; ++k) {
        m_swatches[k] = new CColorSwatch(&P().slopeColours[k], QString("c%1").arg(401 + k), this);
        connect(m_swatches[k], &CColorSwatch::colourChanged, this, [] { RedrawAfterButtonRelease(0); });
        colours->addWidget(m_swatches[k], k % 6, k / 6);
    }
    layout->addLayout(colours);

    auto* right = new QVBoxLayout;
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(U("最大傾斜"), this));
    m_maxSlope = Edit("1023", this);
    row->addWidget(m_maxSlope);
    right->addLayout(row);
    connect(m_maxSlope, &QLineEdit::editingFinished, this, [this] {
        std::string shown;
        if (!EditMaxSlopeText(P(), m_maxSlope->text().toStdString(), shown)) return;
        if (!shown.empty()) SetText(m_maxSlope, shown);
        RedrawAfterEdit();
    });
    m_twoColour = Check("1022", "２色表示", this);
    connect(m_twoColour, &QCheckBox::toggled, this, [](bool on) {
        P().twoColourSlope = on ? 1 : 0;
        RedrawAfterButtonRelease(0);
    });
    right->addWidget(m_twoColour);

    // The slope-line group is kept for its values; its controls stay disabled.
    auto* lines = new QGroupBox(U("傾斜線"), this);
    auto* grid = new QGridLayout(lines);
    m_slopeLines = Check("1132", "表示する", lines);
    m_steep = Edit("1036", lines);
    m_gentle = Edit("1035", lines);
    grid->addWidget(m_slopeLines, 0, 0, 1, 2);
    grid->addWidget(new QLabel(U("急傾斜"), lines), 1, 0);
    grid->addWidget(m_steep, 1, 1);
    grid->addWidget(new QLabel(U("緩傾斜"), lines), 2, 0);
    grid->addWidget(m_gentle, 2, 1);
    for (QWidget* w : {static_cast<QWidget*>(m_slopeLines), static_cast<QWidget*>(m_steep),
                       static_cast<QWidget*>(m_gentle)})
        w->setEnabled(false);
    auto angleEdit = [this](QLineEdit* edit, double ColorBandParams::*field) {
        connect(edit, &QLineEdit::editingFinished, this, [edit, field] {
            std::string shown;
            if (!EditSlopeAngleText(P().*field, edit->text().toStdString(), shown)) return;
            if (!shown.empty()) SetText(edit, shown);
            RedrawAfterEdit();
        });
    };
    angleEdit(m_steep, &ColorBandParams::steepSlope);
    angleEdit(m_gentle, &ColorBandParams::gentleSlope);
    right->addWidget(lines);
    right->addStretch();
    layout->addLayout(right);
}

void CSlopeBandDlg::Sync() {
    for (CColorSwatch* s : m_swatches) s->Refresh();
    if (!m_maxSlope->hasFocus()) SetText(m_maxSlope, FormatMaxSlope(P().maxSlope));
    SetChecked(m_twoColour, P().twoColourSlope != 0);
    SetChecked(m_slopeLines, P().slopeLinesShown != 0);
    SetText(m_steep, FormatSlopeAngle(P().steepSlope));
    SetText(m_gentle, FormatSlopeAngle(P().gentleSlope));
}

// ---- dialog 282 ----

CGcolSet::CGcolSet(QWidget* parent) : QDialog(parent) {
    setObjectName("CGcolSet");
    setWindowTitle(U("縞段彩色指定"));
    for (int i = 0; i < 3; ++i) m_colours[i] = g_gcolSetColours[i];
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    const char* names[3] = {"高", "中", "低"};
    const char* ids[3] = {"high", "middle", "low"};
    for (int i = 0; i < 3; ++i) {
        grid->addWidget(new QLabel(U(names[i]), this), i, 0);
        grid->addWidget(new CColorSwatch(&m_colours[i], ids[i], this), i, 1);
    }
    m_ignore = Check("ignoreMiddle", "←無視", this);
    grid->addWidget(m_ignore, 1, 2);
    layout->addLayout(grid);
    auto* buttons = new QHBoxLayout;
    auto* reg = new QPushButton(U("登録"), this);
    reg->setObjectName("1");
    reg->setDefault(true);
    auto* stop = new QPushButton(U("中止"), this);
    stop->setObjectName("stop");
    stop->setAutoDefault(false);
    buttons->addWidget(reg);
    buttons->addWidget(stop);
    layout->addLayout(buttons);
    connect(reg, &QPushButton::clicked, this, &QDialog::accept);
}

void CGcolSet::done(int result) {
    GcolSetAnswer answer{};
    for (int i = 0; i < 3; ++i) answer.colours[i] = m_colours[i];
    answer.ignoreMiddle = m_ignore->isChecked();
    answer.registered = result == QDialog::Accepted;
    QDialog::done(result);
    CloseGcolSet(answer);
}

// ---- dialog 109 ----

CColorBandDlg::CColorBandDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("CColorBandDlg");
    setWindowTitle(U("段彩表示"));
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose, false);
    g_instance = this;
    g_colorBandGizmo.targetOption = false;
    SetToolWindow(ToolWindow::kColorBand, this);
    OpenColorBandDialogState();
    DestroyLegendWindows();

    auto* layout = new QVBoxLayout(this);

    // Mode and band limits.
    auto* top = new QHBoxLayout;
    auto* modes = new QGroupBox(this);
    auto* modeLayout = new QVBoxLayout(modes);
    const char* modeIds[4] = {"1079", "1080", "1082", "1083"};
    const char* modeTexts[4] = {"縞段彩", "グラデーション", "鳥瞰図配色", "傾斜値段彩"};
    auto* modeGroup = new QButtonGroup(this);
    for (int m = 0; m < 4; ++m) {
        m_mode[m] = new QRadioButton(U(modeTexts[m]), modes);
        m_mode[m]->setObjectName(modeIds[m]);
        modeGroup->addButton(m_mode[m], m);
        modeLayout->addWidget(m_mode[m]);
    }
    connect(modeGroup, &QButtonGroup::idClicked, this, [this](int m) { SelectMode(m); });
    top->addWidget(modes);

    auto* limits = new QGridLayout;
    const char* limitIds[4] = {"1053", "1049", "1054", "1055"};
    const char* limitTexts[4] = {"中心標高", "最大標高", "最低標高", "ステップ"};
    for (int k = 0; k < 4; ++k) {
        m_limits[k] = Edit(limitIds[k], this);
        limits->addWidget(new QLabel(U(limitTexts[k]), this), k, 0);
        limits->addWidget(m_limits[k], k, 1);
        connect(m_limits[k], &QLineEdit::editingFinished, this, [this, k] { EditLimit(k, m_limits[k]); });
    }
    m_dataHighest = new QLabel(this);
    m_dataHighest->setObjectName("1122");
    m_dataLowest = new QLabel(this);
    m_dataLowest->setObjectName("1123");
    limits->addWidget(m_dataHighest, 4, 0, 1, 2);
    limits->addWidget(m_dataLowest, 5, 0, 1, 2);
    top->addLayout(limits);

    auto* reference = new QVBoxLayout;
    auto* refGroup = new QButtonGroup(this);
    const char* refIds[2] = {"1084", "1086"};
    const char* refTexts[2] = {"水平面", "傾斜面"};
    for (int k = 0; k < 2; ++k) {
        m_reference[k] = new QRadioButton(U(refTexts[k]), this);
        m_reference[k]->setObjectName(refIds[k]);
        refGroup->addButton(m_reference[k], k);
        reference->addWidget(m_reference[k]);
    }
    connect(refGroup, &QButtonGroup::idClicked, this, [this](int k) {
        P().refInclined = k;
        Sync();
        RedrawAfterButtonRelease(0);
    });
    m_shown = Check("3", "表示", this);
    connect(m_shown, &QCheckBox::toggled, this, [](bool on) {
        g_colorBandOn = on ? 1 : 0;
        RedrawAfterButtonRelease(on ? 1 : 0);
    });
    reference->addWidget(m_shown);
    top->addLayout(reference);

    auto* checks = new QVBoxLayout;
    const char* flagIds[5] = {"1245", "1246", "1248", "1250", "1251"};
    const char* flagTexts[5] = {"文字色変更", "陰影あり", "中抜非表示", "計画面のみ", "頂点色を使う"};
    int32_t ColorBandParams::*flagFields[5] = {&ColorBandParams::textColourChange, &ColorBandParams::shading,
                                               &ColorBandParams::holesHidden, &ColorBandParams::planOnly,
                                               &ColorBandParams::useVertexColours};
    for (int k = 0; k < 5; ++k) {
        m_flags[k] = Check(flagIds[k], flagTexts[k], this);
        checks->addWidget(m_flags[k]);
        connect(m_flags[k], &QCheckBox::toggled, this, [field = flagFields[k]](bool on) {
            P().*field = on ? 1 : 0;
            RedrawAfterButtonRelease(0);
        });
    }
    top->addLayout(checks);

    // 水面
    auto* water = new QGroupBox(U("水面"), this);
    auto* waterLayout = new QGridLayout(water);
    m_water = Check("1280", "表示", water);
    m_waterLevel = Edit("1282", water);
    m_waterAbove = Check("1284", "中抜き上", water);
    m_waterTransparent = Check("1283", "透過", water);
    waterLayout->addWidget(m_water, 0, 0);
    waterLayout->addWidget(m_waterLevel, 0, 1);
    waterLayout->addWidget(m_waterAbove, 1, 0);
    waterLayout->addWidget(m_waterTransparent, 1, 1);
    auto waterFlags = [this] {
        P().waterShown = m_water->isChecked() ? (m_waterAbove->isChecked() ? -1 : 1) : 0;
        RedrawAfterButtonRelease(0);
    };
    connect(m_water, &QCheckBox::toggled, this, [this, waterFlags](bool on) {
        if (on) {
            m_waterLevel->setFocus();
        } else {
            SetChecked(m_waterAbove, false);
        }
        waterFlags();
    });
    connect(m_waterAbove, &QCheckBox::toggled, this, waterFlags);
    connect(m_waterTransparent, &QCheckBox::toggled, this, [](bool on) {
        P().waterTransparent = on ? 1 : 0;
        RedrawAfterButtonRelease(0);
    });
    connect(m_waterLevel, &QLineEdit::editingFinished, this, [this] {
        double v;
        if (!ParseEditNumber(m_waterLevel->text().toStdString(), v)) return;
        P().waterLevel = v;
        RedrawAfterEdit();
    });
    top->addWidget(water);
    layout->addLayout(top);

    // Colours: the stripes and their labels, the water colour, the presets.
    m_colourGroup = new QGroupBox(this);
    m_colourGroup->setObjectName("1247");
    auto* colourLayout = new QVBoxLayout(m_colourGroup);
    m_stripeBox = new QWidget(m_colourGroup);
    auto* stripes = new QGridLayout(m_stripeBox);
    stripes->setSpacing(1);
    for (int k = 0; k < 21; ++k) {
        int32_t* colour = k < 20 ? &P().stripeColours[k] : &P().waterColour;
        m_swatches[k] = new CColorSwatch(colour, QString("c%1").arg(101 + k), m_stripeBox);
        connect(m_swatches[k], &CColorSwatch::colourChanged, this, [] { RedrawAfterButtonRelease(0); });
    }
    // Highest stripe on top; each boundary label between its two stripes.
    for (int k = 19; k >= 0; --k) stripes->addWidget(m_swatches[k], 2 * (19 - k), 0, 2, 1);
    for (int k = 1; k <= 19; ++k) {
        m_labels[k - 1] = new QLabel(m_stripeBox);
        m_labels[k - 1]->setObjectName(QString("label%1").arg(k));
        stripes->addWidget(m_labels[k - 1], 2 * (19 - k) + 1, 1, 2, 1);
    }
    auto* stripeRow = new QHBoxLayout;
    stripeRow->addWidget(m_stripeBox);

    m_presets = new QWidget(m_colourGroup);
    auto* presetLayout = new QVBoxLayout(m_presets);
    const char* presetTexts[7] = {"赤階調", "緑階調", "地図", "迷彩", "初期化", "青→赤", "白→黒"};
    for (int k = 0; k < 8; ++k) {
        auto* b = new QPushButton(k < 7 ? U(presetTexts[k]) : U("色指定"), m_presets);
        b->setObjectName(QString::number(1214 + k));
        b->setAutoDefault(false);
        presetLayout->addWidget(b);
        if (k < 7) {
            connect(b, &QPushButton::clicked, this, [this, k] {
                ApplyBandPreset(P(), static_cast<BandPreset>(k));
                TurnBandsOnAndRedraw();
                Sync();
            });
        } else {
            connect(b, &QPushButton::clicked, this, [this] {
                CGcolSet picker(this);
                picker.exec();
                Sync();
            });
        }
    }
    presetLayout->addStretch();
    stripeRow->addWidget(m_presets);

    // Pages of the other modes over the placeholder.
    m_pages = new QStackedWidget(m_colourGroup);
    m_pages->setObjectName("1249");
    m_pages->addWidget(new QWidget(m_pages));
    m_planePage = new CSlopePlaneDlg(m_pages);
    m_birdsEyePage = new CBirdsEyeColorDlg(m_pages);
    m_slopePage = new CSlopeBandDlg(m_pages);
    m_pages->addWidget(m_planePage);
    m_pages->addWidget(m_birdsEyePage);
    m_pages->addWidget(m_slopePage);
    stripeRow->addWidget(m_pages);
    colourLayout->addLayout(stripeRow);
    auto* waterRow = new QHBoxLayout;
    waterRow->addWidget(new QLabel(U("水面"), m_colourGroup));
    m_swatches[20]->setParent(m_colourGroup);
    waterRow->addWidget(m_swatches[20]);
    waterRow->addStretch();
    colourLayout->addLayout(waterRow);
    layout->addWidget(m_colourGroup);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("1");
    auto* cancel = new QPushButton(U("キャンセル"), this);
    cancel->setObjectName("2");
    cancel->setAutoDefault(false);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &CColorBandDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CColorBandDlg::reject);

    SetColorBandFieldsRefresher([this] { Sync(); });
    SetColorBandGizmoChangedHandler(RefreshColorBandFields);
    Sync();
}

CColorBandDlg::~CColorBandDlg() {
    if (g_instance == this) {
        g_instance = nullptr;
        SetColorBandFieldsRefresher(nullptr);
    }
    ClearToolWindow(ToolWindow::kColorBand, this);
}

CColorBandDlg* CColorBandDlg::Instance() { return g_instance; }

void CColorBandDlg::Install(QWidget* frame) {
    g_frame = frame;
    SetColorBandDialogFactories(
        [] {
            auto* dialog = new CColorBandDlg(g_frame.data());
            dialog->show();
        },
        [] {
            auto* dialog = new CVertexColorBandDlg(g_frame.data());
            dialog->show();
        });
}

void CColorBandDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_placed || !parentWidget()) return;
    m_placed = true;
    // Bottom-right corner 80 px left of and 50 px above the main window's.
    const QRect main = parentWidget()->window()->frameGeometry();
    const QRect own = frameGeometry();
    move(main.right() - 80 - own.width(), main.bottom() - 50 - own.height());
}

void CColorBandDlg::SelectMode(int mode) {
    SelectColorBandMode(P(), mode);
    Sync();
    RedrawAfterButtonRelease(0);
}

void CColorBandDlg::EditLimit(int which, QLineEdit* edit) {
    if (!EditBandLimitText(P(), static_cast<BandLimitEdit>(which), edit->text().toStdString())) return;
    Sync();
    RedrawAfterEdit();
}

void CColorBandDlg::Sync() {
    const ColorBandParams& p = P();
    const int mode = std::clamp(p.mode, 0, 3);
    for (int m = 0; m < 4; ++m) {
        const QSignalBlocker block(m_mode[m]);
        m_mode[m]->setChecked(m == mode);
    }
    for (int k = 0; k < 2; ++k) {
        const QSignalBlocker block(m_reference[k]);
        m_reference[k]->setChecked((p.refInclined != 0) == (k == 1));
    }
    const ColorBandTexts t = FormatColorBandTexts(p);
    const std::string* limitTexts[4] = {&t.centre, &t.highest, &t.lowest, &t.step};
    for (int k = 0; k < 4; ++k) SetText(m_limits[k], *limitTexts[k]);
    m_dataHighest->setText(U(t.dataHighest));
    m_dataLowest->setText(U(t.dataLowest));
    for (int k = 0; k < 19; ++k) m_labels[k]->setText(U(t.labels[k]));

    const bool limitsOn = BandLimitEditsEnabled(mode);
    for (QLineEdit* e : m_limits) e->setEnabled(limitsOn);
    for (QRadioButton* r : m_reference) r->setEnabled(limitsOn);
    m_flags[3]->setEnabled(mode == 2);
    m_flags[4]->setEnabled(mode == 2);

    SetChecked(m_shown, g_colorBandOn != 0);
    const int32_t flags[5] = {p.textColourChange, p.shading, p.holesHidden, p.planOnly, p.useVertexColours};
    for (int k = 0; k < 5; ++k) SetChecked(m_flags[k], flags[k] != 0);
    SetChecked(m_water, p.waterShown != 0);
    SetChecked(m_waterAbove, p.waterShown < 0);
    SetChecked(m_waterTransparent, p.waterTransparent != 0);
    if (!m_waterLevel->hasFocus()) SetText(m_waterLevel, QString::number(p.waterLevel, 'f', 3).toStdString());

    m_colourGroup->setTitle(U(ColorBandGroupTitle(mode)));
    for (CColorSwatch* s : m_swatches) s->Refresh();
    m_stripeBox->setVisible(mode == 0);
    m_presets->setVisible(mode == 0);
    m_pages->setVisible(mode != 0);
    m_pages->setCurrentIndex(mode);
    m_planePage->Sync();
    m_birdsEyePage->Sync();
    m_slopePage->Sync();
}

void CColorBandDlg::accept() {
    if (m_closing) return;
    ColorBandOk();
    Finish();
}

void CColorBandDlg::reject() {
    if (m_closing) return;
    ColorBandCancel();
    Finish();
}

// The close box cancels, as キャンセル does.
void CColorBandDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    reject();
}

// Closed by 段彩表示 or before another tool: the record stays as edited.
void CColorBandDlg::CloseToolWindow() { Finish(); }

void CColorBandDlg::Finish() {
    if (m_closing) return;
    m_closing = true;
    if (g_instance == this) {
        g_instance = nullptr;
        SetColorBandFieldsRefresher(nullptr);
    }
    ClearToolWindow(ToolWindow::kColorBand, this);
    hide();
    deleteLater();
}
