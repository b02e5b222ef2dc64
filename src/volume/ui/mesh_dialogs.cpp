#include "volume/ui/mesh_dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "model/document_toggles.h"
#include "model/numeric_text.h"
#include "model/terrain_data.h"
#include "platform/text_io.h"
#include "shell/tool_commands.h"
#include "shell/ui/enter_as_tab.h"
#include "volume/mesh_area.h"
#include "volume/mesh_area_tool.h"
#include "volume/mesh_data.h"
#include "volume/mesh_node_edit.h"
#include "volume/mesh_text_command.h"

namespace {
QString U(const char* utf8) { return QString::fromUtf8(utf8); }
QString U(const std::string& utf8) { return QString::fromStdString(utf8); }

QPushButton* Button(QWidget* owner, const char* text, const char* id) {
    auto* b = new QPushButton(U(text), owner);
    b->setObjectName(id);
    b->setAutoDefault(false);
    return b;
}

QRadioButton* Radio(QWidget* owner, QButtonGroup* group, const char* text, const char* id, int value) {
    auto* r = new QRadioButton(U(text), owner);
    r->setObjectName(id);
    group->addButton(r, value);
    return r;
}

QHBoxLayout* ButtonRow(std::initializer_list<QWidget*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QWidget* b : buttons) row->addWidget(b);
    return row;
}

QPointer<QWidget> g_meshFrame;
}  // namespace

// ---- メッシュ登録 (176) ----

CMeshRegisterDlg::CMeshRegisterDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("meshRegisterDialog");
    setWindowTitle(U("メッシュ登録"));
    auto* fresh = Button(this, "新規登録", "newRegistration");
    auto* edit = Button(this, "編集", "edit");
    connect(fresh, &QPushButton::clicked, this, [this] {
        m_choice = MeshRegisterChoice::kNewRegistration;
        accept();
    });
    connect(edit, &QPushButton::clicked, this, [this] {
        m_choice = MeshRegisterChoice::kEdit;
        accept();
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(U("メッシュエリアが登録されています。"), this));
    layout->addLayout(ButtonRow({fresh, edit}));
}

MeshRegisterChoice CMeshRegisterDlg::Run(QWidget* parent) {
    CMeshRegisterDlg dlg(parent);
    dlg.exec();
    return dlg.m_choice;
}

// ---- メッシュエリア設定 (158) ----

namespace {
struct AreaField {
    int32_t id;
    const char* label;
};
constexpr AreaField kAreaFields[8] = {{1032, "原点(X)"}, {1033, "原点(Y)"}, {1035, "回転角"},
                                      {1038, "方向角"},  {1036, "縦幅"},    {1037, "横幅"},
                                      {1039, "縦ﾋﾟｯﾁ"},  {1040, "横ﾋﾟｯﾁ"}};
}  // namespace

CMeshAreaDlg::CMeshAreaDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("meshAreaDialog");
    setWindowTitle(U("メッシュエリア設定"));
    auto* grid = new QGridLayout;
    for (int i = 0; i < 8; ++i) {
        const AreaField f = kAreaFields[i];
        grid->addWidget(new QLabel(U(f.label), this), i, 0);
        m_fields[i] = new QLineEdit(this);
        m_fields[i]->setObjectName(QString::number(f.id));
        grid->addWidget(m_fields[i], i, 1);
        connect(m_fields[i], &QLineEdit::editingFinished, this, [this, i, id = f.id] {
            SetMeshAreaField(id, m_fields[i]->text().toStdString());
            Refresh();
        });
    }
    auto* ok = Button(this, "ＯＫ", "1");
    ok->setProperty("enterActs", true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(ButtonRow({ok}));
    InstallEnterAsTab(this);
    Refresh();
}

void CMeshAreaDlg::Refresh() {
    for (int i = 0; i < 8; ++i) m_fields[i]->setText(U(MeshAreaFieldText(kAreaFields[i].id)));
}

void CMeshAreaDlg::Run(QWidget* parent) {
    CMeshAreaDlg dlg(parent);
    dlg.exec();
}

// ---- メッシュ計算範囲 (173) ----

CMeshRangeDlg::CMeshRangeDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("meshRangeDialog");
    setWindowTitle(U("メッシュ計算範囲"));
    auto* edit = Button(this, "編集", "edit");
    auto* init = Button(this, "初期化", "initialise");
    auto* remove = Button(this, "削除", "delete");
    const bool haveRange = g_meshAreaPolygonCount > 0;
    init->setEnabled(haveRange);
    remove->setEnabled(haveRange);
    connect(edit, &QPushButton::clicked, this, [this] { done(0); });
    connect(init, &QPushButton::clicked, this, [this] { done(1); });
    connect(remove, &QPushButton::clicked, this, [this] { done(2); });
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(ButtonRow({edit, init, remove}));
}

int CMeshRangeDlg::Run(QWidget* parent) {
    CMeshRangeDlg dlg(parent);
    return dlg.exec();
}

// Escape (and the close button) count as 削除.
void CMeshRangeDlg::reject() { done(2); }

// ---- メッシュ標高編集 (175) ----

CMeshElevationEditDlg::CMeshElevationEditDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("meshElevationEditDialog");
    setWindowTitle(U("メッシュ標高編集"));
    m_elevation = new QLineEdit(this);
    m_elevation->setObjectName("1069");
    m_missing = new QCheckBox(U("欠損"), this);
    m_missing->setObjectName("1072");
    m_position = new QLabel(this);
    m_position->setObjectName("1082");
    static constexpr struct {
        const char* text;
        const char* id;
        MeshNodeStep step;
    } kSteps[4] = {{"↑", "1077", MeshNodeStep::kColumnUp},
                   {"↓", "1078", MeshNodeStep::kColumnDown},
                   {"→", "1079", MeshNodeStep::kRowUp},
                   {"←", "1080", MeshNodeStep::kRowDown}};
    for (int i = 0; i < 4; ++i) {
        m_steps[i] = Button(this, kSteps[i].text, kSteps[i].id);
        connect(m_steps[i], &QPushButton::clicked, this, [this, step = kSteps[i].step] {
            StepMeshEditNode(step);
            Refresh();
        });
    }
    auto* close = Button(this, "閉じる", "1133");
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_elevation, &QLineEdit::editingFinished, this, [this] {
        SetMeshEditNodeElevation(m_elevation->text().toStdString());
        Refresh();
    });
    connect(m_missing, &QCheckBox::clicked, this, [this](bool checked) {
        SetMeshEditNodeMissing(checked);
        Refresh();
    });
    auto* arrows = new QGridLayout;
    arrows->addWidget(m_steps[0], 0, 1);
    arrows->addWidget(m_steps[3], 1, 0);
    arrows->addWidget(m_steps[2], 1, 2);
    arrows->addWidget(m_steps[1], 2, 1);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(U("標高"), this));
    top->addWidget(m_elevation);
    top->addWidget(m_missing);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_position);
    layout->addLayout(arrows);
    layout->addLayout(ButtonRow({close}));
    Refresh();
}

void CMeshElevationEditDlg::Refresh() {
    const MeshNodeEditView v = CurrentMeshNodeView();
    m_elevation->setText(U(v.elevation));
    m_missing->setChecked(v.missing);
    m_position->setText(U(v.position));
    for (int i = 0; i < 4; ++i) m_steps[i]->setEnabled(v.canStep[i]);
}

void CMeshElevationEditDlg::Run(QWidget* parent) {
    CMeshElevationEditDlg dlg(parent);
    dlg.exec();
}

// ---- メッシュ縦横断計算 (168) ----

CMeshSectionDlg::CMeshSectionDlg(QWidget* parent, MeshSectionValues& values) : QDialog(parent) {
    setObjectName("meshSectionDialog");
    setWindowTitle(U("メッシュ縦横断計算"));
    auto* sourceBox = new QGroupBox(this);
    auto* sourceLayout = new QHBoxLayout(sourceBox);
    auto* sources = new QButtonGroup(this);
    QRadioButton* tin = Radio(this, sources, "三角網", "1163", kMeshSectionsFromTin);
    QRadioButton* contours = Radio(this, sources, "等高線", "1131", kMeshSectionsFromContours);
    tin->setEnabled(values.tinEnabled);
    contours->setEnabled(values.contoursEnabled);
    (values.source == kMeshSectionsFromTin ? tin : contours)->setChecked(true);
    sourceLayout->addWidget(tin);
    sourceLayout->addWidget(contours);
    connect(sources, &QButtonGroup::idClicked, this, [&values](int id) { values.source = id; });

    auto* nodeBox = new QGroupBox(this);
    auto* nodeLayout = new QHBoxLayout(nodeBox);
    auto* nodes = new QButtonGroup(this);
    QRadioButton* crossings = Radio(this, nodes, "等高線,三角網の交点", "1054", 0);
    QRadioButton* meshPoints = Radio(this, nodes, "メッシュ点", "1055", -1);
    QRadioButton* both = Radio(this, nodes, "両方", "1056", 1);
    meshPoints->setEnabled(values.nodeOptionsEnabled);
    both->setEnabled(values.nodeOptionsEnabled);
    (values.nodeOption == 1 ? both : values.nodeOption == -1 ? meshPoints : crossings)->setChecked(true);
    for (QRadioButton* r : {crossings, meshPoints, both}) nodeLayout->addWidget(r);
    connect(nodes, &QButtonGroup::idClicked, this, [&values](int id) { values.nodeOption = id; });

    auto* directionBox = new QGroupBox(this);
    auto* directionLayout = new QHBoxLayout(directionBox);
    auto* directions = new QButtonGroup(this);
    QRadioButton* along = Radio(this, directions, "縦", "1057", 0);
    QRadioButton* across = Radio(this, directions, "横", "1058", 1);
    (values.direction == 1 ? across : along)->setChecked(true);
    directionLayout->addWidget(along);
    directionLayout->addWidget(across);
    connect(directions, &QButtonGroup::idClicked, this, [&values](int id) {
        values.direction = id;
        g_meshSectionDirection = id;
    });

    auto* names = new QGridLayout;
    const struct {
        const char* label;
        const char* id;
        int32_t* style;
    } kStyles[2] = {{"縦", "1060", &g_meshStationNameStyleV}, {"横", "1061", &g_meshStationNameStyleH}};
    for (int i = 0; i < 2; ++i) {
        auto* combo = new QComboBox(this);
        combo->setObjectName(kStyles[i].id);
        combo->addItems({U("数字"), U("アルファベット")});
        combo->setCurrentIndex(*kStyles[i].style == 1 ? 1 : 0);
        connect(combo, &QComboBox::currentIndexChanged, this,
                [style = kStyles[i].style](int index) { *style = index == 1 ? 1 : 0; });
        names->addWidget(new QLabel(U(kStyles[i].label), this), i, 0);
        names->addWidget(combo, i, 1);
    }

    auto* start = Button(this, "開始", "1132");
    auto* stop = Button(this, "中止", "1224");
    connect(start, &QPushButton::clicked, this, &QDialog::accept);
    connect(stop, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sourceBox);
    layout->addWidget(nodeBox);
    layout->addWidget(directionBox);
    layout->addLayout(names);
    layout->addLayout(ButtonRow({start, stop}));
}

bool CMeshSectionDlg::Run(QWidget* parent, MeshSectionValues& values) {
    CMeshSectionDlg dlg(parent, values);
    return dlg.exec() == QDialog::Accepted;
}

// ---- メッシュテキストファイル取り込み設定 (179) ----

CMeshTextImportDlg::CMeshTextImportDlg(QWidget* parent, MeshTextImportValues& values) : QDialog(parent) {
    setObjectName("meshTextImportDialog");
    setWindowTitle(U("メッシュテキストファイル取り込み設定"));
    auto* rules = new QButtonGroup(this);
    QRadioButton* lowest = Radio(this, rules, "最低標高を登録", "lowest", kMeshTextLowest);
    QRadioButton* highest = Radio(this, rules, "最高標高を登録", "highest", kMeshTextHighest);
    QRadioButton* given = Radio(this, rules, "指定標高を登録", "given", kMeshTextGiven);
    auto* elevation = new QLineEdit(U(FormatString("%.3f", values.elevation)), this);
    elevation->setObjectName("elevation");
    (values.rule == kMeshTextHighest ? highest : values.rule == kMeshTextGiven ? given : lowest)
        ->setChecked(true);
    elevation->setEnabled(values.rule == kMeshTextGiven);
    connect(rules, &QButtonGroup::idClicked, this, [&values, elevation](int id) {
        values.rule = id;
        elevation->setEnabled(id == kMeshTextGiven);
    });
    connect(elevation, &QLineEdit::editingFinished, this, [&values, elevation] {
        double z = 0;
        if (ParseDialogNumber(elevation->text().toStdString(), &z)) values.elevation = z;
        elevation->setText(U(FormatString("%.3f", values.elevation)));
    });
    auto* start = Button(this, "開始", "start");
    auto* stop = Button(this, "中止", "stop");
    start->setProperty("enterActs", true);
    stop->setProperty("enterActs", true);
    connect(start, &QPushButton::clicked, this, &QDialog::accept);
    connect(stop, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lowest);
    layout->addWidget(highest);
    auto* givenRow = new QHBoxLayout;
    givenRow->addWidget(given);
    givenRow->addWidget(elevation);
    layout->addLayout(givenRow);
    layout->addLayout(ButtonRow({start, stop}));
    InstallEnterAsTab(this);
}

bool CMeshTextImportDlg::Run(QWidget* parent, MeshTextImportValues& values) {
    CMeshTextImportDlg dlg(parent, values);
    return dlg.exec() == QDialog::Accepted;
}

// ---- メッシュクリップボード出力 (274) ----

CMeshHClip::CMeshHClip(QWidget* parent, MeshClipboardValues& values) : QDialog(parent) {
    setObjectName("meshClipboardDialog");
    setWindowTitle(U("メッシュクリップボード出力"));
    values = MeshClipboardValues{};
    auto* missing = new QCheckBox(U("欠損点を出力する"), this);
    missing->setObjectName("outputMissing");
    connect(missing, &QCheckBox::toggled, this, [&values](bool on) { values.outputMissing = on; });
    auto* orders = new QButtonGroup(this);
    QRadioButton* rows = Radio(this, orders, "原点を起点に縦並び", "fromOrigin", 0);
    QRadioButton* columns = Radio(this, orders, "左上を起点に横並び", "fromTopLeft", 1);
    rows->setChecked(true);
    connect(orders, &QButtonGroup::idClicked, this, [&values](int id) { values.order = id; });
    auto* start = Button(this, "開始", "start");
    auto* stop = Button(this, "中止", "stop");
    connect(start, &QPushButton::clicked, this, &QDialog::accept);
    connect(stop, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(missing);
    layout->addWidget(rows);
    layout->addWidget(columns);
    layout->addLayout(ButtonRow({start, stop}));
}

bool CMeshHClip::Run(QWidget* parent, MeshClipboardValues& values) {
    CMeshHClip dlg(parent, values);
    return dlg.exec() == QDialog::Accepted;
}

// ---- メッシュテキスト形式の指定 (235) ----

CMeshTextFormatDlg::CMeshTextFormatDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("meshTextFormatDialog");
    setWindowTitle(U("メッシュテキスト形式の指定"));
    auto* csv = Button(this, "カンマ区切り(CSV)", "1114");
    auto* numbered = Button(this, "スペース区切り(点番号付)", "1115");
    connect(csv, &QPushButton::clicked, this, [this] { done(0); });
    connect(numbered, &QPushButton::clicked, this, [this] { done(1); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(csv);
    layout->addWidget(numbered);
}

int32_t CMeshTextFormatDlg::Run(QWidget* parent) {
    CMeshTextFormatDlg dlg(parent);
    // Closing it otherwise (reject gives 0) counts as the numbered form.
    bool csvChosen = false;
    QObject::connect(dlg.findChild<QPushButton*>("1114"), &QPushButton::clicked, &dlg,
                     [&csvChosen] { csvChosen = true; });
    dlg.exec();
    return csvChosen ? 0 : 1;
}

// ---- Installation ----

void InstallMeshDialogs(QWidget* frame, FrameCommandTarget& commands,
                        std::function<void()> saveRouteDocument) {
    g_meshFrame = frame;
    auto parent = [] { return g_meshFrame.data(); };
    MeshRegisterQuestionRunner() = [parent] { return CMeshRegisterDlg::Run(parent()); };
    MeshAreaDialogRunner() = [parent] { CMeshAreaDlg::Run(parent()); };
    MeshElevationEditRunner() = [parent] { CMeshElevationEditDlg::Run(parent()); };
    MeshTextFormatDialogRunner() = [parent] { return CMeshTextFormatDlg::Run(parent()); };
    ToolServices().runMeshRangeDialog = [parent] { return CMeshRangeDlg::Run(parent()); };
    ToolServices().initMeshAreaPolygon = InitMeshAreaPolygon;

    commands.SetHandler(33057, [parent] {
        OnImportMeshText([parent](MeshTextImportValues& v) { return CMeshTextImportDlg::Run(parent(), v); });
    });
    commands.SetUpdateRule(33057, [](CommandUpdate& u) { u.enabled = true; });
    commands.SetHandler(32848, [parent] {
        OnCopyMeshElevations([parent](MeshClipboardValues& v) { return CMeshHClip::Run(parent(), v); });
    });
    commands.SetUpdateRule(32848, UpdateNeedsMesh);
    commands.SetHandler(33016, OnCopyMeshVolumes);
    commands.SetUpdateRule(33016, UpdateMeshVolumeClipboard);
    commands.SetHandler(32841, OnExportMeshAsRandom);
    commands.SetUpdateRule(32841, UpdateNeedsMesh);
    commands.SetHandler(32888, [parent, saveRouteDocument] {
        OnMeshSectionCalc([parent](MeshSectionValues& v) { return CMeshSectionDlg::Run(parent(), v); },
                          saveRouteDocument);
    });
    commands.SetUpdateRule(32888, [](CommandUpdate& u) {
        u.enabled = g_meshAreaDefined != 0 && (g_tinPresent != 0 || g_drawingContoursLoaded != 0);
    });
}

void UninstallMeshDialogs() {
    g_meshFrame = nullptr;
    MeshRegisterQuestionRunner() = nullptr;
    MeshAreaDialogRunner() = nullptr;
    MeshElevationEditRunner() = nullptr;
    MeshTextFormatDialogRunner() = nullptr;
    ToolServices().runMeshRangeDialog = nullptr;
    ToolServices().initMeshAreaPolygon = nullptr;
}
