#include "translation.h"

#include "command.h"
#include "console.h"

#include <dorvellxsd/xsdlanguage.h>

#include <QCoreApplication>
#include <QDir>

namespace xsdexchange {

QString takeLanguageOption(QStringList &arguments)
{
    const QString option = QStringLiteral("--lang");
    QString language;
    for (int i = 0; i < arguments.size();) {
        const QString &argument = arguments.at(i);
        if (argument == option) {
            if (i + 1 >= arguments.size())
                throw UsageError("--lang needs a value: ru or en");
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
        throw UsageError("unknown language '" + language.toStdString() + "': use ru or en");
    return language;
}

QString dataFolder()
{
    // The build tree mirrors the installed layout: bin/xsdexchange and share/dorvellxsd/.
    return QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../share/dorvellxsd"));
}

void installLibraryTranslation(const QString &language)
{
    pelmak::setMessageLanguage(language);
}

} // namespace xsdexchange
