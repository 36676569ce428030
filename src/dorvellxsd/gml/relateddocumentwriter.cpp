#include "relateddocumentwriter_p.h"

#include "../message_p.h"
#include "../schema/relatedmapping_p.h"
#include "../xml/xmlescape_p.h"
#include "../xml/xmlnamespaces_p.h"
#include "featurewriter_p.h"

#include <QSet>
#include <QXmlStreamReader>

namespace pelmak::gml {

using Role = XsdRelatedColumn::Role;

namespace {

QString namespaceOf(const QString &clarkName)
{
    return clarkName.startsWith(QLatin1Char('{')) ? clarkName.mid(1, clarkName.indexOf(QLatin1Char('}')) - 1)
                                                  : QString();
}

const QString NilAttribute = QLatin1Char('{') + XsiNamespaceUri + QLatin1String("}nil");

// A boolean as XML Schema spells it canonically, where a data source gives 1 or 0.
QString booleanText(const QString &value)
{
    if (value == QLatin1String("1"))
        return QStringLiteral("true");
    return value == QLatin1String("0") ? QStringLiteral("false") : value;
}

/*
 * Whether @p xml is whole elements, one after another, that stand in a document as they are:
 * well-formed, every prefix declared, nothing but white space between them.
 */
bool isStandaloneElements(const QString &xml)
{
    QXmlStreamReader reader(QStringLiteral("<kept>") + xml + QStringLiteral("</kept>"));
    reader.readNextStartElement();
    for (int depth = 1; depth > 0 && !reader.atEnd();) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            ++depth;
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        case QXmlStreamReader::Characters:
            if (depth == 1 && !reader.isWhitespace())
                return false;
            break;
        default:
            break;
        }
    }
    while (!reader.atEnd())
        reader.readNext();
    return !reader.hasError();
}

QString localNameOf(const QString &clarkName)
{
    return clarkName.mid(clarkName.indexOf(QLatin1Char('}')) + 1);
}

} // namespace

/*
 * What an element of the template holds, in the order of the content model: its attributes, its
 * text, a geometry, a fragment kept whole, a child element, or the rows of a child table.
 */
struct RelatedDocumentWriter::Item
{
    enum Kind { Attribute, Text, Geometry, Fragment, Link, Element, Rows };

    Item(Kind itemKind, int itemColumn, int itemIndex = -1)
        : kind(itemKind)
        , column(itemColumn)
        , index(itemIndex)
    {
    }

    Kind kind;
    int column = -1; ///< the row's column, for all but Element and Rows
    int index = -1;  ///< Element: the child node; Rows: the child table; Link: the feature's table
    QString attribute;    ///< an Attribute's name as written
    bool boolean = false; ///< the column holds booleans, written as true and false
};

struct RelatedDocumentWriter::Node
{
    QString name;          ///< Clark notation
    QString tag;           ///< as written
    bool required = false; ///< stands wherever the element above it does
    int nilColumn = -1;    ///< the column of its xsi:nil, whose true leaves it empty
    std::vector<Item> items;
    std::vector<Node> children;
};

struct RelatedDocumentWriter::Template
{
    Node row;          ///< the row's element
    int key = -1;      ///< the column whose value the child rows name as their parent
    int position = -1; ///< the column of the row's position among its parent's
    /// Per child table that stands for a repeated group, the group's tables, whose rows are
    /// written in the order of their positions.
    QHash<int, QVector<int>> groups;
};

RelatedDocumentWriter::RelatedDocumentWriter(const XsdRelatedTables &tables, const QHash<QString, QString> &prefixes)
    : related(tables)
    , prefixOf(prefixes)
{
    templates.reserve(size_t(tables.tables.size()));
    for (int i = 0; i < tables.tables.size(); ++i)
        templates.push_back(templateOf(i));
}

RelatedDocumentWriter::~RelatedDocumentWriter() = default;

QStringList RelatedDocumentWriter::namespacesOf(const XsdRelatedTables &tables)
{
    QSet<QString> found;
    const auto add = [&found](const QString &clarkName) {
        const QString uri = namespaceOf(clarkName);
        if (!uri.isEmpty())
            found.insert(uri);
    };
    for (const XsdRelatedTable &table : tables.tables) {
        add(table.rowElement);
        for (const QString &step : table.parentPath)
            add(step);
        for (const XsdRelatedColumn &column : table.columns) {
            for (const QString &step : column.path)
                add(step);
            add(column.attribute);
        }
    }
    QStringList sorted(found.cbegin(), found.cend());
    sorted.sort();
    return sorted;
}

QString RelatedDocumentWriter::tagOf(const QString &clarkName) const
{
    const QString uri = namespaceOf(clarkName);
    if (uri.isEmpty())
        return clarkName;
    return prefixOf.value(uri) + QLatin1Char(':') + localNameOf(clarkName);
}

/*
 * The elements of a table's rows, built from its columns' paths in the order of the schema's
 * content model: consecutive columns below the same element share it, and each child table's
 * rows stand where its repeated element stands among its parent's columns.
 */
RelatedDocumentWriter::Template RelatedDocumentWriter::templateOf(int table) const
{
    const XsdRelatedTable &own = related.tables.at(table);
    Template result;
    result.row.name = own.rowElement;
    result.row.tag = tagOf(own.rowElement);
    result.key = own.columnOf(Role::Key);
    result.position = own.columnOf(Role::Position);
    const auto placeChildTables = [&](int beforeColumn) {
        for (int child = table + 1; child < related.tables.size(); ++child) {
            const XsdRelatedTable &candidate = related.tables.at(child);
            if (candidate.parent != own.element.name || candidate.parentColumn != beforeColumn)
                continue;
            // A repeated group's tables stand where its first one does.
            const int first = candidate.positionGroup.isEmpty() ? child : related.indexOf(candidate.positionGroup);
            result.groups[first].append(child);
            if (first == child)
                place(table, result.row, candidate.parentPath.mid(0, candidate.parentPath.size() - 1), {}, 0,
                    Item{Item::Rows, -1, child});
        }
    };
    for (int i = 0; i < own.columns.size(); ++i) {
        placeChildTables(i);
        const XsdRelatedColumn &column = own.columns.at(i);
        const QStringList above = column.path.mid(0, column.path.size() - 1);
        if (above.contains(QLatin1String(AnyElementStep))
            || (column.role != Role::Fragment && column.path.contains(QLatin1String(AnyElementStep)))
            || (column.role == Role::Link && featureTableOf(column.path.value(column.path.size() - 1)) < 0))
            throw failure(messages::RelatedColumnNotWritable, own.element.name,
                own.element.complexType.attributes.at(i).name, column.path.join(QLatin1Char('/')));
        switch (column.role) {
        case Role::ParentKey:
        case Role::Position:
            continue; // the layout's, not the document's
        case Role::Key:
            if (!column.attribute.isEmpty())
                place(table, result.row, column.path, column.requiredSteps, 0, Item{Item::Attribute, i});
            continue;
        case Role::Fragment:
            // The column holds the kept element itself: it stands in the element above it.
            place(table, result.row, above, column.requiredSteps, 0, Item{Item::Fragment, i});
            continue;
        case Role::Geometry:
            place(table, result.row, column.path, column.requiredSteps, 0, Item{Item::Geometry, i});
            continue;
        case Role::Link:
            place(table, result.row, above, column.requiredSteps, 0,
                Item{Item::Link, i, featureTableOf(column.path.value(column.path.size() - 1))});
            continue;
        case Role::Value:
            Node &at = place(table, result.row, column.path, column.requiredSteps, 0,
                Item{column.attribute.isEmpty() ? Item::Text : Item::Attribute, i});
            if (column.attribute == NilAttribute)
                at.nilColumn = i;
            continue;
        }
    }
    placeChildTables(own.columns.size());
    return result;
}

int RelatedDocumentWriter::featureTableOf(const QString &element) const
{
    for (int i = 0; i < related.tables.size(); ++i) {
        if (related.tables.at(i).isFeatureTable() && related.tables.at(i).rowElement == element)
            return i;
    }
    return -1;
}

// Puts @p item below @p node at @p path, the elements on the way made where they are not yet; the element it went into.
RelatedDocumentWriter::Node &RelatedDocumentWriter::place(
    int table, Node &node, const QStringList &path, const QList<bool> &required, int depth, Item item) const
{
    if (depth == path.size()) {
        if (item.column >= 0) {
            const XsdRelatedTable &own = related.tables.at(table);
            item.boolean = own.element.complexType.attributes.at(item.column).valueType == QLatin1String("boolean");
            if (item.kind == Item::Attribute)
                item.attribute = tagOf(own.columns.at(item.column).attribute);
        }
        node.items.push_back(item);
        return node;
    }
    const QString &step = path.at(depth);
    // Only the element just written may take more: a later one of the same name is another.
    if (!node.items.empty() && node.items.back().kind == Item::Element
        && node.children.at(size_t(node.items.back().index)).name == step) {
        return place(table, node.children[size_t(node.items.back().index)], path, required, depth + 1, item);
    }
    Node child;
    child.name = step;
    child.tag = tagOf(step);
    child.required = required.value(depth);
    node.children.push_back(child);
    node.items.push_back(Item{Item::Element, -1, int(node.children.size() - 1)});
    return place(table, node.children.back(), path, required, depth + 1, item);
}

void RelatedDocumentWriter::appendFeature(int table, const XsdFeatureData &row, Rows &rows, QString &out) const
{
    appendNode(templates.at(size_t(table)).row, table, row, rows, out, true);
}

/*
 * Appends the element of @p node where anything below it has a value, or where @p written says
 * it stands anyway (a row's own element, or an element its parent requires), and says whether
 * anything below it has a value. Elements that must stand are written empty where nothing below
 * them has one. The element goes straight into @p out and is taken back where it holds nothing.
 */
bool RelatedDocumentWriter::appendNode(
    const Node &node, int table, const XsdFeatureData &row, Rows &rows, QString &out, bool written) const
{
    const int start = out.size();
    out += QLatin1Char('<');
    out += node.tag;
    bool hasValue = false;
    for (const Item &item : node.items) {
        if (item.kind != Item::Attribute)
            continue;
        const QString value = valueOf(item, table, row);
        if (!value.isNull()) {
            hasValue = true;
            appendAttribute(out, item.attribute, value);
        }
    }
    out += QLatin1Char('>');
    const int content = out.size();
    // A nil element holds nothing, not even what it requires.
    const bool nil = node.nilColumn >= 0 && booleanText(row.values.value(node.nilColumn)) == QLatin1String("true");
    for (const Item &item : node.items) {
        switch (item.kind) {
        case Item::Attribute:
            break;
        case Item::Text:
        case Item::Geometry:
        case Item::Fragment:
        case Item::Link: {
            const QString value = valueOf(item, table, row);
            hasValue = hasValue || !value.isNull();
            if (item.kind == Item::Text)
                appendXmlContent(out, value);
            else if (item.kind != Item::Link)
                out += value; // whole elements, written as they were read
            else if (!value.isNull())
                rows.appendInline(item.index, value, out);
            break;
        }
        case Item::Element: {
            const Node &child = node.children.at(size_t(item.index));
            hasValue = appendNode(child, table, row, rows, out, child.required && !nil) || hasValue;
            break;
        }
        case Item::Rows: {
            const int before = out.size();
            appendRows(item, table, row, rows, out);
            hasValue = hasValue || out.size() != before;
            break;
        }
        }
    }
    if (!hasValue && !written) {
        out.truncate(start);
        return false;
    }
    if (out.size() == content) {
        out.chop(1);
        out += QLatin1String("/>");
    } else {
        out += QLatin1String("</");
        out += node.tag;
        out += QLatin1Char('>');
    }
    return hasValue;
}

// The value of @p item in @p row as it is written. @throws std::logic_error where it cannot be.
QString RelatedDocumentWriter::valueOf(const Item &item, int table, const XsdFeatureData &row) const
{
    const QString value = item.boolean ? booleanText(row.values.value(item.column)) : row.values.value(item.column);
    if (!value.isNull() && !isWritable(item.kind, value))
        throw failure(item.kind == Item::Fragment ? messages::FragmentNotWritable : messages::InvalidValueCharacter,
            related.tables.at(table).element.name, QString::number(row.id),
            related.tables.at(table).element.complexType.attributes.at(item.column).name);
    return value;
}

// Text is escaped as it is written; a fragment goes in as it is, so it must stand as XML.
bool RelatedDocumentWriter::isWritable(int kind, const QString &value)
{
    switch (kind) {
    case Item::Text:
    case Item::Attribute:
    case Item::Link:
        return isXmlText(value);
    case Item::Fragment:
        return isXmlText(value) && isStandaloneElements(value);
    default:
        return true; // GDAL's own GML
    }
}

void RelatedDocumentWriter::appendRows(
    const Item &item, int table, const XsdFeatureData &row, Rows &rows, QString &out) const
{
    const Template &own = templates.at(size_t(table));
    if (own.key < 0)
        return; // a table whose rows have no children
    const QString parentKey = row.values.value(own.key);
    const QVector<int> members = own.groups.value(item.index, {item.index});
    // The rows of a repeated group's tables interleave as their positions say.
    while (true) {
        int next = -1;
        qlonglong nextPosition = 0;
        for (const int member : members) {
            const XsdFeatureData *candidate = rows.peekChild(member, parentKey);
            if (candidate == nullptr)
                continue;
            const qlonglong position = candidate->values.value(templates.at(size_t(member)).position).toLongLong();
            if (next < 0 || position < nextPosition) {
                next = member;
                nextPosition = position;
            }
        }
        if (next < 0)
            return;
        appendNode(templates.at(size_t(next)).row, next, *rows.nextChild(next, parentKey), rows, out, true);
    }
}

} // namespace pelmak::gml
