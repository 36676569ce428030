#include "conversion_p.h"

namespace pelmak::mi {

QString toQString(const std::string &text)
{
    return QString::fromStdString(text);
}

std::string toStdString(const QString &text)
{
    return text.toStdString();
}

QStringList toQStringList(const std::list<std::string> &texts)
{
    QStringList result;
    result.reserve(static_cast<int>(texts.size()));
    for (const std::string &text : texts)
        result.append(toQString(text));
    return result;
}

std::list<std::string> toStdList(const QStringList &texts)
{
    std::list<std::string> result;
    for (const QString &text : texts)
        result.push_back(toStdString(text));
    return result;
}

pelmak::XsdDocumentIdentity toQtIdentity(const XsdDocumentIdentity &identity)
{
    return {
        toQtGmlVersion(identity.gmlVersion), toQString(identity.targetNamespace), toQString(identity.schemaLocation)};
}

XsdDiagnostic toMiDiagnostic(const pelmak::XsdDiagnostic &diagnostic)
{
    return {diagnostic.line, diagnostic.column, toStdString(diagnostic.message), toStdString(diagnostic.feature)};
}

XsdValidationReport toMiReport(const pelmak::XsdValidationReport &report)
{
    XsdValidationReport converted;
    converted.document = toStdString(report.document);
    converted.errorCount = report.errorCount;
    for (const pelmak::XsdDiagnostic &diagnostic : report.diagnostics)
        converted.diagnostics.push_back(toMiDiagnostic(diagnostic));
    converted.diagnosticsNotKept = report.diagnosticsNotKept;
    return converted;
}

} // namespace pelmak::mi
