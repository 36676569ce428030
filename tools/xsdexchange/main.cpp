#include "command.h"
#include "console.h"
#include "translation.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <gdal.h>

#include <exception>
#include <iterator>

using namespace xsdexchange;

namespace {

const Command Commands[] = {
    {"tables", QT_TRANSLATE_NOOP("xsdexchange", "list the tables of an exchange schema"), &tablesCommand},
    {"layers", QT_TRANSLATE_NOOP("xsdexchange", "list the layers of a data source"), &layersCommand},
    {"export", QT_TRANSLATE_NOOP("xsdexchange", "write the tables of a data source to an exchange document"),
        &exportCommand},
    {"validate", QT_TRANSLATE_NOOP("xsdexchange", "check exchange documents against their schema"), &validateCommand},
    {"import", QT_TRANSLATE_NOOP("xsdexchange", "insert the features of an exchange document into a data source"),
        &importCommand},
    {"demo", QT_TRANSLATE_NOOP("xsdexchange", "run the whole road on the bundled sample data"), &demoCommand},
};

// The help before the list of commands, which ends it, and after.
const char HelpIntroduction[] = QT_TRANSLATE_NOOP("xsdexchange",
    "Usage: xsdexchange [--lang ru|en] COMMAND [OPTIONS] ARGUMENTS...\n\n"
    "Moves vector features between GDAL/OGR data sources and schema-bound GML 3\n"
    "exchange documents, and validates such documents against their XSD.\n\n"
    "Commands:\n");
const char HelpOptions[] = QT_TRANSLATE_NOOP("xsdexchange",
    "\nOptions:\n"
    "  --lang ru|en  the language of the messages (default: ru in a Russian locale, en\n"
    "                elsewhere)\n"
    "  --config KEY VALUE  a GDAL configuration option for every data source the command\n"
    "                opens (repeatable)\n"
    "  --help        this text; 'xsdexchange COMMAND --help' describes a command\n"
    "  --version     the version of the tool and its library\n\n"
    "Exit status: 0 success, 1 invalid documents (validate), 2 wrong usage or failure.\n");

void printHelp()
{
    out() << Tool::tr(HelpIntroduction);
    for (const Command &command : Commands)
        out() << "  " << QString::fromLatin1(command.name).leftJustified(10) << Tool::tr(command.summary) << '\n';
    out() << Tool::tr(HelpOptions) << Qt::flush;
}

// Said after a usage error of the tool, or of one of its commands.
QString helpHint(const QString &command = QStringLiteral("xsdexchange"))
{
    return Tool::tr("Try '%1 --help'.").arg(command);
}

const Command *findCommand(const QString &name)
{
    for (const Command &command : Commands) {
        if (name == QLatin1String(command.name))
            return &command;
    }
    return nullptr;
}

int runCommand(const Command &command, QStringList arguments)
{
    try {
        const GdalOptions gdalOptions = takeConfigOptions(arguments);
        return command.run(arguments, gdalOptions);
    } catch (const UsageError &error) {
        const QString name = QStringLiteral("xsdexchange ") + QLatin1String(command.name);
        err() << name << ": " << QString::fromStdString(error.what()) << '\n' << helpHint(name) << Qt::endl;
    } catch (const std::exception &error) {
        out() << Qt::flush;
        err() << "xsdexchange " << command.name << ": " << QString::fromStdString(error.what()) << Qt::endl;
    }
    return Failure;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("xsdexchange"));
    QCoreApplication::setApplicationVersion(QStringLiteral(DORVELLXSD_VERSION));

    QStringList arguments = QCoreApplication::arguments().mid(1);
    chooseLanguage(QString()); // the locale's, until --lang, and for what is wrong with --lang itself
    try {
        chooseLanguage(takeLanguageOption(arguments));
    } catch (const UsageError &error) {
        err() << "xsdexchange: " << QString::fromStdString(error.what()) << Qt::endl;
        return Failure;
    }

    if (arguments.isEmpty()) {
        err() << "xsdexchange: " << Tool::tr("missing command") << '\n' << helpHint() << Qt::endl;
        return Failure;
    }
    const QString first = arguments.first();
    if (first == QLatin1String("--help") || first == QLatin1String("-h") || first == QLatin1String("help")) {
        printHelp();
        return Success;
    }
    if (first == QLatin1String("--version")) {
        out() << "xsdexchange (dorvellxsd) " << DORVELLXSD_VERSION << Qt::endl;
        return Success;
    }
    const Command *command = findCommand(first);
    if (!command) {
        err() << "xsdexchange: " << Tool::tr("unknown command '%1'").arg(first) << '\n' << helpHint() << Qt::endl;
        return Failure;
    }

    // The library's debug line is for developers, not for the tool's users.
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    GDALAllRegister();
    return runCommand(*command, arguments);
}
