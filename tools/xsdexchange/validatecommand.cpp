#include "command.h"
#include "console.h"
#include "reports.h"
#include "schemaaccess.h"
#include "translation.h"

#include <dorvellxsd/validation/xsdxmlchecker.h>

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace xsdexchange {
namespace {

const char Help[] = QT_TRANSLATE_NOOP("xsdexchange",
    "Usage: xsdexchange validate [--format text|json|jsonl] [--max-diagnostics N]\n"
    "                            [--catalog FILE]... [--allow-network] SCHEMA.xsd DOC.gml...\n\n"
    "Checks each document against the schema. Every diagnostic is printed as\n"
    "DOC:LINE:COLUMN: TEXT, followed by [gml:id] of the feature it lies in, then a\n"
    "summary line per document. Exit status 0 when every document is valid, 1 when\n"
    "any has errors, 2 when a document or the schema cannot be read.\n\n"
    "  --format json    one JSON array for all documents: per document an object with\n"
    "                   document, errors, diagnostics (line, column, message, feature)\n"
    "                   and diagnosticsNotShown\n"
    "  --format jsonl   the same objects, one line each (JSON Lines)\n");

} // namespace

int validateCommand(const QStringList &arguments, const GdalOptions &)
{
    CommandLine commandLine(Tool::tr(Help) + maxDiagnosticsHelp() + QLatin1Char('\n') + schemaAccessHelp());
    commandLine.addOption(
        QCommandLineOption(QStringLiteral("format"), QString(), QStringLiteral("format"), QStringLiteral("text")));
    addMaxDiagnosticsOption(commandLine);
    addSchemaAccessOptions(commandLine);
    if (!commandLine.parse(arguments, 2, -1))
        return Success;
    const QString format = commandLine.value(QStringLiteral("format"));
    if (format != QLatin1String("text") && format != QLatin1String("json") && format != QLatin1String("jsonl"))
        throw UsageError(Tool::tr("unknown format '%1': use text, json or jsonl").arg(format));
    const int shown = maxDiagnostics(commandLine);

    QStringList documents = commandLine.positional();
    const pelmak::XsdSchemaAccess access = schemaAccess(commandLine);
    pelmak::XsdXmlChecker checker;
    try {
        access.loadGrammar(checker, documents.takeFirst());
    } catch (const std::logic_error &failure) {
        const QString hint = access.networkAccess ? QString() : offlineHint(failure);
        throw StepFailure(failure.what() + (hint.isEmpty() ? std::string() : '\n' + hint.toStdString()));
    }
    for (const QString &warning : checker.catalogWarnings())
        err() << "xsdexchange validate: " << warning << '\n';

    int status = Success;
    QJsonArray reports;
    for (const QString &document : documents) {
        if (!QFileInfo(document).isFile() || !QFileInfo(document).isReadable()) {
            out() << Qt::flush;
            err() << "xsdexchange validate: " << Tool::tr("cannot read %1").arg(document) << Qt::endl;
            status = Failure;
            continue;
        }
        const pelmak::XsdValidationReport report = checker.validate(document, shown);
        if (format == QLatin1String("text"))
            printText(report);
        else if (format == QLatin1String("jsonl"))
            out() << QString::fromUtf8(QJsonDocument(toJson(report)).toJson(QJsonDocument::Compact)) << Qt::endl;
        else
            reports.append(toJson(report));
        if (report.errorCount > 0 && status == Success)
            status = DocumentsInvalid;
    }
    if (format == QLatin1String("json"))
        out() << QString::fromUtf8(QJsonDocument(reports).toJson(QJsonDocument::Compact)) << Qt::endl;
    return status;
}

} // namespace xsdexchange
