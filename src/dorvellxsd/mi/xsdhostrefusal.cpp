#include "xsdhostrefusal.h"

#include "conversion_p.h"

#include <dorvellxsd/exchange/xsdhostrefusal.h>

namespace pelmak::mi {

std::string hostRefusal(XsdHostRefusal refusal, const std::list<std::string> &arguments)
{
    return toStdString(pelmak::hostRefusal(static_cast<pelmak::XsdHostRefusal>(refusal), toQStringList(arguments)));
}

} // namespace pelmak::mi
