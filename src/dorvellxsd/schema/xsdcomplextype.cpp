#include "xsdcomplextype.h"

namespace pelmak {

XsdComplexType::~XsdComplexType() = default;

} // namespace pelmak
