#ifndef XSDEXCHANGE_DOCUMENTCHECK_H
#define XSDEXCHANGE_DOCUMENTCHECK_H

#include "schemaaccess.h"

#include <dorvellxsd/validation/xsdxmlchecker.h>

#include <QList>
#include <QString>
#include <QStringList>

namespace xsdexchange {

struct Diagnostic
{
    int line = 0;
    int column = 0;
    QString message;
    QString feature; ///< the "gml:id" of the feature member the position lies in, or empty
};

struct DocumentReport
{
    QString document;
    int errorCount = 0;
    QList<Diagnostic> diagnostics;
};

/**
 * Validates documents against one schema and says, for each diagnostic, which feature it
 * belongs to, so that a user of a large file knows which record to fix.
 */
class DocumentChecker
{
public:
    explicit DocumentChecker(const QString &schemaPath, const pelmak::XsdSchemaAccess &access = {});
    DocumentReport check(const QString &documentPath);

private:
    pelmak::XsdXmlChecker checker;
    QList<Diagnostic> diagnostics;
};

/// DOC:LINE:COLUMN: TEXT [feature] for each diagnostic, then a summary line, each line
/// after @p indent.
void printText(const DocumentReport &report, const QString &indent = {});
/// The diagnostics as one JSON array on one line.
void printJson(const DocumentReport &report);

} // namespace xsdexchange

#endif
