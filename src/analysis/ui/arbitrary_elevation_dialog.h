#pragma once
// 任意座標標高計算 (dialog 178).
#include <QDialog>

#include "analysis/elevations_from_file.h"

class QLabel;

class CArbitraryElevationDlg : public QDialog {
    Q_OBJECT
public:
    explicit CArbitraryElevationDlg(QWidget* parent = nullptr);
    const ArbitraryElevationSettings& Settings() const { return m_settings; }

private:
    ArbitraryElevationSettings m_settings;
    QLabel* m_input;
    QLabel* m_output;
};

// The command: with a TIN, the dialog modally; without, a message.
void OnArbitraryElevationCalc(QWidget* parent);
