#include "xsdelement.h"

#include <dorvellxsd/schema/xsdelement.h>

namespace pelmak::mi {

XsdElement::XsdElement()
    : impl(std::make_unique<pelmak::XsdElement>())
{
}

XsdElement::XsdElement(const pelmak::XsdElement &element)
    : impl(std::make_unique<pelmak::XsdElement>(element))
{
}

XsdElement::XsdElement(XsdElement &&other)
    : impl(std::make_unique<pelmak::XsdElement>(*other.impl))
{
}

XsdElement::~XsdElement() = default;

} // namespace pelmak::mi
