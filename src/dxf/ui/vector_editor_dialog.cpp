#include "dxf/ui/vector_editor_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "dxf/vector_editor.h"
#include "platform/encoding.h"
#include "shell/tool_commands.h"
#include "shell/ui/color_combo.h"
#include "shell/ui/dialog_keys.h"
#include "view/view_navigation.h"

namespace {
QString Utf8(const char* text) { return QString::fromUtf8(text); }
QString FromCp932(const std::string& bytes) { return QString::fromStdString(Cp932ToUtf8(bytes)); }

template <typename Button>
Button* AddButton(QWidget* parent, QButtonGroup* group, int id, const char* text) {
    auto* b = new Button(Utf8(text), parent);
    b->setObjectName(QString::number(id));
    if (group) group->addButton(b, id);
    return b;
}

// Tool buttons: pushed-in look, one of six.
QPushButton* ToolButton(QWidget* parent, QButtonGroup* group, int id, const char* text) {
    auto* b = AddButton<QPushButton>(parent, group, id, text);
    b->setCheckable(true);
    b->setAutoDefault(false);
    return b;
}

int ToolOfButton(int id) {
    switch (id) {
        case 1170: return VEC_TOOL_POLYLINE;
        case 1027: return VEC_TOOL_TEXT;
        case 1172: return VEC_TOOL_SEARCH;
        case 1092: return VEC_TOOL_END_POINT;
        case 1049: return VEC_TOOL_CIRCLE;
        case 1050: return VEC_TOOL_ARC;
        default: return -1;
    }
}

int32_t VirtualKey(const QKeyEvent* e) {
    const int k = e->key();
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return 'A' + (k - Qt::Key_A);
    if (k == Qt::Key_Delete) return vkey::kDelete;
    if (k == Qt::Key_Insert) return vkey::kInsert;
    return 0;
}
}  // namespace

CVecCreateWindow::CVecCreateWindow(QWidget* frame) : QDialog(frame) {
    setObjectName("vecCreateDialog");
    setWindowTitle(Utf8("ベクトル作成"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    auto* layout = new QVBoxLayout(this);

    m_tools = new QButtonGroup(this);
    auto* tools = new QGridLayout;
    tools->addWidget(ToolButton(this, m_tools, 1170, "POLYLINE(P)"), 0, 0);
    tools->addWidget(ToolButton(this, m_tools, 1027, "TEXT(T)"), 0, 1);
    tools->addWidget(ToolButton(this, m_tools, 1049, "円(Y)"), 1, 0);
    tools->addWidget(ToolButton(this, m_tools, 1050, "円弧(Z)"), 1, 1);
    tools->addWidget(ToolButton(this, m_tools, 1092, "端点編集(E)"), 2, 0);
    tools->addWidget(ToolButton(this, m_tools, 1172, "要素検索(S)"), 2, 1);
    layout->addLayout(tools);

    m_tinCross = AddButton<QCheckBox>(this, nullptr, 1229, "三角網交点");
    layout->addWidget(m_tinCross);
    auto* textRow = new QGridLayout;
    m_textAsElevation = AddButton<QCheckBox>(this, nullptr, 1176, "標高値");
    m_decimals = new QComboBox(this);
    m_decimals->setObjectName("1282");
    for (const char* d : {"0桁", "1桁", "2桁", "3桁"}) m_decimals->addItem(Utf8(d));
    textRow->addWidget(m_textAsElevation, 0, 0);
    textRow->addWidget(new QLabel(Utf8("少数桁"), this), 0, 1);
    textRow->addWidget(m_decimals, 0, 2);
    textRow->addWidget(new QLabel(Utf8("分割"), this), 1, 0);
    textRow->addWidget(AddEdit(1212), 1, 1, 1, 2);
    layout->addLayout(textRow);
    layout->addWidget(AddEdit(1094));

    auto* fields = new QGridLayout;
    const std::pair<int, const char*> labelled[] = {
        {1175, "文字高"}, {1171, "Ｘ："}, {1173, "Ｙ："}, {1174, "Ｚ："}, {1076, "レイヤ番号"}};
    int row = 0;
    for (const auto& [id, label] : labelled) {
        fields->addWidget(new QLabel(Utf8(label), this), row, 0);
        fields->addWidget(AddEdit(id), row++, 1);
    }
    m_colour = new CColorComboBox(this);
    m_colour->setObjectName("1074");
    FillPaletteColorCombo(*m_colour, 0);
    fields->addWidget(new QLabel(Utf8("色"), this), row, 0);
    fields->addWidget(m_colour, row, 1);
    layout->addLayout(fields);

    auto* snapBox = new QGroupBox(Utf8("端点ヒットモード"), this);
    auto* snapLayout = new QGridLayout(snapBox);
    m_snaps = new QButtonGroup(this);
    const std::pair<int, const char*> snaps[] = {
        {1225, "しない(N)"}, {1226, "端点(F)"}, {1227, "線上(L)"}, {1304, "交点(C)"}, {1305, "ランダム点(R)"}};
    int k = 0;
    for (const auto& [id, text] : snaps) {
        snapLayout->addWidget(AddButton<QRadioButton>(snapBox, m_snaps, id, text), k / 2, k % 2);
        ++k;
    }
    layout->addWidget(snapBox);

    const std::pair<int, const char*> options[] = {{1084, "同一レイヤ検索"}, {1085, "同一色検索"}, {1086, "連続"}};
    k = 0;
    for (const auto& [id, text] : options) {
        m_searchOptions[k] = AddButton<QCheckBox>(this, nullptr, id, text);
        layout->addWidget(m_searchOptions[k++]);
    }
    m_delete = AddButton<QPushButton>(this, nullptr, 1077, "検索要素削除(D,Delete)");
    m_delete->setAutoDefault(false);
    layout->addWidget(m_delete);

    auto* elevationBox = new QGroupBox(Utf8("標高値設定"), this);
    auto* elevationLayout = new QVBoxLayout(elevationBox);
    m_elevations = new QButtonGroup(this);
    for (const auto& [id, text] :
         {std::pair{1228, "検索指定に連動(M)"}, std::pair{1306, "三角網(K)"}, std::pair{1307, "指定値(A)"}})
        elevationLayout->addWidget(AddButton<QRadioButton>(elevationBox, m_elevations, id, text));
    elevationLayout->addWidget(AddEdit(1224));
    layout->addWidget(elevationBox);

    auto* dotBox = new QGroupBox(Utf8("ﾗﾝﾀﾞﾑ点＆2ﾊﾞｲﾄ文字表示制御"), this);
    auto* dotLayout = new QGridLayout(dotBox);
    m_penSizes = new QButtonGroup(this);
    dotLayout->addWidget(AddButton<QRadioButton>(dotBox, m_penSizes, 1182, "1ﾄﾞｯﾄ"), 0, 0);
    dotLayout->addWidget(AddButton<QRadioButton>(dotBox, m_penSizes, 1183, "4ﾄﾞｯﾄ"), 0, 1);
    m_doubleByte = AddButton<QCheckBox>(dotBox, nullptr, 1211, "2ﾊﾞｲﾄOFF");
    dotLayout->addWidget(m_doubleByte, 1, 0, 1, 2);
    layout->addWidget(dotBox);

    auto* saveBox = new QGroupBox(Utf8("データ保存"), this);
    auto* saveLayout = new QGridLayout(saveBox);
    m_dimensions = new QButtonGroup(this);
    QPushButton* save = AddButton<QPushButton>(saveBox, nullptr, 1075, "保存");
    save->setAutoDefault(false);
    saveLayout->addWidget(save, 0, 0);
    saveLayout->addWidget(AddButton<QRadioButton>(saveBox, m_dimensions, 1078, "２Ｄ"), 0, 1);
    saveLayout->addWidget(AddButton<QRadioButton>(saveBox, m_dimensions, 1079, "３Ｄ"), 0, 2);
    layout->addWidget(saveBox);

    QPushButton* closeButton = AddButton<QPushButton>(this, nullptr, 1188, "閉じる");
    closeButton->setAutoDefault(false);
    layout->addWidget(closeButton);
    for (const char* help : {"Enter：切断", "Esc,BS：削除,戻す", "Insert：復活,戻す"})
        layout->addWidget(new QLabel(Utf8(help), this));

    m_core = std::make_unique<CVecCreate>();
    DialogKeyFilter* keys = InstallDialogKeyFilter(this);
    keys->BindFlags(&m_core->enterPressed, &m_core->escapePressed);
    m_core->refreshControls = [this] { RefreshControls(); };

    connect(m_tools, &QButtonGroup::idClicked, this, [this](int id) {
        if (m_core) m_core->SelectTool(ToolOfButton(id));
    });
    connect(m_snaps, &QButtonGroup::idClicked, this, [this](int id) {
        static const std::map<int, int32_t> modes = {{1225, 0}, {1226, 1}, {1227, 2}, {1304, 3}, {1305, 4}};
        if (m_core) m_core->OnSnapMode(modes.at(id));
    });
    connect(m_elevations, &QButtonGroup::idClicked, this, [this](int id) {
        if (m_core) m_core->OnElevationSource(id == 1228 ? 0 : id == 1306 ? 1 : 2);
    });
    connect(m_dimensions, &QButtonGroup::idClicked, this, [this](int id) {
        if (m_core) m_core->OnSave3d(id == 1079 ? 1 : 0);
    });
    connect(m_penSizes, &QButtonGroup::idClicked, this, [this](int id) {
        if (m_core) m_core->OnPenSize(id == 1182 ? 1 : 0);
    });
    connect(m_tinCross, &QCheckBox::clicked, this, [this] {
        if (m_core) m_core->OnTinCross();
    });
    connect(m_textAsElevation, &QCheckBox::clicked, this, [this](bool on) {
        if (m_core) m_core->OnTextAsElevation(on);
    });
    connect(m_doubleByte, &QCheckBox::clicked, this, [this] {
        if (!m_core) return;
        m_core->OnDoubleByteText();
        RefreshControls();
    });
    for (QCheckBox* box : m_searchOptions)
        connect(box, &QCheckBox::clicked, this, [this, box](bool on) {
            if (m_core) m_core->OnSearchOption(box->objectName().toInt(), on);
        });
    connect(m_decimals, &QComboBox::activated, this, [this](int index) {
        if (m_core) m_core->OnDecimalsSelected(index);
    });
    connect(m_colour, &QComboBox::activated, this, [this](int index) {
        if (!m_core) return;
        m_core->OnColourSelected(index);
        RefreshControls();
    });
    connect(m_delete, &QPushButton::clicked, this, [this] {
        if (!m_core) return;
        m_core->DeleteSelected();
        m_core->UpdateControls();
        RefreshControls();
    });
    connect(save, &QPushButton::clicked, this, [this] {
        if (m_core) m_core->SaveAsDxf();
    });
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);

    SetToolWindow(ToolWindow::kVecCreate, this);
    RefreshControls();
}

CVecCreateWindow::~CVecCreateWindow() { ClearToolWindow(ToolWindow::kVecCreate, this); }

QLineEdit* CVecCreateWindow::AddEdit(int id) {
    auto* e = new QLineEdit(this);
    e->setObjectName(QString::number(id));
    e->installEventFilter(this);
    m_edits[id] = e;
    return e;
}

void CVecCreateWindow::RefreshControls() {
    if (!m_core) return;
    const VecCreateControls& c = m_core->controls;
    const std::pair<int, const std::string*> texts[] = {
        {1171, &c.pickX},     {1173, &c.pickY},  {1174, &c.pickZ},     {1094, &c.text},
        {1175, &c.textHeight}, {1076, &c.layer}, {1224, &c.elevation}, {1212, &c.divisions}};
    for (const auto& [id, text] : texts) {
        QLineEdit* e = m_edits.at(id);
        const QString shown = FromCp932(*text);
        if (e->text() != shown) e->setText(shown);
    }
    for (QButtonGroup* g : {m_tools, m_snaps, m_elevations, m_dimensions, m_penSizes}) g->blockSignals(true);
    m_tools->button(c.toolButton)->setChecked(true);
    m_snaps->button(c.snapButton)->setChecked(true);
    m_elevations->button(c.elevationButton)->setChecked(true);
    m_dimensions->button(c.save3d ? 1079 : 1078)->setChecked(true);
    m_penSizes->button(c.penSizeOne ? 1182 : 1183)->setChecked(true);
    for (QButtonGroup* g : {m_tools, m_snaps, m_elevations, m_dimensions, m_penSizes}) g->blockSignals(false);
    m_tinCross->setChecked(c.tinCross);
    m_textAsElevation->setChecked(c.textAsElevation);
    m_doubleByte->setChecked(c.hideDoubleByte);
    m_searchOptions[0]->setChecked(c.sameLayer);
    m_searchOptions[1]->setChecked(c.sameColour);
    m_searchOptions[2]->setChecked(c.continuous);
    for (QCheckBox* box : m_searchOptions) box->setEnabled(c.searchOptionsEnabled);
    m_textAsElevation->setEnabled(c.textOptionsEnabled);
    m_decimals->setEnabled(c.textOptionsEnabled);
    if (m_decimals->currentIndex() != c.decimalsIndex) m_decimals->setCurrentIndex(c.decimalsIndex);
    if (c.colourIndex < m_colour->count() && m_colour->currentIndex() != c.colourIndex)
        m_colour->setCurrentIndex(c.colourIndex);
    m_tinCross->setEnabled(c.tinCrossEnabled);
    for (QAbstractButton* b : m_elevations->buttons()) b->setEnabled(c.elevationEnabled);
    m_edits.at(1224)->setEnabled(c.elevationEnabled);
    m_snaps->button(1304)->setEnabled(c.crossingSnapEnabled);
    m_delete->setEnabled(c.deleteEnabled);
}

void CVecCreateWindow::EditLeft(QLineEdit* edit) {
    if (!m_core) return;
    const int id = edit->objectName().toInt();
    const std::string text = Utf8ToCp932(edit->text().toStdString());
    VecCreateControls& c = m_core->controls;
    // What was typed stays shown unless the field writes its value back.
    switch (id) {
        case 1094: c.text = text; m_core->OnTextField(text); break;
        case 1171: c.pickX = text; m_core->OnCoordinateField(id, text); break;
        case 1173: c.pickY = text; m_core->OnCoordinateField(id, text); break;
        case 1174: c.pickZ = text; m_core->OnCoordinateField(id, text); break;
        case 1076: m_core->OnLayerField(text); break;
        case 1175: m_core->OnTextHeightField(text); break;
        case 1212: m_core->OnDivisionsField(text); break;
        case 1224: m_core->OnElevationField(text); break;
        default: return;
    }
    RefreshControls();
}

bool CVecCreateWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit && event->type() == QEvent::FocusOut) EditLeft(edit);
    return QDialog::eventFilter(watched, event);
}

void CVecCreateWindow::keyPressEvent(QKeyEvent* event) {
    if (m_core) {
        if (const int32_t key = VirtualKey(event)) {
            m_core->OnKeyDown(key);
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

void CVecCreateWindow::wheelEvent(QWheelEvent* event) {
    if (m_core) {
        m_core->OnWheel(event->angleDelta().y());
        RefreshControls();
    }
    event->accept();
}

void CVecCreateWindow::closeEvent(QCloseEvent* event) {
    if (!m_closed && m_core) {
        m_closed = true;
        // The view stops sending its clicks and keys before the question comes.
        g_vecCreateDlg = nullptr;
        ClearToolWindow(ToolWindow::kVecCreate, this);
        m_core->PostNcDestroy();
        m_core.reset();
    }
    QDialog::closeEvent(event);
}

void InstallVecCreateWindow(QWidget* frame) {
    ToolServices().openVecCreateDialog = [frame] { (new CVecCreateWindow(frame))->show(); };
}
