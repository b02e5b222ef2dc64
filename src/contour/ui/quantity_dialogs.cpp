#include "contour/ui/quantity_dialogs.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "contour/elevation_table.h"
#include "contour/slice_store.h"
#include "platform/text_io.h"
#include "shell/ui/flex_grid.h"

namespace {
constexpr int kDecimalChoices = 7;  // 0 to 6 decimals

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
}  // namespace

// ---- 205 ----

CQuantityCalcDlg::CQuantityCalcDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("quantityCalcDialog");
    setWindowTitle(QString::fromUtf8("数量計算"));
    OpenQuantityCalcRows();
    auto* layout = new QVBoxLayout(this);
    auto* rows = new QGridLayout;
    struct Level { int id; const char* text; int32_t* row; double* level; };
    const Level levels[] = {{1301, "開始標高", &g_sliceStartRow, &g_sliceStartLevel},
                            {1302, "終了標高", &g_sliceEndRow, &g_sliceEndLevel},
                            {1303, "ＬＷＬ", &g_sliceReferenceRow, &g_sliceReferenceLevel}};
    int line = 0;
    for (const Level& l : levels) {
        auto* combo = new QComboBox(this);
        combo->setObjectName(QString::number(l.id));
        for (int32_t i = 1; i <= g_sliceLevelCount; ++i)
            combo->addItem(QString::fromStdString(FormatString("%8.3f", g_sliceLevels[i].elevation)));
        combo->setCurrentIndex(*l.row - 1);
        connect(combo, &QComboBox::activated, this, [row = l.row, level = l.level](int i) {
            if (i < 0 || i >= g_sliceLevelCount) return;
            *row = i + 1;
            *level = g_sliceLevels[i + 1].elevation;
        });
        rows->addWidget(new QLabel(QString::fromUtf8(l.text), this), line, 0);
        rows->addWidget(combo, line++, 1);
    }
    layout->addLayout(rows);

    auto* decimals = new QGroupBox(QString::fromUtf8("小数桁"), this);
    auto* grid = new QGridLayout(decimals);
    struct Decimals { int id; const char* text; int32_t* value; };
    const Decimals items[] = {{1285, "水深\n（標高差）", &g_sliceDepthDecimals},
                              {1286, "標高値", &g_sliceElevationDecimals},
                              {1287, "平面積", &g_sliceAreaDecimals},
                              {1288, "平均平面積", &g_sliceAverageDecimals},
                              {1289, "貯水量、容量", &g_sliceVolumeDecimals}};
    int column = 0;
    for (const Decimals& d : items) {
        auto* combo = new QComboBox(decimals);
        combo->setObjectName(QString::number(d.id));
        for (int i = 0; i < kDecimalChoices; ++i) combo->addItem(QString::number(i));
        combo->setCurrentIndex(*d.value >= 0 && *d.value < kDecimalChoices ? *d.value : -1);
        connect(combo, &QComboBox::activated, this, [value = d.value](int i) {
            if (i >= 0) *value = i;
        });
        grid->addWidget(new QLabel(QString::fromUtf8(d.text), decimals), 0, column);
        grid->addWidget(combo, 1, column++);
    }
    layout->addWidget(decimals);
    auto* start = Button(this, 1, "開始");
    auto* stop = Button(this, 2, "中止");
    connect(start, &QPushButton::clicked, this, &QDialog::accept);
    connect(stop, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(start);
    buttons->addWidget(stop);
    layout->addLayout(buttons);
}

bool CQuantityCalcDlg::Run(QWidget* parent) {
    CQuantityCalcDlg dlg(parent);
    return dlg.exec() == QDialog::Accepted;
}

// ---- 207 ----

CQuantityValidDlg::CQuantityValidDlg(QWidget* parent, QuantityValidValues& values)
    : QDialog(parent) {
    setObjectName("quantityValidDialog");
    setWindowTitle(QString::fromUtf8("数量計算有効無効設定"));
    auto* valid = Radio(this, 1294, "有効");
    auto* invalid = Radio(this, 1293, "無効");
    (values.valid != 0 ? valid : invalid)->setChecked(true);
    connect(valid, &QRadioButton::clicked, this, [&values] { values.valid = 1; });
    connect(invalid, &QRadioButton::clicked, this, [&values] { values.valid = 0; });
    auto* set = Button(this, 1, "設定");
    auto* stop = Button(this, 2, "中止");
    connect(set, &QPushButton::clicked, this, &QDialog::accept);
    connect(stop, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(valid);
    layout->addWidget(invalid);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(set);
    buttons->addWidget(stop);
    layout->addLayout(buttons);
}

bool CQuantityValidDlg::Run(QWidget* parent, QuantityValidValues& values) {
    QuantityValidValues edited = values;
    CQuantityValidDlg dlg(parent, edited);
    if (dlg.exec() != QDialog::Accepted) return false;
    values = edited;
    return true;
}

// ---- 209 ----

CQuantityListDlg::CQuantityListDlg(QWidget* parent)
    : QDialog(parent), m_layout(DefaultQuantityLayout()) {
    setObjectName("quantityListDialog");
    setWindowTitle(QString::fromUtf8("数量計算一覧"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    m_grid = new CMSFlexGrid(this);
    m_grid->setObjectName("1274");
    m_grid->SetFixedCols(0);
    auto* copy = Button(this, 1135, "表コピー");
    auto* text = Button(this, 1136, "テキスト出力");
    auto* storage = Radio(this, 1292, "貯水量形式");
    auto* earthwork = Radio(this, 1293, "土量形式");
    (m_layout == QuantityLayout::kStorage ? storage : earthwork)->setChecked(true);
    connect(copy, &QPushButton::clicked, this, [this] { OnCopyQuantityTable(m_layout); });
    connect(text, &QPushButton::clicked, this, [this] { OnWriteQuantityText(m_layout); });
    connect(storage, &QRadioButton::clicked, this, [this] {
        m_layout = QuantityLayout::kStorage;
        Fill();
    });
    connect(earthwork, &QRadioButton::clicked, this, [this] {
        m_layout = QuantityLayout::kEarthwork;
        Fill();
    });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(copy);
    buttons->addWidget(text);
    buttons->addStretch(1);
    buttons->addWidget(storage);
    buttons->addWidget(earthwork);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_grid, 1);
    layout->addLayout(buttons);
    resize(720, 420);
    SetToolWindow(ToolWindow::kQuantityList, this);
    Fill();
}

CQuantityListDlg::~CQuantityListDlg() { ClearToolWindow(ToolWindow::kQuantityList, this); }

void CQuantityListDlg::CloseToolWindow() {
    ClearToolWindow(ToolWindow::kQuantityList, this);
    close();
}

void CQuantityListDlg::Toggle(QWidget* frame) {
    if (auto* open = dynamic_cast<CQuantityListDlg*>(GetToolWindow(ToolWindow::kQuantityList))) {
        open->CloseToolWindow();
        return;
    }
    (new CQuantityListDlg(frame))->show();
}

void CQuantityListDlg::Show(QWidget* frame) {
    if (auto* open = dynamic_cast<CQuantityListDlg*>(GetToolWindow(ToolWindow::kQuantityList))) {
        open->Fill();
        open->raise();
        return;
    }
    (new CQuantityListDlg(frame))->show();
}

void CQuantityListDlg::Fill() {
    const std::vector<std::string> headings = QuantityListHeadings(m_layout);
    const int32_t first = std::max(g_sliceStartRow, 1);
    const int32_t last = std::min(g_sliceEndRow, g_sliceLevelCount);
    const int rows = std::max(last - first + 1, 0);
    m_grid->setUpdatesEnabled(false);
    m_grid->SetCols(static_cast<int>(headings.size()));
    m_grid->SetRows(rows + 1);
    for (size_t c = 0; c < headings.size(); ++c) {
        m_grid->SetTextMatrix(0, static_cast<int>(c), QString::fromStdString(headings[c]));
        m_grid->SetColAlignment(static_cast<int>(c), 7);
    }
    for (int r = 0; r < rows; ++r) {
        const std::vector<std::string> cells = QuantityListCells(m_layout, first + r);
        for (size_t c = 0; c < cells.size(); ++c)
            m_grid->SetTextMatrix(r + 1, static_cast<int>(c), QString::fromStdString(cells[c]));
    }
    m_grid->setUpdatesEnabled(true);
    resizeEvent(nullptr);
}

void CQuantityListDlg::resizeEvent(QResizeEvent* event) {
    if (event) QDialog::resizeEvent(event);
    const int columns = std::max(m_grid->GetCols(), 1);
    const int each = std::max(m_grid->viewport()->width(), 100) / columns;
    for (int c = 0; c < m_grid->GetCols(); ++c) m_grid->SetColWidth(c, each);
}
