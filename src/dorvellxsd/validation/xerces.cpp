#include "xerces_p.h"

#include <mutex>

#ifdef DORVELLXSD_GDAL_COUNTS_XERCES
// GDAL's drivers bring Xerces-C up and down through these two, under GDAL's own lock and count;
// GDAL exports them without declaring them in a public header.
bool OGRInitializeXerces();
void OGRDeinitializeXerces();
#endif

namespace pelmak {
namespace {

std::mutex platformLock;
int platformOwners = 0; // guarded by platformLock

/*
 * A share of GDAL's count of Xerces-C users while the library uses the platform. GDAL brings the
 * platform up or down only when its own count passes zero, and takes it for the host's when it
 * finds it up already, so that it never terminates it (and never counts itself in Xerces-C's
 * own count either): without the share, the library's last owner would end the platform under
 * a GML data source GDAL reads, and GDAL's calls would race with the library's.
 */
class GdalShare
{
public:
#ifdef DORVELLXSD_GDAL_COUNTS_XERCES
    GdalShare()
    {
        OGRInitializeXerces();
    }
    ~GdalShare()
    {
        OGRDeinitializeXerces();
    }
#endif
};

} // namespace

class XercesPlatform::Share
{
public:
    GdalShare gdal;
};

XercesPlatform::XercesPlatform()
    : share(std::make_unique<Share>())
{
    const std::lock_guard<std::mutex> lock(platformLock);
    if (platformOwners == 0)
        xercesc::XMLPlatformUtils::Initialize(); // may throw: the count then stays as it was
    ++platformOwners;
}

XercesPlatform::~XercesPlatform()
{
    {
        const std::lock_guard<std::mutex> lock(platformLock);
        if (--platformOwners == 0)
            xercesc::XMLPlatformUtils::Terminate();
    }
    share.reset(); // only now may GDAL take the platform down
}

} // namespace pelmak
