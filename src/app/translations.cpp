#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

QTranslator *installTranslations(QCoreApplication &app, const QLocale &locale)
{
    if (locale.language() != QLocale::Russian && locale.language() != QLocale::C)
        return nullptr;
    auto *qt = new QTranslator(&app);
    if (qt->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        app.installTranslator(qt))
        return qt;
    delete qt;
    return nullptr;
}
