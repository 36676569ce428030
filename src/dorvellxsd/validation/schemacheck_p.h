/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_SCHEMACHECK_P_H
#define DORVELLXSD_SCHEMACHECK_P_H

#include "parsererrorhandler_p.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace pelmak {

/*
 * The most element positions one content model may expand to. Xerces-C copies a particle once
 * for each occurrence its bounds allow and builds an automaton over all the copies, in time
 * that grows with the square of their number: 2,500 positions take about a second, 10,000 a
 * quarter of a minute, a few nested bounds of a hundred each minutes and gigabytes. Real
 * schemas stay far below.
 */
inline constexpr double MaxContentModelPositions = 3000;

/*
 * Why the schema text @p content, read from @p name, must not reach the parser: its prolog
 * declares a document type, or cannot be read far enough to tell (the check refuses what it
 * cannot see through); or one of its content models expands to more than
 * MaxContentModelPositions element positions, counting the groups it refers to in the same file;
 * or one of its pattern facets lets the parser spend time exponential in the length of a value
 * (canBacktrackExponentially): Xerces-C cannot be stopped while it matches one.
 */
std::optional<Diagnostic> schemaTextRefusal(const QByteArray &content, const QString &name);

} // namespace pelmak

#endif
