#include "command.h"
#include "console.h"
#include "documentcheck.h"

namespace xsdexchange {
namespace {

const char Help[] =
    "Usage: xsdexchange validate [--format text|json] [--catalog FILE]... [--allow-network] SCHEMA.xsd DOC.gml...\n\n"
    "Checks each document against the schema. Every diagnostic is printed as\n"
    "DOC:LINE:COLUMN: TEXT, followed by [gml:id] of the feature it lies in, then a\n"
    "summary line per document. Exit status 0 when every document is valid, 1 when\n"
    "any has errors, 2 when a document or the schema cannot be read.\n\n"
    "  --format json    one JSON array of diagnostics per document and line\n";

} // namespace

int validateCommand(const QStringList &arguments)
{
    CommandLine commandLine(QString::fromUtf8(Help) + QString::fromUtf8(SchemaAccessHelp));
    commandLine.addOption(QCommandLineOption(QStringLiteral("format"), QString(), QStringLiteral("format"),
                                             QStringLiteral("text")));
    addSchemaAccessOptions(commandLine);
    if (!commandLine.parse(arguments, 2, -1))
        return Success;
    const QString format = commandLine.value(QStringLiteral("format"));
    if (format != QLatin1String("text") && format != QLatin1String("json"))
        throw UsageError("unknown format '" + format.toStdString() + "': use text or json");

    QStringList documents = commandLine.positional();
    DocumentChecker checker(documents.takeFirst(), schemaAccess(commandLine));
    int status = Success;
    for (const QString &document : documents) {
        try {
            const DocumentReport report = checker.check(document);
            format == QLatin1String("json") ? printJson(report) : printText(report);
            if (report.errorCount > 0 && status == Success)
                status = DocumentsInvalid;
        } catch (const StepFailure &failure) {
            out() << Qt::flush;
            err() << "xsdexchange validate: " << QString::fromStdString(failure.what()) << Qt::endl;
            status = Failure;
        }
    }
    return status;
}

} // namespace xsdexchange
