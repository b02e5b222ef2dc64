#pragma once
// The TIN volume and area windows: the datum volume window 体積計算 (270, modeless), the
// digits dialog 小数桁設定 (204, modal) and the TIN volume dialog 三角網体積計算 (295,
// modeless). Controls carry their template ids as object names.
#include <QDialog>

#include "shell/tool_windows.h"
#include "volume/datum_volume.h"
#include "volume/tin_area.h"
#include "volume/tin_volume_command.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QComboBox;

class CVolCalc2 : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    explicit CVolCalc2(QWidget* parent);
    ~CVolCalc2() override;
    void CloseToolWindow() override;

private:
    void Calculate();
    void WriteReport();
    int32_t Decimals() const;

    int32_t m_busy = 0;
    int32_t m_decimals = 0;  // of the last calculation; 0 before the first
    double m_dl = 0;
    int32_t m_holesOnly = 0;
    QLineEdit* m_dlEdit = nullptr;
    QPlainTextEdit* m_result = nullptr;
    QPushButton* m_copy = nullptr;
};

class CAreaDigitsDlg : public QDialog {
    Q_OBJECT
public:
    CAreaDigitsDlg(QWidget* parent, AreaDigitsValues& values);
    // Runs the dialog: false (decimals 0) when cancelled.
    static bool Ask(QWidget* parent, AreaDigitsValues& values);
};

class CTinVolumeDlg : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    explicit CTinVolumeDlg(QWidget* parent);
    ~CTinVolumeDlg() override;
    void CloseToolWindow() override;
    TinVolumeDialogState& State() { return m_state; }

private:
    void OnSelectBaseFile();
    void OnCalculate();
    void OnSaveRegionList();

    TinVolumeDialogState m_state;
    QLabel* m_basePath = nullptr;
    QLabel* m_result = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_start = nullptr;
};

// Commands 32851, 32870, 32871 and 33076.
void OnDatumVolumeCommand();
void OnTinAreaCommand(int32_t surface);
void OnTinVolumeCalc();
// Remembers the frame the windows open beside and hooks the region drawing into the view.
void InstallVolumeDialogs(QWidget* frame);
