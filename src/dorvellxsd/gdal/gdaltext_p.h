/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_GDALTEXT_P_H
#define DORVELLXSD_GDALTEXT_P_H

#include <QByteArray>
#include <QString>

#include <cpl_error.h>

namespace pelmak {

// GDAL's vector API speaks UTF-8 both ways: paths, layer and field names, filters, values,
// GML and its own messages. Every crossing goes through these two.

inline QByteArray toGdalText(const QString &text)
{
    return text.toUtf8();
}

inline QString fromGdalText(const char *text)
{
    return QString::fromUtf8(text);
}

/// The message of GDAL's last error on this thread, empty when there is none.
inline QString lastGdalError()
{
    return fromGdalText(CPLGetLastErrorMsg());
}

} // namespace pelmak

#endif
