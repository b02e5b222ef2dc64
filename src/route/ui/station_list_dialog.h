#pragma once
// The modeless station list "路線測点一覧" (dialog 137): every station in a grid, edited in
// place; rows marked red with Ctrl + click are the ones 削除 takes.
#include "route/ui/route_list_window.h"

class CStationListDlg : public CRouteListWindow {
    Q_OBJECT
public:
    explicit CStationListDlg(QWidget* parent = nullptr);
    ~CStationListDlg() override;

    // The frame command 32818: opens the one instance, or closes it when it is open.
    static void Toggle(QWidget* frame);
    bool MarksPresent() const { return m_marksPresent; }
    bool RowMarked(int32_t row) const;

protected:
    int32_t TableCount() const override;
    QString CellText(int32_t row, int32_t col) const override;
    void StoreCell(int32_t row, int32_t col, const QString& text) override;
    void CurrentCellChanged() override;
    void GridClicked() override;
    void Closing() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void MarkRow(int32_t row, bool on);
    void ClearMarks();
    void OnInsert();
    void OnDelete();
    void OnDeleteAll();
    void OnSwapSides();

    bool m_marksPresent = false;
    bool m_ctrlClick = false;
};
