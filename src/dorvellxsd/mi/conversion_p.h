/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_MI_CONVERSION_P_H
#define DORVELLXSD_MI_CONVERSION_P_H

#include <dorvellxsd/gml/xsddocumentidentity.h>
#include <dorvellxsd/mi/xsddocumentidentity.h>
#include <dorvellxsd/mi/xsdtables.h>
#include <dorvellxsd/mi/xsdvalidationreport.h>
#include <dorvellxsd/schema/xsdtables.h>
#include <dorvellxsd/validation/xsdvalidationreport.h>

#include <QStringList>

#include <list>
#include <string>

// Standard strings of the facade are UTF-8 in both directions.
namespace pelmak::mi {

QString toQString(const std::string &text);
std::string toStdString(const QString &text);
QStringList toQStringList(const std::list<std::string> &texts);
std::list<std::string> toStdList(const QStringList &texts);

XsdDiagnostic toMiDiagnostic(const pelmak::XsdDiagnostic &diagnostic);
XsdValidationReport toMiReport(const pelmak::XsdValidationReport &report);

// The two enumerations carry the same values.
inline pelmak::XsdTables::GmlVersion toQtGmlVersion(XsdTables::GmlVersion version)
{
    return static_cast<pelmak::XsdTables::GmlVersion>(version);
}

inline XsdTables::GmlVersion toMiGmlVersion(pelmak::XsdTables::GmlVersion version)
{
    return static_cast<XsdTables::GmlVersion>(version);
}

pelmak::XsdDocumentIdentity toQtIdentity(const XsdDocumentIdentity &identity);

} // namespace pelmak::mi

#endif
