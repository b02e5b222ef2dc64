#pragma once
// The dialog "重複点チェック": which point of a group to keep (radios 1100 ユーザー指定,
// 1098 標高最高値を登録, 1099 標高最低値を登録), the judging distance (edit 1236),
// 実行 (1101) and 終了 (2). Controls carry their template ids as object names.
#include <QDialog>

#include "model/duplicate_points.h"

class QLineEdit;
class QRadioButton;

class CDuplicateCheckDlg : public QDialog {
    Q_OBJECT
public:
    explicit CDuplicateCheckDlg(const DuplicateCheckValues& values, QWidget* parent = nullptr);

    const DuplicateCheckValues& Values() const { return m_values; }
    // Runs the dialog modally; true after 実行, with `values` taking the dialog's.
    static bool Run(DuplicateCheckValues& values, QWidget* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ApplyTypedDistance();

    DuplicateCheckValues m_values;
    QLineEdit* m_distance = nullptr;
};
