#ifndef DORVELLXSD_MI_XSDDIAGNOSTIC_H
#define DORVELLXSD_MI_XSDDIAGNOSTIC_H

#include <string>

namespace pelmak::mi {

/// pelmak::XsdDiagnostic with UTF-8 texts.
struct XsdDiagnostic
{
    int line = 0;
    int column = 0;
    std::string message;
    std::string feature; ///< gml:id or fid of the feature the diagnostic lies in, or empty
};

} // namespace pelmak::mi

#endif
