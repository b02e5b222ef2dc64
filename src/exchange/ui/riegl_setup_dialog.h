#pragma once
// RIEGL設置座標 (217): the scanner's set-up point. Controls carry their template ids as
// object names.
#include <QDialog>

#include "exchange/scanner.h"

class QLineEdit;

class CRieglSetupDlg : public QDialog {
    Q_OBJECT
public:
    CRieglSetupDlg(RieglSetup& setup, QWidget* parent = nullptr);
    // Shows the dialog; `setup` holds what the edits held when it ended, however it ended.
    static void Run(RieglSetup& setup, QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Take(QLineEdit* edit, double& member);

    RieglSetup& m_setup;
    QLineEdit* m_x;
    QLineEdit* m_y;
    QLineEdit* m_z;
};
