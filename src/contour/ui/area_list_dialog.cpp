#include "contour/ui/area_list_dialog.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QResizeEvent>
#include <QVBoxLayout>
#include <algorithm>

#include "contour/slice_line_tool.h"
#include "contour/slice_store.h"
#include "shell/ui/flex_grid.h"
#include "view/view_state.h"

namespace {
void RedrawView() {
    g_redrawMask = -1;
    InvalidateAndUpdateView();
}
}  // namespace

CAreaListDlg::CAreaListDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("areaListDialog");
    setWindowTitle(QString::fromUtf8("標高面積一覧"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    m_grid = new CMSFlexGrid(this);
    m_grid->setObjectName("1274");
    m_grid->SetFixedCols(0);
    auto* copy = new QPushButton(QString::fromUtf8("表コピー"), this);
    copy->setObjectName("1135");
    connect(copy, &QPushButton::clicked, this, [] { CopySliceAreaList(); });
    connect(m_grid, &CMSFlexGrid::Click, this, [this] { OnGridClick(); });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_grid, 1);
    layout->addWidget(copy, 0, Qt::AlignLeft);
    resize(480, 360);
    SetToolWindow(ToolWindow::kAreaList, this);
    Fill();
}

CAreaListDlg::~CAreaListDlg() { ClearToolWindow(ToolWindow::kAreaList, this); }

void CAreaListDlg::closeEvent(QCloseEvent* event) {
    // The highlight belongs to the list: without it nothing says which line it is.
    g_highlightedSliceLine = 0;
    RedrawView();
    QDialog::closeEvent(event);
}

void CAreaListDlg::CloseToolWindow() {
    ClearToolWindow(ToolWindow::kAreaList, this);
    close();
}

void CAreaListDlg::Toggle(QWidget* frame) {
    if (auto* open = dynamic_cast<CAreaListDlg*>(GetToolWindow(ToolWindow::kAreaList))) {
        open->CloseToolWindow();
        return;
    }
    (new CAreaListDlg(frame))->show();
}

void CAreaListDlg::Fill() {
    const std::vector<std::vector<std::string>> rows = SliceAreaListRows();
    const char* headings[] = {"No.", "標高", "点数", "面積", "属性"};
    m_grid->setUpdatesEnabled(false);
    m_grid->SetCols(5);
    m_grid->SetRows(static_cast<int>(rows.size()) + 4);
    for (int c = 0; c < 5; ++c) {
        m_grid->SetTextMatrix(0, c, QString::fromUtf8(headings[c]));
        m_grid->SetColAlignment(c, 4);  // centred
    }
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size() && c < 5; ++c)
            m_grid->SetTextMatrix(static_cast<int>(r) + 1, static_cast<int>(c),
                                  QString::fromStdString(rows[r][c]));
    m_grid->setUpdatesEnabled(true);
    resizeEvent(nullptr);
}

void CAreaListDlg::OnGridClick() {
    // A range of rows names no single line.
    if (m_grid->GetRow() != m_grid->GetRowSel()) return;
    bool ok = false;
    const int line = m_grid->GetTextMatrix(m_grid->GetRow(), 0).trimmed().toInt(&ok);
    if (!ok || line < 1 || line > g_sliceLineCount) return;
    g_highlightedSliceLine = line;
    RedrawView();
}

void CAreaListDlg::resizeEvent(QResizeEvent* event) {
    if (event) QDialog::resizeEvent(event);
    const int width = std::max(m_grid->viewport()->width(), 100);
    const int first = width / 10;
    m_grid->SetColWidth(0, first);
    for (int c = 1; c < 5; ++c) m_grid->SetColWidth(c, (width - first) / 4);
}
