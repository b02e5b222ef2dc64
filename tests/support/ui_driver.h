#pragma once
// Drives the program's own windows in a window test as the user would: the main window
// started on the real document, menu items chosen, real mouse events sent to the view,
// and modal dialogs answered once they are up.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <functional>
#include <vector>

#include "model/document.h"
#include "model/terrain_data.h"
#include "model/ui/document_ui.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "shell/command_table.h"
#include "shell/ui/application.h"
#include "shell/ui/main_frame.h"
#include "view/raster_primitives.h"
#include "view/ui/pelmo_3d_view.h"
#include "view/view_state.h"

namespace ui_driver {

// Points the program's folder at a new one inside the test's private folder `root`.
inline void UseProgramFolderIn(const QString& root) {
    const std::filesystem::path program = std::filesystem::path(root.toStdString()) / "program";
    std::filesystem::create_directories(program);
    SetProgramFolder(program);
}

struct MainWindow {
    CPelmo_3DApp app;
    CMainFrame* frame = nullptr;
    CPelmo_3DView* view = nullptr;
};

// Starts the program on the real document and waits until its window shows; `size`, when
// given, is set first. Says what went wrong when it returns false.
inline bool Start(MainWindow& w, QSize size = {}) {
    w.app.SetDocumentFactory([] { return MakeDocument(); });
    if (!w.app.InitInstance({})) {
        qWarning("the program did not start");
        return false;
    }
    w.frame = w.app.MainFrame();
    if (size.isValid()) w.frame->resize(size);
    w.view = qobject_cast<CPelmo_3DView*>(w.frame->ViewWidget());
    if (!w.view) {
        qWarning("the main window has no view");
        return false;
    }
    if (!QTest::qWaitForWindowExposed(w.frame)) {
        qWarning("the main window did not show");
        return false;
    }
    return true;
}

// Opens the file through the menu, the file dialog answering with it.
inline void OpenFile(CMainFrame* frame, const std::filesystem::path& file) {
    QueueFileDialogAnswer(file.string());
    frame->ExecuteCommand(cmd::kFileOpen);
}

// The first action of a command, or null where the menus have none.
inline QAction* MenuAction(CMainFrame* frame, int id) {
    const std::vector<QAction*> actions = frame->Actions(id);
    return actions.empty() ? nullptr : actions.front();
}
inline QAction* MenuAction(CMainFrame& frame, int id) { return MenuAction(&frame, id); }

// Command states are refreshed first, as the menu does before it opens.
inline bool Enabled(CMainFrame* frame, int id) {
    frame->RefreshCommandStates();
    QAction* a = MenuAction(frame, id);
    return a && a->isEnabled();
}

inline bool Checked(CMainFrame* frame, int id) {
    frame->RefreshCommandStates();
    QAction* a = MenuAction(frame, id);
    return a && a->isChecked();
}

// Chooses the command's menu item, which must be enabled.
inline void Choose(CMainFrame* frame, int id) {
    frame->RefreshCommandStates();
    QAction* a = MenuAction(frame, id);
    QVERIFY2(a, qPrintable(QString("command %1 has no menu item").arg(id)));
    QVERIFY2(a->isEnabled(), qPrintable(QString("command %1 disabled").arg(id)));
    a->trigger();
}

// Where the projection put point record i, in the view's coordinates.
inline QPoint WindowPosition(int32_t i) {
    return {g_viewportCenterX + g_points[i].screenX, g_viewportCenterY - g_points[i].screenY};
}

// Clicks far enough apart in time that two on one spot make no double-click.
inline void Click(QWidget* widget, QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::mouseClick(widget, Qt::LeftButton, modifiers, at,
                      QApplication::doubleClickInterval() + 50);
}

// Drags with the left button through the positions; the moves go straight to the view
// with the button held, as the window system delivers them.
inline void Drag(QWidget* view, const std::vector<QPoint>& path,
                 Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::mousePress(view, Qt::LeftButton, modifiers, path.front());
    for (size_t k = 1; k < path.size(); ++k) {
        QMouseEvent move(QEvent::MouseMove, path[k], view->mapToGlobal(path[k]), Qt::NoButton,
                         Qt::LeftButton, modifiers);
        QApplication::sendEvent(view, &move);
    }
    QTest::mouseRelease(view, Qt::LeftButton, modifiers, path.back(), 20);
}

// A dialog's control by its resource id; a missing one ends the test program, since every
// later step would act on nothing.
template <typename W>
W* Control(QWidget* dialog, const char* id) {
    W* w = dialog->findChild<W*>(QString::fromLatin1(id));
    if (!w) qFatal("control %s missing", id);
    return w;
}

template <typename W>
W* Control(QWidget* dialog, int id) {
    return Control<W>(dialog, QByteArray::number(id).constData());
}

// Clicks the dialog's button, which must be enabled.
inline void Press(QWidget* dialog, const char* id) {
    auto* b = dialog->findChild<QAbstractButton*>(id);
    QVERIFY2(b, id);
    QVERIFY2(b->isEnabled(), id);
    b->click();
}

// Runs `act` on the modal dialog that the next step opens, once it is up; a dialog that a
// failed check left open is closed, so the test goes on.
inline void WhenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        if (!modal) qFatal("no modal dialog");
        act(modal);
        if (modal && modal->isVisible()) modal->close();
    });
}

// As above for the next modal dialog named `name`, however many steps it takes to come
// up (a dialog that was up before does not count).
inline void WhenModal(const char* name, std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    QPointer<QWidget> before = QApplication::activeModalWidget();
    QObject::connect(timer, &QTimer::timeout, [timer, name, act, before] {
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        if (!modal || modal == before || modal->objectName() != name || !modal->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        act(modal);
        if (modal && modal->isVisible() && modal->objectName() == name) modal->close();
    });
    timer->start(5);
}

// A colour of the program's palette (0xRRGGBB) as the picture holds it.
inline QRgb Rgb(uint32_t color) {
    return qRgb((color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF);
}

// Whether the pixel or one of its eight neighbours has the colour.
inline bool Near(const QImage& image, QPoint p, QRgb color) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.pixel(p.x() + dx, p.y() + dy) == color) return true;
    return false;
}

}  // namespace ui_driver
