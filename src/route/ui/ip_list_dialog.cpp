#include "route/ui/ip_list_dialog.h"

#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <cstdlib>

#include "platform/encoding.h"
#include "route/ip_list.h"
#include "route/route_data.h"
#include "shell/ui/flex_grid.h"
#include "view/view_navigation.h"
#include "view/view_state.h"

namespace {
QString FromCp932(const std::string& text) { return QString::fromStdString(Cp932ToUtf8(text)); }
std::string ToCp932(const QString& text) { return Utf8ToCp932(text.toStdString()); }
}  // namespace

CIpListDlg::CIpListDlg(QWidget* parent)
    : CRouteListWindow(ToolWindow::kIpList, "ipListDialog", "ＩＰ点一覧", kIpListColumns,
                       parent) {
    CMSFlexGrid* grid = Grid();
    for (int c = 0; c < kIpListColumns; ++c) {
        grid->SetTextMatrix(0, c, QString::fromUtf8(kIpListHeadings[c]));
        grid->SetColAlignment(c, c == 1 ? 1 : 7);
    }
    grid->SetRows(g_ipPointCount >= 38 ? g_ipPointCount + 4 : 40);
    FormatRows(1, g_ipPointCount);

    connect(AddButton(1026, "表コピー"), &QPushButton::clicked, this, [this] {
        CopyIpTable(Selection());
        FocusGrid();
    });
    connect(AddButton(1259, "挿入"), &QPushButton::clicked, this, [this] { OnInsert(); });
    connect(AddButton(1261, "削除"), &QPushButton::clicked, this, [this] { OnDelete(); });
    connect(AddButton(1005, "全削除"), &QPushButton::clicked, this, [this] { OnDeleteAll(); });
    connect(AddButton(1136, "貼り付け"), &QPushButton::clicked, this, [this] { OnPaste(); });
    connect(AddButton(1137, "番号再登録"), &QPushButton::clicked, this, [this] { OnRenumber(); });
    m_startNumber = new QLineEdit("0", this);
    m_startNumber->setObjectName("1039");
    m_startNumber->setMaximumWidth(60);
    m_startNumber->installEventFilter(this);
    connect(m_startNumber, &QLineEdit::editingFinished, this,
            [this] { m_start = std::atoi(m_startNumber->text().toStdString().c_str()); });
    AddToButtonRow(m_startNumber);
    connect(AddButton(1051, "閉じる"), &QPushButton::clicked, this, &QDialog::close);
    SetColumnWidths(9);
    SetIpListRefresher([this] { Refresh(); });
}

CIpListDlg::~CIpListDlg() {
    SetIpListRefresher(nullptr);
    Closing();
}

void CIpListDlg::Closing() {
    g_currentIp = 0;
    InvalidateAndUpdateView();
}

void CIpListDlg::Toggle(QWidget* frame) { ToggleWindow<CIpListDlg>(ToolWindow::kIpList, frame); }

int32_t CIpListDlg::TableCount() const { return g_ipPointCount; }

QString CIpListDlg::CellText(int32_t row, int32_t col) const {
    return FromCp932(FormatIpListCell(row, col));
}

void CIpListDlg::StoreCell(int32_t row, int32_t col, const QString& text) {
    const std::string name = ToCp932(Grid()->GetTextMatrix(row, 1).trimmed());
    switch (CommitIpListCell(row, col, ToCp932(text), name)) {
        case IpCellStore::kStored:
            FormatRow(row);
            break;
        case IpCellStore::kNameOnly:
            Grid()->SetTextMatrix(row, col, text.trimmed());
            break;
        case IpCellStore::kAppended:
            Grid()->SetRow(g_ipPointCount);
            FormatRows(g_ipPointCount, g_ipPointCount + 1);
            break;
        case IpCellStore::kNothing:
            FormatRow(row);
            break;
    }
}

void CIpListDlg::CurrentCellChanged() { SelectIpListRow(Selection()); }

void CIpListDlg::GridClicked() {
    HideEditor();
    const GridSelection s = Selection();
    if (!s.SingleCell()) return;
    if (s.row != g_currentIp) SelectIpListRow(s);
    const QString proposal = FromCp932(ProposeIpListCell(s.row, s.col));
    if (!proposal.isEmpty()) {
        Grid()->SetTextMatrix(s.row, s.col, proposal);
        OpenEditor(&proposal);
    } else {
        OpenEditor();
    }
}

void CIpListDlg::OnInsert() {
    if (InsertIpListRow(Selection())) FormatRows(1, g_ipPointCount);
    FocusGrid();
}

void CIpListDlg::OnDelete() {
    const GridSelection s = Selection();
    const int32_t before = g_ipPointCount;
    if (g_ipPointCount < 1 || s.SingleColumn()) {
        DeleteIpListRows(s);
        return;
    }
    // The selection shrinks to its first row.
    Grid()->SetRowSel(s.FirstRow());
    Grid()->SetRow(s.FirstRow());
    Grid()->SetColSel(s.colSel);
    DeleteIpListRows(s);
    FormatRows(1, before + 1);
    FocusGrid();
}

void CIpListDlg::OnDeleteAll() {
    const int32_t before = g_ipPointCount;
    DeleteAllIps();
    FormatRows(1, before);
    FocusGrid();
}

void CIpListDlg::OnPaste() {
    PasteIpTable();
    FormatRows(1, g_ipPointCount);
}

void CIpListDlg::OnRenumber() {
    m_start = std::atoi(m_startNumber->text().toStdString().c_str());
    if (RenumberIps(m_start)) FormatRows(1, g_ipPointCount);
}
