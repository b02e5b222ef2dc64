#include <QApplication>
#include <QMainWindow>
#include <QtTest>

#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/qt/qt_platform.h"

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void keyStateFollowsEvents() {
        QMainWindow w;
        w.show();
        QTest::keyPress(&w, Qt::Key_Q);
        QVERIFY(IsKeyDown('Q'));
        QTest::keyRelease(&w, Qt::Key_Q);
        QVERIFY(!IsKeyDown('Q'));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    InstallQtPlatform(app);
    MainWindowTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "main_window_uitest.moc"
