/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_SCHEMAFETCH_P_H
#define DORVELLXSD_SCHEMAFETCH_P_H

#include "../xml/xmllimits_p.h"

#include <QByteArray>
#include <QString>

namespace pelmak {

// The longest a schema fetched from the network may take, connection included.
inline constexpr int SchemaFetchTimeoutSeconds = 15;

/*
 * Fetches the schema at @p url (http, https or ftp), following redirects, within
 * SchemaFetchTimeoutSeconds. On failure returns false and says why in @p error.
 */
bool fetchSchema(const QString &url, QByteArray &content, QString &error);

bool isNetworkAddress(const QString &location);

} // namespace pelmak

#endif
