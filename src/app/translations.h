#ifndef TRANSLATIONS_H
#define TRANSLATIONS_H

class QCoreApplication;
class QLocale;
class QTranslator;

// Qt's own texts (the buttons of message boxes, the file dialogs) in Russian like the rest of
// the program, from the translations of the Qt on the system: for a Russian locale, and for
// one that names no language (C, POSIX). Returns the translator it installed (a child of the
// application), or null when none was installed.
QTranslator *installTranslations(QCoreApplication &app, const QLocale &locale);

#endif // TRANSLATIONS_H
