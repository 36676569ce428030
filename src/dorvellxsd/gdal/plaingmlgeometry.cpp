#include "plaingmlgeometry_p.h"

#include "../xml/plainelement_p.h"

#include <QVarLengthArray>

#include <array>
#include <memory>

namespace pelmak {
namespace {

/*
 * A decimal of at most 15 digits is an integer below 2^53 divided by a power of ten that a double
 * holds exactly: one division rounds it correctly, as every conversion GDAL may use does too.
 * Longer mantissas and exponents are left to GDAL, whose fast conversion differs there.
 */
constexpr int MaxExactDigits = 15;
constexpr std::array<double, MaxExactDigits + 1> PowersOfTen = {
    1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

using Values = QVarLengthArray<double, 64>;

QStringView localName(QStringView qualifiedName)
{
    return qualifiedName.mid(qualifiedName.indexOf(QLatin1Char(':')) + 1);
}

// An optional minus, digits and at most one decimal point, with a digit somewhere.
bool readExactDecimal(QStringView token, double &value)
{
    const QChar *c = token.begin();
    const bool negative = c != token.end() && *c == QLatin1Char('-');
    if (negative)
        ++c;
    quint64 mantissa = 0;
    int digits = 0;
    int fractionDigits = 0;
    bool point = false;
    for (; c != token.end(); ++c) {
        const char16_t unit = c->unicode();
        if (unit >= u'0' && unit <= u'9') {
            if (++digits > MaxExactDigits)
                return false;
            mantissa = mantissa * 10 + (unit - u'0');
            fractionDigits += point ? 1 : 0;
        } else if (unit == u'.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (digits == 0)
        return false;
    value = static_cast<double>(mantissa) / PowersOfTen[static_cast<size_t>(fractionDigits)];
    if (negative)
        value = -value;
    return true;
}

// Numbers between blanks; false for anything else, GDAL's comma among them.
bool readCoordinates(QStringView text, Values &values)
{
    const QChar *c = text.begin();
    const QChar *const end = text.end();
    while (c != end) {
        if (plain::isBlank(c->unicode())) {
            ++c;
            continue;
        }
        const QChar *const tokenStart = c;
        while (c != end && !plain::isBlank(c->unicode()))
            ++c;
        double value = 0;
        if (!readExactDecimal(QStringView(tokenStart, c), value))
            return false;
        values.append(value);
    }
    return true;
}

// The elements of a plain geometry text as a small tree, with what its attributes say.
class PlainTree
{
public:
    struct Element
    {
        QStringView name; ///< local
        QStringView text;
        int firstChild = -1;
        int lastChild = -1;
        int next = -1;
    };

    QVarLengthArray<Element, 32> elements;
    QStringView srsName; ///< the outermost element's
    int dimension = 0;   ///< the srsDimension all elements agree on, 0 where none gives one
    bool readable = true;

    // The plain reader's tokens.
    void startTag(QStringView name, const PlainAttributes &attributes)
    {
        const int index = elements.size();
        elements.append({localName(name), {}, -1, -1, -1});
        if (!open.isEmpty()) {
            Element &parent = elements[open.last()];
            if (parent.lastChild >= 0)
                elements[parent.lastChild].next = index;
            else
                parent.firstChild = index;
            parent.lastChild = index;
        }
        open.append(index);
        for (const auto &[attributeName, value] : attributes)
            takeAttribute(attributeName, value, index == 0);
    }
    void emptyElement() { open.removeLast(); }
    void text(QStringView text) { elements[open.last()].text = text; }
    void endTag(QStringView) { open.removeLast(); }

private:
    // GDAL reads no other attribute of these elements; any other makes the text GDAL's to read.
    void takeAttribute(QStringView name, QStringView value, bool outermost)
    {
        if (isNamespaceDeclaration(name) || localName(name) == QLatin1String("id"))
            return;
        if (name == QLatin1String("srsName")) {
            if (outermost)
                srsName = value;
            else
                readable = readable && value.isEmpty(); // a part in a system of its own
            return;
        }
        const int given = value == QLatin1String("2") ? 2 : value == QLatin1String("3") ? 3 : -1;
        if (name == QLatin1String("srsDimension") && given > 0 && (dimension == 0 || dimension == given))
            dimension = given;
        else
            readable = false;
    }

    QVarLengthArray<int, 16> open;
};

// Builds the geometry of a PlainTree, null as soon as it shows a form left to GDAL.
class PlainGeometryBuilder
{
public:
    explicit PlainGeometryBuilder(const PlainTree &plainTree)
        : tree(plainTree)
    {
    }

    OGRGeometryUniquePtr geometry(int element) const
    {
        const QStringView name = tree.elements[element].name;
        if (name == QLatin1String("Point"))
            return OGRGeometryUniquePtr(point(element).release());
        if (name == QLatin1String("LineString"))
            return OGRGeometryUniquePtr(curve<OGRLineString>(element, 2).release());
        if (name == QLatin1String("Polygon"))
            return OGRGeometryUniquePtr(polygon(element).release());
        if (name == QLatin1String("MultiSurface"))
            return collection<OGRMultiPolygon>(element, QLatin1String("surfaceMember"), &PlainGeometryBuilder::polygon);
        if (name == QLatin1String("MultiCurve"))
            return collection<OGRMultiLineString>(
                element, QLatin1String("curveMember"), &PlainGeometryBuilder::lineString);
        if (name == QLatin1String("MultiPoint"))
            return collection<OGRMultiPoint>(element, QLatin1String("pointMember"), &PlainGeometryBuilder::point);
        return nullptr;
    }

private:
    const PlainTree::Element &at(int element) const { return tree.elements[element]; }

    // The one child of @p element, when it is named @p name; else -1.
    int onlyChild(int element, QLatin1String name) const
    {
        const int child = at(element).firstChild;
        return child >= 0 && at(child).next < 0 && at(child).name == name ? child : -1;
    }

    bool coordinatesOf(int element, QLatin1String listName, Values &values) const
    {
        const int list = onlyChild(element, listName);
        return list >= 0 && readCoordinates(at(list).text, values);
    }

    // GDAL takes a pos's dimension from its numbers, whatever srsDimension says: the two must agree here.
    std::unique_ptr<OGRPoint> point(int element) const
    {
        Values values;
        if (at(element).name != QLatin1String("Point") || !coordinatesOf(element, QLatin1String("pos"), values))
            return nullptr;
        const int dimension = values.size();
        if ((dimension != 2 && dimension != 3) || (tree.dimension != 0 && tree.dimension != dimension))
            return nullptr;
        auto point = std::make_unique<OGRPoint>();
        point->setX(values[0]);
        point->setY(values[1]);
        if (dimension == 3)
            point->setZ(values[2]);
        return point;
    }

    // A posList of at least @p minPoints whole positions.
    template <typename Curve>
    std::unique_ptr<Curve> curve(int element, int minPoints) const
    {
        Values values;
        if (!coordinatesOf(element, QLatin1String("posList"), values))
            return nullptr;
        const int dimension = tree.dimension != 0 ? tree.dimension : 2;
        const int points = values.size() / dimension;
        if (values.size() % dimension != 0 || points < minPoints)
            return nullptr;
        auto curve = std::make_unique<Curve>();
        curve->setNumPoints(points, FALSE);
        for (int i = 0; i < points; ++i) {
            const double *position = values.constData() + i * dimension;
            if (dimension == 3)
                curve->setPoint(i, position[0], position[1], position[2]);
            else
                curve->setPoint(i, position[0], position[1]);
        }
        return curve;
    }

    std::unique_ptr<OGRLineString> lineString(int element) const
    {
        return at(element).name == QLatin1String("LineString") ? curve<OGRLineString>(element, 2) : nullptr;
    }

    // GDAL warns of a ring that does not close, and takes it all the same: that is its to tell.
    std::unique_ptr<OGRLinearRing> ring(int boundary) const
    {
        constexpr int MinRingPoints = 4;
        const int element = onlyChild(boundary, QLatin1String("LinearRing"));
        std::unique_ptr<OGRLinearRing> ring = element >= 0 ? curve<OGRLinearRing>(element, MinRingPoints) : nullptr;
        if (!ring)
            return nullptr;
        const int last = ring->getNumPoints() - 1;
        const bool closed =
            ring->getX(0) == ring->getX(last) && ring->getY(0) == ring->getY(last) && ring->getZ(0) == ring->getZ(last);
        return closed ? std::move(ring) : nullptr;
    }

    // The exterior first, then the interiors.
    std::unique_ptr<OGRPolygon> polygon(int element) const
    {
        const int exterior = at(element).firstChild;
        if (at(element).name != QLatin1String("Polygon") || exterior < 0
            || at(exterior).name != QLatin1String("exterior"))
            return nullptr;
        auto polygon = std::make_unique<OGRPolygon>();
        for (int boundary = exterior; boundary >= 0; boundary = at(boundary).next) {
            if (boundary != exterior && at(boundary).name != QLatin1String("interior"))
                return nullptr;
            std::unique_ptr<OGRLinearRing> ring = this->ring(boundary);
            if (!ring || polygon->addRingDirectly(ring.release()) != OGRERR_NONE)
                return nullptr;
        }
        return polygon;
    }

    // One member per property; an empty collection is left to GDAL.
    template <typename Collection, typename Member>
    OGRGeometryUniquePtr collection(int element, QLatin1String propertyName,
        std::unique_ptr<Member> (PlainGeometryBuilder::*memberOf)(int) const) const
    {
        if (at(element).firstChild < 0)
            return nullptr;
        auto collection = std::make_unique<Collection>();
        for (int property = at(element).firstChild; property >= 0; property = at(property).next) {
            const int child = at(property).name == propertyName ? at(property).firstChild : -1;
            if (child < 0 || at(child).next >= 0)
                return nullptr;
            std::unique_ptr<Member> member = (this->*memberOf)(child);
            if (!member || collection->addGeometryDirectly(member.release()) != OGRERR_NONE)
                return nullptr;
        }
        return OGRGeometryUniquePtr(collection.release());
    }

    const PlainTree &tree;
};

} // namespace

PlainGmlGeometry plainGmlGeometry(const QString &gml)
{
    PlainTree tree;
    if (!readPlainElement(gml, MaxXmlDepth, tree, true) || !tree.readable)
        return {};
    OGRGeometryUniquePtr geometry = PlainGeometryBuilder(tree).geometry(0);
    if (!geometry)
        return {};
    return {std::move(geometry), tree.srsName.toString()};
}

} // namespace pelmak
