#ifndef XSDEXCHANGE_RELATEDTABLES_H
#define XSDEXCHANGE_RELATEDTABLES_H

#include <dorvellxsd/schema/xsdrelatedtables.h>

namespace xsdexchange {

/**
 * Prints the related tables, each child under its parent and indented one step deeper; with
 * @p verbose each table's key, parent and columns, then what is kept as XML text.
 */
void printRelatedTables(const pelmak::XsdRelatedTables &tables, bool verbose);

} // namespace xsdexchange

#endif
