#pragma once
// The modal dialog "縦横断計算": calculation method, spacing, interpolation, CROSS list,
// follow-the-surface and plan-only, 開始 (1007), 簡易断面(作図専用) (3) and ｷｬﾝｾﾙ (2).
// Controls carry their template ids as object names.
#include <QDialog>

#include "section/section_calc_command.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class CSectionCalcDlg : public QDialog {
    Q_OBJECT
public:
    CSectionCalcDlg(bool hideExtras, QWidget* parent = nullptr);
    // Runs the dialog modally: 0 cancel, 1 start, 2 simple sections.
    static int Run(bool hideExtras, QWidget* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Click(int id, bool checked);
    void Show();
    void IntervalLeft();

    SectionCalcDialogState m_state;
    QRadioButton* m_normal = nullptr;
    QRadioButton* m_interval = nullptr;
    QLineEdit* m_spacing = nullptr;
    QRadioButton* m_straight = nullptr;
    QRadioButton* m_curve = nullptr;
    QCheckBox* m_long = nullptr;
    QCheckBox* m_follow = nullptr;
    QCheckBox* m_planOnly = nullptr;
    QPushButton* m_simple = nullptr;
};
