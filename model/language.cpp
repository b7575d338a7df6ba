#include "model/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QSettings>
#include <QTranslator>
#include <memory>
#include <optional>

namespace orv {

namespace {
Language g_current = Language::Japanese;
std::unique_ptr<QTranslator> g_program;
std::unique_ptr<QTranslator> g_qt;

std::optional<Language> fromCode(const QString &code)
{
    const QString c = code.trimmed().toLower();
    if (c == u"ja")
        return Language::Japanese;
    if (c == u"en")
        return Language::English;
    return std::nullopt;
}
} // namespace

Language chooseLanguage(const QString &env, const QString &saved, const QStringList &uiLanguages)
{
    if (auto l = fromCode(env))
        return *l;
    if (auto l = fromCode(saved))
        return *l;
    // "ja", "ja-JP", "ja_JP" all mean Japanese; no language at all keeps the default.
    if (uiLanguages.isEmpty())
        return Language::Japanese;
    return uiLanguages.front().startsWith(u"ja", Qt::CaseInsensitive) ? Language::Japanese : Language::English;
}

QString languageCode(Language language) { return language == Language::English ? QStringLiteral("en") : QStringLiteral("ja"); }

QString savedLanguage(const QSettings &settings) { return settings.value(QLatin1String(kLanguageKey)).toString(); }

void saveLanguage(QSettings &settings, const QString &code)
{
    if (code.isEmpty())
        settings.remove(QLatin1String(kLanguageKey));
    else
        settings.setValue(QLatin1String(kLanguageKey), code);
}

std::unique_ptr<QSettings> programSettings()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Orvalinetrix"),
                                       QStringLiteral("Orvalinetrix"));
}

Language startupLanguage(const QSettings &settings)
{
    return chooseLanguage(qEnvironmentVariable("ORV_LANG"), savedLanguage(settings), QLocale::system().uiLanguages());
}

QString catalogueFile(const QString &programFolder, Language language)
{
    return programFolder + QStringLiteral("/i18n/orvalinetrix_") + languageCode(language) + QStringLiteral(".qm");
}

bool installLanguage(Language language, const QString &programFolder)
{
    for (auto *t : {g_program.get(), g_qt.get()})
        if (t)
            QCoreApplication::removeTranslator(t);
    g_program.reset();
    g_qt.reset();
    g_current = Language::Japanese;
    bool ok = true;
    if (language == Language::English) {
        auto t = std::make_unique<QTranslator>();
        ok = t->load(catalogueFile(programFolder, Language::English));
        if (ok) {
            QCoreApplication::installTranslator(t.get());
            g_program = std::move(t);
            g_current = Language::English;
        }
    }
    // Qt's own dialogs and buttons speak the same language. Its source texts are
    // English, so only Japanese needs a catalogue.
    if (g_current == Language::Japanese) {
        auto t = std::make_unique<QTranslator>();
        if (t->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QCoreApplication::installTranslator(t.get());
            g_qt = std::move(t);
        }
    }
    return ok;
}

Language currentLanguage() { return g_current; }

} // namespace orv
