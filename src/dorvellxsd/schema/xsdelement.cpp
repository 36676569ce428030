#include "xsdelement.h"

namespace pelmak {

XsdElement::~XsdElement() = default;

} // namespace pelmak
