#ifndef DORVELLXSD_XSDDATASOURCEOPTIONS_H
#define DORVELLXSD_XSDDATASOURCEOPTIONS_H

#include <dorvellxsd/dorvellxsd_export.h>

namespace pelmak {

// TEMPORARY stand-in until the data source options land.
struct DORVELLXSD_EXPORT XsdDataSourceOptions
{
    bool networkAccess = false;
    int timeoutSeconds = 15;
};

} // namespace pelmak

#endif
