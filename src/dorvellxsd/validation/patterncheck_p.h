/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_PATTERNCHECK_P_H
#define DORVELLXSD_PATTERNCHECK_P_H

#include <QString>

namespace pelmak {

/*
 * Whether Xerces-C's regular expression engine, which backtracks and cannot be interrupted, may
 * spend time exponential in the length of a value on the XML Schema pattern @p pattern: a
 * repeated group that can match one text in more than one way, because two of its alternatives
 * can begin with the same character, because a repetition at its end can take the character
 * another round of the group would begin with, or because a counted number of its rounds may each
 * match nothing, and that is followed by something the value must still match ((a|aa)*c, (a+)+b,
 * x(;.+=.+)*y, (a?){30}b). The engine tries every way before it gives up when what follows the
 * group fails; with nothing required after it, it gives up at once (measured: (a|aa)* against
 * 24 "a" and a "b" takes microseconds, (a|aa)*c tens of milliseconds, doubling every character
 * or two), so such a pattern is safe.
 * A pattern that does not parse is left to the parser, which refuses it.
 */
bool canBacktrackExponentially(const QString &pattern);

} // namespace pelmak

#endif
