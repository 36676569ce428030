/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_GDALCONFIG_P_H
#define DORVELLXSD_GDALCONFIG_P_H

#include "xsddatasourceoptions.h"

#include <QByteArray>
#include <QString>

#include <cpl_conv.h>
#include <cpl_string.h>

#include <memory>
#include <vector>

namespace pelmak {

/*
 * GDAL's configuration for the calls of a provider, as the options of its data source ask: set
 * as thread-local options for as long as the scope lives and given back as the thread had them
 * when it ends, so that neither the host's own configuration nor other threads see it. Every entry
 * of the provider that may open a source, or a source a VRT names, holds one. Scopes nest.
 */
class GdalConfigScope
{
public:
    explicit GdalConfigScope(const XsdDataSourceOptions &options);
    /// Last set, first given back: a key set twice ends as the thread had it.
    ~GdalConfigScope();
    GdalConfigScope(const GdalConfigScope &) = delete;
    GdalConfigScope &operator=(const GdalConfigScope &) = delete;

private:
    void set(const char *key, const char *value);
    void setNetworkOff();

    std::vector<std::unique_ptr<CPLConfigOptionSetter>> setters;
};

/// The open options of every data source: GDAL writes nothing beside a source it reads.
CPLStringList sourceOpenOptions();

/// What GDAL opens for @p path: a PostgreSQL connection bounded in time where it sets no bound.
QByteArray gdalSourceName(const QString &path, const XsdDataSourceOptions &options);

/// @throws std::logic_error when @p options cannot bound a wait.
void checkUsable(const XsdDataSourceOptions &options);

} // namespace pelmak

#endif
