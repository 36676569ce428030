#include "xsdattribute.h"

namespace pelmak {

XsdAttribute::~XsdAttribute() = default;

} // namespace pelmak
