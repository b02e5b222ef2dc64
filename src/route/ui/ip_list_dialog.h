#pragma once
// The modeless IP list "ＩＰ点一覧" (dialog 135): the IP table in a grid, edited in place,
// with insert, delete, delete all, renumbering and the clipboard. Controls carry their
// template ids as object names.
#include "route/ui/route_list_window.h"

class QLineEdit;

class CIpListDlg : public CRouteListWindow {
    Q_OBJECT
public:
    explicit CIpListDlg(QWidget* parent = nullptr);
    ~CIpListDlg() override;

    // The frame command 32811: opens the one instance, or closes it when it is open.
    static void Toggle(QWidget* frame);

protected:
    int32_t TableCount() const override;
    QString CellText(int32_t row, int32_t col) const override;
    void StoreCell(int32_t row, int32_t col, const QString& text) override;
    void CurrentCellChanged() override;
    void GridClicked() override;
    void Closing() override;

private:
    void OnInsert();
    void OnDelete();
    void OnDeleteAll();
    void OnPaste();
    void OnRenumber();

    QLineEdit* m_startNumber = nullptr;
    int32_t m_start = 0;
};
