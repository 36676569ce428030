#ifndef XSDEXCHANGE_TRANSLATION_H
#define XSDEXCHANGE_TRANSLATION_H

#include <QString>
#include <QStringList>

namespace xsdexchange {

/// Removes "--lang VALUE" or "--lang=VALUE" from @p arguments and returns VALUE ("ru" or "en"),
/// or an empty string when the option is absent. Throws UsageError for another value.
QString takeLanguageOption(QStringList &arguments);

/// Shows the library's messages in @p language, "en" or "ru"; an empty value follows the user's locale.
void installLibraryTranslation(const QString &language);

/// The folder of the tool's data (sample data, translations), beside the executable as installed.
QString dataFolder();

} // namespace xsdexchange

#endif
