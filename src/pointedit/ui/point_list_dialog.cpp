#include "pointedit/ui/point_list_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

#include "model/terrain_data.h"
#include "platform/encoding.h"
#include "pointedit/point_list_command.h"
#include "view/view_navigation.h"
#include "view/view_state.h"

namespace {
constexpr int kColumnPlot = 6;
constexpr int kColumnUse = 5;

QString FromCp932(const std::string& text) { return QString::fromStdString(Cp932ToUtf8(text)); }
std::string ToCp932(const QString& text) { return Utf8ToCp932(text.toStdString()); }

QString Fixed(const char* format, double value) { return QString::asprintf(format, value); }

int32_t CurrentPointListKind(int32_t number) {
    return number >= 1 && number <= g_pointCount ? g_points[number].plotKind : -1;
}
}  // namespace

// ---- the list window ----

CPointListDlg::CPointListDlg(QWidget* frame) : QDialog(frame), m_frame(frame) {
    setObjectName("pointListDialog");
    setWindowTitle(QString::fromUtf8("ランダム点一覧"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    m_list = new QTableWidget(this);
    m_list->setObjectName("1134");
    m_list->setColumnCount(kPointListColumns);
    m_list->setHorizontalHeaderLabels({QString::fromUtf8("番号"), QString::fromUtf8("Ｘ"),
                                       QString::fromUtf8("Ｙ"), QString::fromUtf8("標高"),
                                       QString::fromUtf8("点名"), QString::fromUtf8("使用"),
                                       QString::fromUtf8("作画")});
    m_list->verticalHeader()->hide();
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->installEventFilter(this);
    const QFontMetrics metrics = m_list->fontMetrics();
    const int coordinate = metrics.horizontalAdvance("000000000.0000");
    const int seven = metrics.horizontalAdvance("0000000");
    const int widths[kPointListColumns] = {
        metrics.horizontalAdvance(QString::number(g_pointCount + 100)) + 20, coordinate, coordinate,
        coordinate, seven + 10, seven, seven};
    int total = 0;
    for (int c = 0; c < kPointListColumns; ++c) {
        m_list->setColumnWidth(c, widths[c]);
        total += widths[c];
    }
    connect(m_list, &QTableWidget::cellClicked, this, [this](int row, int) { OnListClick(row); });
    connect(m_list, &QTableWidget::cellDoubleClicked, this, [this](int, int) { OnListDblClk(); });

    // The edit row, as wide as the columns above it.
    m_editRow = new QWidget(this);
    auto* edits = new QHBoxLayout(m_editRow);
    edits->setContentsMargins(0, 0, 0, 0);
    edits->setSpacing(0);
    m_number = AddEdit(m_editRow, 1143);
    m_x = AddEdit(m_editRow, 1139);
    m_y = AddEdit(m_editRow, 1140);
    m_z = AddEdit(m_editRow, 1141);
    m_name = AddEdit(m_editRow, 1142);
    QLineEdit* fields[] = {m_number, m_x, m_y, m_z, m_name};
    for (int c = 0; c < 5; ++c) {
        fields[c]->setFixedWidth(widths[c]);
        edits->addWidget(fields[c]);
    }
    QPushButton* use = AddButton(m_editRow, 1157, "使用");
    QPushButton* plot = AddButton(m_editRow, 1158, "作画");
    QPushButton* store = AddButton(m_editRow, 1144, "登録");
    QPushButton* remove = AddButton(m_editRow, 1145, "削除");
    for (QPushButton* b : {use, plot, store, remove}) edits->addWidget(b);
    edits->addStretch();
    connect(use, &QPushButton::clicked, this, &CPointListDlg::OnUse);
    connect(plot, &QPushButton::clicked, this, &CPointListDlg::OnPlot);
    connect(store, &QPushButton::clicked, this, &CPointListDlg::OnRegister);
    connect(remove, &QPushButton::clicked, this, &CPointListDlg::OnDelete);

    // Enter walks through the fields; in the name field it registers.
    connect(m_number, &QLineEdit::returnPressed, this, &CPointListDlg::OnNumberEntered);
    const std::pair<QLineEdit*, QLineEdit*> walk[] = {{m_x, m_y}, {m_y, m_z}, {m_z, m_name}};
    for (const auto& [from, to] : walk)
        connect(from, &QLineEdit::returnPressed, this, [to] { to->setFocus(); });
    for (QLineEdit* e : {m_x, m_y, m_z}) {
        const char* format = e == m_z ? "%8.3f" : "%8.4f";
        connect(e, &QLineEdit::editingFinished, this, [e, format] {
            e->setText(Fixed(format, std::atof(e->text().toStdString().c_str())));
        });
    }
    connect(m_name, &QLineEdit::returnPressed, this, [this] {
        OnRegister();
        const int32_t next = m_current + 1;
        if (RowOf(next) >= 0) {
            SelectNumber(next);
            Highlight(next);
            FillEditRow();
            m_x->setFocus();
        }
    });

    auto* bottom = new QHBoxLayout;
    m_start = AddEdit(this, 1153);
    m_count = AddEdit(this, 1154);
    m_start->setFixedWidth(widths[0] + 20);
    m_count->setFixedWidth(widths[0] + 20);
    bottom->addWidget(m_start);
    bottom->addWidget(new QLabel(QString::fromUtf8("から"), this));
    bottom->addWidget(m_count);
    bottom->addWidget(new QLabel(QString::fromUtf8("件表示"), this));
    bottom->addStretch();
    QPushButton* closeButton = AddButton(this, 1133, "閉じる");
    QPushButton* copy = AddButton(this, 1135, "表コピー");
    QPushButton* paste = AddButton(this, 1136, "貼り付け");
    for (QPushButton* b : {closeButton, copy, paste}) bottom->addWidget(b);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
    connect(copy, &QPushButton::clicked, this, &CPointListDlg::OnCopyTable);
    connect(paste, &QPushButton::clicked, this, &CPointListDlg::OnPaste);
    connect(m_start, &QLineEdit::editingFinished, this, &CPointListDlg::OnStartLeft);
    connect(m_count, &QLineEdit::editingFinished, this, &CPointListDlg::OnCountLeft);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_editRow);
    layout->addLayout(bottom);
    resize(total + 80, 480);

    const PointListWindow opening = OpeningPointListWindow();
    m_current = opening.start;
    FillList(opening.start, opening.shown);
    if (m_list->rowCount() > 0) m_list->selectRow(0);
    ShowEditRow(false);
    SetToolWindow(ToolWindow::kPointList, this);
    SetPointListReceiver([this](int32_t point) { OnTimer(point); });
}

CPointListDlg::~CPointListDlg() {
    if (!m_closed) {
        SetPointListReceiver(nullptr);
        ClearToolWindow(ToolWindow::kPointList, this);
    }
}

void CPointListDlg::CloseToolWindow() { close(); }

void CPointListDlg::closeEvent(QCloseEvent* event) {
    if (!m_closed) {
        m_closed = true;
        SetPointListReceiver(nullptr);
        ClearToolWindow(ToolWindow::kPointList, this);
        g_listHighlightedPoint = 0;
        g_pickedPoint = g_pickedPoint2 = g_pickedPoint3 = g_pickedPoint4 = 0;
        m_list->setRowCount(0);
        QuickRepaintView();
        if (m_frame) m_frame->activateWindow();
    }
    QDialog::closeEvent(event);
}

QLineEdit* CPointListDlg::AddEdit(QWidget* parent, int id) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::number(id));
    e->installEventFilter(this);
    return e;
}

QPushButton* CPointListDlg::AddButton(QWidget* parent, int id, const char* text) {
    auto* b = new QPushButton(QString::fromUtf8(text), parent);
    b->setObjectName(QString::number(id));
    b->setAutoDefault(false);
    return b;
}

void CPointListDlg::FillRow(int row, int32_t number) {
    const auto cells = PointListRow(number);
    for (int c = 0; c < kPointListColumns; ++c) {
        auto* item = new QTableWidgetItem(FromCp932(cells[c]));
        item->setTextAlignment(c >= 1 && c <= 3 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
        m_list->setItem(row, c, item);
    }
}

void CPointListDlg::FillList(int32_t start, int32_t n) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_window = ClampPointListWindow(start, n);
    const bool toTheEnd = m_window.start + m_window.shown > g_pointCount;
    const int rows = m_window.shown + (toTheEnd ? 1 : 0);
    m_list->clearContents();
    m_list->setRowCount(rows);
    for (int row = 0; row < rows; ++row) FillRow(row, NumberOf(row));
    m_start->setText(QString::asprintf("%3d", m_window.start));
    m_count->setText(QString::asprintf("%3d", m_window.shown));
    QApplication::restoreOverrideCursor();
}

int CPointListDlg::RowOf(int32_t number) const {
    const int row = number - m_window.start;
    return row >= 0 && row < m_list->rowCount() ? row : -1;
}

std::vector<int32_t> CPointListDlg::SelectedNumbers() const {
    std::vector<int32_t> numbers;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows())
        numbers.push_back(NumberOf(index.row()));
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

void CPointListDlg::SelectNumber(int32_t number) {
    const int row = RowOf(number);
    if (row < 0) return;
    m_current = number;
    m_list->setCurrentCell(row, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_list->scrollToItem(m_list->item(row, 0));
}

void CPointListDlg::Highlight(int32_t number) {
    g_listHighlightedPoint = 0;
    if (number >= 1 && number <= g_pointCount) g_pickedPoint = g_listHighlightedPoint = number;
    QuickRepaintView();
}

void CPointListDlg::ShowEditRow(bool shown) { m_editRow->setVisible(shown); }

void CPointListDlg::FillEditRow() {
    m_number->setText(QString::number(m_current));
    if (m_current >= 1 && m_current <= g_pointCount) {
        const RandomPoint& p = g_points[m_current];
        m_x->setText(Fixed("%8.4f", p.x));
        m_y->setText(Fixed("%8.4f", p.y));
        m_z->setText(Fixed("%8.3f", p.z));
        m_name->setText(FromCp932(std::string(p.name, strnlen(p.name, sizeof p.name))));
    } else {
        for (QLineEdit* e : {m_x, m_y, m_z, m_name}) e->clear();
    }
}

void CPointListDlg::OnTimer(int32_t point) {
    if (point < m_window.start || point > m_window.start + m_window.shown - 1) return;
    Highlight(point);
    SelectNumber(point);
    FillEditRow();
    m_list->viewport()->update();
}

void CPointListDlg::OnListClick(int row) {
    if (row < 0) return;
    m_current = NumberOf(row);
    Highlight(m_current);
    FillEditRow();
    ShowEditRow(true);
}

void CPointListDlg::OnListDblClk() {
    for (int32_t n : SelectedNumbers()) {
        if (n < 1 || n > g_pointCount) continue;
        g_viewCenterX = g_points[n].x;
        g_viewCenterY = g_points[n].y;
        FullRepaintView();
        return;
    }
}

void CPointListDlg::OnRegister() {
    const PointListEdit edit{m_number->text().toStdString(), m_x->text().toStdString(),
                             m_y->text().toStdString(), m_z->text().toStdString(),
                             ToCp932(m_name->text())};
    int32_t number = 0;
    const PointRegisterResult result = RegisterListedPoint(edit, m_window, &number);
    if (result == PointRegisterResult::kStored) {
        if (const int row = RowOf(number); row >= 0) FillRow(row, number);
    } else if (result == PointRegisterResult::kAppended) {
        FillList(m_window.start, m_window.shown + 1);
        SelectNumber(g_pointCount + 1);
    } else {
        return;
    }
    FullRepaintView();
    m_list->setFocus();
}

void CPointListDlg::OnDelete() {
    if (!DeleteListedPoints(SelectedNumbers())) return;
    FillList(m_window.start, m_window.shown);
    SelectNumber(std::min(m_current, g_pointCount + 1));
    FullRepaintView();
}

void CPointListDlg::OnUse() {
    const std::vector<int32_t> numbers = SelectedNumbers();
    const int32_t state = ToggleListedValidity(numbers);
    if (state < 0) return;
    for (int32_t n : numbers)
        if (const int row = RowOf(n); row >= 0 && n <= g_pointCount)
            m_list->item(row, kColumnUse)->setText(state ? "X" : "");
    m_list->setFocus();
    FullRepaintView();
}

void CPointListDlg::OnPlot() {
    g_listHighlightedPoint = m_current;
    const int32_t kind = CPointLabelModeDlg::Run(CurrentPointListKind(m_current), this);
    if (kind < 0) return;
    const std::vector<int32_t> numbers = SelectedNumbers();
    SetListedPlotKind(numbers, kind);
    for (int32_t n : numbers)
        if (const int row = RowOf(n); row >= 0)
            m_list->item(row, kColumnPlot)->setText(QString::fromUtf8(PlotKindText(kind)));
}

void CPointListDlg::OnCopyTable() { CopyPointTable(); }

void CPointListDlg::OnPaste() {
    if (PastePointsFromClipboard() == 0) return;
    const PointListWindow widened = WidenedPointListWindow(m_window);
    FillList(widened.start, widened.shown);
    SelectNumber(m_current);
    FullRepaintView();
    m_list->setFocus();
}

void CPointListDlg::OnNumberEntered() {
    int32_t n = m_number->text().toInt();
    if (n < 1) n = 1;
    if (n > g_pointCount + 1) n = g_pointCount;
    Highlight(n);
    SelectNumber(n);
    FillEditRow();
    m_list->setFocus();
}

void CPointListDlg::OnStartLeft() {
    const PointListWindow w = StartFieldLeft(m_window, m_start->text().toStdString());
    if (w.start == m_window.start && w.shown == m_window.shown) return;
    FillList(w.start, w.shown);
    SelectNumber(m_current);
    m_list->setFocus();
}

void CPointListDlg::OnCountLeft() {
    const PointListWindow w = CountFieldLeft(m_window, m_count->text().toStdString());
    if (w.shown == m_window.shown) return;
    FillList(w.start, w.shown);
    SelectNumber(m_current);
    m_list->setFocus();
}

// Moving past the first or last loaded row loads the points beyond it.
bool CPointListDlg::LoadMoreRows(int key) {
    const int row = m_list->currentRow();
    const int page = std::max(1, m_list->viewport()->height() / std::max(1, m_list->rowHeight(0)));
    const int n = key == Qt::Key_Up || key == Qt::Key_Down ? 1 : page;
    int32_t start = m_window.start;
    int32_t shown = m_window.shown;
    if ((key == Qt::Key_Up || key == Qt::Key_PageUp) && row == 0) {
        for (int k = 0; k < n && start > 1; ++k) {
            --start;
            ++shown;
        }
    } else if ((key == Qt::Key_Down || key == Qt::Key_PageDown) && row == m_window.shown - 1) {
        for (int k = 0; k < n && start + shown <= g_pointCount; ++k) ++shown;
    }
    if (start == m_window.start && shown == m_window.shown) return false;
    FillList(start, shown);
    const int32_t next = key == Qt::Key_Up || key == Qt::Key_PageUp ? m_window.start : NumberOf(row) + 1;
    SelectNumber(std::clamp(next, m_window.start, m_window.start + m_window.shown - 1));
    m_number->setText(QString::number(m_current));
    return true;
}

void CPointListDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            ShowEditRow(false);
            m_list->setFocus();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (!m_editRow->isVisible()) {
                m_current = NumberOf(std::max(m_list->currentRow(), 0));
                FillEditRow();
                ShowEditRow(true);
                m_x->setFocus();
            }
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

bool CPointListDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && (watched == m_start || watched == m_count))
        ShowEditRow(false);
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
             key == Qt::Key_PageDown) &&
            LoadMoreRows(key))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

// ---- 作画設定 ----

CPointLabelModeDlg::CPointLabelModeDlg(int32_t kind, QWidget* parent) : QDialog(parent) {
    setObjectName("pointLabelModeDialog");
    setWindowTitle(QString::fromUtf8("作画設定"));
    auto* layout = new QVBoxLayout(this);
    auto* group = new QButtonGroup(this);
    const char* texts[] = {"なし", "点名のみ  (N_)", "標高のみ  (_H)", "標高・点名(HN)"};
    for (int k = 0; k < 4; ++k) {
        auto* radio = new QRadioButton(QString::fromUtf8(texts[k]), this);
        radio->setObjectName(QString("mode%1").arg(k));
        radio->setChecked(k == kind);
        group->addButton(radio, k);
        layout->addWidget(radio);
    }
    auto* buttons = new QHBoxLayout;
    auto* set = new QPushButton(QString::fromUtf8("設定"), this);
    set->setObjectName("IDOK");
    auto* cancel = new QPushButton(QString::fromUtf8("中止"), this);
    cancel->setObjectName("IDCANCEL");
    buttons->addWidget(set);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(set, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

int32_t CPointLabelModeDlg::Choice() const {
    for (int k = 0; k < 4; ++k)
        if (auto* r = findChild<QRadioButton*>(QString("mode%1").arg(k)); r && r->isChecked()) return k;
    return -1;
}

int32_t CPointLabelModeDlg::Run(int32_t kind, QWidget* parent) {
    CPointLabelModeDlg dialog(kind, parent);
    return dialog.exec() == QDialog::Accepted ? dialog.Choice() : -1;
}

void InstallPointListWindow(QWidget* frame) {
    PointListWindowFactory() = [frame] { (new CPointListDlg(frame))->show(); };
}
