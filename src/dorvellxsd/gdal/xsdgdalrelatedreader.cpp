#include "xsdgdalrelatedreader.h"

#include "../message_p.h"
#include "gdalconfig_p.h"
#include "gdalerrors_p.h"
#include "gdalhandles_p.h"
#include "gdaltext_p.h"
#include "layerreading_p.h"
#include "xsdgdaldataprovider.h"
#include "xsdgdaldataprovider_p.h"

#include <vector>

namespace pelmak {
namespace {

using Role = XsdRelatedColumn::Role;

// One table on the way from the table read up to its feature table, as the query names it.
struct Level
{
    const XsdRelatedTable *table;
    OGRLayer *layer;
    CPLString alias; ///< t0 for the table read, t1 for its parent, ...
};

CPLString fieldOf(const Level &level, int column);

// The layer's own name of the field of @p table's column of @p role.
CPLString fieldOf(const Level &level, Role role)
{
    return fieldOf(level, level.table->columnOf(role));
}

CPLString fieldOf(const Level &level, int column)
{
    const QString name = column >= 0 ? level.table->element.complexType.attributes.at(column).name : QString();
    const int field = level.layer->GetLayerDefn()->GetFieldIndex(toGdalText(name).constData());
    if (column < 0 || field < 0)
        throw failure(messages::FieldNotInLayer, level.table->element.name, name);
    return level.alias + "." + CPLQuotedSQLIdentifier(level.layer->GetLayerDefn()->GetFieldDefn(field)->GetNameRef());
}

CPLString fidOf(const Level &level)
{
    const char *fid = level.layer->GetFIDColumn();
    return level.alias + "." + (*fid == '\0' ? CPLString("rowid") : CPLQuotedSQLIdentifier(fid));
}

CPLString tableOf(const Level &level)
{
    return CPLQuotedSQLIdentifier(level.layer->GetName()) + " " + level.alias;
}

// The drivers whose own SQL joins; the others' tables are joined by GDAL's SQLite dialect.
const char *dialectOf(GDALDataset &dataset)
{
    const CPLString driver = dataset.GetDriver() ? dataset.GetDriver()->GetDescription() : "";
    return EQUAL(driver, "GPKG") || EQUAL(driver, "SQLite") || EQUAL(driver, "PostgreSQL") ? nullptr : "SQLITE";
}

ResultSetPtr runQuery(const XsdGdalDataProviderPrivate &source, const CPLString &query)
{
    GdalErrorScope errors;
    GDALDataset &dataset = source.openDataset();
    ResultSetPtr rows(dataset.ExecuteSQL(query, nullptr, dialectOf(dataset)), ResultSetRelease{&dataset});
    if (!rows)
        throw failure(messages::CannotReadLayer, fromGdalText(query), errors.lastError());
    return rows;
}

// The table @p table of @p tables and those above it, up to its feature table.
std::vector<Level> levelsOf(
    const XsdGdalDataProviderPrivate &source, const XsdRelatedTables &tables, const QString &table)
{
    std::vector<Level> levels;
    const XsdRelatedTable *level = tables.table(table);
    if (level == nullptr)
        throw failure(messages::TableNotInSchema, table);
    for (; level != nullptr; level = level->isFeatureTable() ? nullptr : tables.table(level->parent))
        levels.push_back(
            {level, &source.layer(level->element.name), "t" + CPLString().Printf("%d", int(levels.size()))});
    return levels;
}

/*
 * The rows of the first level, joined up to the feature table and ordered by its identifiers,
 * then by position from the feature table's children down.
 */
CPLString rowsQuery(const std::vector<Level> &levels)
{
    CPLString query = "SELECT " + levels.front().alias + ".* FROM " + tableOf(levels.front());
    for (size_t i = 1; i < levels.size(); ++i)
        query += " JOIN " + tableOf(levels[i]) + " ON " + fieldOf(levels[i - 1], Role::ParentKey) + " = "
            + fieldOf(levels[i], Role::Key);
    query += " ORDER BY " + fidOf(levels.back());
    for (size_t i = levels.size() - 1; i-- > 0;)
        query += ", " + fieldOf(levels[i], Role::Position);
    return query;
}

} // namespace

class XsdGdalRelatedReaderPrivate
{
public:
    XsdGdalRelatedReaderPrivate(
        const XsdGdalDataProviderPrivate &provider, const XsdRelatedTables &tables, const QString &table)
        : source(provider)
        , generation(provider.generation)
    {
        const GdalConfigScope config(source.options);
        const std::vector<Level> levels = levelsOf(source, tables, table);
        reading =
            std::make_unique<LayerReading>(source, levels.front().table->element, runQuery(source, rowsQuery(levels)));
    }

    const XsdGdalDataProviderPrivate &source;
    const std::uint64_t generation;
    std::unique_ptr<LayerReading> reading;
};

XsdGdalRelatedReader::XsdGdalRelatedReader(
    const XsdGdalDataProvider &provider, const XsdRelatedTables &tables, const QString &table)
    : d(environmentAsRuntimeError(
        [&] { return std::make_unique<XsdGdalRelatedReaderPrivate>(*provider.d, tables, table); }))
{
}

XsdGdalRelatedReader::~XsdGdalRelatedReader() = default;

void XsdGdalRelatedReader::refuseRowWithoutParent(
    const XsdGdalDataProvider &provider, const XsdRelatedTables &tables, const QString &table)
{
    environmentAsRuntimeError([&] {
        const XsdGdalDataProviderPrivate &source = *provider.d;
        const GdalConfigScope config(source.options);
        const std::vector<Level> levels = levelsOf(source, tables, table);
        if (levels.size() < 2)
            return;
        const Level &child = levels[0];
        const CPLString parentKey = fieldOf(levels[1], Role::Key);
        // The row's identifier as a value of its own: a driver would take the column as the result's.
        const ResultSetPtr orphans = runQuery(source,
            "SELECT " + fidOf(child) + " + 0 AS orphan_row, " + fieldOf(child, Role::ParentKey)
                + " AS orphan_parent FROM " + tableOf(child) + " LEFT JOIN " + tableOf(levels[1]) + " ON "
                + fieldOf(child, Role::ParentKey) + " = " + parentKey + " WHERE " + parentKey + " IS NULL LIMIT 1");
        const OGRFeatureUniquePtr orphan(orphans->GetNextFeature());
        if (orphan)
            throw failure(messages::RelatedRowWithoutParent, child.table->element.name,
                fromGdalText(orphan->GetFieldAsString("orphan_row")),
                fromGdalText(orphan->GetFieldAsString("orphan_parent")), levels[1].table->element.name);
    });
}

QSet<QString> XsdGdalRelatedReader::inlineKeys(
    const XsdGdalDataProvider &provider, const XsdRelatedTables &tables, const QString &table)
{
    return environmentAsRuntimeError([&] {
        const XsdGdalDataProviderPrivate &source = *provider.d;
        const GdalConfigScope config(source.options);
        const XsdRelatedTable *inlined = tables.table(table);
        QSet<QString> keys;
        for (const XsdRelatedTable &linking : tables.tables) {
            OGRLayer *layer = source.openDataset().GetLayerByName(toGdalText(linking.element.name).constData());
            for (int i = 0; layer != nullptr && inlined != nullptr && i < linking.columns.size(); ++i) {
                const XsdRelatedColumn &column = linking.columns.at(i);
                if (column.role != Role::Link || column.path.value(column.path.size() - 1) != inlined->rowElement)
                    continue;
                const Level level{&linking, layer, "t0"};
                const ResultSetPtr links = runQuery(source,
                    "SELECT DISTINCT " + fieldOf(level, i) + " FROM " + tableOf(level) + " WHERE " + fieldOf(level, i)
                        + " IS NOT NULL");
                for (OGRFeatureUniquePtr link(links->GetNextFeature()); link; link.reset(links->GetNextFeature()))
                    keys.insert(fromGdalText(link->GetFieldAsString(0)));
            }
        }
        return keys;
    });
}

XsdTableData XsdGdalRelatedReader::readBatch(int maxFeatures)
{
    return d->reading->readBatch(d->source, d->generation, maxFeatures);
}

bool XsdGdalRelatedReader::atEnd() const
{
    return d->reading->atEnd();
}

} // namespace pelmak
