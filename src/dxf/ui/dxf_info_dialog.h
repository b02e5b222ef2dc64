#pragma once
// The modeless window 背景ＤＸＦ (192) over CDxfInfoDlg; controls carry their template ids
// as object names.
#include <QDialog>
#include <memory>

#include "shell/tool_windows.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class CDxfInfoDlg;

class CDxfInfoWindow : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    explicit CDxfInfoWindow(QWidget* frame);
    ~CDxfInfoWindow() override;
    void RefreshControls();
    void CloseToolWindow() override { close(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void EditLeft(QLineEdit* edit);

    std::unique_ptr<CDxfInfoDlg> m_core;
    QLabel* m_fields[4] = {};  // 1227, 1228, 1229, 1131
    QCheckBox* m_doubleByte;
    QPushButton* m_deleteSearched;
    QPushButton* m_undo;
    QLineEdit* m_interval;
    QLineEdit* m_elevation;
    QLineEdit* m_judge;
    QLineEdit* m_pointName;
};

// Installs the window's factory for ＤＸＦ座標情報.
void InstallDxfInfoWindow(QWidget* frame);
