#include "xerces_p.h"

#include <mutex>

namespace pelmak {
namespace {

std::mutex platformLock;
int platformOwners = 0; // guarded by platformLock

} // namespace

XercesPlatform::XercesPlatform()
{
    const std::lock_guard<std::mutex> lock(platformLock);
    if (platformOwners == 0)
        xercesc::XMLPlatformUtils::Initialize(); // may throw: the count then stays as it was
    ++platformOwners;
}

XercesPlatform::~XercesPlatform()
{
    const std::lock_guard<std::mutex> lock(platformLock);
    if (--platformOwners == 0)
        xercesc::XMLPlatformUtils::Terminate();
}

} // namespace pelmak
