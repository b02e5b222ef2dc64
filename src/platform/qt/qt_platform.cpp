#include "platform/qt/qt_platform.h"

#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <clocale>
#include <set>

#include "platform/busy.h"
#include "platform/clipboard.h"
#include "platform/encoding.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/qt/qt_file_dialog.h"
#include "platform/qt/qt_system_text.h"
#include "platform/qt/qt_translations.h"
#include "platform/window_state.h"

namespace {
std::set<int> g_keysDown;
std::set<int> g_keysPressed;  // pressed since the last KeyPressedSinceLastCheck for them

int KeyCodeOf(const QKeyEvent* e) {
    const int k = e->key();
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return 'A' + (k - Qt::Key_A);
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return '0' + (k - Qt::Key_0);
    switch (k) {
        case Qt::Key_Shift: return key::kShift;
        case Qt::Key_Control: return key::kControl;
        case Qt::Key_Alt: return key::kAlt;
        case Qt::Key_Escape: return key::kEscape;
        case Qt::Key_Return:
        case Qt::Key_Enter: return key::kReturn;
        case Qt::Key_Space: return key::kSpace;
        case Qt::Key_Insert: return 0x2D;
        case Qt::Key_Delete: return 0x2E;
        default: return -1;
    }
}

int ButtonCodeOf(Qt::MouseButton b) {
    switch (b) {
        case Qt::LeftButton: return key::kMouseLeft;
        case Qt::RightButton: return key::kMouseRight;
        case Qt::MiddleButton: return key::kMouseMiddle;
        default: return -1;
    }
}

class KeyStateFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease: {
                auto* e = static_cast<QKeyEvent*>(event);
                const int code = KeyCodeOf(e);
                if (code >= 0 && !e->isAutoRepeat()) {
                    if (event->type() == QEvent::KeyPress) {
                        g_keysDown.insert(code);
                        g_keysPressed.insert(code);
                    } else {
                        g_keysDown.erase(code);
                    }
                }
                break;
            }
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease: {
                auto* e = static_cast<QMouseEvent*>(event);
                const int code = ButtonCodeOf(e->button());
                if (code >= 0) {
                    if (event->type() == QEvent::MouseButtonPress) {
                        g_keysDown.insert(code);
                        g_keysPressed.insert(code);
                    } else {
                        g_keysDown.erase(code);
                    }
                }
                break;
            }
            case QEvent::ApplicationDeactivate:
                g_keysDown.clear();
                g_keysPressed.clear();
                break;
            default: break;
        }
        return QObject::eventFilter(watched, event);
    }
};

// Ends a local event loop when the watched key or button goes up.
class ReleaseWatcher : public QObject {
public:
    ReleaseWatcher(int keyCode, QEventLoop* loop) : m_keyCode(keyCode), m_loop(loop) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        int code = -1;
        if (event->type() == QEvent::MouseButtonRelease)
            code = ButtonCodeOf(static_cast<QMouseEvent*>(event)->button());
        else if (event->type() == QEvent::KeyRelease && !static_cast<QKeyEvent*>(event)->isAutoRepeat())
            code = KeyCodeOf(static_cast<QKeyEvent*>(event));
        else if (event->type() == QEvent::ApplicationDeactivate)
            code = m_keyCode;
        if (code == m_keyCode) m_loop->quit();
        return QObject::eventFilter(watched, event);
    }

private:
    int m_keyCode;
    QEventLoop* m_loop;
};

void QtWaitForKeyRelease(int keyCode, uint32_t maxMs) {
    if (!QtIsKeyDown(keyCode)) return;
    QEventLoop loop;
    ReleaseWatcher watcher(keyCode, &loop);
    qApp->installEventFilter(&watcher);
    QTimer::singleShot(static_cast<int>(maxMs), &loop, &QEventLoop::quit);
    loop.exec();
    qApp->removeEventFilter(&watcher);
}

int ShowQtMessage(const std::string& text, const std::string& caption, int buttons) {
    QMessageBox box(QApplication::activeWindow());
    // Some texts break their lines with CR alone.
    QString shown = QString::fromUtf8(text.c_str());
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box.setText(shown);
    box.setWindowTitle(QString::fromUtf8(caption.empty() ? "Nostrel-VODA" : caption.c_str()));
    switch (buttons & msg::kIconMask) {
        case msg::kIconError: box.setIcon(QMessageBox::Critical); break;
        case msg::kIconQuestion: box.setIcon(QMessageBox::Question); break;
        case msg::kIconWarning: box.setIcon(QMessageBox::Warning); break;
        case msg::kIconInformation: box.setIcon(QMessageBox::Information); break;
        default: break;
    }
    struct B { QMessageBox::StandardButton qt; int id; };
    std::vector<B> set;
    switch (buttons & msg::kButtonMask) {
        case msg::kOkCancel: set = {{QMessageBox::Ok, msg::kIdOk}, {QMessageBox::Cancel, msg::kIdCancel}}; break;
        case msg::kYesNoCancel:
            set = {{QMessageBox::Yes, msg::kIdYes}, {QMessageBox::No, msg::kIdNo}, {QMessageBox::Cancel, msg::kIdCancel}};
            break;
        case msg::kYesNo: set = {{QMessageBox::Yes, msg::kIdYes}, {QMessageBox::No, msg::kIdNo}}; break;
        case msg::kRetryCancel: set = {{QMessageBox::Retry, msg::kIdRetry}, {QMessageBox::Cancel, msg::kIdCancel}}; break;
        default: set = {{QMessageBox::Ok, msg::kIdOk}}; break;
    }
    QMessageBox::StandardButtons all;
    for (const B& b : set) all |= b.qt;
    box.setStandardButtons(all);
    const size_t def = (buttons & msg::kDefButtonMask) >> 8;
    if (def < set.size()) box.setDefaultButton(set[def].qt);
    const auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
    for (const B& b : set)
        if (b.qt == pressed) return b.id;
    // Closed with Escape or the window's close button.
    for (const B& b : set)
        if (b.id == msg::kIdCancel || b.id == msg::kIdNo) return b.id;
    return set.front().id;
}
}  // namespace

bool QtIsKeyDown(int keyCode) { return g_keysDown.count(keyCode) != 0; }

bool QtKeyPressedSinceLastCheck(int keyCode) {
    const bool pressed = g_keysPressed.erase(keyCode) != 0;
    return pressed || QtIsKeyDown(keyCode);
}

bool QtKeyNewlyPressed(int keyCode) { return g_keysPressed.erase(keyCode) != 0; }

void QtForgetKeyPresses(int keyCode) { g_keysPressed.erase(keyCode); }

void InstallQtPlatform(QApplication& app) {
    std::setlocale(LC_NUMERIC, "C");
    SetProgramFolder(QCoreApplication::applicationDirPath().toStdString());
    app.installEventFilter(new KeyStateFilter(&app));
    InstallQtTranslations(app);
    SetMessageHandler(ShowQtMessage);
    SetFileDialogHandler(ShowQtFileDialog);
    // Work that waited for a long operation runs from the event loop after it returned.
    SetIdleDispatcher([](std::function<void()> run) { QTimer::singleShot(0, qApp, std::move(run)); });
    InstallQtSystemText();
    SetWaitCursorHandler([](bool on) {
        if (on)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    });
    SetInputHooks({QtIsKeyDown, QtKeyPressedSinceLastCheck,
                   [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 5); },
                   QtKeyNewlyPressed, QtForgetKeyPresses, QtWaitForKeyRelease});
    SetClipboardHooks({[](const std::string& cp932) {
                           QApplication::clipboard()->setText(QString::fromUtf8(Cp932ToUtf8(cp932).c_str()));
                           return true;
                       },
                       [] {
                           std::string utf8 = QApplication::clipboard()->text().toStdString();
                           return Utf8ToCp932(utf8);
                       }});
}
