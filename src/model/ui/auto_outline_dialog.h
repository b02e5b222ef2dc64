#pragma once
// The dialog "外周自動設定" of the automatic outline: the maximum distance (edit 1011,
// typed or turned with the mouse wheel), 実行 (1191) and ｷｬﾝｾﾙ (2). Controls carry their
// template ids as object names.
#include <QDialog>

#include "model/auto_outline.h"

class QLineEdit;
class QPushButton;

class CAutoOutlineDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAutoOutlineDlg(QWidget* parent = nullptr);
    ~CAutoOutlineDlg() override;

    // Runs the dialog modally.
    static void Run(QWidget* parent);

    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void ApplyTypedDistance();
    void OnRun();

    AutoOutlineDialogValues m_values;
    QLineEdit* m_distance = nullptr;
    QPushButton* m_run = nullptr;
    QPushButton* m_cancel = nullptr;
};
