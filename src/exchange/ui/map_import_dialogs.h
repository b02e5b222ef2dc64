#pragma once
// The option dialog of the HTF map import (HTF input) and the frame commands of the
// alignment/track and HTF imports. Controls carry their template ids as object names.
#include <QDialog>

#include "exchange/htf_map.h"

class CColorComboBox;
class QLabel;
class QLineEdit;
class FrameCommandTarget;

class CHTF_inp : public QDialog {
    Q_OBJECT
public:
    explicit CHTF_inp(QWidget* parent = nullptr);
    const HtfInputValues& Values() const { return m_values; }
    // 1 start, 0 abort, 2 the close box.
    static int Run(HtfInputValues& values, QWidget* parent);

protected:
    void reject() override { done(2); }

private:
    void OnZoneSelect();

    HtfInputValues m_values;
    QLineEdit* m_layers[kHtfRows] = {};
    CColorComboBox* m_colours[kHtfRows] = {};
    QLabel* m_zone = nullptr;
    QLineEdit* m_textHeight = nullptr;
};

// Commands 33072 (alignment XML or GPS track) and 33032 (HTF map files).
void InstallMapImportCommands(QWidget* frame, FrameCommandTarget& commands);
