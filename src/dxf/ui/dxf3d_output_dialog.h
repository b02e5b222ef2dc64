#pragma once
// "３Ｄ＿ＤＸＦ出力" (dialog 164, modal): what of the terrain model goes into one DXF file.
// Controls carry their dialog-template ids as object names. Enter moves to the next control
// except on 出力; a right click anywhere closes the dialog.
#include <QDialog>

#include "shell/tool_windows.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class FrameCommandTarget;

class C3dDxfOutputDlg : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    explicit C3dDxfOutputDlg(QWidget* parent = nullptr);
    ~C3dDxfOutputDlg() override;
    // Command 32849 runs the dialog.
    static void Install(QWidget* frame, FrameCommandTarget& commands);
    void CloseToolWindow() override { reject(); }

    void OnDxfOutput();
    void OnBrowse();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    struct NumberEdit {
        QLineEdit* edit;
        int32_t* option;
    };
    void NumberLeft(const NumberEdit& n);
    void ShowNumbers();
    void LayerPerElevationChanged();

    QCheckBox* m_contours = nullptr;
    QCheckBox* m_tin = nullptr;
    QCheckBox* m_outline = nullptr;
    QCheckBox* m_layerPerElevation = nullptr;
    QRadioButton* m_metres = nullptr;
    QRadioButton* m_millimetres = nullptr;
    QLineEdit* m_path = nullptr;
    QPushButton* m_output = nullptr;
    std::vector<NumberEdit> m_numbers;
};
