#pragma once
// The modeless window ベクトル作成 (278) over CVecCreate; controls carry their template
// ids as object names.
#include <QDialog>
#include <map>
#include <memory>

#include "shell/tool_windows.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class CColorComboBox;
class CVecCreate;

class CVecCreateWindow : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    explicit CVecCreateWindow(QWidget* frame);
    ~CVecCreateWindow() override;
    void RefreshControls();
    void CloseToolWindow() override { close(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void EditLeft(QLineEdit* edit);
    QLineEdit* AddEdit(int id);

    std::unique_ptr<CVecCreate> m_core;
    std::map<int, QLineEdit*> m_edits;  // by id
    QButtonGroup* m_tools;
    QButtonGroup* m_snaps;
    QButtonGroup* m_elevations;
    QButtonGroup* m_dimensions;
    QButtonGroup* m_penSizes;
    QCheckBox* m_tinCross;
    QCheckBox* m_textAsElevation;
    QCheckBox* m_doubleByte;
    QCheckBox* m_searchOptions[3];  // 1084, 1085, 1086
    QComboBox* m_decimals;
    CColorComboBox* m_colour;
    QPushButton* m_delete;
    bool m_closed = false;
};

// Installs the window's opener for ベクトル作成.
void InstallVecCreateWindow(QWidget* frame);
