#ifndef DORVELLXSD_MI_XSDHOSTREFUSAL_H
#define DORVELLXSD_MI_XSDHOSTREFUSAL_H

#include <dorvellxsd/dorvellxsd_export.h>

#include <cstdint>
#include <list>
#include <string>

namespace pelmak::mi {

/// The refusals of pelmak::XsdHostRefusal, with the same values and placeholders.
enum class XsdHostRefusal : std::int32_t {
    NotPath,
    NotText,
    NotTexts,
    NotInteger,
    NotBoolean,
    ValueNotText,
    PathIsSchema,
    TableNotInDocument,
    SystemsMixed
};

/// The message of @p refusal with the UTF-8 @p arguments filled in, in the library's language.
DORVELLXSD_EXPORT std::string hostRefusal(XsdHostRefusal refusal, const std::list<std::string> &arguments);

} // namespace pelmak::mi

#endif
