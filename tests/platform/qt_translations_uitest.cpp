// Qt's own buttons speak Japanese like the rest of the program once the program's Qt
// platform is installed, whatever the locale the program runs in.
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>
#include <algorithm>

#include "../windows/window_test_main.h"

namespace {
// Qt's English texts are Latin-1 throughout; the Japanese ones are not.
bool Japanese(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() > 0xFF; });
}
}  // namespace

class QtTranslationsTest : public QObject {
    Q_OBJECT
private slots:
    void standardButtonsAreJapanese() {
        const QString file = QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_ja.qm";
        if (!QFileInfo::exists(file))
            QSKIP("Qt's Japanese translations (Debian qt6-translations-l10n) are not installed");

        QMessageBox box;
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        for (const auto button : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
            QVERIFY2(Japanese(box.button(button)->text()), qPrintable(box.button(button)->text()));

        QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        const QString cancel = buttons.button(QDialogButtonBox::Cancel)->text();
        QVERIFY2(Japanese(cancel), qPrintable(cancel));
    }
};

int main(int argc, char** argv) {
    // An English-speaking session: the program's Qt texts do not follow it.
    qputenv("LANG", "C");
    qputenv("LC_ALL", "C");
    qputenv("LANGUAGE", "");
    return RunWindowTest<QtTranslationsTest>(argc, argv);
}

#include "qt_translations_uitest.moc"
