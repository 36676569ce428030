/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_SCHEMAFETCH_P_H
#define DORVELLXSD_SCHEMAFETCH_P_H

#include <QByteArray>
#include <QString>

namespace pelmak {

// The longest a schema fetched from the network may take, connection included.
inline constexpr int SchemaFetchTimeoutSeconds = 15;
// The largest schema file read or fetched; the official schemas are a few hundred KB at most.
inline constexpr qint64 MaxSchemaFileBytes = 16 * 1024 * 1024;

/*
 * Fetches the schema at @p url (http, https or ftp), following redirects, within
 * SchemaFetchTimeoutSeconds. On failure returns false and says why in @p error.
 */
bool fetchSchema(const QString &url, QByteArray &content, QString &error);

bool isNetworkAddress(const QString &location);

} // namespace pelmak

#endif
