#include "platform/qt/qt_file_dialog.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QStringList>

namespace {
// "*.RND" -> "*.[Rr][Nn][Dd]": Linux names keep their case, the patterns must not care.
QString CaseBlindPattern(const QString& pattern) {
    QString out;
    for (const QChar c : pattern) {
        if (c.isLetter() && c.toLower() != c.toUpper())
            out += QString("[%1%2]").arg(c.toUpper()).arg(c.toLower());
        else
            out += c;
    }
    return out;
}
}  // namespace

QString QtNameFilters(const std::string& filter) {
    const QStringList parts = QString::fromUtf8(filter.c_str()).split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString text = parts[i].trimmed();
        if (text.isEmpty()) continue;
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
            const QString pattern = p.trimmed();
            patterns << (pattern == "*.*" ? QString("*") : CaseBlindPattern(pattern));
        }
        if (patterns.isEmpty()) patterns << "*";
        filters << QString("%1 (%2)").arg(text, patterns.join(' '));
    }
    return filters.join(";;");
}

std::string ShowQtFileDialog(const FileDialogRequest& request) {
    QFileDialog dialog(QApplication::activeWindow(), QString::fromUtf8(request.title.c_str()),
                       QString::fromUtf8(request.folder.c_str()));
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save       ? QFileDialog::AnyFile
                       : request.multiple ? QFileDialog::ExistingFiles
                                          : QFileDialog::ExistingFile);
    dialog.setNameFilters(QtNameFilters(request.filter).split(";;", Qt::SkipEmptyParts));
    if (!request.defaultExtension.empty())
        dialog.setDefaultSuffix(QString::fromUtf8(request.defaultExtension.c_str()));
    if (!request.fileName.empty()) dialog.selectFile(QString::fromUtf8(request.fileName.c_str()));
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return {};
    if (!request.multiple) return QDir::cleanPath(files.first()).toStdString();
    std::string joined;
    for (const QString& f : files) {
        if (!joined.empty()) joined += '\n';
        joined += QDir::cleanPath(f).toStdString();
    }
    return joined;
}
