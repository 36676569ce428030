#include "message_p.h"

#include <dorvellxsd/xsdlanguage.h>

#include <QTranslator>

#include <atomic>
#include <mutex>
#include <optional>

namespace pelmak {
namespace {

enum class Language { Host, Russian, English };

std::atomic<Language> chosenLanguage{Language::Host};

// The English catalogue compiled into the library, loaded once and only read after that.
const QTranslator &englishCatalogue()
{
    static QTranslator catalogue;
    static std::once_flag loaded;
    std::call_once(loaded, [] { catalogue.load(QStringLiteral(":/dorvellxsd/translations/dorvellxsd_en.qm")); });
    return catalogue;
}

QString translated(const char *sourceText)
{
    switch (chosenLanguage.load(std::memory_order_relaxed)) {
    case Language::Host:
        return QObject::tr(sourceText);
    case Language::Russian:
        return QString::fromUtf8(sourceText);
    case Language::English:
        break;
    }
    const QString english = englishCatalogue().translate("QObject", sourceText);
    return english.isEmpty() ? QString::fromUtf8(sourceText) : english;
}

// The part of @p text before the first of @p ends (QByteArray::left takes nothing for -1).
QByteArray before(const QByteArray &text, const char *ends)
{
    int end = text.size();
    for (const char *c = ends; *c != '\0'; ++c) {
        const int at = text.indexOf(*c);
        if (at >= 0 && at < end)
            end = at;
    }
    return text.left(end);
}

// The language of a locale or LANGUAGE entry ("ru_RU.UTF-8", "en"), where the library has it.
std::optional<Language> catalogueLanguage(const QByteArray &entry)
{
    const QByteArray language = before(entry, "_.@");
    if (language == "ru")
        return Language::Russian;
    if (language == "en")
        return Language::English;
    return std::nullopt;
}

/*
 * The language of the messages the locale asks for, by the rule of gettext: the locale of messages
 * is the first of LC_ALL, LC_MESSAGES and LANG that is set; in the "C" and "POSIX" locales the
 * messages are untranslated, whatever LANGUAGE says; otherwise LANGUAGE lists the languages in the
 * order of preference, and the first one the library has is taken.
 */
Language localeLanguage()
{
    QByteArray locale;
    for (const char *variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        locale = qgetenv(variable);
        if (!locale.isEmpty())
            break;
    }
    const QByteArray name = before(locale, ".@");
    if (name.isEmpty() || name == "C" || name == "POSIX")
        return Language::English;
    for (const QByteArray &entry : qgetenv("LANGUAGE").split(':')) {
        if (const std::optional<Language> language = catalogueLanguage(entry))
            return *language;
    }
    return catalogueLanguage(name).value_or(Language::English);
}

} // namespace

void setMessageLanguage(const QString &language)
{
    Language chosen = Language::English;
    if (language.isEmpty())
        chosen = localeLanguage();
    else if (language == QLatin1String("ru"))
        chosen = Language::Russian;
    else if (language != QLatin1String("en"))
        throw failure(messages::UnknownLanguage, language);
    if (chosen == Language::English)
        englishCatalogue(); // loaded before any thread reads it
    chosenLanguage.store(chosen);
}

QString messageLanguage()
{
    switch (chosenLanguage.load()) {
    case Language::Russian:
        return QStringLiteral("ru");
    case Language::English:
        return QStringLiteral("en");
    case Language::Host:
        break;
    }
    return {};
}

QString formatMessage(const char *sourceText)
{
    return translated(sourceText);
}

QString formatMessage(const char *sourceText, const QString &arg1)
{
    return translated(sourceText).arg(arg1);
}

QString formatMessage(const char *sourceText, const QString &arg1, const QString &arg2)
{
    return translated(sourceText).arg(arg1, arg2);
}

QString formatMessage(const char *sourceText, const QString &arg1, const QString &arg2, const QString &arg3)
{
    return translated(sourceText).arg(arg1, arg2, arg3);
}

QString formatMessage(
    const char *sourceText, const QString &arg1, const QString &arg2, const QString &arg3, const QString &arg4)
{
    return translated(sourceText).arg(arg1, arg2, arg3, arg4);
}

QString formatMessage(const char *sourceText, const QString &arg1, const QString &arg2, const QString &arg3,
    const QString &arg4, const QString &arg5)
{
    return translated(sourceText).arg(arg1, arg2, arg3, arg4, arg5);
}

void throwFailure(FailureKind kind, const QString &text)
{
    if (kind == FailureKind::Environment)
        throw EnvironmentFailure(text.toStdString());
    throw std::logic_error(text.toStdString());
}

} // namespace pelmak
