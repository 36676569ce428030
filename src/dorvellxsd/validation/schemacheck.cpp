#include "schemacheck_p.h"

#include "../message_p.h"
#include "../xml/xmlnamespaces_p.h"
#include "patterncheck_p.h"

#include <QHash>
#include <QTextCodec>
#include <QVector>
#include <QXmlStreamReader>

#include <algorithm>

namespace pelmak {
namespace {

// The text of a schema as far as its markup goes: UTF-16 when its first bytes say so, otherwise
// read byte by byte, which keeps every ASCII character of any ASCII-compatible encoding.
QString markupText(const QByteArray &content)
{
    const auto startsWith = [&](std::initializer_list<unsigned char> bytes) {
        return content.size() >= static_cast<int>(bytes.size())
            && std::equal(bytes.begin(), bytes.end(), content.begin(),
                [](unsigned char a, char b) { return a == static_cast<unsigned char>(b); });
    };
    if (startsWith({0xFE, 0xFF}) || startsWith({0x00, 0x3C, 0x00, 0x3F}))
        return QTextCodec::codecForName("UTF-16BE")->toUnicode(content);
    if (startsWith({0xFF, 0xFE}) || startsWith({0x3C, 0x00, 0x3F, 0x00}))
        return QTextCodec::codecForName("UTF-16LE")->toUnicode(content);
    if (startsWith({0xEF, 0xBB, 0xBF}))
        return QString::fromLatin1(content.mid(3));
    return QString::fromLatin1(content);
}

Diagnostic diagnosticAt(const QString &text, int index, QString message)
{
    const QStringRef before = text.leftRef(index);
    const int line = before.count(QLatin1Char('\n')) + 1;
    const int column = index - before.lastIndexOf(QLatin1Char('\n'));
    return Diagnostic{static_cast<XMLFileLoc>(line), static_cast<XMLFileLoc>(column), std::move(message)};
}

// Walks the prolog by hand: whitespace, the declaration, comments and processing instructions
// until the first element. Anything else there, or a construct left open, ends the walk.
std::optional<Diagnostic> prologRefusal(const QString &text, const QString &name)
{
    int at = 0;
    const auto skipPast = [&](const char *end) {
        const int found = text.indexOf(QLatin1String(end), at);
        if (found >= 0)
            at = found + static_cast<int>(qstrlen(end));
        return found >= 0;
    };
    while (true) {
        while (at < text.size() && QByteArrayLiteral(" \t\r\n").contains(text.at(at).toLatin1()))
            ++at;
        if (at == text.size())
            return std::nullopt; // empty: the parser says so itself
        const QStringRef rest = text.midRef(at);
        if (rest.startsWith(QLatin1String("<!DOCTYPE")))
            return diagnosticAt(text, at, formatMessage(messages::DocumentTypeDeclared, name));
        bool closed = true;
        if (rest.startsWith(QLatin1String("<?")))
            closed = skipPast("?>");
        else if (rest.startsWith(QLatin1String("<!--")))
            closed = skipPast("-->");
        else if (rest.size() > 1 && rest.at(0) == QLatin1Char('<') && rest.at(1) != QLatin1Char('!'))
            return std::nullopt; // the first element
        else
            closed = false;
        if (!closed)
            return diagnosticAt(text, at, formatMessage(messages::PrologUnreadable, name));
    }
}

// Qt's reader stops at an XML 1.1 declaration; the markup it needs here reads alike in both.
QByteArray asVersion10(QByteArray content)
{
    const int end = content.indexOf("?>");
    if (!content.startsWith("<?xml") || end < 0)
        return content;
    const int version = content.indexOf("1.1", content.indexOf("version"));
    if (version > 0 && version < end)
        content.replace(version, 3, "1.0");
    return content;
}

/*
 * How many element positions the content models of one schema file expand to, the way
 * Xerces-C expands them: a particle with bounds (min, max) is copied max times, or min + 1
 * times when max is unbounded, and copies nest by multiplication. A named group counts with
 * its own size wherever it is referred to.
 */
class ParticleCounter
{
public:
    // The line of the first content model in @p content larger than the limit.
    std::optional<int> lineOfOversizedModel(const QByteArray &content)
    {
        QXmlStreamReader reader(asVersion10(content));
        QVector<Scope> open; // per open element: the model it lies in and the product of the bounds above
        while (!reader.atEnd()) {
            const auto token = reader.readNext();
            if (token == QXmlStreamReader::EndElement)
                open.removeLast();
            else if (token == QXmlStreamReader::StartElement)
                open.append(enter(reader, open.isEmpty() ? Scope{-1, 1} : open.last()));
        }
        // A text the reader stops on is not well-formed: the parser refuses it with its own words.
        for (int index = 0; index < models.size(); ++index) {
            if (sizeOf(index) > MaxContentModelPositions)
                return models.at(index).line;
        }
        return std::nullopt;
    }

private:
    struct Scope
    {
        int model; // -1 outside any content model
        double product;
    };
    struct Model
    {
        int line = 0;
        double positions = 0;
        QVector<QPair<double, QString>> groupReferences; // product where referred to, group name
    };

    Scope enter(const QXmlStreamReader &reader, const Scope &above)
    {
        if (reader.namespaceUri() != XmlSchemaNamespaceUri)
            return above;
        const QStringRef name = reader.name();
        const auto attributes = reader.attributes();
        const bool groupDefinition = name == QLatin1String("group") && attributes.hasAttribute(QLatin1String("name"));
        if (name == QLatin1String("complexType") || groupDefinition) {
            models.append(Model{static_cast<int>(reader.lineNumber()), 0, {}});
            if (groupDefinition)
                groups.insert(attributes.value(QLatin1String("name")).toString(), models.size() - 1);
            return Scope{models.size() - 1, 1};
        }
        const bool leaf = name == QLatin1String("element") || name == QLatin1String("any");
        const bool group = name == QLatin1String("sequence") || name == QLatin1String("choice")
            || name == QLatin1String("all") || name == QLatin1String("group");
        if (above.model < 0 || (!leaf && !group))
            return above;
        const double product = above.product * occurrences(attributes);
        Model &model = models[above.model];
        if (leaf)
            model.positions += product;
        else if (name == QLatin1String("group"))
            model.groupReferences.append(
                {product, attributes.value(QLatin1String("ref")).toString().section(QLatin1Char(':'), -1)});
        return Scope{above.model, product};
    }

    static double bound(const QStringRef &value)
    {
        bool ok = false;
        const double number = value.toDouble(&ok);
        return ok ? number : 1;
    }

    static double occurrences(const QXmlStreamAttributes &attributes)
    {
        const double minimum = attributes.hasAttribute(QLatin1String("minOccurs"))
            ? bound(attributes.value(QLatin1String("minOccurs")))
            : 1;
        const QStringRef maximum = attributes.value(QLatin1String("maxOccurs"));
        if (maximum == QLatin1String("unbounded"))
            return minimum + 1;
        return maximum.isEmpty() ? std::max(minimum, 1.0) : std::max(minimum, bound(maximum));
    }

    double sizeOf(int index, int depth = 0)
    {
        const auto known = sizes.constFind(index);
        if (known != sizes.cend())
            return *known;
        const Model &model = models.at(index);
        double size = model.positions;
        for (const auto &[product, group] : model.groupReferences) {
            const auto found = groups.constFind(group);
            if (found != groups.cend() && depth < 32) // groups that refer to themselves are the parser's fault
                size += product * sizeOf(*found, depth + 1);
        }
        sizes.insert(index, size);
        return size;
    }

    QVector<Model> models;
    QHash<QString, int> groups;
    QHash<int, double> sizes;
};

// The first pattern facet of the schema on which the parser may spend time exponential in a value's length.
std::optional<Diagnostic> patternRefusal(const QByteArray &content, const QString &name)
{
    QXmlStreamReader reader(asVersion10(content));
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement || reader.namespaceUri() != XmlSchemaNamespaceUri
            || reader.name() != QLatin1String("pattern"))
            continue;
        const QString pattern = reader.attributes().value(QLatin1String("value")).toString();
        if (canBacktrackExponentially(pattern)) {
            const auto line = static_cast<XMLFileLoc>(reader.lineNumber());
            return Diagnostic{
                line, 0, formatMessage(messages::PatternBacktracks, pattern, QString::number(line), name)};
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<Diagnostic> schemaTextRefusal(const QByteArray &content, const QString &name)
{
    const QString text = markupText(content);
    if (auto refused = prologRefusal(text, name))
        return refused;
    ParticleCounter counter;
    if (const auto line = counter.lineOfOversizedModel(content)) {
        return Diagnostic{static_cast<XMLFileLoc>(*line), 0,
            formatMessage(messages::ContentModelTooLarge, QString::number(*line), name,
                QString::number(MaxContentModelPositions))};
    }
    return patternRefusal(content, name);
}

} // namespace pelmak
