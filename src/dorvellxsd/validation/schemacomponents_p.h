/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_SCHEMACOMPONENTS_P_H
#define DORVELLXSD_SCHEMACOMPONENTS_P_H

#include <xercesc/framework/psvi/XSModel.hpp>

namespace pelmak {

class XsdXmlChecker;

/*
 * The components of the schema a checker has loaded (its elements, types and their content
 * models), as Xerces-C resolved them: includes, imports, substitution groups and derivations
 * included. They belong to the checker and live while it does.
 */
class SchemaComponents
{
public:
    // @throws std::logic_error when the checker has no schema loaded.
    static xercesc::XSModel &of(XsdXmlChecker &checker);
};

} // namespace pelmak

#endif
