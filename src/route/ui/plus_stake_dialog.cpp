#include "route/ui/plus_stake_dialog.h"

#include <QPushButton>

#include "platform/encoding.h"
#include "route/plus_stakes.h"
#include "route/route_data.h"
#include "shell/ui/flex_grid.h"

CPlusStakeDlg::CPlusStakeDlg(QWidget* parent)
    : CRouteListWindow(ToolWindow::kPlusStake, "plusStakeDialog", "断面（プラス杭）追加", 2,
                       parent) {
    CMSFlexGrid* grid = Grid();
    grid->SetTextMatrix(0, 0, "No.");
    grid->SetTextMatrix(0, 1, QString::fromUtf8("追加距離"));
    grid->SetColAlignment(0, 7);
    grid->SetColAlignment(1, 7);
    grid->SetRows(g_plusStakeCount + 3 > 40 ? g_plusStakeCount + 4 : 40);
    FormatRows(1, g_plusStakeCount);
    resize(260, 420);
    connect(AddButton(1259, "挿入"), &QPushButton::clicked, this, [this] {
        const GridSelection s = Selection();
        if (InsertPlusStakeRow(s)) {
            FormatRows(1, g_plusStakeCount);
            Grid()->SetTextMatrix(s.FirstRow(), 1, QString());
        }
        FocusGrid();
    });
    connect(AddButton(1261, "削除"), &QPushButton::clicked, this, [this] {
        const GridSelection s = Selection();
        const int32_t before = g_plusStakeCount;
        if (before < 1) return;
        if (s.FirstRow() == 0) {
            DeletePlusStakeRows(s);  // tells which rows to name
            return;
        }
        Grid()->SetRow(s.FirstRow());
        Grid()->SetColSel(s.colSel);
        if (s.FirstRow() > before) {
            if (s.FirstRow() == before + 1) FormatRow(s.FirstRow());
            return;
        }
        DeletePlusStakeRows(s);
        FormatRows(1, before);
        FocusGrid();
    });
    connect(AddButton(1260, "表コピー"), &QPushButton::clicked, this, [this] {
        CopyPlusStakeTable();
        FocusGrid();
    });
    connect(AddButton(1136, "貼り付け"), &QPushButton::clicked, this, [this] {
        PastePlusStakeTable();
        FormatRows(1, g_plusStakeCount);
    });
    connect(AddButton(1051, "閉じる"), &QPushButton::clicked, this, &QDialog::close);
    SetColumnWidths(5);
    SetPlusStakeGridRefresher([this] { Refresh(); });
}

CPlusStakeDlg::~CPlusStakeDlg() {
    SetPlusStakeGridRefresher(nullptr);
    Closing();
}

void CPlusStakeDlg::Closing() {
    SortPlusStakeValues();
}

void CPlusStakeDlg::Toggle(QWidget* frame) {
    ToggleWindow<CPlusStakeDlg>(ToolWindow::kPlusStake, frame);
}

int32_t CPlusStakeDlg::TableCount() const { return g_plusStakeCount; }

QString CPlusStakeDlg::CellText(int32_t row, int32_t col) const {
    return QString::fromStdString(FormatPlusStakeCell(row, col));
}

void CPlusStakeDlg::StoreCell(int32_t row, int32_t col, const QString& text) {
    if (col != 1) return;  // the number column takes nothing
    switch (CommitPlusStakeCell(row, Utf8ToCp932(text.toStdString()))) {
        case PlusStakeCellStore::kStored:
            FormatRow(row);
            break;
        case PlusStakeCellStore::kAppended:
            FormatRows(g_plusStakeCount, g_plusStakeCount + 1);
            Grid()->SetRow(g_plusStakeCount + 1);
            break;
        case PlusStakeCellStore::kNothing:
            FormatRow(row);
            break;
    }
}

void CPlusStakeDlg::NextCell(int32_t& row, int32_t& col) const {
    if (row < Grid()->GetRows() - 1) {
        ++row;
        col = 1;
    }
}

void CPlusStakeDlg::GridClicked() {
    // The current station stays: a stake row is no station.
    HideEditor();
    if (Selection().SingleCell()) OpenEditor();
}
