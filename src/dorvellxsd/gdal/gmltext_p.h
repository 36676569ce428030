/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_GMLTEXT_P_H
#define DORVELLXSD_GMLTEXT_P_H

#include <QDomDocument>
#include <QDomElement>
#include <QString>
#include <QStringList>
#include <QVector>

namespace pelmak {

/*
 * What the text of a GML geometry says before GDAL reads it: whether every coordinate is a number
 * a double holds as written, and in which coordinate systems the coordinates stand. GDAL reads a
 * word, "NaN" or an overflowing number in a coordinate list as 0 or infinity, a number too close
 * to zero as 0, and a list that a comment splits only up to the comment; it takes no srsName.
 */
struct GmlTextCheck
{
    enum class Problem {
        None,
        NotXml,    ///< the text is no well-formed XML element: detail is the parser's message
        NotNumber, ///< detail is the coordinate, or the tuple missing one
        NotFinite,
        Underflow, ///< detail is the coordinate, which only a subnormal or 0 would hold
    };

    Problem problem = Problem::None;
    QString detail;
    /*
     * A geometry's coordinates stand in the system its srsName names, or, without one, in that of
     * the geometry it is part of (a Polygon in a MultiSurface); a position may name its own too.
     * The systems of the coordinates, each once in order of appearance; empty for coordinates
     * in none named.
     */
    QStringList systems;
    bool inPieces = false; ///< a comment or a CDATA section splits a coordinate list
};

/*
 * Checks the text of one geometry: without a parser when it has the plainest form, as GDAL writes
 * its geometries, with the readers' parser and its defences otherwise. The coordinates are those
 * of the elements GDAL reads them from, whatever their prefix: pos, posList, lowerCorner,
 * upperCorner, X, Y, Z, and coordinates, whose decimal, cs and ts attributes are read as GDAL reads
 * them; a number is written as XML Schema writes a decimal or a double, with the decimal
 * separator of its coordinates element.
 */
GmlTextCheck checkGmlText(const QString &gml);

/*
 * The geometry's tree, to read in parts, with the text of each element in one piece: comments and
 * processing instructions dropped, CDATA sections made text. Without a document element when the
 * text is no XML.
 */
QDomDocument gmlTree(const QString &gml);
// The text GDAL is to read for the geometry @p element of a gmlTree.
QString gmlTextOf(const QDomElement &element);
// The system @p geometry names, or else @p inherited.
QString gmlSystemOf(const QDomElement &geometry, const QString &inherited);
// Whether every coordinate within @p geometry, whose system is @p system, stands in that system.
bool isInOneSystem(const QDomElement &geometry, const QString &system);
// The geometries @p geometry is made of, through its properties: members, rings, patches.
QVector<QDomElement> gmlParts(const QDomElement &geometry);

} // namespace pelmak

#endif
