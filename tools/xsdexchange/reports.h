#ifndef XSDEXCHANGE_REPORTS_H
#define XSDEXCHANGE_REPORTS_H

#include <dorvellxsd/validation/xsdvalidationreport.h>

#include <QJsonArray>
#include <QString>

namespace xsdexchange {

class CommandLine;

/// DOC:LINE:COLUMN: TEXT [feature] for each diagnostic, then a summary line, each line after @p indent.
void printText(const pelmak::XsdValidationReport &report, const QString &indent = {});

/// A report as a JSON object: document, errors, diagnostics (each with line, column, message,
/// feature) and diagnosticsNotShown.
QJsonObject toJson(const pelmak::XsdValidationReport &report);

/// Adds --max-diagnostics N to a command that validates.
void addMaxDiagnosticsOption(CommandLine &commandLine);
/// The number --max-diagnostics gives, or the library's default; UsageError for one that is no count.
int maxDiagnostics(const CommandLine &commandLine);
/// The help text of --max-diagnostics, without a final line break.
QString maxDiagnosticsHelp();

/// Said after a schema load that failed because a remote schema may not be fetched.
QString offlineHint(const std::exception &failure);

} // namespace xsdexchange

#endif
