#ifndef TRANSLATIONS_H
#define TRANSLATIONS_H

#include <QString>
#include <QStringList>

class QCoreApplication;
class QLocale;
class QTranslator;

// The program speaks Russian, the language its texts are written in, or English, their
// translation. The terminal and q275-cli choose alike: the language chosen under
// "Опции → Язык", else the system's.

// The language chosen under "Опции → Язык", kept in the application's settings: "ru", "en",
// or empty for the system's.
QString chosenLanguage();
void setChosenLanguage(const QString &code);

// The language to speak: the chosen one, else the first of the system's UI languages that is
// Russian or English, or that names no language (C, POSIX: the C locale, which speaks Russian
// like the program's own texts); English when the system names languages but neither of these.
QLocale programLocale(const QString &chosen, const QStringList &uiLanguages);

// The translations for the locale's language. Russian, and no language (C, POSIX): Qt's own
// texts in Russian (the buttons of message boxes, the file dialogs) from the translations of
// the Qt on the system. Any other: the program's English texts (Qt's own are English).
// Returns the translator it installed (a child of the application), or null when none was.
QTranslator *installTranslations(QCoreApplication &app, const QLocale &locale);
// The translations of the language to speak, as the settings and the system choose it (the
// application's names must be set, for its settings).
QTranslator *installProgramTranslations(QCoreApplication &app);

#endif // TRANSLATIONS_H
