#pragma once
// The modeless plus-stake window "断面（プラス杭）追加" (dialog 139): one column of added
// distances, edited in place; closing it sorts the stakes.
#include "route/ui/route_list_window.h"

class CPlusStakeDlg : public CRouteListWindow {
    Q_OBJECT
public:
    explicit CPlusStakeDlg(QWidget* parent = nullptr);
    ~CPlusStakeDlg() override;

    // The frame command 32806: opens the one instance, or closes it when it is open.
    static void Toggle(QWidget* frame);

protected:
    int32_t TableCount() const override;
    QString CellText(int32_t row, int32_t col) const override;
    void StoreCell(int32_t row, int32_t col, const QString& text) override;
    void NextCell(int32_t& row, int32_t& col) const override;
    void GridClicked() override;
    void Closing() override;
};
