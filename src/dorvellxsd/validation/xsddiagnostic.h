#ifndef DORVELLXSD_XSDDIAGNOSTIC_H
#define DORVELLXSD_XSDDIAGNOSTIC_H

#include <QString>

namespace pelmak {

/// One diagnostic of a checked document: a warning or an error of the parser, or a refusal of the
/// library, where the parser stood when it was raised.
struct XsdDiagnostic
{
    int line = 0;   ///< 1-based; 0 when the document as a whole is concerned
    int column = 0; ///< 1-based; 0 when the document as a whole is concerned
    QString message;
    /// The feature the diagnostic lies in, named by its gml:id (GML 3.1.1 or 3.2) or GML 2 fid;
    /// empty outside every feature member, and for a feature that carries neither.
    QString feature;
};

} // namespace pelmak

#endif
