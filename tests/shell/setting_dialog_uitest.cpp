// "パラメータ設定" in the program's own windows: opened and closed by its command, edits
// taken when the focus leaves them, the angle boxes following a rotation made with the
// mouse in the bird's-eye view, Esc and 終了.
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <cmath>
#include <filesystem>

#include "../support/ui_driver.h"
#include "../windows/window_test_main.h"
#include "contour/contour_dialog.h"
#include "shell/settings_file.h"
#include "shell/tool_windows.h"
#include "shell/ui/setting_dialog.h"
#include "view/display_flags.h"
#include "view/raster_primitives.h"

namespace fs = std::filesystem;
using namespace ui_driver;

namespace {
QString g_root;
constexpr int kSettings = 32830;

CSetting* OpenDialog() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<CSetting*>(w); d && d->isVisible()) return d;
    return nullptr;
}

void SendMouse(QWidget* view, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held,
               Qt::KeyboardModifiers modifiers) {
    QMouseEvent event(type, QPointF(at), QPointF(view->mapToGlobal(at)), button, held, modifiers);
    QApplication::sendEvent(view, &event);
}
}  // namespace

class SettingDialogTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        UseProgramFolderIn(g_root);
        // The start-up data set the build made, for a bird's-eye view with a surface.
        const fs::path made = fs::path(QCoreApplication::applicationDirPath().toStdString()) / "../../DATA1.VEW";
        if (fs::exists(made)) fs::copy_file(made, fs::path(g_root.toStdString()) / "program" / "DATA1.VEW");
    }

    void editsRadiosAndEndings() {
        MainWindow window;
        QVERIFY(Start(window, QSize(800, 600)));
        CMainFrame* frame = window.frame;
        QVERIFY(Enabled(frame, kSettings));
        Choose(frame, kSettings);
        CSetting* dialog = OpenDialog();
        QVERIFY(dialog);
        QVERIFY(Checked(frame, kSettings));
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        dialog->activateWindow();
        QApplication::setActiveWindow(dialog);
        QCOMPARE(Control<QLineEdit>(dialog, 1082)->text(), QString::number(int(g_cursorStep * 100 + 1e-9)).rightJustified(3));

        const double tiltBefore = g_birdsEyeTilt;
        const double stepBefore = 0.3;
        g_cursorStep = stepBefore;
        struct Case {
            int edit;
            const char* typed;
            const char* shown;  // right after the focus left
        };
        const Case cases[] = {
            {1081, "0.1", "   0.100"},
            {1082, "250", "100"},
            {1082, "0", "0"},      // refused: value and typed text stay
            {1083, "270", ""},     // taken (the box shows it in its own form below)
            {1084, "45", ""},      // refused: the current angle comes back (checked below)
        };
        for (const Case& c : cases) {
            auto* edit = Control<QLineEdit>(dialog, c.edit);
            edit->setFocus();
            QTRY_VERIFY(edit->hasFocus());
            edit->selectAll();
            QTest::keyClicks(edit, c.typed);
            QTest::keyClick(edit, Qt::Key_Return);  // Enter moves on
            QTRY_VERIFY(!edit->hasFocus());
            QVERIFY(dialog->isVisible());
            if (*c.shown) QCOMPARE(edit->text(), QString(c.shown));
        }
        QCOMPARE(g_simpleContourInterval, 0.1);
        QCOMPARE(g_simpleContourIndexInterval, 1.0);
        QCOMPARE(g_cursorStep, 1.0);
        QVERIFY(std::fabs(g_birdsEyeAzimuth + M_PI / 2) < 1e-12);
        QCOMPARE(g_birdsEyeTilt, tiltBefore);
        char tilt[32];
        std::snprintf(tilt, sizeof tilt, "%.1f", tiltBefore * 57.29577951308232);
        QCOMPARE(Control<QLineEdit>(dialog, 1084)->text(), QString(tilt));
        // The next paint shows the stored azimuth in the box's own form.
        dialog->repaint();
        QCOMPARE(Control<QLineEdit>(dialog, 1083)->text(), QString("270.0"));

        Control<QRadioButton>(dialog, 1120)->click();  // 4ドット
        QCOMPARE(g_penSize, 0);
        Control<QRadioButton>(dialog, 1119)->click();
        QCOMPARE(g_penSize, 1);

        // Esc closes; the command then makes a new window.
        Control<QLineEdit>(dialog, 1081)->setFocus();
        QTest::keyClick(Control<QLineEdit>(dialog, 1081), Qt::Key_Escape);
        QVERIFY(!IsToolWindowOpen(ToolWindow::kSetting));
        QTRY_VERIFY(!OpenDialog());
        QVERIFY(!Checked(frame, kSettings));
        Choose(frame, kSettings);
        dialog = OpenDialog();
        QVERIFY(dialog);
        QCOMPARE(Control<QLineEdit>(dialog, 1082)->text(), QString("100"));

        // 終了 closes and leaves the backup reminder as it was.
        g_backupReminder[0] = 1;
        g_backupReminder[1] = 15;
        Control<QPushButton>(dialog, 1022)->click();
        QTRY_VERIFY(!OpenDialog());
        QVERIFY(!IsToolWindowOpen(ToolWindow::kSetting));
        QCOMPARE(g_backupReminder[0], 1);
        QCOMPARE(g_backupReminder[1], 15);

        // The command closes the open window too.
        Choose(frame, kSettings);
        QVERIFY(OpenDialog());
        Choose(frame, kSettings);
        QTRY_VERIFY(!OpenDialog());
        g_birdsEyeAzimuth = 0;
        g_cursorStep = 0.2;
        g_simpleContourInterval = 1.0;
        g_simpleContourIndexInterval = 5.0;
    }

    void anglesFollowAMouseRotation() {
        if (!fs::exists(fs::path(g_root.toStdString()) / "program" / "DATA1.VEW"))
            QSKIP("the build made no start-up data set");
        MainWindow window;
        QVERIFY(Start(window, QSize(800, 600)));
        QCOMPARE(g_birdsEyeOn, 1);
        Choose(window.frame, kSettings);
        CSetting* dialog = OpenDialog();
        QVERIFY(dialog);
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QTest::qWait(50);  // the window's own first paints are over
        auto* azimuth = Control<QLineEdit>(dialog, 1083);
        const QString before = azimuth->text();

        // An Alt-drag turns the camera.
        QWidget* view = window.view;
        const double turned = g_birdsEyeAzimuth;
        QPoint at = view->rect().center();
        QTest::keyPress(view, Qt::Key_Alt, Qt::AltModifier);
        SendMouse(view, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton, Qt::AltModifier);
        for (int step = 0; step < 4; ++step) {
            at += QPoint(25, 0);
            SendMouse(view, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton, Qt::AltModifier);
        }
        SendMouse(view, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton, Qt::AltModifier);
        QTest::keyRelease(view, Qt::Key_Alt);
        QVERIFY(g_birdsEyeAzimuth != turned);
        double degrees = g_birdsEyeAzimuth * 57.29577951308232;
        if (degrees < 0) degrees += 360;
        QCoreApplication::processEvents();
        QCOMPARE(azimuth->text(), QString::number(degrees, 'f', 1));
        QVERIFY(azimuth->text() != before);
        Choose(window.frame, kSettings);
    }
};

int main(int argc, char** argv) { return RunWindowTest<SettingDialogTest>(argc, argv, &g_root); }

#include "setting_dialog_uitest.moc"
