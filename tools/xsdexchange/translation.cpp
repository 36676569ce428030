#include "translation.h"

#include "command.h"
#include "console.h"

#include <dorvellxsd/xsdlanguage.h>

#include <QDir>
#include <QTranslator>

namespace xsdexchange {

const char FeaturesWritten[] = QT_TRANSLATE_N_NOOP("xsdexchange", "%1 features written");
const char FeaturesCreated[] = QT_TRANSLATE_N_NOOP("xsdexchange", "%1 features created");

QString counted(qint64 count, const char *text)
{
    // The plural form depends on the last two digits only, and Qt chooses it from an int.
    const int form = static_cast<int>(count % 100) + (count >= 100 ? 100 : 0);
    return Tool::tr(text, nullptr, form).arg(count);
}

QString takeLanguageOption(QStringList &arguments)
{
    const QString option = QStringLiteral("--lang");
    QString language;
    for (int i = 0; i < arguments.size();) {
        const QString &argument = arguments.at(i);
        if (argument == option) {
            if (i + 1 >= arguments.size())
                throw UsageError(Tool::tr("--lang needs a value: ru or en"));
            language = arguments.at(i + 1);
            arguments.erase(arguments.begin() + i, arguments.begin() + i + 2);
        } else if (argument.startsWith(option + QLatin1Char('='))) {
            language = argument.mid(option.size() + 1);
            arguments.removeAt(i);
        } else {
            ++i;
        }
    }
    if (!language.isEmpty() && language != QLatin1String("ru") && language != QLatin1String("en"))
        throw UsageError(Tool::tr("unknown language '%1': use ru or en").arg(language));
    return language;
}

QString dataFolder()
{
    // The build tree mirrors the installed layout: bin/xsdexchange and share/dorvellxsd/.
    return QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../share/dorvellxsd"));
}

void chooseLanguage(const QString &language)
{
    pelmak::setMessageLanguage(language);
    static QTranslator russian;
    QCoreApplication::removeTranslator(&russian);
    if (pelmak::messageLanguage() != QLatin1String("ru"))
        return;
    // The tool's catalogue is built into it, like the library's.
    if (russian.isEmpty())
        russian.load(QStringLiteral(":/xsdexchange/translations/xsdexchange_ru.qm"));
    QCoreApplication::installTranslator(&russian);
}

} // namespace xsdexchange
