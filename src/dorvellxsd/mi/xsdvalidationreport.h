#ifndef DORVELLXSD_MI_XSDVALIDATIONREPORT_H
#define DORVELLXSD_MI_XSDVALIDATIONREPORT_H

#include <dorvellxsd/mi/xsddiagnostic.h>

#include <list>
#include <string>

namespace pelmak::mi {

/// pelmak::XsdValidationReport with UTF-8 texts.
struct XsdValidationReport
{
    std::string document;
    int errorCount = 0;                   ///< errors and fatal errors, all of them, kept or not
    std::list<XsdDiagnostic> diagnostics; ///< the first ones, in the order found
    long long diagnosticsNotKept = 0;     ///< diagnostics found beyond those
};

} // namespace pelmak::mi

#endif
