#pragma once
// The dialog "平坦点削除" (228): the angle (edit 1082), 実行 (1041) marks the flat points,
// キャンセル (1042) takes the marks back, 閉じる (1) makes the marked points invalid and
// closes. Enter moves to the next control and Escape does nothing. Controls carry their
// template ids as object names.
#include <QDialog>

#include "model/flat_points.h"

class QLineEdit;

class CFlatPointDeleteDlg : public QDialog {
    Q_OBJECT
public:
    CFlatPointDeleteDlg(FlatPointDeleteValues& values, QWidget* parent = nullptr);

    // Runs the dialog modally over `values`.
    static void Run(FlatPointDeleteValues& values, QWidget* parent);

    void OnAngleKillFocus();
    void OnExecute();
    void OnCancelMarks();
    void OnOK();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Closed by the window frame: the marks are taken back, as キャンセル does.
    void reject() override;

private:
    FlatPointDeleteValues& m_values;
    QLineEdit* m_angle = nullptr;
};
