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
#include <dorvellxsd/exchange/xsdimport.h>

#include <pybind11/functional.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

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
            e.messageWithOption(e.consent() == pelmak::XsdConsentNeeded::Dropping ? "allow_dropping=True"
                                                                                   : "allow_partial=True")
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

std::optional<ReportRow> exportDocument(const std::string &schema, const std::string &source,
    const std::string &output, const std::vector<std::string> &tables, const std::string &filter,
    const std::vector<std::string> &catalog, bool allowNetwork, bool validate, int maxDiagnostics,
    const Progress &progress)
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
    const std::vector<std::string> &tables, bool create, const std::string &schema, bool allowPartial,
    bool allowDropping, const std::vector<std::string> &catalog, bool allowNetwork)
{
    const QuietCall quiet;
    pelmak::XsdImportRequest request;
    request.documentPath = toQString(document);
    request.target = toQString(target);
    request.tables = toQStringList(tables);
    request.schemaPath = toQString(schema);
    request.create = create;
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

using FeatureRow = std::tuple<std::string, int, py::dict, std::optional<std::string>>;

/**
 * Hands out the features of a document in batches, each read and converted to Python values only
 * when asked for: one batch is in memory, and a caller that stops early pays for the batches it took.
 */
class FeatureBatches
{
public:
    FeatureBatches(const std::string &document, const std::vector<std::string> &tables)
        : reader(toQString(document))
        , names(toQStringList(tables))
    {
    }

    bool atEnd() const { return finished; }

    std::vector<FeatureRow> next(int size)
    {
        const QuietCall quiet;
        std::vector<FeatureRow> batch;
        if (finished)
            return batch;
        const QList<pelmak::XsdTableData> read = reader.readBatch(size, names);
        finished = read.isEmpty();
        if (finished)
            refuseMissingTables();
        for (const pelmak::XsdTableData &data : read) {
            for (const pelmak::XsdFeatureData &feature : data.featureData())
                batch.push_back(toRow(data.tableInfo(), feature));
        }
        return batch;
    }

private:
    // Once the document is read: every table asked for must have been in it.
    void refuseMissingTables() const
    {
        for (const QString &name : names) {
            if (!reader.tablesSeen().contains(name, Qt::CaseInsensitive))
                throw std::logic_error("the document has no table '" + name.toStdString() + "'");
        }
    }

    static FeatureRow toRow(const pelmak::XsdElement &table, const pelmak::XsdFeatureData &data)
    {
        py::dict values;
        std::optional<std::string> geometry;
        const QList<pelmak::XsdAttribute> &attributes = table.complexType.attributes;
        for (int i = 0; i < attributes.size() && i < data.values.size(); ++i) {
            if (attributes.at(i).kind != pelmak::XsdAttribute::Plain)
                geometry = data.values.at(i).toStdString();
            else
                values[py::str(attributes.at(i).name.toStdString())] = py::str(data.values.at(i).toStdString());
        }
        return {table.name.toStdString(), data.id, std::move(values), std::move(geometry)};
    }

    pelmak::XsdXmlStreamReader reader;
    const QStringList names;
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
    DocumentWriter(const std::string &path, const std::string &schema, const std::vector<std::string> &catalog)
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
    qint64 written = 0;                               ///< once there is no writer
};

// The language of every message, the library's and the package's.
void setLanguage(const std::string &language)
{
    pelmak::setMessageLanguage(toQString(language));
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

    m.def("set_language", &setLanguage, py::arg("language"),
        "Chooses the language of messages: 'ru' or 'en'; '' follows the locale.");
    m.def("describe_schema", &describeSchema, py::arg("schema"), py::arg("catalog"),
        "Tables of the schema: (name, type, [(attribute, kind, min_occurs, annotation, value_type)]).");
    m.def("export_document", &exportDocument, py::arg("schema"), py::arg("source"), py::arg("output"),
        py::arg("tables"), py::arg("where"), py::arg("catalog"), py::arg("allow_network"), py::arg("validate"),
        py::arg("max_diagnostics"), py::arg("progress"),
        "Writes the tables of the source to one exchange document; progress(table, done, total); the validation"
        " report where asked for.");
    m.def("validate_document", &validateDocument, py::arg("schema"), py::arg("document"), py::arg("catalog"),
        py::arg("allow_network"), py::arg("max_diagnostics"),
        "Validates the document, schema locations resolved through the catalog files and reaching the network"
        " only with allow_network: (error count, [(line, column, message, feature)], diagnostics not kept).");
    m.def("import_document", &importDocument, py::arg("document"), py::arg("target"), py::arg("tables"),
        py::arg("create"), py::arg("schema"), py::arg("allow_partial"), py::arg("allow_dropping"),
        py::arg("catalog"), py::arg("allow_network"),
        "Inserts the document's features into the target in one transaction, or without one where"
        " allow_partial; the count per table.");

    py::class_<FeatureBatches>(m, "FeatureBatches", "The features of a document, batch by batch.")
        .def(py::init<const std::string &, const std::vector<std::string> &>(), py::arg("document"),
            py::arg("tables"))
        .def("at_end", &FeatureBatches::atEnd, "Whether every feature was handed out.")
        .def("next", &FeatureBatches::next, py::arg("size"),
            "Up to size features: (table, id, {attribute: value}, geometry or None).");

    py::class_<DocumentWriter>(m, "DocumentWriter", "Features of a schema's tables on their way to a document.")
        .def(py::init<const std::string &, const std::string &, const std::vector<std::string> &>(), py::arg("path"),
            py::arg("schema"), py::arg("catalog"))
        .def("write", &DocumentWriter::write, py::arg("table"), py::arg("features"),
            "Appends features given as (id, {attribute: value}, geometry or None).")
        .def("commit", &DocumentWriter::commit, "Saves the document, replacing the file whole.")
        .def("discard", &DocumentWriter::discard, "Drops the document; the earlier file stays.")
        .def_property_readonly("feature_count", &DocumentWriter::featureCount, "Features written so far.");
}
