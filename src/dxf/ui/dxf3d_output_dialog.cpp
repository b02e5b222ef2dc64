#include "dxf/ui/dxf3d_output_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "dxf/dxf3d_output.h"
#include "dxf/dxf3d_output_command.h"
#include "platform/file_dialog.h"
#include "shell/command_routing.h"
#include "shell/ui/enter_as_tab.h"
#include "shell/work_folder.h"

namespace {
QString U(const char* text) { return QString::fromUtf8(text); }

// A row of radio buttons that set `option` to their index at once.
QGroupBox* RadioRow(QWidget* parent, const char* title, std::initializer_list<std::pair<const char*, int>> buttons,
                    int32_t* option, std::vector<QRadioButton*>* made = nullptr) {
    auto* box = new QGroupBox(U(title), parent);
    auto* row = new QHBoxLayout(box);
    auto* group = new QButtonGroup(box);
    int value = 0;
    for (const auto& [text, id] : buttons) {
        auto* r = new QRadioButton(U(text), box);
        r->setObjectName(QString::number(id));
        group->addButton(r, value);
        row->addWidget(r);
        if (*option == value) r->setChecked(true);
        if (made) made->push_back(r);
        ++value;
    }
    QObject::connect(group, &QButtonGroup::idClicked, box, [option](int v) { *option = v; });
    return box;
}
}  // namespace

C3dDxfOutputDlg::C3dDxfOutputDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("dxf3dOutputDialog");
    setWindowTitle(U("３Ｄ＿ＤＸＦ出力"));
    // OnInitDialog
    SetToolWindow(ToolWindow::kDxfOutput, this);
    InitDxf3dOutputDialog();

    auto check = [this](const char* text, int id, bool on) {
        auto* c = new QCheckBox(U(text), this);
        c->setObjectName(QString::number(id));
        c->setChecked(on);
        return c;
    };
    auto* choose = new QGroupBox(U("出力指定"), this);
    auto* chooseRows = new QVBoxLayout(choose);
    auto* checks = new QHBoxLayout;
    m_contours = check("等高線", 1131, g_dxf3dContours != 0);
    m_tin = check("三角網", 1163, g_dxf3dTin != 0);
    m_outline = check("外周", 1183, g_dxf3dOutline == 1);
    checks->addWidget(m_contours);
    checks->addWidget(m_tin);
    checks->addWidget(m_outline);
    chooseRows->addLayout(checks);
    chooseRows->addWidget(RadioRow(choose, "等高線ﾃﾞｰﾀ型", {{"LINE", 1164}, {"POLYLINE", 1165}, {"LWPOLYLINE", 1182}},
                                   &g_dxf3dContourKind));
    chooseRows->addWidget(RadioRow(choose, "三角網ﾃﾞｰﾀ型", {{"LINE", 1180}, {"3DFACE", 1181}}, &g_dxf3dTinKind));
    auto* coordRow = new QHBoxLayout;
    coordRow->addWidget(RadioRow(choose, "座標系", {{"公共", 1178}, {"図面", 1179}}, &g_dxf3dDrawingCoords));
    coordRow->addWidget(RadioRow(choose, "次元", {{"３Ｄ", 1242}, {"２Ｄ", 1243}}, &g_dxf3d2d));
    chooseRows->addLayout(coordRow);

    auto number = [this](QGridLayout* grid, int row, int column, const char* label, int id, int32_t* option) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::number(id));
        edit->setAlignment(Qt::AlignRight);
        edit->installEventFilter(this);
        grid->addWidget(new QLabel(U(label), this), row, column * 2);
        grid->addWidget(edit, row, column * 2 + 1);
        m_numbers.push_back({edit, option});
        return edit;
    };

    auto* contourBox = new QGroupBox(U("等高線レイヤ・色番号"), this);
    auto* contourRows = new QVBoxLayout(contourBox);
    m_layerPerElevation = check("標高値毎にレイヤ分け", 1235, g_dxf3dLayerPerElevation != 0);
    contourRows->addWidget(m_layerPerElevation);
    std::vector<QRadioButton*> units;
    contourRows->addWidget(RadioRow(contourBox, "レイヤ標高単位（整数値）", {{"m", 1236}, {"mm", 1237}},
                                    &g_dxf3dElevationUnitMm, &units));
    m_metres = units[0];
    m_millimetres = units[1];
    auto* contourGrid = new QGridLayout;
    number(contourGrid, 0, 0, "主曲線レイヤ", 1168, &g_dxf3dMainContourLayer);
    number(contourGrid, 0, 1, "主曲線色番号", 1169, &g_dxf3dMainContourColour);
    number(contourGrid, 1, 0, "計曲線レイヤ", 1172, &g_dxf3dIndexContourLayer);
    number(contourGrid, 1, 1, "計曲線色番号", 1173, &g_dxf3dIndexContourColour);
    contourRows->addLayout(contourGrid);

    auto* tinBox = new QGroupBox(U("三角網レイヤ・色番号"), this);
    auto* tinGrid = new QGridLayout(tinBox);
    number(tinGrid, 0, 0, "現況面レイヤ", 1174, &g_dxf3dExistingLayer);
    number(tinGrid, 0, 1, "現況面色番号", 1175, &g_dxf3dExistingColour);
    number(tinGrid, 1, 0, "計画面レイヤ", 1170, &g_dxf3dPlanLayer);
    number(tinGrid, 1, 1, "計画面色番号", 1171, &g_dxf3dPlanColour);
    number(tinGrid, 2, 0, "法面レイヤ", 1176, &g_dxf3dSlopeLayer);
    number(tinGrid, 2, 1, "法面色番号", 1177, &g_dxf3dSlopeColour);
    number(tinGrid, 3, 0, "水面レイヤ", 1187, &g_dxf3dWaterLayer);
    number(tinGrid, 3, 1, "水面色番号", 1188, &g_dxf3dWaterColour);
    number(tinGrid, 4, 0, "建物面レイヤ", 1189, &g_dxf3dBuildingLayer);
    number(tinGrid, 4, 1, "建物面色番号", 1190, &g_dxf3dBuildingColour);

    auto* outlineBox = new QGroupBox(U("外周レイヤ・色番号"), this);
    auto* outlineGrid = new QGridLayout(outlineBox);
    number(outlineGrid, 0, 0, "レイヤ", 1184, &g_dxf3dOutlineLayer);
    number(outlineGrid, 0, 1, "色番号", 1185, &g_dxf3dOutlineColour);

    auto* fileBox = new QGroupBox(U("ファイル名"), this);
    auto* fileRow = new QHBoxLayout(fileBox);
    m_path = new QLineEdit(fileBox);
    m_path->setObjectName("1167");
    auto* browse = new QPushButton(U("参照"), fileBox);
    browse->setObjectName("1192");
    browse->setAutoDefault(false);
    fileRow->addWidget(m_path, 1);
    fileRow->addWidget(browse);

    m_output = new QPushButton(U("出力"), this);
    m_output->setObjectName("1166");
    m_output->setDefault(true);
    m_output->setProperty("enterActs", true);
    auto* cancel = new QPushButton(U("ｷｬﾝｾﾙ"), this);
    cancel->setObjectName("2");
    cancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_output);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(choose);
    layout->addWidget(contourBox);
    layout->addWidget(tinBox);
    layout->addWidget(outlineBox);
    layout->addWidget(fileBox);
    layout->addLayout(buttons);

    connect(m_layerPerElevation, &QCheckBox::clicked, this, [this] { LayerPerElevationChanged(); });
    connect(m_path, &QLineEdit::textEdited, this,
            [](const QString& text) { g_dxf3dOutputPath = text.toStdString(); });
    connect(browse, &QPushButton::clicked, this, &C3dDxfOutputDlg::OnBrowse);
    connect(m_output, &QPushButton::clicked, this, &C3dDxfOutputDlg::OnDxfOutput);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    InstallEnterAsTab(this);

    const bool perElevation = g_dxf3dLayerPerElevation != 0;
    m_metres->setEnabled(perElevation);
    m_millimetres->setEnabled(perElevation);
    findChild<QLineEdit*>("1168")->setEnabled(!perElevation);
    findChild<QLineEdit*>("1172")->setEnabled(!perElevation);
    m_output->setEnabled(true);
    m_path->setText(QString::fromStdString(g_dxf3dOutputPath));
    ShowNumbers();
}

C3dDxfOutputDlg::~C3dDxfOutputDlg() { ClearToolWindow(ToolWindow::kDxfOutput, this); }

void C3dDxfOutputDlg::Install(QWidget* frame, FrameCommandTarget& commands) {
    commands.SetHandler(32849, [frame] {
        C3dDxfOutputDlg dialog(frame);
        dialog.exec();
    });
}

void C3dDxfOutputDlg::LayerPerElevationChanged() {
    g_dxf3dLayerPerElevation = g_dxf3dLayerPerElevation ? 0 : 1;
    const bool on = g_dxf3dLayerPerElevation != 0;
    m_layerPerElevation->setChecked(on);
    m_metres->setEnabled(on);
    m_millimetres->setEnabled(on);
    findChild<QLineEdit*>("1168")->setEnabled(!on);
    findChild<QLineEdit*>("1172")->setEnabled(!on);
}

void C3dDxfOutputDlg::NumberLeft(const NumberEdit& n) {
    *n.option = Dxf3dNumberFromText(n.edit->text().toStdString());
    n.edit->setText(QString::fromStdString(Dxf3dNumberText(*n.option)));
}

void C3dDxfOutputDlg::ShowNumbers() {
    // The control being typed into keeps what was typed until it is left.
    QWidget* focus = focusWidget();
    for (const NumberEdit& n : m_numbers)
        if (n.edit != focus || !n.edit->hasFocus()) {
            const QString text = QString::fromStdString(Dxf3dNumberText(*n.option));
            if (n.edit->text() != text) n.edit->setText(text);
        }
    if (m_path != focus || !m_path->hasFocus()) {
        const QString path = QString::fromStdString(g_dxf3dOutputPath);
        if (m_path->text() != path) m_path->setText(path);
    }
}

bool C3dDxfOutputDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut)
        for (const NumberEdit& n : m_numbers)
            if (n.edit == watched) NumberLeft(n);
    return QDialog::eventFilter(watched, event);
}

void C3dDxfOutputDlg::paintEvent(QPaintEvent* event) {
    ShowNumbers();
    QDialog::paintEvent(event);
}

void C3dDxfOutputDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        reject();
        return;
    }
    QDialog::mousePressEvent(event);
}

void C3dDxfOutputDlg::OnBrowse() {
    FileDialogRequest request;
    request.save = true;
    request.title = "ＤＸＦファイル名設定";
    request.filter = "ＤＸＦファイル (*.DXF)|*.DXF| すべてのファイル|*.*|";
    request.defaultExtension = "DXF";
    request.folder = g_workFolder;
    request.fileName = g_dxf3dOutputPath;
    const std::string path = RunFileDialog(request);
    if (path.empty()) return;
    g_lastFolder = FolderOfPath(path);
    g_dxf3dOutputPath = path;
    m_path->setText(QString::fromStdString(path));
}

void C3dDxfOutputDlg::OnDxfOutput() {
    // Enter on 出力 leaves the edit that had the focus before unread.
    for (const NumberEdit& n : m_numbers)
        if (n.edit->text() != QString::fromStdString(Dxf3dNumberText(*n.option))) NumberLeft(n);
    g_dxf3dOutputPath = m_path->text().toStdString();
    if (::OnDxfOutput(m_contours->isChecked(), m_tin->isChecked(), m_outline->isChecked())) accept();
}
