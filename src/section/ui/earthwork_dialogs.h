#pragma once
// The earthwork dialogs: "平均断面土量計算" (148), the files and settings of the
// calculation, and "土量一覧" (147), the grid of every section's quantities with a table
// copy. Controls carry their template ids as object names.
#include <QDialog>

#include "section/earthwork_command.h"

class CMSFlexGrid;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class CEarthworkCalcDlg : public QDialog {
    Q_OBJECT
public:
    CEarthworkCalcDlg(EarthworkCalcDialogState& state, QWidget* parent = nullptr);
    // Modal; true when 計算 closed it.
    static bool Run(EarthworkCalcDialogState& state, QWidget* parent);

    void OnSelectCurrentFile();
    void OnSelectPlanFile();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Refresh();
    void EditLeft(QLineEdit* edit);

    EarthworkCalcDialogState& m_state;
    QLabel* m_currentPath = nullptr;
    QLabel* m_planPath = nullptr;
    QPushButton* m_selectPlan = nullptr;
    QPushButton* m_calc = nullptr;
    QLineEdit* m_rate = nullptr;
    QLineEdit* m_tolerance = nullptr;
    QLineEdit* m_judge = nullptr;
    QRadioButton* m_dupOn = nullptr;
    QRadioButton* m_adjustOn = nullptr;
};

class CEarthworkListDlg : public QDialog {
    Q_OBJECT
public:
    explicit CEarthworkListDlg(QWidget* parent = nullptr);
    static void Run(QWidget* parent);

    void FillGrid();
    void OnCopyTable();
    CMSFlexGrid* Grid() const { return m_grid; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    CMSFlexGrid* m_grid = nullptr;
    QPushButton* m_close = nullptr;
    QPushButton* m_copy = nullptr;
};
