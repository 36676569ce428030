#include "gmltext_p.h"

#include "../xml/domtreebuilder_p.h"
#include "../xml/plainelement_p.h"
#include "../xml/xmlserializer_p.h"

#include <QVarLengthArray>
#include <QXmlStreamReader>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

namespace pelmak {
namespace {

using Problem = GmlTextCheck::Problem;

// Where GDAL reads coordinates from: lists of positions, or tuples with their own separators.
enum class Coordinates { None, Positions, Tuples };

// GDAL compares the local names of GML's elements ignoring letter case. A name of another length
// is passed by at once, as every element of every imported geometry comes here.
Coordinates coordinatesOf(QStringView qualifiedName)
{
    const QStringView name = qualifiedName.mid(qualifiedName.indexOf(QLatin1Char(':')) + 1);
    const auto is = [&name](QLatin1String known) { return name.compare(known, Qt::CaseInsensitive) == 0; };
    switch (name.size()) {
    case 1:
        return is(QLatin1String("X")) || is(QLatin1String("Y")) || is(QLatin1String("Z")) ? Coordinates::Positions
                                                                                          : Coordinates::None;
    case 3:
        return is(QLatin1String("pos")) ? Coordinates::Positions : Coordinates::None;
    case 7:
        return is(QLatin1String("posList")) ? Coordinates::Positions : Coordinates::None;
    case 11:
        if (is(QLatin1String("coordinates")))
            return Coordinates::Tuples;
        return is(QLatin1String("lowerCorner")) || is(QLatin1String("upperCorner")) ? Coordinates::Positions
                                                                                    : Coordinates::None;
    default:
        return Coordinates::None;
    }
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The white space of C's isspace, which is what GDAL skips: a space of any other script is no separator to it.
bool isAsciiSpace(QChar c)
{
    return c == QLatin1Char(' ') || (c >= QLatin1Char('\t') && c <= QLatin1Char('\r'));
}

// GDAL's separators of positions.
bool isPositionSeparator(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')
        || c == QLatin1Char(',');
}

bool isSpelledNotFinite(QStringView token)
{
    QString word = token.toString().toLower();
    word.remove(QLatin1Char('+')).remove(QLatin1Char('-'));
    return word == QLatin1String("nan") || word.startsWith(QLatin1String("inf"));
}

/*
 * The end of the decimal number, as XML Schema writes one (sign, digits with at most one decimal
 * separator, exponent), that starts at @p begin; null where none starts there. @p convert tells
 * whether it has an exponent or more digits than a double's range spans: any other such number is
 * neither too large nor too close to zero for a double, without being converted. Raw characters,
 * read once, as every coordinate of every imported geometry passes here.
 */
const QChar *numberEnd(const QChar *begin, const QChar *end, QChar decimal, bool &convert)
{
    const QChar *c = begin;
    if (c != end && (*c == QLatin1Char('+') || *c == QLatin1Char('-')))
        ++c;
    int digits = 0;
    for (; c != end && isDigit(*c); ++c)
        ++digits;
    if (c != end && *c == decimal) {
        for (++c; c != end && isDigit(*c); ++c)
            ++digits;
    }
    convert = digits > std::numeric_limits<double>::max_exponent10;
    if (digits == 0)
        return nullptr;
    if (c != end && (*c == QLatin1Char('e') || *c == QLatin1Char('E'))) {
        convert = true;
        ++c;
        if (c != end && (*c == QLatin1Char('+') || *c == QLatin1Char('-')))
            ++c;
        const QChar *const exponent = c;
        while (c != end && isDigit(*c))
            ++c;
        if (c == exponent)
            return nullptr;
    }
    return c;
}

// What a number whose form needs it converted is: a double's normal number or zero, or none.
Problem convertedProblem(QStringView number, QChar decimal)
{
    QString text = number.toString();
    text.replace(decimal, QLatin1Char('.'));
    bool ok = false;
    const double value = text.toDouble(&ok); // in the C locale, whatever the host's
    if (!std::isfinite(value))
        return Problem::NotFinite;
    // Qt gives 0 and not ok for a number closer to zero than the least subnormal.
    if ((!ok && value == 0) || (value != 0 && std::fabs(value) < DBL_MIN))
        return Problem::Underflow;
    return ok ? Problem::None : Problem::NotNumber;
}

// What a coordinate's whole text is: a number that a double holds as a normal number or zero, or none.
Problem numberProblem(QStringView token, QChar decimal)
{
    bool convert = false;
    const QChar *const end = token.data() + token.size();
    if (token.isEmpty() || numberEnd(token.data(), end, decimal, convert) != end)
        return isSpelledNotFinite(token) ? Problem::NotFinite : Problem::NotNumber;
    return convert ? convertedProblem(token, decimal) : Problem::None;
}

// The separators of a coordinates element; GDAL refuses any that is not one character or is a digit.
struct TupleSeparators
{
    QChar decimal = QLatin1Char('.');
    QChar coordinate = QLatin1Char(',');
    QChar tuple = QLatin1Char(' ');
    bool coordinateGiven = false;
    bool valid = true;
};

void takeSeparator(QStringView value, QChar &separator, bool &valid)
{
    valid = valid && value.size() == 1 && !isDigit(value.at(0));
    if (valid)
        separator = value.at(0);
}

// One geometry's text, told by a reader of either kind; what it found goes to check.
class GmlTextScan : public XmlTokenSink
{
public:
    GmlTextCheck check;

    // The plain reader's tokens.
    void startTag(QStringView name, const PlainAttributes &attributes)
    {
        frames.append({coordinatesOf(name), frames.isEmpty() ? QStringView() : frames.last().system, {}});
        for (const auto &[attributeName, value] : attributes)
            takeAttribute(attributeName, value, frames.last());
    }
    void emptyElement() { frames.removeLast(); }
    void text(QStringView text) { checkCoordinates(text); }
    void endTag(QStringView) { frames.removeLast(); }

    // The parser's tokens: a coordinate list may come in pieces.
    void startElement(const QString &name, const XmlAttributes &attributes) override
    {
        if (!frames.isEmpty() && frames.last().coordinates != Coordinates::None)
            fail(Problem::NotNumber, QLatin1Char('<') + name + QLatin1Char('>'));
        PlainAttributes views;
        for (const auto &[attributeName, value] : attributes) {
            views.append({attributeName, value});
            if (attributeName == QLatin1String("srsName"))
                parsedSystems.append(value); // the view into it outlives the token
        }
        startTag(name, views);
        pieces.resize(0);
    }
    void endElement() override
    {
        if (frames.last().coordinates != Coordinates::None)
            checkCoordinates(pieces);
        pieces.resize(0);
        endTag({});
    }
    void text(const QString &text, TextKind kind) override
    {
        if (frames.isEmpty() || frames.last().coordinates == Coordinates::None)
            return;
        if (kind == TextKind::CData)
            check.inPieces = true;
        pieces += text;
    }
    void comment(const QString &) override { inCoordinates(); }
    void processingInstruction(const QString &, const QString &) override { inCoordinates(); }

private:
    struct Frame
    {
        Coordinates coordinates;
        QStringView system; ///< the srsName its coordinates stand in; empty when none is named
        TupleSeparators separators;
    };

    void takeAttribute(QStringView name, QStringView value, Frame &frame)
    {
        if (name == QLatin1String("srsName")) {
            if (!value.isEmpty())
                frame.system = value;
        } else if (frame.coordinates == Coordinates::Tuples) {
            TupleSeparators &separators = frame.separators;
            if (name == QLatin1String("decimal")) {
                takeSeparator(value, separators.decimal, separators.valid);
            } else if (name == QLatin1String("cs")) {
                takeSeparator(value, separators.coordinate, separators.valid);
                separators.coordinateGiven = true;
            } else if (name == QLatin1String("ts")) {
                takeSeparator(value, separators.tuple, separators.valid);
            }
        }
    }

    void inCoordinates()
    {
        if (!frames.isEmpty() && frames.last().coordinates != Coordinates::None)
            check.inPieces = true;
    }

    void fail(Problem problem, const QString &detail)
    {
        if (check.problem != Problem::None)
            return;
        check.problem = problem;
        check.detail = detail;
    }

    void number(QStringView token, QChar decimal, QStringView tuple)
    {
        const Problem problem = numberProblem(token, decimal);
        if (problem != Problem::None)
            fail(problem, (token.isEmpty() ? tuple : token).toString());
    }

    void checkCoordinates(QStringView text)
    {
        const Frame &frame = frames.last();
        if (frame.coordinates == Coordinates::None)
            return;
        if (std::none_of(check.systems.cbegin(), check.systems.cend(),
                [&frame](const QString &system) { return system == frame.system; }))
            check.systems.append(frame.system.toString());
        if (frame.coordinates == Coordinates::Positions)
            checkPositions(text);
        else if (frame.separators.valid) // GDAL refuses the element itself
            checkTuples(text, frame.separators);
    }

    // A number ends at a separator, which no number holds: the usual coordinate is read once.
    void checkPositions(QStringView text)
    {
        const QChar *const end = text.data() + text.size();
        for (const QChar *c = text.data(); c != end && check.problem == Problem::None;) {
            if (isPositionSeparator(*c)) {
                ++c;
                continue;
            }
            bool convert = false;
            const QChar *after = numberEnd(c, end, QLatin1Char('.'), convert);
            if (!after || (after != end && !isPositionSeparator(*after))) {
                after = c;
                while (after != end && !isPositionSeparator(*after))
                    ++after;
                convert = true; // to tell a word from a number
            }
            if (convert)
                number(QStringView(c, after), QLatin1Char('.'), {});
            c = after;
        }
    }

    /*
     * Tuples as GDAL reads them: the first number ends at the coordinate separator or at white
     * space, the others also at the tuple separator; a white space after the first number, where
     * no coordinate separator is given, makes white space separate coordinates and commas tuples.
     * A tuple with a missing number, or with more than three, shows as one with an empty number.
     */
    void checkTuples(QStringView text, TupleSeparators separators)
    {
        if (separators.decimal == separators.coordinate || separators.decimal == separators.tuple) {
            fail(Problem::NotNumber,
                QStringLiteral("decimal=\"%1\" cs=\"%2\" ts=\"%3\"")
                    .arg(separators.decimal, separators.coordinate, separators.tuple));
            return;
        }
        const auto size = static_cast<int>(text.size());
        const auto coordinateEnd = [&](int from, bool first) {
            int end = from;
            while (end < size && text.at(end) != separators.coordinate && (first || text.at(end) != separators.tuple)
                && !isAsciiSpace(text.at(end)))
                ++end;
            return end;
        };
        int i = 0;
        while (i < size && isAsciiSpace(text.at(i)))
            ++i;
        while (i < size && check.problem == Problem::None) {
            const int tupleStart = i;
            int end = coordinateEnd(i, true);
            if (end == size)
                return; // GDAL refuses the tuple itself
            if (!separators.coordinateGiven && separators.coordinate == QLatin1Char(',')
                && isAsciiSpace(text.at(end))) {
                separators.coordinate = QLatin1Char(' ');
                separators.tuple = QLatin1Char(',');
            }
            int tupleEnd = end + 1;
            while (tupleEnd < size && !isAsciiSpace(text.at(tupleEnd)))
                ++tupleEnd;
            const QStringView tuple = text.mid(tupleStart, qMin(tupleEnd - tupleStart, 40));
            number(text.mid(i, end - i), separators.decimal, tuple);
            i = end + 1;
            end = coordinateEnd(i, false);
            number(text.mid(i, end - i), separators.decimal, tuple);
            i = end;
            if (i < size && text.at(i) == separators.coordinate) {
                end = coordinateEnd(++i, false);
                number(text.mid(i, end - i), separators.decimal, tuple);
                i = end;
                if (i < size && text.at(i) == separators.coordinate)
                    number({}, separators.decimal, tuple); // a fourth, which GDAL takes for the next tuple
            }
            if (i < size && text.at(i) == separators.tuple)
                ++i;
            while (i < size && isAsciiSpace(text.at(i)))
                ++i;
        }
    }

    QVarLengthArray<Frame, 8> frames;
    QStringList parsedSystems; ///< the srsNames a parser told, which the frames point into
    QString pieces;            ///< the text of the element at hand, as the parser tells it
};

QStringView localName(const QString &qualifiedName)
{
    return QStringView(qualifiedName).mid(qualifiedName.indexOf(QLatin1Char(':')) + 1);
}

// Whether the coordinates within @p element, whose own system is @p effective, stand in @p system.
bool coordinatesIn(const QDomElement &element, const QString &effective, const QString &system)
{
    for (QDomElement child = element.firstChildElement(); !child.isNull(); child = child.nextSiblingElement()) {
        const QString childSystem = gmlSystemOf(child, effective);
        if (coordinatesOf(child.tagName()) != Coordinates::None ? childSystem != system
                                                                : !coordinatesIn(child, childSystem, system))
            return false;
    }
    return true;
}

/*
 * Each element's text in one piece, as GDAL reads only the first. Texts are joined here rather
 * than by QDomNode::normalize, which never frees the nodes it merges.
 */
void joinTexts(QDomNode node)
{
    QDomText text;
    for (QDomNode child = node.firstChild(); !child.isNull();) {
        QDomNode next = child.nextSibling();
        if (child.isComment() || child.isProcessingInstruction()) {
            node.removeChild(child);
        } else if (child.isText() || child.isCDATASection()) {
            if (!text.isNull()) {
                text.appendData(child.nodeValue());
                node.removeChild(child);
            } else if (child.isCDATASection()) {
                text = node.ownerDocument().createTextNode(child.nodeValue());
                node.replaceChild(text, child);
            } else {
                text = child.toText();
            }
        } else {
            text.clear();
            if (child.isElement())
                joinTexts(child);
        }
        child = next;
    }
}

} // namespace

GmlTextCheck checkGmlText(const QString &gml)
{
    GmlTextScan plain;
    // The scan reads names as written, as the parser's path does: declarations change nothing.
    if (readPlainElement(gml, MaxXmlDepth, plain, true))
        return plain.check;
    GmlTextScan parsed;
    QXmlStreamReader reader(gml);
    XmlNameCache names;
    QString error;
    if (!XmlTokenizer(reader, MaxXmlDepth, names).readAll(parsed, &error)) {
        parsed.check.problem = Problem::NotXml;
        parsed.check.detail = error;
    }
    return parsed.check;
}

QDomDocument gmlTree(const QString &gml)
{
    QXmlStreamReader reader(gml);
    QDomDocument tree;
    if (readXmlDocument(reader, tree, BlankText::Values, nullptr))
        joinTexts(tree.documentElement());
    return tree;
}

QString gmlTextOf(const QDomElement &element)
{
    QString text;
    saveXmlNode(element, 0, 1, text);
    return text;
}

QString gmlSystemOf(const QDomElement &geometry, const QString &inherited)
{
    const QString own = geometry.attribute(QStringLiteral("srsName"));
    return own.isEmpty() ? inherited : own;
}

bool isInOneSystem(const QDomElement &geometry, const QString &system)
{
    return coordinatesIn(geometry, system, system);
}

// GML names its geometries with a capital, its properties without; X, Y and Z are coordinates.
QVector<QDomElement> gmlParts(const QDomElement &geometry)
{
    QVector<QDomElement> parts;
    for (QDomElement property = geometry.firstChildElement(); !property.isNull();
         property = property.nextSiblingElement()) {
        for (QDomElement part = property.firstChildElement(); !part.isNull(); part = part.nextSiblingElement()) {
            const QStringView name = localName(part.tagName());
            if (!name.isEmpty() && name.at(0).isUpper() && coordinatesOf(name) == Coordinates::None)
                parts.append(part);
        }
    }
    return parts;
}

} // namespace pelmak
