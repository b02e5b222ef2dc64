#pragma once
// The mesh elevation dialog メッシュ標高計算 (213, modal): source and method, missing
// nodes, pitches, outline crossings and the equilateral lattice. Controls carry their
// template ids as object names.
#include <QDialog>

#include "volume/mesh_elevation_command.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

class CMeshElevationCalcDlg : public QDialog {
    Q_OBJECT
public:
    CMeshElevationCalcDlg(QWidget* parent, MeshElevationCalcValues& values);
    // Runs the dialog: true when started with 開始.
    static bool Ask(QWidget* parent, MeshElevationCalcValues& values);

private:
    void Refresh();
    void CommitEdits();

    MeshElevationCalcValues& m_values;
    QRadioButton* m_method[4] = {};  // by method number
    QRadioButton* m_policy[4] = {};  // by policy number
    QRadioButton* m_outlineOn = nullptr;
    QRadioButton* m_outlineOff = nullptr;
    QCheckBox* m_lattice = nullptr;
    QLineEdit* m_missingValue = nullptr;
    QLineEdit* m_pitchLength = nullptr;
    QLineEdit* m_pitchWidth = nullptr;
};

// Command 32877 ﾒｯｼｭ標高計算.
void OnMeshElevationCalc(QWidget* parent);
