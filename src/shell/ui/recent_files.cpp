#include "shell/ui/recent_files.h"

#include <QSettings>

#include "platform/folders.h"

namespace {
QSettings Settings() {
    return QSettings(QString::fromStdString((SettingsFolder() / "nostrel-voda.conf").string()),
                     QSettings::IniFormat);
}
}  // namespace

QStringList RecentFileList::Files() const {
    QSettings s = Settings();
    QStringList files;
    for (int i = 1; i <= kSize; ++i) {
        const QString path = s.value(QString("Recent File List/File%1").arg(i)).toString();
        if (!path.isEmpty()) files << path;
    }
    return files;
}

void RecentFileList::Store(const QStringList& files) {
    QSettings s = Settings();
    for (int i = 1; i <= kSize; ++i) {
        const QString key = QString("Recent File List/File%1").arg(i);
        if (i <= files.size())
            s.setValue(key, files[i - 1]);
        else
            s.remove(key);
    }
}

void RecentFileList::Add(const QString& path) {
    QStringList files = Files();
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > kSize) files.removeLast();
    Store(files);
}

void RecentFileList::Remove(const QString& path) {
    QStringList files = Files();
    files.removeAll(path);
    Store(files);
}
