#pragma once
// The recent-file list of the File menu: four entries, newest first, kept in the
// settings folder.
#include <QStringList>

class RecentFileList {
public:
    static constexpr int kSize = 4;
    QStringList Files() const;
    // Puts the path first (moving it when it is listed already).
    void Add(const QString& path);
    void Remove(const QString& path);

private:
    void Store(const QStringList& files);
};
