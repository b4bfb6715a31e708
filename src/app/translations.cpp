#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSettings>
#include <QTranslator>

namespace
{
const char kLanguageKey[] = "language";

bool speaksRussian(const QLocale &locale)
{
    return locale.language() == QLocale::Russian || locale.language() == QLocale::C;
}
} // namespace

QString chosenLanguage()
{
    return QSettings().value(QString::fromLatin1(kLanguageKey)).toString();
}

void setChosenLanguage(const QString &code)
{
    QSettings settings;
    if (code.isEmpty())
        settings.remove(QString::fromLatin1(kLanguageKey));
    else
        settings.setValue(QString::fromLatin1(kLanguageKey), code);
}

QLocale programLocale(const QString &chosen, const QStringList &uiLanguages)
{
    QStringList wanted = uiLanguages;
    if (!chosen.isEmpty())
        wanted.prepend(chosen);
    if (wanted.isEmpty())
        return QLocale::c();
    for (const QString &name : std::as_const(wanted)) {
        // QLocale takes a name it does not know for C: only these two say "no language".
        if (name == QLatin1String("C") || name == QLatin1String("POSIX"))
            return QLocale::c();
        const QLocale::Language language = QLocale(name).language();
        if (language == QLocale::Russian || language == QLocale::English)
            return QLocale(language);
    }
    return QLocale(QLocale::English);
}

QTranslator *installTranslations(QCoreApplication &app, const QLocale &locale)
{
    auto *translator = new QTranslator(&app);
    const bool loaded = speaksRussian(locale)
                            ? translator->load(QStringLiteral("qtbase_ru"),
                                               QLibraryInfo::path(QLibraryInfo::TranslationsPath))
                            : translator->load(QStringLiteral("q275_en"), QStringLiteral(":/i18n"));
    if (loaded && app.installTranslator(translator))
        return translator;
    delete translator;
    return nullptr;
}

QTranslator *installProgramTranslations(QCoreApplication &app)
{
    return installTranslations(app,
                               programLocale(chosenLanguage(), QLocale::system().uiLanguages()));
}
