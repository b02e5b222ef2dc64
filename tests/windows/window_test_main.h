#pragma once
// The main of a window test: the program's windows run offscreen with their own settings
// and runtime folders, and message boxes and file dialogs take the answers the test queues.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "platform/message_box.h"
#include "platform/qt/qt_platform.h"

// `root` receives the private folder, for tests that put files there.
template <typename Test>
int RunWindowTest(int argc, char** argv, QString* root = nullptr) {
    QTemporaryDir folder;
    if (root) *root = folder.path();
    qputenv("XDG_CONFIG_HOME", (folder.path() + "/config").toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", (folder.path() + "/run").toLocal8Bit());
    QDir().mkpath(folder.path() + "/run");
    QApplication app(argc, argv);
    InstallQtPlatform(app);
    SetMessageHandler(nullptr);
    SetFileDialogHandler(nullptr);
    Test test;
    const int rc = QTest::qExec(&test, argc, argv);
    RemoveTempFolder();
    return rc;
}
