#include "contour/ui/elevation_area_dialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>
#include <cstdlib>

#include "contour/contour_calc.h"
#include "contour/slice_store.h"
#include "model/terrain_data.h"
#include "platform/encoding.h"
#include "platform/message_box.h"
#include "platform/text_io.h"
#include "shell/ui/enter_as_tab.h"
#include "shell/ui/flex_grid.h"

namespace {
QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

QPushButton* Button(QWidget* parent, int id, const char* text) {
    auto* b = new QPushButton(QString::fromUtf8(text), parent);
    b->setObjectName(QString::number(id));
    b->setAutoDefault(false);
    return b;
}

QRadioButton* Radio(QWidget* parent, int id, const char* text) {
    auto* r = new QRadioButton(QString::fromUtf8(text), parent);
    r->setObjectName(QString::number(id));
    return r;
}

QLineEdit* Edit(QWidget* parent, int id) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::number(id));
    return e;
}

constexpr int kDecimalChoices = 7;  // 0 to 6 decimals
}  // namespace

// ---- 197 ----

CElevationAreaDlg::CElevationAreaDlg(QWidget* parent)
    : CRouteListWindow(ToolWindow::kElevationArea, "elevationAreaDialog", "標高面積計算", 4,
                       parent) {
    CMSFlexGrid* grid = Grid();
    const char* headings[] = {"No.", "標高値", "属性", "合計面積"};
    for (int c = 0; c < 4; ++c) grid->SetTextMatrix(0, c, QString::fromUtf8(headings[c]));
    grid->SetColAlignment(0, 7);
    grid->SetColAlignment(1, 7);
    // 600, 1000, 500 and 1540 twips.
    const int twips[] = {600, 1000, 500, 1540};
    for (int c = 0; c < 4; ++c) grid->SetColWidth(c, twips[c] / 15);
    grid->SetRows(g_sliceLevelCount > 37 ? g_sliceLevelCount + 4 : 40);

    auto* controls = new QWidget(this);
    auto* layout = new QGridLayout(controls);
    layout->setContentsMargins(0, 0, 0, 0);
    m_countText = new QLabel(controls);
    m_countText->setObjectName("1264");
    layout->addWidget(m_countText, 0, 0);
    struct B { int id; const char* text; void (CElevationAreaDlg::*act)(); };
    const B buttons[] = {
        {1273, "標高リスト読み込み", &CElevationAreaDlg::OnLoadList},
        {1263, "一括入力", &CElevationAreaDlg::OnBatchInput},
        {1265, "昇順ソート", nullptr},
        {1266, "降順ソート", nullptr},
        {1259, "挿入", &CElevationAreaDlg::OnInsert},
        {1261, "削除", &CElevationAreaDlg::OnDelete},
        {1260, "表コピー", nullptr},
        {1136, "貼り付け", nullptr},
        {1267, "面積計算", &CElevationAreaDlg::OnCalcArea},
        {1268, "通常等高線に変換", nullptr},
        {1133, "閉じる", nullptr},
    };
    int k = 0;
    for (const B& b : buttons) {
        QPushButton* button = Button(controls, b.id, b.text);
        layout->addWidget(button, 1 + k / 4, k % 4);
        ++k;
        if (b.act) connect(button, &QPushButton::clicked, this, b.act);
    }
    connect(findChild<QPushButton*>("1265"), &QPushButton::clicked, this, [this] {
        SortSliceLevels(true);
        RefreshAll();
    });
    connect(findChild<QPushButton*>("1266"), &QPushButton::clicked, this, [this] {
        SortSliceLevels(false);
        RefreshAll();
    });
    connect(findChild<QPushButton*>("1260"), &QPushButton::clicked, this,
            [] { OnCopySliceLevels(); });
    connect(findChild<QPushButton*>("1136"), &QPushButton::clicked, this, [this] {
        OnPasteSliceLevels();
        RefreshAll();
    });
    connect(findChild<QPushButton*>("1268"), &QPushButton::clicked, this,
            [] { OnSliceToContour(); });
    connect(findChild<QPushButton*>("1133"), &QPushButton::clicked, this, &QDialog::close);
    findChild<QPushButton*>("1267")->setEnabled(SliceAreaCalculationAvailable());

    auto* range = new QGroupBox(QString::fromUtf8("計算する範囲"), controls);
    auto* rangeLayout = new QHBoxLayout(range);
    const char* rangeTexts[] = {"閉合部のみ", "地表空間", "貯水空間"};
    for (int i = 0; i < 3; ++i) {
        m_range[i] = Radio(range, 1234 + i, rangeTexts[i]);
        rangeLayout->addWidget(m_range[i]);
        connect(m_range[i], &QRadioButton::clicked, this, [i] { g_sliceRangeMode = i; });
    }
    layout->addWidget(range, 4, 0, 1, 3);
    m_decimals = new QComboBox(controls);
    m_decimals->setObjectName("1282");
    for (int i = 0; i < kDecimalChoices; ++i) m_decimals->addItem(QString::number(i));
    connect(m_decimals, &QComboBox::currentIndexChanged, this, [](int i) {
        if (i >= 0) g_sliceAreaDecimals = i;
    });
    auto* decimalsBox = new QGroupBox(QString::fromUtf8("小数桁"), controls);
    (new QHBoxLayout(decimalsBox))->addWidget(m_decimals);
    layout->addWidget(decimalsBox, 4, 3);

    auto* tolerance = new QGroupBox(QString::fromUtf8("許容誤差"), controls);
    auto* toleranceLayout = new QHBoxLayout(tolerance);
    m_minimumAreaEdit = Edit(tolerance, 1058);
    m_minimumAreaEdit->installEventFilter(this);
    auto* drop = Radio(tolerance, 1093, "等高線消去");
    auto* keep = Radio(tolerance, 1094, "等高線は残す");
    auto* dropGroup = new QButtonGroup(tolerance);
    dropGroup->addButton(drop);
    dropGroup->addButton(keep);
    connect(drop, &QRadioButton::clicked, this, [this] { m_drop = 1; });
    connect(keep, &QRadioButton::clicked, this, [this] { m_drop = 0; });
    drop->setChecked(true);
    toleranceLayout->addWidget(m_minimumAreaEdit);
    toleranceLayout->addWidget(drop);
    toleranceLayout->addWidget(keep);
    layout->addWidget(tolerance, 5, 0, 1, 3);
    auto* zMin = new QLabel(controls);
    zMin->setObjectName("1125");
    auto* zMax = new QLabel(controls);
    zMax->setObjectName("1126");
    auto* zBox = new QVBoxLayout;
    zBox->addWidget(zMin);
    zBox->addWidget(zMax);
    layout->addLayout(zBox, 5, 3);
    AddToButtonRow(controls);

    ScanSlicePointRange();
    zMin->setText(Text(FormatString("(%8.3f ) m", g_pointZMin)));
    zMax->setText(Text(FormatString("(%8.3f ) m", g_pointZMax)));
    ShowSettings();
    RefreshAll();
    resize(420, 640);
}

CElevationAreaDlg::~CElevationAreaDlg() = default;

void CElevationAreaDlg::Toggle(QWidget* frame) {
    if (auto* open = dynamic_cast<CElevationAreaDlg*>(GetToolWindow(ToolWindow::kElevationArea))) {
        open->CloseToolWindow();
        return;
    }
    (new CElevationAreaDlg(frame))->show();
}

void CElevationAreaDlg::ShowSettings() {
    for (int i = 0; i < 3; ++i) m_range[i]->setChecked(g_sliceRangeMode == i);
    m_decimals->setCurrentIndex(g_sliceAreaDecimals >= 0 && g_sliceAreaDecimals < kDecimalChoices
                                    ? g_sliceAreaDecimals
                                    : -1);
    m_minimumAreaEdit->setText(Text(FormatString("%.3f", m_minimumArea)));
}

QString CElevationAreaDlg::CellText(int32_t row, int32_t col) const {
    const std::vector<std::string> cells = SliceLevelCells(row);
    return col >= 0 && col < 4 ? Text(cells[col]) : QString();
}

void CElevationAreaDlg::RefreshLevelRow(int32_t a) {
    m_countText->setText(Text(FormatString("%4d ", g_sliceLevelCount)));
    FormatRow(a);
}

void CElevationAreaDlg::RefreshAll() {
    m_countText->setText(Text(FormatString("%4d ", g_sliceLevelCount)));
    Refresh();
}

void CElevationAreaDlg::StoreCell(int32_t row, int32_t col, const QString& text) {
    const int32_t before = g_sliceLevelCount;
    const std::string typed = text.toStdString();
    if (!StoreSliceLevelCell(row, col, typed)) {
        FormatRow(row);
        return;
    }
    RefreshLevelRow(row);
    if (g_sliceLevelCount > before) {
        RefreshLevelRow(row + 1);
        Grid()->SetRow(row);
    }
}

// Elevation to attribute in the row, attribute to the next row's elevation.
void CElevationAreaDlg::NextCell(int32_t& row, int32_t& col) const {
    if (col == 1) {
        col = 2;
    } else if (row < Grid()->GetRows() - 1) {
        ++row;
        col = 1;
    }
}

void CElevationAreaDlg::GridClicked() {
    HideEditor();
    const GridSelection s = Selection();
    if (!s.SingleCell() || (s.col != 1 && s.col != 2)) return;
    OpenEditor();
}

bool CElevationAreaDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_minimumAreaEdit && event->type() == QEvent::FocusOut) {
        m_minimumArea = std::fabs(std::atof(m_minimumAreaEdit->text().toStdString().c_str()));
        m_minimumAreaEdit->setText(Text(FormatString("%.3f", m_minimumArea)));
    }
    return CRouteListWindow::eventFilter(watched, event);
}

void CElevationAreaDlg::OnBatchInput() {
    LevelBatchInputValues values;
    if (!CLevelBatchInputDlg::Run(this, values)) return;
    const int32_t before = g_sliceLevelCount;
    ApplyLevelBatchInput(values);
    FormatRows(1, std::max(before, g_sliceLevelCount));
    RefreshAll();
}

void CElevationAreaDlg::OnInsert() {
    const int32_t row = Selection().FirstRow();
    if (!InsertSliceLevel(g_sliceLevelCount > 0 && row <= g_sliceLevelCount ? row : 0)) return;
    RefreshAll();
    Grid()->SetTextMatrix(row, 1, QString());
}

void CElevationAreaDlg::OnDelete() {
    const GridSelection s = Selection();
    const int32_t before = g_sliceLevelCount;
    const int32_t first = s.FirstRow() <= g_sliceLevelCount ? s.FirstRow() : 0;
    if (!DeleteSliceLevels(first, s.LastRow())) return;
    Grid()->SetRow(1), Grid()->SetRowSel(1);
    FormatRows(1, before);
    RefreshAll();
}

void CElevationAreaDlg::OnLoadList() {
    const int32_t before = g_sliceLevelCount;
    if (!OnLoadLevelList()) return;
    FormatRows(1, std::max(before, g_sliceLevelCount));
    ShowSettings();
    RefreshAll();
}

void CElevationAreaDlg::OnCalcArea() {
    HideEditor();
    // The method dialog opens over this one.
    SetSliceMethodQuestion([this] { return CAreaContourMethodDlg::Run(this); });
    OnCalcSliceAreas(m_minimumArea, m_drop);
    SetSliceMethodQuestion({});
    RefreshAll();
}

// ---- 199 ----

CLevelBatchInputDlg::CLevelBatchInputDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("levelBatchInputDialog");
    setWindowTitle(QString::fromUtf8("標高値一括入力"));
    auto* grid = new QGridLayout;
    const char* labels[] = {"何ｍから", "何ｍまで", "主曲線", "計曲線"};
    const int ids[] = {1269, 1270, 1271, 1273};
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(new QLabel(QString::fromUtf8(labels[i]), this), i, 0);
        m_edits[i] = Edit(this, ids[i]);
        m_edits[i]->installEventFilter(this);
        grid->addWidget(m_edits[i], i, 1);
    }
    auto* replace = Radio(this, 1268, "新規");
    auto* add = Radio(this, 1232, "追加");
    add->setChecked(true);
    connect(replace, &QRadioButton::clicked, this, [this] { m_values.replace = true; });
    connect(add, &QRadioButton::clicked, this, [this] { m_values.replace = false; });
    grid->addWidget(replace, 4, 0);
    grid->addWidget(add, 4, 1);
    auto* ok = Button(this, 1, "登録");
    auto* cancel = Button(this, 2, "中止");
    ok->setProperty("enterActs", true);
    cancel->setProperty("enterActs", true);
    connect(ok, &QPushButton::clicked, this, [this] {
        for (QLineEdit* e : m_edits) ReadEdit(e);
        if (AcceptLevelBatchInput(m_values)) accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    InstallEnterAsTab(this);
}

void CLevelBatchInputDlg::ReadEdit(QLineEdit* edit) {
    const int i = static_cast<int>(std::find(m_edits, m_edits + 4, edit) - m_edits);
    if (i >= 4) return;
    const BatchField fields[] = {BatchField::kFrom, BatchField::kTo, BatchField::kMain,
                                 BatchField::kIndex};
    if (edit->text().trimmed().isEmpty()) return;
    ReadBatchField(m_values, fields[i], edit->text().toStdString());
    const double shown[] = {m_values.from, m_values.to, m_values.mainInterval,
                            m_values.indexInterval};
    const bool set[] = {m_values.fromSet, m_values.toSet, m_values.mainSet, m_values.indexSet};
    edit->setText(set[i] ? Text(FormatString("%8.3f", shown[i])) : QString());
    if (fields[i] == BatchField::kMain && m_values.mainSet)
        m_edits[3]->setText(Text(FormatString("%8.3f", m_values.indexInterval)));
}

bool CLevelBatchInputDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut)
        if (auto* edit = qobject_cast<QLineEdit*>(watched)) ReadEdit(edit);
    return QDialog::eventFilter(watched, event);
}

bool CLevelBatchInputDlg::Run(QWidget* parent, LevelBatchInputValues& values) {
    CLevelBatchInputDlg dlg(parent);
    if (dlg.exec() != QDialog::Accepted) return false;
    values = dlg.m_values;
    return true;
}

// ---- 208 ----

CAreaContourMethodDlg::CAreaContourMethodDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("areaContourMethodDialog");
    setWindowTitle(QString::fromUtf8("面積計算用等高線計算"));
    ProposeSliceSmoothness();
    const char* texts[] = {"簡易線", "スプライン（平滑化）", "スプライン（端点通過）"};
    auto* layout = new QVBoxLayout(this);
    m_smoothness = Edit(this, 1084);
    m_tolerance = Edit(this, 1186);
    for (int i = 0; i < 3; ++i) {
        QRadioButton* r = Radio(this, 1076 + i, texts[i]);
        r->setChecked(g_sliceMethod == i);
        connect(r, &QRadioButton::clicked, this, [this, i] {
            g_sliceMethod = i;
            m_smoothness->setEnabled(i != 0);
        });
        layout->addWidget(r);
    }
    m_smoothness->setEnabled(g_sliceMethod != 0);
    m_smoothness->setText(Text(FormatString("%8.3f", g_sliceSmoothness)));
    m_tolerance->setText(Text(FormatString("%9.6f", g_contourLevelTolerance)));
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QString::fromUtf8("平滑度"), this), 0, 0);
    grid->addWidget(m_smoothness, 0, 1);
    grid->addWidget(new QLabel(QString::fromUtf8("許容誤差"), this), 1, 0);
    grid->addWidget(m_tolerance, 1, 1);
    layout->addLayout(grid);
    auto* start = Button(this, 1132, "計算開始");
    auto* stop = Button(this, 2, "中止");
    start->setProperty("enterActs", true);
    stop->setProperty("enterActs", true);
    connect(start, &QPushButton::clicked, this, [this] {
        if (StoreEdits()) accept();
    });
    connect(stop, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_smoothness, &QLineEdit::editingFinished, this, [this] { StoreEdits(); });
    connect(m_tolerance, &QLineEdit::editingFinished, this, [this] { StoreEdits(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(start);
    buttons->addWidget(stop);
    layout->addLayout(buttons);
    InstallEnterAsTab(this);
}

bool CAreaContourMethodDlg::StoreEdits() {
    const double smoothness = std::atof(m_smoothness->text().toStdString().c_str());
    if (smoothness > 0) g_sliceSmoothness = smoothness;
    m_smoothness->setText(Text(FormatString("%8.3f", g_sliceSmoothness)));
    // Traced exactly through points on a level the walk cannot go round them.
    const double tolerance = std::atof(m_tolerance->text().toStdString().c_str());
    const bool usable = ContourToleranceUsable(tolerance);
    if (usable)
        g_contourLevelTolerance = tolerance;
    else
        ShowMessage(kContourToleranceMessage, "", msg::kOk | msg::kIconInformation);
    m_tolerance->setText(Text(FormatString("%9.6f", g_contourLevelTolerance)));
    return usable;
}

bool CAreaContourMethodDlg::Run(QWidget* parent) {
    CAreaContourMethodDlg dlg(parent);
    return dlg.exec() == QDialog::Accepted;
}
