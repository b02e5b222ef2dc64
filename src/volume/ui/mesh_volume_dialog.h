#pragma once
// The mesh volume dialog メッシュ土量計算 (167, modal) and its command 32807. Controls
// carry their template ids as object names.
#include <QDialog>

#include "volume/mesh_volume.h"

class QLabel;
class QLineEdit;
class QPushButton;

class CMeshVolumeDlg : public QDialog {
    Q_OBJECT
public:
    CMeshVolumeDlg(QWidget* parent, MeshVolumeDialogValues& values);
    // Runs the dialog: -1 計算開始, 1 デバック用面積計算, 0 中止 or closed.
    static int Run(QWidget* parent, MeshVolumeDialogValues& values);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Enabling and the two path texts follow every mesh file read while the dialog is open.
    void Refresh();
    void CommitZeroLimit();

    MeshVolumeDialogValues& m_values;
    QLabel* m_currentPath = nullptr;
    QLabel* m_planPaths = nullptr;
    QLineEdit* m_zeroLimit = nullptr;
    QPushButton* m_planSelect = nullptr;
    QPushButton* m_clear = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_areaCheck = nullptr;
};

// Command 32807: the dialog, then the run it asked for, with repaints before and after.
void OnMeshVolumeCommand(QWidget* frame);
