#pragma once
// The hole-type window 中抜登録 (276, modeless: register or release holes by surface kind)
// and the hole-kind dialog 中抜登録 (296, modal: the kind of a hole polygon). Controls
// carry their template ids as object names.
#include <QDialog>

#include "model/hole_commands.h"
#include "shell/tool_windows.h"

class CHoleSet : public QDialog, public ToolWindowHandle {
    Q_OBJECT
public:
    explicit CHoleSet(QWidget* parent);
    ~CHoleSet() override;
    void CloseToolWindow() override;
    const HoleTypeValues& Values() const { return m_values; }

    // The frame's hook of command 32955 and the polygon tool's kind question.
    static void Install(QWidget* frame);

private:
    HoleTypeValues m_values;
};

class CHoleSel : public QDialog {
    Q_OBJECT
public:
    explicit CHoleSel(QWidget* parent);
    int HoleKind = 0;
    // The kind selected when the dialog closes, however it is closed.
    static int Ask(QWidget* parent);
};
