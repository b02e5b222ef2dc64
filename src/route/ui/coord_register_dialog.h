#pragma once
// The modal dialog "座標データの登録" (132): one IP through the working copy `g_ipEdit`.
// 登録 (1004) ends with 0, ｷｬﾝｾﾙ (2), Escape and the right button with a nonzero result.
#include "route/ui/route_field_dialog.h"

class QLabel;

class CCoordRegisterDlg : public CRouteFieldDialog {
    Q_OBJECT
public:
    explicit CCoordRegisterDlg(QWidget* parent = nullptr);
    ~CCoordRegisterDlg() override;

    // Runs the dialog modally and returns its result.
    static int Run(QWidget* parent);
    void reject() override;

protected:
    void FieldLeft(QLineEdit* edit) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void ShowFields();
    void OnStore();

    QLabel* m_number = nullptr;
};
