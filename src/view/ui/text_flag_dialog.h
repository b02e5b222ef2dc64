#pragma once
// The modeless window テキストフラグ (198) over CTextFlagDlg: a row of buttons that
// choose the tool's mode, and below it the edit part, shown while a flag is being added
// or edited.
#include <QDialog>
#include <memory>

#include "shell/tool_windows.h"

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class CTextFlagDlg;

class CTextFlagWindow : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    explicit CTextFlagWindow(QWidget* frame);
    ~CTextFlagWindow() override;
    void CloseToolWindow() override { close(); }
    void RefreshControls();
    CTextFlagDlg* Core() const { return m_core.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLineEdit* AddEdit(const char* name);
    void EditLeft(QLineEdit* edit);
    void PullFields();
    void ChooseColour(int colourClass);

    std::unique_ptr<CTextFlagDlg> m_core;
    QWidget* m_editPart;
    QPushButton* m_modeButtons[3];
    QLineEdit* m_allLineLengths;
    QLineEdit* m_text;
    QLineEdit* m_link;
    QLineEdit* m_x;
    QLineEdit* m_y;
    QLineEdit* m_z;
    QLineEdit* m_lineLength;
    QLineEdit* m_size;
    QComboBox* m_sizeClass;
    QRadioButton* m_colours[4];
    QPushButton* m_swatches[4];
};

// Installs the window for テキストフラグ (32968).
void InstallTextFlagWindow(QWidget* frame);
void UninstallTextFlagWindow();
