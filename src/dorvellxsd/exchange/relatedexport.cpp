#include "relatedexport_p.h"

#include "../gml/featurewriter_p.h"
#include "../gml/gmldocument_p.h"
#include "../gml/relateddocumentwriter_p.h"
#include "../message_p.h"
#include "../xml/xmlescape_p.h"
#include "../xml/xmlnamespaces_p.h"
#include "batchpipe_p.h"

#include <dorvellxsd/gdal/xsdgdaldataprovider.h>
#include <dorvellxsd/gdal/xsdgdallayerreader.h>
#include <dorvellxsd/gdal/xsdgdalrelatedreader.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QXmlStreamReader>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace pelmak {
namespace {

using Role = XsdRelatedColumn::Role;

using gml::CollectionId;
using gml::FeatureCollectionTag;
using gml::FeatureMemberTag;
using gml::XmlDeclarationContent;
using gml::XmlDeclarationTarget;

// Batches of each table a reading thread may have ready before the writer takes them.
constexpr std::size_t WaitingBatches = 4;

// Diagnostics a refused document's message quotes.
constexpr int QuotedDiagnostics = 10;

// The batches of the tables below one feature table, and of the feature table itself.
using TableBatches = InterleavedBatches<XsdTableData>;

/*
 * The rows of one table in the order they are written, handed out one at a time: a row stays
 * valid until the next one of its table is asked for.
 */
class RowStream
{
public:
    RowStream(TableBatches &tableBatches, std::size_t tableIndex, const XsdRelatedTable &table)
        : batches(tableBatches)
        , index(tableIndex)
        , parentKey(table.columnOf(Role::ParentKey))
    {
    }

    // The next row, where it belongs to the parent row keyed @p key (any, for a feature table).
    const XsdFeatureData *nextOf(const QString &key)
    {
        const XsdFeatureData *row = peekOf(key);
        if (row != nullptr) {
            taken = true;
            ++count;
        }
        return row;
    }

    // The row nextOf() would give, left where it is.
    const XsdFeatureData *peekOf(const QString &key)
    {
        if (taken) {
            taken = false;
            ++next;
        }
        if (next >= rows.size() && !atEnd) {
            std::optional<XsdTableData> batch = batches.next(index);
            atEnd = !batch;
            rows = batch ? batch->featureData() : QList<XsdFeatureData>();
            next = 0;
        }
        if (next >= rows.size() || (parentKey >= 0 && rows.at(next).values.value(parentKey) != key))
            return nullptr;
        return &rows.at(next);
    }

    // The row no parent took, where one is left.
    const XsdFeatureData *left() const
    {
        if (taken)
            return nullptr;
        return next < rows.size() ? &rows.at(next) : nullptr;
    }

    qint64 rowsTaken() const { return count; }

private:
    TableBatches &batches;
    const std::size_t index;
    const int parentKey;
    QList<XsdFeatureData> rows;
    int next = 0;
    bool taken = false;
    bool atEnd = false;
    qint64 count = 0;
};

// The batches of the table @p table of @p tables, read from @p source on first asking.
TableBatches::Next batchesOf(const XsdGdalDataProvider &source, const XsdRelatedTables &tables, const QString &table)
{
    auto reader = std::make_shared<std::unique_ptr<XsdGdalRelatedReader>>();
    return [&source, &tables, table, reader]() -> std::optional<XsdTableData> {
        if (!*reader)
            *reader = std::make_unique<XsdGdalRelatedReader>(source, tables, table);
        if ((*reader)->atEnd())
            return std::nullopt;
        return (*reader)->readBatch(ExportBatchSize);
    };
}

/*
 * The prefix of each namespace the tables use: GML's, XLink's and XML Schema instance's as GML
 * writes them, the others as the schema's root declares them where it does, else ns1, ns2, ...
 */
QHash<QString, QString> prefixesOf(const QString &schemaPath, const XsdRelatedTables &tables)
{
    QHash<QString, QString> prefixes{
        {tables.gmlVersion == XsdTables::GmlVersion::Gml32 ? QString(Gml32NamespaceUri) : QString(Gml311NamespaceUri),
            QStringLiteral("gml")},
        {QString(XlinkNamespaceUri), QStringLiteral("xlink")}, {QString(XsiNamespaceUri), QStringLiteral("xsi")}};
    QHash<QString, QString> declared;
    QFile schema(schemaPath);
    if (schema.open(QIODevice::ReadOnly)) {
        QXmlStreamReader reader(&schema);
        while (!reader.atEnd() && !reader.isStartElement())
            reader.readNext();
        for (const QXmlStreamNamespaceDeclaration &declaration : reader.namespaceDeclarations())
            declared.insert(declaration.namespaceUri().toString(), declaration.prefix().toString());
    }
    QSet<QString> taken(prefixes.cbegin(), prefixes.cend());
    int generated = 0;
    for (const QString &uri : gml::RelatedDocumentWriter::namespacesOf(tables)) {
        if (prefixes.contains(uri))
            continue;
        QString prefix = declared.value(uri);
        while (prefix.isEmpty() || taken.contains(prefix))
            prefix = QStringLiteral("ns%1").arg(++generated);
        prefixes.insert(uri, prefix);
        taken.insert(prefix);
    }
    return prefixes;
}

QString documentStart(const XsdRelatedTables &tables, const QHash<QString, QString> &prefixes, const QString &location)
{
    QString start = QStringLiteral("<?");
    start.append(XmlDeclarationTarget).append(QLatin1Char(' ')).append(XmlDeclarationContent);
    start.append(QLatin1String("?>\n<")).append(FeatureCollectionTag);
    QStringList uris = prefixes.keys();
    uris.sort();
    for (const QString &uri : uris)
        appendAttribute(start, QStringLiteral("xmlns:") + prefixes.value(uri), uri);
    if (tables.targetNamespace.isEmpty())
        appendAttribute(start, QStringLiteral("xsi:noNamespaceSchemaLocation"), location);
    else
        appendAttribute(
            start, QStringLiteral("xsi:schemaLocation"), tables.targetNamespace + QLatin1Char(' ') + location);
    if (tables.gmlVersion == XsdTables::GmlVersion::Gml32)
        appendAttribute(start, QStringLiteral("gml:id"), CollectionId);
    return start + QStringLiteral(">\n");
}

class RelatedExport
{
public:
    RelatedExport(const XsdExportRequest &asked, XsdGdalDataProvider &provider, const XsdDataSourceOptions &options,
        const XsdProgressHandler &handler)
        : request(asked)
        , source(provider)
        , sourceOptions(options)
        , progress(handler)
        , tables(request.access.readRelatedTables(request.schemaPath,
              source.takesSeveralGeometryColumns() ? XsdRelatedTables::GeometryColumns::OnePerProperty
                                                   : XsdRelatedTables::GeometryColumns::OnePerTable))
        , prefixes(prefixesOf(request.schemaPath, tables))
        , writer(tables, prefixes)
    {
        source.setGmlVersion(tables.gmlVersion);
    }

    XsdExportResult run();
    void appendInline(int table, const QString &key, QString &out);
    QList<XsdFeatureData> rowsWhere(int table, Role role, const QString &value) const;

private:
    QList<int> featureTables(XsdExportResult &result) const;
    void writeTable(int table, gml::DocumentFile &file, QString &text, XsdExportResult &result);
    void validate(const QString &written, XsdExportResult &result) const;
    QString tableOfFeature(const QString &key) const;

    const XsdGdalDataProvider &reading();

    const XsdExportRequest &request;
    XsdGdalDataProvider &source;
    const XsdDataSourceOptions sourceOptions;
    std::unique_ptr<XsdGdalDataProvider> ownSource; ///< what a reading thread reads
    const XsdProgressHandler &progress;
    const XsdRelatedTables tables;
    const QHash<QString, QString> prefixes;
    const gml::RelatedDocumentWriter writer;
    qint64 written = 0;
    int tablesDone = 0;
    int tableCount = 0;
};

// The rows below the features of one feature table, read side by side with them.
class StreamedRows : public gml::RelatedDocumentWriter::Rows
{
public:
    explicit StreamedRows(RelatedExport &owner, int tableCount)
        : exporter(owner)
        , streams(size_t(tableCount))
    {
    }

    const XsdFeatureData *nextChild(int table, const QString &parentKey) override
    {
        return streams[size_t(table)] ? streams[size_t(table)]->nextOf(parentKey) : nullptr;
    }

    const XsdFeatureData *peekChild(int table, const QString &parentKey) override
    {
        return streams[size_t(table)] ? streams[size_t(table)]->peekOf(parentKey) : nullptr;
    }

    void appendInline(int table, const QString &key, QString &out) override { exporter.appendInline(table, key, out); }

    RelatedExport &exporter;
    std::vector<std::unique_ptr<RowStream>> streams; ///< per table; none for a table without a layer
};

/*
 * The rows below a feature inline in another, looked up by their parents' keys: such a feature
 * is read where it stands, not in its table's order.
 */
class KeyedRows : public gml::RelatedDocumentWriter::Rows
{
public:
    explicit KeyedRows(RelatedExport &owner)
        : exporter(owner)
    {
    }

    const XsdFeatureData *nextChild(int table, const QString &parentKey) override
    {
        const XsdFeatureData *row = peekChild(table, parentKey);
        if (row != nullptr)
            ++rows[qMakePair(table, parentKey)].next;
        return row;
    }

    const XsdFeatureData *peekChild(int table, const QString &parentKey) override
    {
        Pending &pending = rows[qMakePair(table, parentKey)];
        if (!pending.loaded) {
            pending.rows = exporter.rowsWhere(table, Role::ParentKey, parentKey);
            pending.loaded = true;
        }
        return pending.next < pending.rows.size() ? &pending.rows.at(pending.next) : nullptr;
    }

    void appendInline(int table, const QString &key, QString &out) override { exporter.appendInline(table, key, out); }

private:
    struct Pending
    {
        QList<XsdFeatureData> rows;
        int next = 0;
        bool loaded = false;
    };
    RelatedExport &exporter;
    QHash<QPair<int, QString>, Pending> rows;
};

/*
 * The source the tables' rows are read from: a data source of their own where a thread reads
 * them (GDAL's data sets are one thread's at a time), else the export's.
 */
const XsdGdalDataProvider &RelatedExport::reading()
{
    if (!request.concurrent)
        return source;
    if (!ownSource) {
        ownSource = std::make_unique<XsdGdalDataProvider>(request.source, true, sourceOptions);
        ownSource->setGmlVersion(tables.gmlVersion);
    }
    return *ownSource;
}

// The feature tables to write, asked for or all those with a layer, in the tables' order.
QList<int> RelatedExport::featureTables(XsdExportResult &result) const
{
    QList<int> chosen;
    for (const QString &asked : request.tables) {
        const int index = tables.indexOf(asked);
        if (index < 0 || !tables.tables.at(index).isFeatureTable())
            throw failure(messages::TableNotInSchema, asked);
        if (source.describeLayer(tables.tables.at(index).element.name).name.isEmpty())
            throw failure(messages::TableHasNoLayer, request.source, tables.tables.at(index).element.name);
        if (!chosen.contains(index))
            chosen.append(index);
    }
    for (int i = 0; request.tables.isEmpty() && i < tables.tables.size(); ++i) {
        const QString &name = tables.tables.at(i).element.name;
        if (!tables.tables.at(i).isFeatureTable())
            continue;
        if (source.describeLayer(name).name.isEmpty())
            result.tablesWithoutLayer.append(name);
        else
            chosen.append(i);
    }
    if (chosen.isEmpty())
        throw failure(messages::NoTableHasLayer, request.source);
    return chosen;
}

/*
 * The rows of @p table whose column of @p role holds @p value, in the order of their positions
 * where they have them.
 */
QList<XsdFeatureData> RelatedExport::rowsWhere(int table, Role role, const QString &value) const
{
    const XsdRelatedTable &own = tables.tables.at(table);
    if (source.describeLayer(own.element.name).name.isEmpty())
        return {};
    const QString field = own.element.complexType.attributes.at(own.columnOf(role)).name;
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    XsdGdalLayerReader reader(source, own.element, QStringLiteral("\"%1\" = '%2'").arg(field, quoted));
    QList<XsdFeatureData> rows;
    while (!reader.atEnd())
        rows += reader.readBatch(ExportBatchSize).featureData();
    const int position = own.columnOf(Role::Position);
    if (position >= 0)
        std::stable_sort(rows.begin(), rows.end(), [position](const XsdFeatureData &a, const XsdFeatureData &b) {
            return a.values.value(position).toLongLong() < b.values.value(position).toLongLong();
        });
    return rows;
}

void RelatedExport::appendInline(int table, const QString &key, QString &out)
{
    const QList<XsdFeatureData> rows = rowsWhere(table, Role::Key, key);
    if (rows.isEmpty())
        throw failure(messages::InlineFeatureMissing, tables.tables.at(table).element.name, key);
    KeyedRows below(*this);
    writer.appendFeature(table, rows.first(), below, out);
}

// The features of one feature table, each with the rows of the tables below it.
void RelatedExport::writeTable(int table, gml::DocumentFile &file, QString &text, XsdExportResult &result)
{
    QList<int> family{table};
    for (int i = table + 1; i < tables.tables.size(); ++i) {
        const XsdRelatedTable &child = tables.tables.at(i);
        if (!child.isFeatureTable() && family.contains(tables.indexOf(child.parent))
            && !source.describeLayer(child.element.name).name.isEmpty())
            family.append(i);
    }
    std::vector<TableBatches::Next> producers;
    for (const int member : family)
        producers.push_back(batchesOf(reading(), tables, tables.tables.at(member).element.name));
    TableBatches batches(std::move(producers), request.concurrent, WaitingBatches);
    StreamedRows below(*this, tables.tables.size());
    for (int i = 0; i < family.size(); ++i)
        below.streams[size_t(family.at(i))] =
            std::make_unique<RowStream>(batches, size_t(i), tables.tables.at(family.at(i)));
    const XsdRelatedTable &own = tables.tables.at(table);
    // A feature inline in another is written there; its rows below it are passed by here.
    const QSet<QString> inlined = XsdGdalRelatedReader::inlineKeys(source, tables, own.element.name);
    const int key = own.columnOf(Role::Key);
    QString passed;
    RowStream &features = *below.streams[size_t(table)];
    while (const XsdFeatureData *feature = features.nextOf({})) {
        if (inlined.contains(feature->values.value(key))) {
            writer.appendFeature(table, *feature, below, passed);
            passed.clear();
            continue;
        }
        text += QLatin1Char('<') + FeatureMemberTag + QLatin1Char('>');
        writer.appendFeature(table, *feature, below, text);
        text += QStringLiteral("</") + FeatureMemberTag + QStringLiteral(">\n");
        file.write(text);
        if (++written % ExportBatchSize == 0 && progress)
            progress(XsdExchangeProgress{own.element.name, written, tablesDone, tableCount});
    }
    // Every row had its parent: a row left over stood where its parent's did not lead, and one
    // without a parent row was left out of its table's join.
    for (const int member : family) {
        RowStream *stream = below.streams[size_t(member)].get();
        if (stream == nullptr)
            continue;
        const XsdRelatedTable &rowTable = tables.tables.at(member);
        if (const XsdFeatureData *row = stream->left())
            throw failure(messages::RelatedRowWithoutParent, rowTable.element.name, QString::number(row->id),
                row->values.value(rowTable.columnOf(Role::ParentKey)), rowTable.parent);
        if (member != table && stream->rowsTaken() < source.featureCount(rowTable.element.name))
            XsdGdalRelatedReader::refuseRowWithoutParent(source, tables, rowTable.element.name);
        result.written.append(XsdTableCount{rowTable.element.name, stream->rowsTaken()});
    }
}

// Refuses a document its schema does not take, quoting where it fails.
void RelatedExport::validate(const QString &path, XsdExportResult &result) const
{
    XsdXmlChecker checker;
    request.access.loadGrammar(checker, request.schemaPath);
    XsdValidationReport report = checker.validate(path, request.maxDiagnostics);
    report.document = request.documentPath; // where it goes once it passes
    if (report.errorCount == 0) {
        result.validation = report;
        return;
    }
    QStringList lines;
    for (const XsdDiagnostic &diagnostic : report.diagnostics.mid(0, QuotedDiagnostics))
        lines.append(QStringLiteral("  ")
            + formatMessage(messages::InvalidityLine, QString::number(diagnostic.line), diagnostic.feature,
                tableOfFeature(diagnostic.feature), diagnostic.message));
    throw failure(messages::RelatedDocumentInvalid, request.documentPath, lines.join(QLatin1Char('\n')));
}

// The feature table whose row is keyed @p key, for a refusal to name; empty where none is.
QString RelatedExport::tableOfFeature(const QString &key) const
{
    for (int i = 0; !key.isEmpty() && i < tables.tables.size(); ++i) {
        if (tables.tables.at(i).isFeatureTable() && !rowsWhere(i, Role::Key, key).isEmpty())
            return tables.tables.at(i).element.name;
    }
    return {};
}

XsdExportResult RelatedExport::run()
{
    XsdExportResult result;
    const QList<int> chosen = featureTables(result);
    // A document to be checked is written beside its place and moved there once it passes.
    const QFileInfo target(request.documentPath);
    QTemporaryFile checked(
        target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".XXXXXX"));
    if (request.validate && !checked.open())
        throw failure(messages::CannotWriteFile, checked.fileTemplate(), checked.errorString());
    const QString path = request.validate ? checked.fileName() : request.documentPath;
    gml::DocumentFile file(path);
    QString location =
        request.schemaLocation.isEmpty() ? QFileInfo(request.schemaPath).fileName() : request.schemaLocation;
    QString text = documentStart(tables, prefixes, location);
    tableCount = chosen.size();
    for (const int table : chosen) {
        writeTable(table, file, text, result);
        ++tablesDone;
        if (progress)
            progress(XsdExchangeProgress{tables.tables.at(table).element.name, written, tablesDone, tableCount});
    }
    text += QStringLiteral("</") + FeatureCollectionTag + QStringLiteral(">\n");
    file.write(text);
    file.commit();
    if (!request.validate)
        return result;
    validate(path, result);
    if (std::rename(QFile::encodeName(path).constData(), QFile::encodeName(request.documentPath).constData()) != 0)
        throw failure(messages::CannotWriteFile, request.documentPath, QString::fromLocal8Bit(std::strerror(errno)));
    checked.setAutoRemove(false);
    return result;
}

} // namespace

XsdExportResult exportRelated(const XsdExportRequest &request, XsdGdalDataProvider &source,
    const XsdDataSourceOptions &sourceOptions, const XsdProgressHandler &progress)
{
    return RelatedExport(request, source, sourceOptions, progress).run();
}

} // namespace pelmak
