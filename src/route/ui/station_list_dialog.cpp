#include "route/ui/station_list_dialog.h"

#include <QMouseEvent>
#include <QPushButton>
#include <vector>

#include "platform/encoding.h"
#include "route/route_data.h"
#include "route/station_list.h"
#include "shell/ui/flex_grid.h"
#include "view/view_state.h"

namespace {
const QColor kMarkColor(255, 0, 0);
QString FromCp932(const std::string& text) { return QString::fromStdString(Cp932ToUtf8(text)); }
std::string ToCp932(const QString& text) { return Utf8ToCp932(text.toStdString()); }
}  // namespace

CStationListDlg::CStationListDlg(QWidget* parent)
    : CRouteListWindow(ToolWindow::kStationList, "stationListDialog", "路線測点一覧",
                       kStationListColumns, parent) {
    CMSFlexGrid* grid = Grid();
    for (int c = 0; c < kStationListColumns; ++c) {
        grid->SetTextMatrix(0, c, QString::fromUtf8(kStationListHeadings[c]));
        grid->SetColAlignment(c, c == 1 ? 1 : 7);
    }
    grid->SetRows(g_stationCount + 3 > 40 ? g_stationCount + 4 : 40);
    FormatRows(1, g_stationCount);
    connect(AddButton(1026, "表コピー"), &QPushButton::clicked, this, [this] {
        CopyStationTable(Selection());
        ClearMarks();
        FocusGrid();
    });
    connect(AddButton(1259, "挿入"), &QPushButton::clicked, this, [this] { OnInsert(); });
    connect(AddButton(1261, "削除"), &QPushButton::clicked, this, [this] { OnDelete(); });
    connect(AddButton(1005, "全削除"), &QPushButton::clicked, this, [this] { OnDeleteAll(); });
    connect(AddButton(1136, "貼り付け"), &QPushButton::clicked, this, [this] {
        PasteStationTable();
        FormatRows(1, g_stationCount);
        ClearMarks();
    });
    connect(AddButton(1167, "左右反転"), &QPushButton::clicked, this, [this] { OnSwapSides(); });
    connect(AddButton(1051, "閉じる"), &QPushButton::clicked, this, &QDialog::close);
    SetColumnWidths(15);
    SetStationListRefresher([this] { Refresh(); });
}

CStationListDlg::~CStationListDlg() {
    SetStationListRefresher(nullptr);
    Closing();
}

void CStationListDlg::Closing() {
    g_currentStation = 0;
    InvalidateAndUpdateView();
}

void CStationListDlg::Toggle(QWidget* frame) {
    ToggleWindow<CStationListDlg>(ToolWindow::kStationList, frame);
}

int32_t CStationListDlg::TableCount() const { return g_stationCount; }

QString CStationListDlg::CellText(int32_t row, int32_t col) const {
    return FromCp932(FormatStationListCell(row, col));
}

bool CStationListDlg::RowMarked(int32_t row) const {
    return Grid()->GetCellBackColor(row, 1) == kMarkColor;
}

void CStationListDlg::MarkRow(int32_t row, bool on) {
    for (int c = 0; c < kStationListColumns; ++c)
        Grid()->SetCellBackColor(row, c, on ? kMarkColor : QColor());
}

void CStationListDlg::ClearMarks() {
    if (!m_marksPresent) return;
    Grid()->setUpdatesEnabled(false);
    for (int r = 1; r < Grid()->GetRows(); ++r)
        if (RowMarked(r)) MarkRow(r, false);
    Grid()->setUpdatesEnabled(true);
    m_marksPresent = false;
}

bool CStationListDlg::eventFilter(QObject* watched, QEvent* event) {
    // Ctrl with a click marks rows: the press tells, before the grid takes it.
    if (watched == Grid()->viewport() && event->type() == QEvent::MouseButtonPress)
        m_ctrlClick = (static_cast<QMouseEvent*>(event)->modifiers() & Qt::ControlModifier) != 0;
    return CRouteListWindow::eventFilter(watched, event);
}

void CStationListDlg::StoreCell(int32_t row, int32_t col, const QString& text) {
    const std::string name = ToCp932(Grid()->GetTextMatrix(row, 1).trimmed());
    switch (CommitStationListCell(row, col, ToCp932(text), name)) {
        case StationCellStore::kStored:
            FormatRow(row);
            break;
        case StationCellStore::kNameOnly:
            Grid()->SetTextMatrix(row, col, text.trimmed());
            break;
        case StationCellStore::kAppended:
            Grid()->SetRow(g_stationCount);
            FormatRow(g_stationCount);
            break;
        case StationCellStore::kNothing:
            FormatRow(row);
            break;
    }
}

void CStationListDlg::CurrentCellChanged() { SelectStationListRow(Selection(), m_marksPresent); }

void CStationListDlg::GridClicked() {
    HideEditor();
    const GridSelection s = Selection();
    const bool ctrl = m_ctrlClick;
    m_ctrlClick = false;
    if (ctrl && s.row == s.rowSel && s.row >= 1 && s.row <= g_stationCount) {
        const bool marked = Grid()->GetCellBackColor(s.row, s.col) == kMarkColor;
        Grid()->setUpdatesEnabled(false);
        MarkRow(s.row, !marked);
        Grid()->setUpdatesEnabled(true);
        if (!marked) m_marksPresent = true;
    } else {
        ClearMarks();
    }
    if (!s.SingleCell()) return;
    if (s.row != g_currentStation) {
        g_currentStation = s.row >= 1 && s.row <= g_stationCount ? s.row : 0;
        g_redrawMask = 0;
        InvalidateAndUpdateView();
    }
    OpenEditor();
}

void CStationListDlg::OnInsert() {
    if (InsertStationListRow(Selection())) FormatRows(1, g_stationCount);
    ClearMarks();
    FocusGrid();
}

void CStationListDlg::OnDelete() {
    const int32_t before = g_stationCount;
    if (before < 1) return;
    if (m_marksPresent) {
        std::vector<bool> marked(static_cast<size_t>(before) + 1, false);
        for (int32_t r = 1; r <= before; ++r) marked[r] = RowMarked(r);
        DeleteMarkedStations(marked);
        ClearMarks();
    } else {
        const GridSelection s = Selection();
        if (s.SingleColumn()) {
            DeleteStationListRows(s);  // tells which rows to name
            return;
        }
        Grid()->SetRow(s.FirstRow());
        Grid()->SetColSel(s.colSel);
        if (s.FirstRow() > before) {
            if (s.FirstRow() == before + 1) FormatRow(s.FirstRow());
            return;
        }
        DeleteStationListRows(s);
    }
    FormatRows(1, before);
    FocusGrid();
}

void CStationListDlg::OnDeleteAll() {
    const int32_t before = g_stationCount;
    if (!DeleteAllStations()) return;
    FormatRows(1, before);
    ClearMarks();
    FocusGrid();
}

void CStationListDlg::OnSwapSides() {
    SwapStationSides();
    Refresh();
    ClearMarks();
}
