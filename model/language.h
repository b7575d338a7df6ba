#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include <QSettings>

namespace orv {

// The user interface speaks Japanese (the texts in the code) or English (the
// catalogue i18n/orvalinetrix_en.qm beside the program). Files never change
// with it: readings, CSV and command-line output keep their own texts.
enum class Language { Japanese, English };

// ORV_LANG=ja|en wins; then the choice remembered from the menu ("ja", "en";
// empty = follow the desktop); then the desktop's first UI language.
Language chooseLanguage(const QString &env, const QString &saved, const QStringList &uiLanguages);
QString languageCode(Language language);

// The remembered choice lives under this key in the program's settings.
inline constexpr char kLanguageKey[] = "ui/language";
QString savedLanguage(const QSettings &settings);
void saveLanguage(QSettings &settings, const QString &code);

// The program's own settings (where the desktop keeps them).
std::unique_ptr<QSettings> programSettings();

// Reads ORV_LANG, the settings and the desktop and picks the language.
Language startupLanguage(const QSettings &settings);

// Installs the program's catalogue and Qt's own for the language, replacing the
// ones installed before. Returns false when the catalogue is missing (the
// program then stays Japanese).
bool installLanguage(Language language, const QString &programFolder);
Language currentLanguage();

// Where the catalogue lies below the program's folder.
QString catalogueFile(const QString &programFolder, Language language);

} // namespace orv
