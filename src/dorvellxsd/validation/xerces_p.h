/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_XERCES_P_H
#define DORVELLXSD_XERCES_P_H

#include <QString>

#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLString.hpp>

#include <memory>
#include <type_traits>

namespace pelmak {

static_assert(std::is_same_v<XMLCh, char16_t>, "QString and Xerces-C must share UTF-16 code units");

/*
 * Holds the Xerces-C platform for the lifetime of its owner. Xerces-C counts Initialize and
 * Terminate itself, but neither call is safe against another thread: the library counts its
 * own owners under a lock, so that only the first brings the platform up and only the last
 * takes it down, and holds a share of GDAL's count meanwhile, so that GDAL, which uses Xerces-C
 * for GML, neither races with those calls nor takes the platform down under a checker. A host
 * that brought the platform up first keeps it: Xerces-C's own count then stays above zero when
 * the library's last owner goes. Declare it before every Xerces-C object it must outlive.
 */
class XercesPlatform
{
public:
    XercesPlatform();
    ~XercesPlatform();
    XercesPlatform(const XercesPlatform &) = delete;
    XercesPlatform &operator=(const XercesPlatform &) = delete;

private:
    class Share;
    std::unique_ptr<Share> share;
};

// The QString's own UTF-16, valid while the string lives and is not changed.
inline const XMLCh *toXmlCh(const QString &text)
{
    return reinterpret_cast<const XMLCh *>(text.utf16());
}

inline QString fromXmlCh(const XMLCh *text)
{
    return text ? QString::fromUtf16(text) : QString();
}

/*
 * A text transcoded to the local 8-bit code page by Xerces-C, handed back to Xerces-C's memory
 * manager on every exit.
 */
class LocalText
{
public:
    explicit LocalText(const XMLCh *text)
        : converted(xercesc::XMLString::transcode(text, xercesc::XMLPlatformUtils::fgMemoryManager))
    {
    }
    ~LocalText() { xercesc::XMLString::release(&converted, xercesc::XMLPlatformUtils::fgMemoryManager); }
    LocalText(const LocalText &) = delete;
    LocalText &operator=(const LocalText &) = delete;

    // Null when the transcoder gave up on the text.
    const char *data() const { return converted; }

private:
    char *converted;
};

} // namespace pelmak

#endif
