#pragma once
// Qt's own Japanese texts (qtbase_ja, Debian package qt6-translations-l10n),
// so that standard buttons and Qt's dialogs speak the program's language:
// はい and いいえ under a question that says 「はい」をｸﾘｯｸ….
#include <QString>

class QCoreApplication;
class QTranslator;

// The folder Qt's translations are read from.
QString QtTranslationsFolder();
// Loads qtbase_ja and installs it in the application, which owns it; null
// when the translation is not there (the standard texts stay English).
QTranslator* InstallQtTranslation(QCoreApplication& app);
