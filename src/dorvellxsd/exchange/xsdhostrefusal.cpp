#include "xsdhostrefusal.h"

#include "../message_p.h"

namespace pelmak {

namespace {

const char *sourceTextOf(XsdHostRefusal refusal)
{
    switch (refusal) {
    case XsdHostRefusal::NotPath:
        return messages::ArgumentNotPath;
    case XsdHostRefusal::NotText:
        return messages::ArgumentNotText;
    case XsdHostRefusal::NotTexts:
        return messages::ArgumentNotTexts;
    case XsdHostRefusal::NotInteger:
        return messages::ArgumentNotInteger;
    case XsdHostRefusal::NotBoolean:
        return messages::ArgumentNotBoolean;
    case XsdHostRefusal::ValueNotText:
        return messages::ValueNotText;
    case XsdHostRefusal::PathIsSchema:
        return messages::PathIsSchema;
    case XsdHostRefusal::TableNotInDocument:
        return messages::DocumentLacksTable;
    case XsdHostRefusal::SystemsMixed:
        return messages::SystemsMixed;
    }
    return messages::ArgumentNotText;
}

} // namespace

QString hostRefusal(XsdHostRefusal refusal, const QStringList &arguments)
{
    // Missing placeholders stay empty rather than showing their markers.
    const auto argument = [&arguments](int i) { return arguments.value(i); };
    return formatMessage(sourceTextOf(refusal), argument(0), argument(1), argument(2), argument(3));
}

} // namespace pelmak
