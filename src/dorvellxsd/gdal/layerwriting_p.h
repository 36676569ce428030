/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_LAYERWRITING_P_H
#define DORVELLXSD_LAYERWRITING_P_H

#include "../data/xsdtabledata.h"

#include <QList>
#include <QMap>
#include <QString>

namespace pelmak {

class GdalErrorScope;
class XsdGdalDataProviderPrivate;

/*
 * The one implementation of writing records into layers (XsdGdalDataProvider::insertData): one
 * feature per record in the layer of its table's name, each plain value in the field of its
 * attribute's name, the geometry from its GML. Every layer and field is looked up before the
 * first record is written. The features created per table name.
 *
 * Where the driver has no transactions, or the host holds one open (@p inTransaction false),
 * nothing can be undone here: every feature is built and checked before the first is written, so
 * that only the driver can still refuse one. In a transaction of the caller's own, each is written
 * as it is built. Must run inside @p errors.
 */
QMap<QString, int> writeRecords(
    XsdGdalDataProviderPrivate &target, const QList<XsdTableData> &tables, bool inTransaction, GdalErrorScope &errors);

} // namespace pelmak

#endif
