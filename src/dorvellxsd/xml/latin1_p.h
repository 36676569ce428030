/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_LATIN1_P_H
#define DORVELLXSD_LATIN1_P_H

#include <QLatin1String>

namespace pelmak {

// QLatin1String's own constructor counts with strlen, which not every compiler runs at compile time.
template <int Size>
constexpr QLatin1String latin1(const char (&text)[Size])
{
    return QLatin1String(text, Size - 1);
}

} // namespace pelmak

#endif
