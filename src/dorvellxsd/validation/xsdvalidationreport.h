#ifndef DORVELLXSD_XSDVALIDATIONREPORT_H
#define DORVELLXSD_XSDVALIDATIONREPORT_H

#include <dorvellxsd/validation/xsddiagnostic.h>

#include <QList>
#include <QString>
#include <QtGlobal>

namespace pelmak {

/// What checking one document found: every error counted, the first diagnostics kept.
struct XsdValidationReport
{
    QString document;                 ///< the path as given
    int errorCount = 0;               ///< errors and fatal errors, all of them, kept or not
    QList<XsdDiagnostic> diagnostics; ///< the first ones, warnings included, in the order found
    qint64 diagnosticsNotKept = 0;    ///< diagnostics found beyond those
};

} // namespace pelmak

#endif
