#ifndef DORVELLXSD_XSDEXCHANGEPROGRESS_H
#define DORVELLXSD_XSDEXCHANGEPROGRESS_H

#include <dorvellxsd/dorvellxsd_export.h>

#include <QList>
#include <QString>
#include <QtGlobal>

#include <functional>

namespace pelmak {

/// The features of one table that an exchange wrote or stored.
struct DORVELLXSD_EXPORT XsdTableCount
{
    QString table;
    qint64 features = 0;
};

/**
 * How far an exchange has come: reported after each batch of features, and by an export also
 * once each table is done (tablesDone then counts that table).
 */
struct DORVELLXSD_EXPORT XsdExchangeProgress
{
    QString table;       ///< the table of the last batch
    qint64 features = 0; ///< features of every table so far
    int tablesDone = 0;  ///< tables finished so far; an import, which meets its tables as they come, says 0
    int tableCount = 0;  ///< tables to go through; 0 where they are known only at the end
};

/**
 * Called on the thread that runs the exchange, between batches. It may throw to interrupt the
 * exchange: the service then stops as on any failure (the earlier document stays, the
 * transaction is rolled back, created layers go) and lets the exception through.
 */
using XsdProgressHandler = std::function<void(const XsdExchangeProgress &)>;

} // namespace pelmak

#endif
