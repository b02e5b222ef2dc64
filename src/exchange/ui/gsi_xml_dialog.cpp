#include "exchange/ui/gsi_xml_dialog.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <cstdio>

#include "exchange/delimited_text.h"
#include "exchange/map_xml_command.h"
#include "model/geodesy.h"
#include "model/ui/zone_select_dialog.h"
#include "model/zone_dialog.h"
#include "shell/command_routing.h"
#include "shell/ui/color_combo.h"
#include "shell/ui/dialog_keys.h"

namespace {

// Template ids of each row's layer edit and colour combo.
constexpr int kLayerIds[kGsiRowCount] = {1179, 1180, 1184, 1186, 1188, 1190, 1192, 1194, 1196, 1198};
constexpr int kColourIds[kGsiRowCount] = {1181, 1182, 1185, 1187, 1189, 1191, 1193, 1195, 1197, 1199};

QString Zone() { return QString::asprintf("[ %d ]", static_cast<int>(g_planeZone)); }

QPointer<QWidget> g_frame;

}  // namespace

CXML_inp::CXML_inp(GsiXmlOptions& options, QWidget* parent) : QDialog(parent), m_options(options) {
    setObjectName("280");
    setWindowTitle("XML input");
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QString::fromUtf8("レイヤ"), this), 0, 1);
    grid->addWidget(new QLabel(QString::fromUtf8("色番号"), this), 0, 2);
    for (int r = 0; r < kGsiRowCount; ++r) {
        grid->addWidget(new QLabel(QString::fromUtf8(GsiXmlRowLabel(r)), this), r + 1, 0);
        auto* layer = new QLineEdit(QString::number(m_options.rows[r].layer), this);
        layer->setObjectName(QString::number(kLayerIds[r]));
        layer->installEventFilter(this);
        grid->addWidget(layer, r + 1, 1);
        m_layers[r] = layer;
        auto* colour = new CColorComboBox(this);
        colour->setObjectName(QString::number(kColourIds[r]));
        FillPaletteColorCombo(*colour, m_options.rows[r].colour);
        connect(colour, &QComboBox::currentIndexChanged, this,
                [this, r](int index) { m_options.rows[r].colour = index; });
        grid->addWidget(colour, r + 1, 2);
        m_colours[r] = colour;
    }
    int row = kGsiRowCount + 1;
    auto* zoneButton = new QPushButton(QString::fromUtf8("座標系指定"), this);
    zoneButton->setObjectName("1177");
    connect(zoneButton, &QPushButton::clicked, this, [this] { OnZoneSelect(); });
    m_zone = new QLabel(this);
    m_zone->setObjectName("1178");
    grid->addWidget(zoneButton, row, 0);
    grid->addWidget(m_zone, row, 1);
    ++row;
    grid->addWidget(new QLabel(QString::fromUtf8("文字高さ"), this), row, 0);
    m_height = new QLineEdit(QString::fromStdString(GsiXmlTextHeightText(m_options.textHeight)), this);
    m_height->setObjectName("1183");
    m_height->installEventFilter(this);
    grid->addWidget(m_height, row, 1);
    ++row;
    auto* start = new QPushButton(QString::fromUtf8("開始"), this);
    start->setObjectName("1132");
    auto* abort = new QPushButton(QString::fromUtf8("中止"), this);
    abort->setObjectName("1224");
    connect(start, &QPushButton::clicked, this, [this] {
        // A value typed and not yet left counts.
        for (int r = 0; r < kGsiRowCount; ++r)
            GsiXmlLayerLostFocus(m_options, r, m_layers[r]->text().toStdString());
        m_height->setText(QString::fromStdString(
            GsiXmlTextHeightLostFocus(m_options, m_height->text().toStdString())));
        OnStartButton(this);
    });
    connect(abort, &QPushButton::clicked, this, [this] { OnAbortButton(this); });
    grid->addWidget(start, row, 1);
    grid->addWidget(abort, row, 2);
    DialogKeyFilter* keys = InstallDialogKeyFilter(this);
    keys->BindFlags(&enterPressed, &escapePressed);
    ShowZone();
}

void CXML_inp::ShowZone() { m_zone->setText(Zone()); }

void CXML_inp::OnZoneSelect() {
    ZoneSelectValues values;
    values.m_zone = g_planeZone;
    values.m_datumSelection = 1;
    values.m_convertDatum = 1;
    values.m_dataDatum = g_useWorldDatum;
    // However the zone dialog ends, its zone and datum are taken.
    CZoneSelectDlg::Run(values, this);
    g_planeZone = values.m_zone;
    g_useWorldDatum = values.m_dataDatum == 1 ? 1 : 0;
    ShowZone();
}

bool CXML_inp::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        for (int r = 0; r < kGsiRowCount; ++r)
            if (watched == m_layers[r]) GsiXmlLayerLostFocus(m_options, r, m_layers[r]->text().toStdString());
        if (watched == m_height)
            m_height->setText(QString::fromStdString(
                GsiXmlTextHeightLostFocus(m_options, m_height->text().toStdString())));
    }
    return QDialog::eventFilter(watched, event);
}

int CXML_inp::Run(GsiXmlOptions& options, QWidget* parent) {
    CXML_inp dialog(options, parent);
    return dialog.exec();
}

void InstallMapXmlCommands(QWidget* frame, FrameCommandTarget& commands,
                           std::function<void()> refreshHeightScale) {
    g_frame = frame;
    SetGsiXmlOptionsDialog([](GsiXmlOptions& options) { return CXML_inp::Run(options, g_frame); });
    commands.SetHandler(33030, [] { OnGsiXmlSelect(); });
    commands.SetHandler(33044, [] { OnGsiXmlMeshImport(); });
    commands.SetHandler(33070, [refreshHeightScale] { OnGsiXmlMeshRead(refreshHeightScale); });
}
