#pragma once
// The modal dialog "路線計算": the route parameters, the naming choices and 計算開始
// (1007) / ｷｬﾝｾﾙ (2). Controls carry their template ids as object names.
#include "route/route_calc_dialog.h"
#include "route/ui/route_field_dialog.h"
#include "shell/tool_windows.h"

class QButtonGroup;
class QCheckBox;
class QPushButton;
class QRadioButton;

class CRouteCalcDlg : public CRouteFieldDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    explicit CRouteCalcDlg(QWidget* parent = nullptr);
    ~CRouteCalcDlg() override;

    // Runs the dialog modally.
    static void Run(QWidget* parent);

    void CloseToolWindow() override;
    void reject() override;

protected:
    void FieldLeft(QLineEdit* edit) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void OnCalcStart();

    RouteCalcDialogValues m_values;
    QPushButton* m_start = nullptr;
    QPushButton* m_cancel = nullptr;
    QCheckBox* m_singleCurveSp = nullptr;
    QCheckBox* m_auxStations = nullptr;
};
