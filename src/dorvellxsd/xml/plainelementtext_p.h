/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_PLAINELEMENTTEXT_P_H
#define DORVELLXSD_PLAINELEMENTTEXT_P_H

#include <QString>

namespace pelmak {

/*
 * Appends to @p out what an XmlElementTextWriter at @p depth and @p indent writes for the tokens
 * of @p fragment, read without a parser, when the fragment is one element of the plainest form
 * (see readPlainElement), in which GDAL writes its geometries.
 *
 * False, with @p out as it was, for any other fragment: the caller then reads it with a parser,
 * which also refuses what is no XML.
 */
bool appendPlainElementText(const QString &fragment, int depth, int indent, int maxDepth, QString &out);

} // namespace pelmak

#endif
