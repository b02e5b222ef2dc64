#pragma once
// The keys and end buttons many dialogs share. In a dialog with the key filter, Enter moves
// the focus on (so the edit left takes its value) instead of closing, and Esc does nothing;
// both are remembered until the next key so that the edit's focus-out handler can tell an
// Enter from a click elsewhere and keep its old value after an Esc. A control whose property
// "keepsEnter" is true gets its Enter as it is.
#include <QObject>
#include <QPointer>
#include <functional>

class QDialog;
class QEvent;
class QLineEdit;
class QWidget;

class DialogKeyFilter : public QObject {
    Q_OBJECT
public:
    // Installs itself for `dialog` and lives as its child.
    explicit DialogKeyFilter(QWidget* dialog);

    // Flags a dialog's own state holds: written at every key press like the filter's own.
    void BindFlags(bool* enterPressed, bool* escapePressed);
    bool IsEnterPressed() const { return m_enter; }
    bool IsEscapePressed() const { return m_escape; }

signals:
    // Emitted before the focus moves, so the focus-out of the edit already sees it.
    void enterPressed();
    void escapePressed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetFlags(bool enter, bool escape);

    QPointer<QWidget> m_dialog;
    bool m_enter = false;
    bool m_escape = false;
    bool* m_boundEnter = nullptr;
    bool* m_boundEscape = nullptr;
    bool m_movingFocus = false;
};

DialogKeyFilter* InstallDialogKeyFilter(QWidget* dialog);

// For a window's event filter on its line edits: leaving an edit, by the focus or by Enter,
// hands it to `left`. True when the event is taken (the Enter).
bool LineEditLeft(QObject* watched, QEvent* event, const std::function<void(QLineEdit*)>& left);

// Results of the start (run, decide) and abort (close) buttons of modal dialogs.
constexpr int kDialogStarted = 1;
constexpr int kDialogAborted = 0;
void OnStartButton(QDialog* dialog);
void OnAbortButton(QDialog* dialog);
