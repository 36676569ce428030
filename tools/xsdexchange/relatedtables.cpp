#include "relatedtables.h"

#include "console.h"
#include "translation.h"

#include <algorithm>
#include <utility>

namespace xsdexchange {
namespace {

using Role = pelmak::XsdRelatedColumn::Role;

// The prefixes every reader of GML knows. Elements of other namespaces read well by their local
// names; an attribute of one keeps its namespace, as without it it would read as one of no namespace.
const struct
{
    const char *namespaceUri;
    const char *prefix;
} KnownPrefixes[] = {
    {"http://www.opengis.net/gml/3.2", "gml"},
    {"http://www.opengis.net/gml", "gml"},
    {"http://www.w3.org/1999/xlink", "xlink"},
    {"http://www.w3.org/2001/XMLSchema-instance", "xsi"},
    {"http://www.w3.org/XML/1998/namespace", "xml"},
};

// "{namespace}local" as namespace and local name; a name of no namespace has an empty one.
std::pair<QString, QString> splitClarkName(const QString &name)
{
    const int close = name.indexOf(QLatin1Char('}'));
    if (!name.startsWith(QLatin1Char('{')) || close < 0)
        return {QString(), name};
    return {name.mid(1, close - 1), name.mid(close + 1)};
}

QString knownPrefix(const QString &namespaceUri)
{
    for (const auto &known : KnownPrefixes) {
        if (namespaceUri == QLatin1String(known.namespaceUri))
            return QLatin1String(known.prefix);
    }
    return {};
}

QString readableElement(const QString &name)
{
    const auto [namespaceUri, local] = splitClarkName(name);
    const QString prefix = knownPrefix(namespaceUri);
    return prefix.isEmpty() ? local : prefix + QLatin1Char(':') + local;
}

QString readableAttribute(const QString &name)
{
    const auto [namespaceUri, local] = splitClarkName(name);
    if (namespaceUri.isEmpty())
        return local;
    const QString prefix = knownPrefix(namespaceUri);
    return prefix.isEmpty() ? name : prefix + QLatin1Char(':') + local;
}

QString readablePath(const QStringList &path)
{
    QStringList steps;
    for (const QString &step : path)
        steps.append(readableElement(step));
    return steps.join(QLatin1Char('/'));
}

// Where a column's value stands below the row's element: "." for the element's own text, nothing
// for the keys and positions the reading makes up.
QString location(const pelmak::XsdRelatedColumn &column)
{
    QString where = readablePath(column.path);
    if (!column.attribute.isEmpty())
        where += (where.isEmpty() ? QStringLiteral("@") : QStringLiteral("/@")) + readableAttribute(column.attribute);
    const bool madeUp = column.role == Role::Key || column.role == Role::ParentKey || column.role == Role::Position;
    return where.isEmpty() && !madeUp ? QStringLiteral(".") : where;
}

QString roleName(Role role)
{
    switch (role) {
    case Role::Value:
        return Tool::tr("value");
    case Role::Geometry:
        return Tool::tr("geometry");
    case Role::Fragment:
        return Tool::tr("fragment");
    case Role::Key:
        return Tool::tr("key");
    case Role::ParentKey:
        return Tool::tr("parent key");
    case Role::Position:
        return Tool::tr("position");
    case Role::Link:
        return Tool::tr("link");
    }
    return QString::number(role);
}

// The columns of one table as aligned lines: name, role, value or geometry type, location.
void printColumns(const pelmak::XsdRelatedTable &table, const QString &indent)
{
    const QList<pelmak::XsdAttribute> &attributes = table.element.complexType.attributes;
    QList<QStringList> rows;
    for (int i = 0; i < table.columns.size(); ++i) {
        const pelmak::XsdRelatedColumn &column = table.columns.at(i);
        const pelmak::XsdAttribute attribute = attributes.value(i);
        const QString type = attribute.valueType.isEmpty() ? attribute.geometryType : attribute.valueType;
        rows.append({attribute.name, roleName(column.role), type, location(column)});
    }
    QList<int> widths = {0, 0, 0};
    for (const QStringList &row : rows) {
        for (int field = 0; field < widths.size(); ++field)
            widths[field] = std::max(widths[field], static_cast<int>(row.at(field).size()));
    }
    for (const QStringList &row : rows) {
        QString line;
        for (int field = 0; field < widths.size(); ++field)
            line += row.at(field).leftJustified(widths[field] + 2);
        out() << indent << (line + row.last()).trimmed() << '\n';
    }
}

void printDetails(const pelmak::XsdRelatedTable &table, const QString &indent)
{
    const int key = table.columnOf(Role::Key);
    if (key >= 0)
        out() << indent << Tool::tr("key: %1").arg(table.element.complexType.attributes.value(key).name) << '\n';
    if (!table.isFeatureTable())
        out() << indent << Tool::tr("parent: %1, repeated at %2").arg(table.parent, readablePath(table.parentPath))
              << '\n';
    printColumns(table, indent);
}

class RelatedTablesPrinter
{
public:
    RelatedTablesPrinter(const pelmak::XsdRelatedTables &relatedTables, bool withDetails)
        : tables(relatedTables)
        , verbose(withDetails)
    {
    }

    // Each table whose parent is no table of the set starts a tree; its children follow it.
    void print()
    {
        for (const pelmak::XsdRelatedTable &table : tables.tables) {
            if (tables.table(table.parent) == nullptr)
                printTree(table, 0);
        }
        if (verbose && !tables.fragments.isEmpty()) {
            out() << '\n' << Tool::tr("kept as XML text:") << '\n';
            for (const QString &fragment : tables.fragments)
                out() << "  " << fragment << '\n';
        }
    }

private:
    void printTree(const pelmak::XsdRelatedTable &table, int depth)
    {
        const QString indent(2 * depth, QLatin1Char(' '));
        if (verbose && printedAny)
            out() << '\n';
        printedAny = true;
        out() << indent << table.element.name << '\n';
        if (verbose)
            printDetails(table, indent + QStringLiteral("  "));
        for (const pelmak::XsdRelatedTable &child : tables.tables) {
            if (!child.isFeatureTable() && tables.table(child.parent) == &table)
                printTree(child, depth + 1);
        }
    }

    const pelmak::XsdRelatedTables &tables;
    const bool verbose;
    bool printedAny = false;
};

} // namespace

void printRelatedTables(const pelmak::XsdRelatedTables &tables, bool verbose)
{
    RelatedTablesPrinter(tables, verbose).print();
}

} // namespace xsdexchange
