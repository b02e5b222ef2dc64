#pragma once
// The modal dialog "切出し座標編集" (149): which stakes the next clicks register, and the
// three bulk deletions. Its result is the registration (1 to 3), the deletion (-1 to -3) or
// the cancel result.
#include <QDialog>

class CCutPointEditDlg : public QDialog {
    Q_OBJECT
public:
    explicit CCutPointEditDlg(QWidget* parent = nullptr);
    static int Run(QWidget* parent);
};
