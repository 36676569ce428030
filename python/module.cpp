// The native part of the Python package dorvellxsd: a host of the library, like the command-line
// tool. Every road runs through the library's exchange services; this file converts arguments and
// results between Python and Qt types, and the Python layer (dorvellxsd/*.py) adds paths,
// defaults, data classes and iterators.
//
// Every call keeps the interpreter lock: progress reaches Python on the calling thread, and the
// reading threads the services start for overlapping stages call no Python.

#include <dorvellxsd/dorvellxsd.h>

#include <dorvellxsd/exchange/xsdexchangewriter.h>
#include <dorvellxsd/exchange/xsdexport.h>
#include <dorvellxsd/exchange/xsdhostrefusal.h>
#include <dorvellxsd/exchange/xsdimport.h>
#include <dorvellxsd/exchange/xsdtypedfeatures.h>

#include <pybind11/functional.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <datetime.h>

#include <QtGlobal>

#include <gdal.h>

#include <cstdio>
#include <cstring>
#include <list>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace py = pybind11;

namespace {

// ---- text and errors -------------------------------------------------------------------------

QString toQString(const std::string &text)
{
    return QString::fromStdString(text);
}

QStringList toQStringList(const std::vector<std::string> &texts)
{
    QStringList list;
    for (const std::string &text : texts)
        list.append(toQString(text));
    return list;
}

void raisePython(const char *errorClass, const char *utf8Message)
{
    const py::object errors = py::module_::import("dorvellxsd._errors");
    const py::object message = py::reinterpret_steal<py::object>(
        PyUnicode_DecodeUTF8(utf8Message, static_cast<Py_ssize_t>(std::strlen(utf8Message)), "replace"));
    PyErr_SetObject(errors.attr(errorClass).ptr(), message.ptr());
}

// The library refuses with std::logic_error and fails to open a data source with
// std::runtime_error; pybind11's own errors (also runtime errors) keep their Python classes.
void translateLibraryErrors(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const py::builtin_exception &) {
        throw;
    } catch (const pelmak::XsdConsentNeeded &e) {
        raisePython("RefusedError",
            e.messageWithOption(
                 e.consent() == pelmak::XsdConsentNeeded::Dropping ? "allow_dropping=True" : "allow_partial=True")
                .c_str());
    } catch (const std::logic_error &e) {
        raisePython("RefusedError", e.what());
    } catch (const std::runtime_error &e) {
        raisePython("DataSourceError", e.what());
    }
}

void dropDebugMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

// For the length of one call the library's debug line stays quiet; the host's handler comes back after.
class QuietCall
{
public:
    QuietCall()
        : previousQtHandler(qInstallMessageHandler(&dropDebugMessages))
    {
    }
    ~QuietCall() { qInstallMessageHandler(previousQtHandler); }
    QuietCall(const QuietCall &) = delete;
    QuietCall &operator=(const QuietCall &) = delete;

private:
    QtMessageHandler previousQtHandler;
};

pelmak::XsdSchemaAccess schemaAccess(const std::vector<std::string> &catalog, bool allowNetwork)
{
    return pelmak::XsdSchemaAccess{toQStringList(catalog), allowNetwork};
}

// Ctrl-C reaches Python between batches: the service then stops as on any failure, and the
// KeyboardInterrupt goes on.
void honourSignals()
{
    if (PyErr_CheckSignals() != 0)
        throw py::error_already_set();
}

// ---- schema ----------------------------------------------------------------------------------

using AttributeRow = std::tuple<std::string, int, int, std::string, std::string>;
using TableRow = std::tuple<std::string, std::string, std::vector<AttributeRow>>;

std::vector<AttributeRow> attributeRows(const pelmak::XsdElement &table)
{
    std::vector<AttributeRow> rows;
    for (const pelmak::XsdAttribute &attribute : table.complexType.attributes)
        rows.emplace_back(attribute.name.toStdString(), static_cast<int>(attribute.kind), attribute.minOccurs,
            attribute.userName.toStdString(), attribute.valueType.toStdString());
    return rows;
}

// Every table the library's lookups reach: of tables whose names are equal or differ only in
// letter case, the lookups (and so export) find the first, and only that one is listed.
std::vector<TableRow> describeSchema(const std::string &schema, const std::vector<std::string> &catalog)
{
    const QuietCall quiet;
    const pelmak::XsdTables tables = schemaAccess(catalog, false).readTables(toQString(schema));
    std::vector<TableRow> rows;
    QStringList listed;
    for (const QString &name : tables.tableNameList()) {
        const pelmak::XsdElement table = tables.tableByName(name);
        if (listed.contains(table.name, Qt::CaseInsensitive))
            continue;
        listed.append(table.name);
        rows.emplace_back(table.name.toStdString(), table.type.toStdString(), attributeRows(table));
    }
    return rows;
}

// Names in Clark notation, "{namespace}local", as the library gives them.
using RelatedColumnRow = std::tuple<std::string, int, std::vector<std::string>, std::string, std::string, std::string>;
using RelatedTableRow =
    std::tuple<std::string, std::vector<RelatedColumnRow>, std::string, std::vector<std::string>, std::string>;
using RelatedTablesRow = std::tuple<std::vector<RelatedTableRow>, std::vector<std::string>, std::string>;

std::vector<std::string> toStdVector(const QStringList &texts)
{
    std::vector<std::string> converted;
    for (const QString &text : texts)
        converted.push_back(text.toStdString());
    return converted;
}

RelatedTableRow relatedTableRow(const pelmak::XsdRelatedTable &table)
{
    const QList<pelmak::XsdAttribute> &attributes = table.element.complexType.attributes;
    std::vector<RelatedColumnRow> columns;
    for (int i = 0; i < table.columns.size(); ++i) {
        const pelmak::XsdRelatedColumn &column = table.columns.at(i);
        const pelmak::XsdAttribute attribute = attributes.value(i);
        columns.emplace_back(attribute.name.toStdString(), static_cast<int>(column.role), toStdVector(column.path),
            column.attribute.toStdString(), attribute.valueType.toStdString(), attribute.geometryType.toStdString());
    }
    return {table.element.name.toStdString(), std::move(columns), table.parent.toStdString(),
        toStdVector(table.parentPath), table.rowElement.toStdString()};
}

RelatedTablesRow describeRelatedTables(
    const std::string &schema, const std::vector<std::string> &catalog, bool severalGeometries)
{
    const QuietCall quiet;
    const pelmak::XsdRelatedTables related =
        schemaAccess(catalog, false)
            .readRelatedTables(toQString(schema),
                severalGeometries ? pelmak::XsdRelatedTables::GeometryColumns::OnePerProperty
                                  : pelmak::XsdRelatedTables::GeometryColumns::OnePerTable);
    std::vector<RelatedTableRow> tables;
    for (const pelmak::XsdRelatedTable &table : related.tables)
        tables.push_back(relatedTableRow(table));
    return {std::move(tables), toStdVector(related.fragments), related.targetNamespace.toStdString()};
}

// ---- validation ------------------------------------------------------------------------------

using DiagnosticRow = std::tuple<int, int, std::string, std::optional<std::string>>;
using ReportRow = std::tuple<int, std::vector<DiagnosticRow>, qint64>;

ReportRow toRow(const pelmak::XsdValidationReport &report)
{
    std::vector<DiagnosticRow> diagnostics;
    for (const pelmak::XsdDiagnostic &diagnostic : report.diagnostics)
        diagnostics.emplace_back(diagnostic.line, diagnostic.column, diagnostic.message.toStdString(),
            diagnostic.feature.isEmpty() ? std::nullopt : std::optional<std::string>(diagnostic.feature.toStdString()));
    return {report.errorCount, std::move(diagnostics), report.diagnosticsNotKept};
}

ReportRow validateDocument(const std::string &schema, const std::string &document,
    const std::vector<std::string> &catalog, bool allowNetwork, int maxDiagnostics)
{
    const QuietCall quiet;
    pelmak::XsdXmlChecker checker;
    schemaAccess(catalog, allowNetwork).loadGrammar(checker, toQString(schema));
    return toRow(checker.validate(toQString(document), maxDiagnostics));
}

// ---- export and import -----------------------------------------------------------------------

using Progress = std::function<void(const std::string &, int, int)>;

std::optional<ReportRow> exportDocument(const std::string &schema, const std::string &source, const std::string &output,
    const std::vector<std::string> &tables, const std::string &filter, const std::vector<std::string> &catalog,
    bool allowNetwork, bool validate, int maxDiagnostics, bool related, const Progress &progress)
{
    const QuietCall quiet;
    pelmak::XsdExportRequest request;
    request.schemaPath = toQString(schema);
    request.source = toQString(source);
    request.documentPath = toQString(output);
    request.tables = toQStringList(tables);
    request.filter = toQString(filter);
    request.access = schemaAccess(catalog, allowNetwork);
    request.concurrent = true;
    request.validate = validate;
    request.maxDiagnostics = maxDiagnostics;
    request.related = related;
    pelmak::XsdExport exporter(request);
    int tablesDone = 0;
    exporter.setProgressHandler([&](const pelmak::XsdExchangeProgress &step) {
        honourSignals();
        // The caller hears of each table once it is done.
        if (progress && step.tablesDone > tablesDone) {
            tablesDone = step.tablesDone;
            progress(step.table.toStdString(), step.tablesDone, step.tableCount);
        }
    });
    const pelmak::XsdExportResult result = exporter.run();
    if (!result.validation)
        return std::nullopt;
    return toRow(*result.validation);
}

std::map<std::string, qint64> importDocument(const std::string &document, const std::string &target,
    const std::vector<std::string> &tables, bool create, bool related, const std::string &schema, bool allowPartial,
    bool allowDropping, const std::vector<std::string> &catalog, bool allowNetwork)
{
    const QuietCall quiet;
    pelmak::XsdImportRequest request;
    request.documentPath = toQString(document);
    request.target = toQString(target);
    request.tables = toQStringList(tables);
    request.schemaPath = toQString(schema);
    request.create = create;
    request.related = related;
    request.allowWithoutTransaction = allowPartial;
    request.allowDropping = allowDropping;
    request.access = schemaAccess(catalog, allowNetwork);
    request.concurrent = true;
    pelmak::XsdImport importer(request);
    importer.setProgressHandler([](const pelmak::XsdExchangeProgress &) { honourSignals(); });
    std::map<std::string, qint64> counts;
    for (const pelmak::XsdTableCount &count : importer.run().stored)
        counts[count.table.toStdString()] = count.features;
    return counts;
}

// ---- reading documents -----------------------------------------------------------------------

py::object fromQString(const QString &text)
{
    int littleEndian = -1;
    return py::reinterpret_steal<py::object>(PyUnicode_DecodeUTF16(reinterpret_cast<const char *>(text.utf16()),
        static_cast<Py_ssize_t>(text.size()) * 2, "surrogatepass", &littleEndian));
}

/// Python's values of the library's typed values; the zones made once each.
class PythonValues
{
public:
    explicit PythonValues(py::object geometryClass)
        : decimal(py::module_::import("decimal").attr("Decimal"))
        , geometryType(std::move(geometryClass))
    {
        if (PyDateTimeAPI == nullptr)
            PyDateTime_IMPORT;
        if (PyDateTimeAPI == nullptr)
            throw py::error_already_set();
    }

    py::object of(const pelmak::XsdTypedValue &value)
    {
        switch (value.type) {
        case pelmak::XsdTypedValue::Null:
            return py::none();
        case pelmak::XsdTypedValue::Text:
            return fromQString(value.text);
        case pelmak::XsdTypedValue::Integer:
            return steal(PyLong_FromString(value.text.toLatin1().constData(), nullptr, 10));
        case pelmak::XsdTypedValue::Decimal:
            return decimal(fromQString(value.text));
        case pelmak::XsdTypedValue::Real:
            return py::float_(value.real);
        case pelmak::XsdTypedValue::Boolean:
            return py::bool_(value.boolean);
        case pelmak::XsdTypedValue::Date:
            return steal(PyDate_FromDate(value.year, value.month, value.day));
        case pelmak::XsdTypedValue::DateTime:
            return steal(
                PyDateTimeAPI->DateTime_FromDateAndTime(value.year, value.month, value.day, value.hour, value.minute,
                    value.second, value.microsecond, zone(value.zoneMinutes).ptr(), PyDateTimeAPI->DateTimeType));
        case pelmak::XsdTypedValue::Time:
            return steal(PyDateTimeAPI->Time_FromTime(value.hour, value.minute, value.second, value.microsecond,
                zone(value.zoneMinutes).ptr(), PyDateTimeAPI->TimeType));
        case pelmak::XsdTypedValue::Geometry:
            break;
        }
        const pelmak::XsdWkbGeometry &geometry = value.geometry;
        return geometryType(py::bytes(geometry.wkb.constData(), static_cast<std::size_t>(geometry.wkb.size())),
            geometry.epsg != 0 ? py::object(py::int_(geometry.epsg)) : py::none(),
            geometry.srsName.isEmpty() ? py::none() : fromQString(geometry.srsName));
    }

private:
    static py::object steal(PyObject *made)
    {
        if (made == nullptr)
            throw py::error_already_set();
        return py::reinterpret_steal<py::object>(made);
    }

    py::object zone(const std::optional<int> &minutes)
    {
        if (!minutes)
            return py::none();
        auto known = zones.find(*minutes);
        if (known == zones.end()) {
            const py::object offset = steal(PyDelta_FromDSU(0, *minutes * 60, 0));
            known = zones.emplace(*minutes, steal(PyTimeZone_FromOffset(offset.ptr()))).first;
        }
        return known->second;
    }

    const py::object decimal;
    const py::object geometryType;
    std::map<int, py::object> zones;
};

using FeatureRow = py::object;

/**
 * Hands out the features of a document in batches, each read and converted to Python values only
 * when asked for: one batch is in memory, and a caller that stops early pays for the batches it took.
 * With a schema the values are typed and the geometries WKB; without one they are the document's
 * text. The table's first geometry is the feature's geometry, any other is a value.
 */
class FeatureBatches
{
public:
    FeatureBatches(const std::string &document, const std::vector<std::string> &tables, const std::string &schema,
        const std::vector<std::string> &catalog, py::object featureClass, py::object geometryClass)
        : path(toQString(document))
        , names(toQStringList(tables))
        , featureType(std::move(featureClass))
        , python(std::move(geometryClass))
    {
        const QuietCall quiet;
        if (!schema.empty()) {
            typingSchema = schemaAccess(catalog, false).readTables(toQString(schema));
            typing.emplace(typingSchema);
        }
        reader = std::make_unique<pelmak::XsdXmlStreamReader>(path);
    }

    bool atEnd() const { return finished; }

    std::vector<FeatureRow> next(int size)
    {
        const QuietCall quiet;
        std::vector<FeatureRow> batch;
        if (finished)
            return batch;
        const QList<pelmak::XsdTableData> read = reader->readBatch(size, names);
        finished = read.isEmpty();
        if (finished)
            refuseMissingTables();
        for (const pelmak::XsdTableData &data : read) {
            if (typing)
                appendTyped(data, batch);
            else
                appendText(data, batch);
        }
        return batch;
    }

private:
    // Once the document is read: every table asked for must have been in it.
    void refuseMissingTables() const
    {
        for (const QString &name : names) {
            if (!reader->tablesSeen().contains(name, Qt::CaseInsensitive))
                throw std::logic_error(
                    pelmak::hostRefusal(pelmak::XsdHostRefusal::TableNotInDocument, {path, name}).toStdString());
        }
    }

    static std::vector<py::str> keysOf(const QStringList &attributes)
    {
        std::vector<py::str> keys;
        for (const QString &attribute : attributes)
            keys.emplace_back(fromQString(attribute));
        return keys;
    }

    void appendText(const pelmak::XsdTableData &data, std::vector<FeatureRow> &batch)
    {
        const QList<pelmak::XsdAttribute> &attributes = data.tableInfo().complexType.attributes;
        QStringList attributeNames;
        for (const pelmak::XsdAttribute &attribute : attributes)
            attributeNames.append(attribute.name.isEmpty() ? QStringLiteral("geometry") : attribute.name);
        const std::vector<py::str> keys = keysOf(attributeNames);
        const py::str table = fromQString(data.tableInfo().name);
        for (const pelmak::XsdFeatureData &feature : data.featureData()) {
            py::dict values;
            py::object geometry = py::none();
            for (int i = 0; i < attributes.size(); ++i) {
                const QString &text = feature.values.at(i);
                if (attributes.at(i).kind != pelmak::XsdAttribute::Plain && geometry.is_none())
                    geometry = text.isEmpty() ? py::none() : fromQString(text);
                else
                    values[keys[i]] = fromQString(text);
            }
            batch.push_back(featureType(table, feature.id, std::move(values), std::move(geometry)));
        }
    }

    void appendTyped(const pelmak::XsdTableData &data, std::vector<FeatureRow> &batch)
    {
        const QList<pelmak::XsdTypedFeature> features = typing->typed(data);
        if (features.isEmpty())
            return;
        const std::vector<py::str> keys = keysOf(features.first().attributes);
        const QList<pelmak::XsdAttribute> attributes =
            typingSchema.tableByName(data.tableInfo().name).complexType.attributes;
        const py::str table = fromQString(data.tableInfo().name);
        for (const pelmak::XsdTypedFeature &feature : features) {
            py::dict values;
            py::object geometry = py::none();
            bool geometryTaken = false;
            for (int i = 0; i < attributes.size(); ++i) {
                py::object value = python.of(feature.values.at(i));
                if (attributes.at(i).kind != pelmak::XsdAttribute::Plain && !geometryTaken) {
                    geometry = std::move(value);
                    geometryTaken = true;
                } else {
                    values[keys[i]] = std::move(value);
                }
            }
            batch.push_back(featureType(table, feature.id, std::move(values), std::move(geometry)));
        }
    }

    const QString path;
    const QStringList names;
    const py::object featureType;
    pelmak::XsdTables typingSchema;
    std::optional<pelmak::XsdTypedFeatures> typing;
    std::unique_ptr<pelmak::XsdXmlStreamReader> reader;
    PythonValues python;
    bool finished = false;
};

// ---- writing documents -----------------------------------------------------------------------

using NewFeature = std::tuple<int, std::map<std::string, std::optional<std::string>>, std::optional<std::string>>;

/**
 * Writes features of the schema's tables into one document as they come, through the library's
 * exchange writer; discard() drops it at once rather than when Python collects the object.
 */
class DocumentWriter
{
public:
    DocumentWriter(const std::string &schema, const std::string &path, const std::vector<std::string> &catalog)
    {
        const QuietCall quiet;
        writer = std::make_unique<pelmak::XsdExchangeWriter>(
            toQString(path), toQString(schema), schemaAccess(catalog, false));
    }

    void write(const std::string &table, const std::vector<NewFeature> &features)
    {
        const QuietCall quiet;
        QList<pelmak::XsdFeatureValues> converted;
        for (const auto &[id, values, geometry] : features) {
            pelmak::XsdFeatureValues feature;
            feature.id = id;
            for (const auto &[name, value] : values) {
                if (value)
                    feature.values.insert(toQString(name), toQString(*value));
            }
            if (geometry)
                feature.geometry = toQString(*geometry);
            converted.append(feature);
        }
        open().write(toQString(table), converted);
    }

    void commit()
    {
        const QuietCall quiet;
        open().commit();
        discard();
    }

    void discard()
    {
        if (writer)
            written = writer->featureCount();
        writer.reset();
    }

    qint64 featureCount() const { return writer ? writer->featureCount() : written; }

private:
    pelmak::XsdExchangeWriter &open()
    {
        if (!writer)
            throw std::logic_error("the document was committed or discarded already");
        return *writer;
    }

    std::unique_ptr<pelmak::XsdExchangeWriter> writer; ///< none once committed or discarded
    qint64 written = 0;                                ///< once there is no writer
};

// The language of every message, the library's and the package's.
void setLanguage(const std::string &language)
{
    pelmak::setMessageLanguage(toQString(language));
}

std::string hostRefusal(int refusal, const std::vector<std::string> &arguments)
{
    return pelmak::hostRefusal(static_cast<pelmak::XsdHostRefusal>(refusal), toQStringList(arguments)).toStdString();
}

std::string valueKind(const std::string &valueType)
{
    static const char *const kinds[] = {
        "text", "text", "integer", "decimal", "real", "boolean", "date", "datetime", "time", "text"};
    return kinds[pelmak::XsdTypedValue::typeOf(toQString(valueType))];
}

void registerGdalDrivers()
{
    // A host that embeds Python may have registered them already, with drivers of its own.
    if (GDALGetDriverCount() == 0)
        GDALAllRegister();
}

} // namespace

PYBIND11_MODULE(_core, m)
{
    m.doc() = "Native part of dorvellxsd; use the package dorvellxsd instead.";
    registerGdalDrivers();
    py::register_exception_translator(&translateLibraryErrors);
    pelmak::setMessageLanguage(); // the locale's, until the caller chooses

    m.attr("__version__") = DORVELLXSD_VERSION;
    m.def("host_refusal", &hostRefusal, py::arg("refusal"), py::arg("arguments"),
        "The library's message of one of the package's refusals (XsdHostRefusal), in its language.");
    m.def("value_kind", &valueKind, py::arg("value_type"),
        "What read_features gives for values of an XML Schema built-in type: 'text', 'integer', 'decimal',"
        " 'real', 'boolean', 'date', 'datetime' or 'time'.");
    m.def("set_language", &setLanguage, py::arg("language"),
        "Chooses the language of messages: 'ru' or 'en'; '' follows the locale.");
    m.def("describe_schema", &describeSchema, py::arg("schema"), py::arg("catalog"),
        "Tables of the schema: (name, type, [(attribute, kind, min_occurs, annotation, value_type)]).");
    m.def("describe_related_tables", &describeRelatedTables, py::arg("schema"), py::arg("catalog"),
        py::arg("several_geometries"),
        "Related tables of the schema, parents first: ([(name, [(column, role, path, attribute, value_type,"
        " geometry_type)], parent, parent_path, row_element)], fragments, target_namespace).");
    m.def("export_document", &exportDocument, py::arg("schema"), py::arg("source"), py::arg("output"),
        py::arg("tables"), py::arg("where"), py::arg("catalog"), py::arg("allow_network"), py::arg("validate"),
        py::arg("max_diagnostics"), py::arg("related"), py::arg("progress"),
        "Writes the tables of the source to one exchange document; progress(table, done, total); the validation"
        " report where asked for.");
    m.def("validate_document", &validateDocument, py::arg("schema"), py::arg("document"), py::arg("catalog"),
        py::arg("allow_network"), py::arg("max_diagnostics"),
        "Validates the document, schema locations resolved through the catalog files and reaching the network"
        " only with allow_network: (error count, [(line, column, message, feature)], diagnostics not kept).");
    m.def("import_document", &importDocument, py::arg("document"), py::arg("target"), py::arg("tables"),
        py::arg("create"), py::arg("related"), py::arg("schema"), py::arg("allow_partial"), py::arg("allow_dropping"),
        py::arg("catalog"), py::arg("allow_network"),
        "Inserts the document's features into the target in one transaction, or without one where"
        " allow_partial; the count per table.");

    py::class_<FeatureBatches>(m, "FeatureBatches", "The features of a document, batch by batch.")
        .def(py::init<const std::string &, const std::vector<std::string> &, const std::string &,
                 const std::vector<std::string> &, py::object, py::object>(),
            py::arg("document"), py::arg("tables"), py::arg("schema"), py::arg("catalog"), py::arg("feature_type"),
            py::arg("geometry_type"))
        .def("at_end", &FeatureBatches::atEnd, "Whether every feature was handed out.")
        .def("next", &FeatureBatches::next, py::arg("size"),
            "Up to size features, each feature_type(table, id, {attribute: value}, geometry or None); with a schema"
            " typed values and geometries as geometry_type(wkb, epsg or None, srs_name or None), else the"
            " document's text.");

    py::class_<DocumentWriter>(m, "DocumentWriter", "Features of a schema's tables on their way to a document.")
        .def(py::init<const std::string &, const std::string &, const std::vector<std::string> &>(), py::arg("schema"),
            py::arg("path"), py::arg("catalog"))
        .def("write", &DocumentWriter::write, py::arg("table"), py::arg("features"),
            "Appends features given as (id, {attribute: value}, geometry or None).")
        .def("commit", &DocumentWriter::commit, "Saves the document, replacing the file whole.")
        .def("discard", &DocumentWriter::discard, "Drops the document; the earlier file stays.")
        .def_property_readonly("feature_count", &DocumentWriter::featureCount, "Features written so far.");
}
