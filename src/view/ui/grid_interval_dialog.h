#pragma once
// 方眼間隔の設定 (dialog 159).
#include <QDialog>

class QLineEdit;

class CGridIntervalDlg : public QDialog {
    Q_OBJECT
public:
    explicit CGridIntervalDlg(QWidget* parent = nullptr);
    QLineEdit* IntervalEdit() const { return m_edit; }

private:
    QLineEdit* m_edit;
};

// Runs the dialog modally over `parent` whenever the grid is switched on.
void InstallGridIntervalDialog(QWidget* parent);
void UninstallGridIntervalDialog();
