#pragma once
// The modeless area dialogs: 有効無効 領域編集 (261), 重複点削除 領域編集 (262) and
// 移動・回転 (294). Each shows and collects the values of its core object and forwards the
// buttons; controls carry their template ids as object names.
#include <QDialog>
#include <memory>

#include "shell/tool_windows.h"

class QLineEdit;
class QAbstractButton;
class QLabel;
class CValidAreaEditDlg;
class CDupPointAreaEditDlg;
class CMoveRotateDlg;
class ProgressWindow;

// Edits that take their value when they lose the focus, remembering whether Enter or Esc
// made them lose it; the wheel goes to the edit with the focus or to the view.
class AreaEditDialogBase : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    AreaEditDialogBase(QWidget* frame, ToolWindow slot);
    ~AreaEditDialogBase() override;
    void CloseToolWindow() override;

protected:
    QLineEdit* AddEdit(int id);
    QLineEdit* Edit(int id) const;
    QAbstractButton* Button(int id) const;
    QLabel* Label(int id) const;
    void SetEditText(int id, const QString& text);
    // An edit lost the focus.
    virtual void EditLeft(int id, const QString& text, bool enter, bool escape) = 0;
    // A wheel notch with the focus in edit id; false: the view takes the wheel.
    virtual bool WheelOnEdit(int, int) { return false; }
    bool eventFilter(QObject* watched, QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    // Bottom-right of the view's client area.
    void PlaceAtViewCorner();
    // The work object goes when the window closes, not when Qt gets round to deleting it.
    void closeEvent(QCloseEvent* event) override;
    virtual void ReleaseCore() = 0;

    QWidget* m_frame;
    ToolWindow m_slot;
    bool m_enter = false;
    bool m_escape = false;
};

class CValidAreaEditWindow : public AreaEditDialogBase {
    Q_OBJECT
public:
    explicit CValidAreaEditWindow(QWidget* frame);
    ~CValidAreaEditWindow() override;
    void RefreshControls();

protected:
    void EditLeft(int id, const QString& text, bool enter, bool escape) override;
    void ReleaseCore() override;

private:
    std::unique_ptr<CValidAreaEditDlg> m_core;
};

class CDupAreaEditWindow : public AreaEditDialogBase {
    Q_OBJECT
public:
    explicit CDupAreaEditWindow(QWidget* frame);
    ~CDupAreaEditWindow() override;
    void RefreshControls();

protected:
    void EditLeft(int id, const QString& text, bool enter, bool escape) override;
    bool WheelOnEdit(int id, int delta) override;
    void ReleaseCore() override;

private:
    std::unique_ptr<CDupPointAreaEditDlg> m_core;
    std::unique_ptr<ProgressWindow> m_status;
};

class CMoveRotateWindow : public AreaEditDialogBase {
    Q_OBJECT
public:
    explicit CMoveRotateWindow(QWidget* frame);
    ~CMoveRotateWindow() override;
    void RefreshControls();

protected:
    void EditLeft(int id, const QString& text, bool enter, bool escape) override;
    bool WheelOnEdit(int id, int delta) override;
    void ReleaseCore() override;

private:
    std::unique_ptr<CMoveRotateDlg> m_core;
};

// Installs the three windows' factories (the frame's commands open them).
void InstallAreaEditWindows(QWidget* frame);
