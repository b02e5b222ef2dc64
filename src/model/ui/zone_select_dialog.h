#pragma once
// The plane-zone dialog "系指定" and the axis-convention dialog "座標系指定". Controls
// carry their dialog-template ids as object names.
#include <QDialog>

#include "model/zone_dialog.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QRadioButton;

class CZoneSelectDlg : public QDialog {
    Q_OBJECT
public:
    explicit CZoneSelectDlg(const ZoneSelectValues& values, QWidget* parent = nullptr);

    const ZoneSelectValues& Values() const { return m_values; }
    // Runs the dialog; true after OK, with `values` taking the dialog's.
    static bool Run(ZoneSelectValues& values, QWidget* parent = nullptr);

private:
    void ShowControls();
    void OnOk();

    ZoneSelectValues m_values;
    ZoneDialogControls m_controls;
    QComboBox* m_zoneCombo = nullptr;
    QListWidget* m_areaList = nullptr;
    QLineEdit* m_latitudeEdit = nullptr;
    QLineEdit* m_longitudeEdit = nullptr;
    QLineEdit* m_zoneEdit = nullptr;
    QGroupBox* m_datumGroup = nullptr;
    QRadioButton* m_tokyoRadio = nullptr;
    QRadioButton* m_worldRadio = nullptr;
    QButtonGroup* m_radioGroup = nullptr;
    QCheckBox* m_convertCheck = nullptr;
};

// Closes with kAxisSurvey ("公共座標") or kAxisMathematical ("数学座標"); closed any
// other way it returns 2, so the caller can tell that nothing was chosen.
class CAxisConventionDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClosed = 2;

    explicit CAxisConventionDlg(QWidget* parent = nullptr);
    // exec() with the result above.
    int Run();

    void reject() override;
};
