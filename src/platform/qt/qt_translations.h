#pragma once
// Qt's own texts (the buttons of message boxes and button boxes, the file dialogs) in
// Japanese, like the rest of the program, whatever the user's locale.
class QCoreApplication;

// Loads Qt's Japanese translations into the application. False when they are not
// installed (the texts then stay Qt's English ones).
bool InstallQtTranslations(QCoreApplication& app);
