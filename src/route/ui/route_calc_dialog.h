#pragma once
// The modal dialog "路線計算": the route parameters, the naming choices and 計算開始
// (1007) / ｷｬﾝｾﾙ (2). Controls carry their template ids as object names.
#include <QDialog>
#include <map>

#include "route/route_calc_dialog.h"
#include "shell/tool_windows.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class CRouteCalcDlg : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    explicit CRouteCalcDlg(QWidget* parent = nullptr);
    ~CRouteCalcDlg() override;

    // Runs the dialog modally.
    static void Run(QWidget* parent);

    void CloseToolWindow() override;
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void FieldLeft(QLineEdit* edit);
    void OnCalcStart();

    RouteCalcDialogValues m_values;
    std::map<QLineEdit*, int> m_fields;
    QPushButton* m_start = nullptr;
    QPushButton* m_cancel = nullptr;
    QCheckBox* m_singleCurveSp = nullptr;
    QCheckBox* m_auxStations = nullptr;
};
