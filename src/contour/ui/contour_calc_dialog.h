#pragma once
// The modeless dialog 等高線計算パラメータの設定 (161) and the modal question
// 等高線データ置換、追加確認 (180). Controls carry their template ids as object names.
#include <QDialog>

#include "shell/tool_windows.h"

class QLineEdit;

class CContourCalcDlg : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    explicit CContourCalcDlg(QWidget* parent);
    ~CContourCalcDlg() override;
    void CloseToolWindow() override;

    // Opens the dialog beside `parent` (the frame) when none is open.
    static void Open(QWidget* parent);
    // The frame's 等高線 command with its dialogs (the replace question included).
    static void Install(QWidget* frame);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void ShowEdit(int id);
    QLineEdit* Edit(int id) const;
};

class CContourReplaceDlg : public QDialog {
    Q_OBJECT
public:
    explicit CContourReplaceDlg(QWidget* parent);
    // 2 新規作成, 1 追加作成, 0 cancelled.
    static int Ask(QWidget* parent);
};
