#include <QApplication>

#include "model/document.h"
#include "model/ui/document_ui.h"
#include "platform/folders.h"
#include "platform/qt/qt_platform.h"
#include "shell/ui/application.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("nostrel-voda");
    QApplication::setOrganizationName("nostrel-voda");
    InstallQtPlatform(app);

    int rc = 1;
    {
        CPelmo_3DApp theApp;
        theApp.SetDocumentFactory([] { return MakeDocument(); });
        QStringList arguments = QApplication::arguments();
        arguments.removeFirst();
        if (theApp.InitInstance(arguments)) rc = app.exec();
    }
    RemoveTempFolder();
    return rc;
}
