#include "exchange/ui/map_import_dialogs.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "exchange/alignment_xml_command.h"
#include "model/ui/zone_select_dialog.h"
#include "model/zone_dialog.h"
#include "shell/command_routing.h"
#include "shell/ui/color_combo.h"
#include "shell/ui/dialog_keys.h"

namespace {
// The row controls' ids: layer edit and colour combo.
constexpr int kRowIds[kHtfRows][2] = {{1179, 1181}, {1180, 1182}, {1198, 1199}, {1184, 1185}, {1200, 1201},
                                      {1202, 1203}, {1204, 1205}, {1206, 1207}, {1208, 1209}, {1210, 1211}};

QPointer<QWidget> g_frame;

QString Id(int id) { return QString::number(id); }
}  // namespace

CHTF_inp::CHTF_inp(QWidget* parent) : QDialog(parent) {
    setWindowTitle("HTF input");
    setObjectName("CHTF_inp");
    m_values = OpenHtfInput();
    DialogKeyFilter* keys = InstallDialogKeyFilter(this);
    keys->BindFlags(&m_values.enterPressed, &m_values.escapePressed);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("レイヤ"), 0, 1);
    grid->addWidget(new QLabel("色番号"), 0, 2);
    for (int r = 0; r < kHtfRows; ++r) {
        grid->addWidget(new QLabel(QString::fromUtf8(kHtfRowLabels[r])), r + 1, 0);
        auto* layer = new QLineEdit(QString::number(m_values.layer[r]));
        layer->setObjectName(Id(kRowIds[r][0]));
        connect(layer, &QLineEdit::editingFinished, this,
                [this, r, layer] { HtfLayerLostFocus(m_values, r, layer->text().toStdString()); });
        auto* colour = new CColorComboBox;
        colour->setObjectName(Id(kRowIds[r][1]));
        FillPaletteColorCombo(*colour, m_values.colour[r]);
        connect(colour, &QComboBox::currentIndexChanged, this, [this, r](int index) {
            if (index >= 0) m_values.colour[r] = index;
        });
        grid->addWidget(layer, r + 1, 1);
        grid->addWidget(colour, r + 1, 2);
        m_layers[r] = layer;
        m_colours[r] = colour;
    }

    auto* zoneButton = new QPushButton("座標系指定");
    zoneButton->setObjectName(Id(1177));
    zoneButton->setAutoDefault(false);
    m_zone = new QLabel(QString::fromStdString(HtfZoneText()));
    m_zone->setObjectName(Id(1178));
    connect(zoneButton, &QPushButton::clicked, this, &CHTF_inp::OnZoneSelect);
    m_textHeight = new QLineEdit(QString::fromStdString(HtfTextHeightLostFocus(m_values, "")));
    m_textHeight->setObjectName(Id(1183));
    connect(m_textHeight, &QLineEdit::editingFinished, this, [this] {
        m_textHeight->setText(QString::fromStdString(HtfTextHeightLostFocus(m_values, m_textHeight->text().toStdString())));
    });
    auto* start = new QPushButton("開始");
    start->setObjectName(Id(1132));
    start->setAutoDefault(false);
    connect(start, &QPushButton::clicked, this, [this] {
        // What the edits show is what runs, even when the last one never lost the focus.
        for (int r = 0; r < kHtfRows; ++r) HtfLayerLostFocus(m_values, r, m_layers[r]->text().toStdString());
        HtfTextHeightLostFocus(m_values, m_textHeight->text().toStdString());
        OnStartButton(this);
    });
    auto* abort = new QPushButton("中止");
    abort->setObjectName(Id(1224));
    abort->setAutoDefault(false);
    connect(abort, &QPushButton::clicked, this, [this] { OnAbortButton(this); });

    auto* zoneRow = new QHBoxLayout;
    zoneRow->addWidget(zoneButton);
    zoneRow->addWidget(m_zone);
    auto* heightRow = new QHBoxLayout;
    heightRow->addWidget(new QLabel("文字高"));
    heightRow->addWidget(m_textHeight);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(start);
    buttons->addWidget(abort);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(zoneRow);
    layout->addLayout(grid);
    layout->addLayout(heightRow);
    layout->addLayout(buttons);
}

void CHTF_inp::OnZoneSelect() {
    CZoneSelectDlg dialog(HtfZoneDialogValues(), this);
    dialog.exec();
    m_zone->setText(QString::fromStdString(HtfZoneChosen(dialog.Values())));
}

int CHTF_inp::Run(HtfInputValues& values, QWidget* parent) {
    CHTF_inp dialog(parent);
    const int result = dialog.exec();
    values = dialog.Values();
    return result;
}

void InstallMapImportCommands(QWidget* frame, FrameCommandTarget& commands) {
    g_frame = frame;
    SetTrackZoneDialog([](ZoneSelectValues& values) { return CZoneSelectDlg::Run(values, g_frame); });
    commands.SetHandler(33072, [] { RunRoadGmXmlRead(); });
    commands.SetHandler(33032, [] {
        RunHtfMapSelect([](HtfInputValues& values) { return CHTF_inp::Run(values, g_frame) != kDialogAborted; });
    });
}
