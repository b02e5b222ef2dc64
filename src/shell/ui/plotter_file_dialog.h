#pragma once
// Dialog 186 "カルドミア出力": scale, straight-line tolerance, paper and output file of the
// trace program's command file.
#include <QDialog>

#include "shell/plotter_file.h"

class QButtonGroup;
class QLineEdit;

class CPlotterFileOutputDlg : public QDialog {
    Q_OBJECT
public:
    CPlotterFileOutputDlg(const PlotterBasePoint& first, const PlotterBasePoint& second, QWidget* parent = nullptr);
    QLineEdit* Edit(int controlId) const;  // 1185 scale, 1186 tolerance, 1082 file
    void OnStart();
    void OnBrowse();
    const PlotterFileDialogValues& Values() const { return m_values; }

private:
    void ReadScale();
    void ReadTolerance();
    void ReadPath();

    PlotterBasePoint m_first, m_second;
    PlotterFileDialogValues m_values;
    QLineEdit* m_scale = nullptr;
    QLineEdit* m_tolerance = nullptr;
    QLineEdit* m_path = nullptr;
    QButtonGroup* m_paper = nullptr;
};

// Makes the command run this dialog on the picked points.
void InstallPlotterFileDialog(QWidget* frame);
