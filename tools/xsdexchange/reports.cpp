#include "reports.h"

#include "command.h"
#include "console.h"
#include "translation.h"

#include <dorvellxsd/validation/xsdxmlchecker.h>

#include <QJsonObject>

namespace xsdexchange {
namespace {

QString errorCount(int errors)
{
    if (errors == 0)
        return Tool::tr("valid");
    if (errors == 1)
        return Tool::tr("1 error");
    return counted(errors, QT_TRANSLATE_N_NOOP("xsdexchange", "%1 errors"));
}

} // namespace

QString maxDiagnosticsHelp()
{
    return Tool::tr(
        "  --max-diagnostics N  show at most N diagnostics of each document and count the rest\n"
        "                   (default 1000)");
}

void printText(const pelmak::XsdValidationReport &report, const QString &indent)
{
    for (const pelmak::XsdDiagnostic &diagnostic : report.diagnostics) {
        out() << indent << report.document << ':' << diagnostic.line << ':' << diagnostic.column << ": "
              << diagnostic.message;
        if (!diagnostic.feature.isEmpty())
            out() << " [" << diagnostic.feature << ']';
        out() << '\n';
    }
    out() << indent << report.document << ": " << errorCount(report.errorCount);
    if (report.diagnosticsNotKept > 0)
        out() << ' '
              << counted(
                     report.diagnosticsNotKept, QT_TRANSLATE_N_NOOP("xsdexchange", "(%1 more diagnostics not shown)"));
    out() << '\n' << Qt::flush;
}

QJsonObject toJson(const pelmak::XsdValidationReport &report)
{
    QJsonArray diagnostics;
    for (const pelmak::XsdDiagnostic &diagnostic : report.diagnostics) {
        diagnostics.append(QJsonObject{
            {QStringLiteral("line"), diagnostic.line},
            {QStringLiteral("column"), diagnostic.column},
            {QStringLiteral("message"), diagnostic.message},
            {QStringLiteral("feature"), diagnostic.feature.isEmpty() ? QJsonValue() : QJsonValue(diagnostic.feature)},
        });
    }
    return QJsonObject{
        {QStringLiteral("document"), report.document},
        {QStringLiteral("errors"), report.errorCount},
        {QStringLiteral("diagnostics"), diagnostics},
        {QStringLiteral("diagnosticsNotShown"), report.diagnosticsNotKept},
    };
}

void addMaxDiagnosticsOption(CommandLine &commandLine)
{
    commandLine.addOption(QCommandLineOption(QStringLiteral("max-diagnostics"), QString(), QStringLiteral("n")));
}

int maxDiagnostics(const CommandLine &commandLine)
{
    if (!commandLine.isSet(QStringLiteral("max-diagnostics")))
        return pelmak::XsdXmlChecker::DefaultMaxDiagnostics;
    bool ok = false;
    const int count = commandLine.value(QStringLiteral("max-diagnostics")).toInt(&ok);
    if (!ok || count < 0)
        throw UsageError(Tool::tr("--max-diagnostics needs a count of 0 or more"));
    return count;
}

QString offlineHint(const std::exception &failure)
{
    if (!QString::fromUtf8(failure.what()).contains(QLatin1String("://")))
        return {};
    return Tool::tr(
        "remote schemas are not fetched without --allow-network: map their addresses to local files "
        "with --catalog FILE or XML_CATALOG_FILES");
}

} // namespace xsdexchange
