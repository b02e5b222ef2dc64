#include <QApplication>
#include <QMainWindow>

#include "platform/folders.h"
#include "platform/qt/qt_platform.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("nostrel-voda");
    QApplication::setOrganizationName("nostrel-voda");
    InstallQtPlatform(app);

    QMainWindow window;
    window.setWindowTitle("Nostrel-VODA");
    window.resize(1024, 768);
    window.show();
    const int rc = app.exec();
    RemoveTempFolder();
    return rc;
}
