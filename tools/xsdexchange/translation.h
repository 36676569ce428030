#ifndef XSDEXCHANGE_TRANSLATION_H
#define XSDEXCHANGE_TRANSLATION_H

#include <QCoreApplication>
#include <QString>
#include <QStringList>

namespace xsdexchange {

/**
 * The tool's own texts: English in the code, in the translation context "xsdexchange", which the
 * Russian catalogue built into the tool translates. A text kept in a constant is marked with
 * QT_TRANSLATE_NOOP("xsdexchange", ...) and shown through Tool::tr.
 */
class Tool
{
    Q_DECLARE_TR_FUNCTIONS(xsdexchange)
};

/**
 * @p text about @p count in the chosen language, worded for that count, and the count filled in
 * for its %1; further %2... stay for the caller. @p text is one of the tool's English texts,
 * marked with QT_TRANSLATE_N_NOOP("xsdexchange", ...) as its translation has a plural form per count.
 */
QString counted(qint64 count, const char *text);

/// Counts that more than one command prints, for counted() and printCounts().
extern const char FeaturesWritten[];
extern const char FeaturesCreated[];

/// Removes "--lang VALUE" or "--lang=VALUE" from @p arguments and returns VALUE ("ru" or "en"),
/// or an empty string when the option is absent. Throws UsageError for another value.
QString takeLanguageOption(QStringList &arguments);

/**
 * Shows the library's messages and the tool's texts in @p language, "en" or "ru"; an empty value
 * follows the user's locale, decided by the library's rule so that both always agree.
 */
void chooseLanguage(const QString &language);

/// The folder of the tool's data (sample data, translations), beside the executable as installed.
QString dataFolder();

} // namespace xsdexchange

#endif
