#include "command.h"
#include "console.h"
#include "reports.h"
#include "translation.h"

#include <dorvellxsd/exchange/xsdexport.h>
#include <dorvellxsd/exchange/xsdimport.h>
#include <dorvellxsd/gdal/xsdgdaldataprovider.h>
#include <dorvellxsd/gdal/xsdgdallayerreader.h>
#include <dorvellxsd/validation/xsdxmlchecker.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <memory>

namespace xsdexchange {
namespace {

const char Help[] =
    "Usage: xsdexchange demo [DIR]\n\n"
    "Runs the whole road on the bundled sample data of an imaginary settlement, in DIR\n"
    "or in a new temporary folder, which is kept: builds a GeoPackage from the sample\n"
    "GeoJSON files, reads the exchange schema, exports every table to a document,\n"
    "validates it, imports it into a new GeoPackage, compares the two data sources, and\n"
    "validates a deliberately broken copy of the document to show its diagnostics.\n"
    "Exit status 0 only when every step did what it should.";

const int StepCount = 7;

class Demo
{
public:
    Demo(const QString &folder)
        : work(folder)
        , examples(dataFolder() + QStringLiteral("/examples"))
    {
    }

    void run()
    {
        out() << "Working in " << work.absolutePath() << "\n" << Qt::endl;
        buildSource();
        showSchema();
        exportDocument();
        validateDocument();
        importDocument();
        compareSources();
        validateBrokenCopy();
        out() << "\nEvery step did what it should." << Qt::endl;
    }

private:
    QString path(const QString &name) const { return work.absoluteFilePath(name); }

    void step(const QString &title)
    {
        out() << '[' << ++stepNumber << '/' << StepCount << "] " << title << Qt::endl;
    }

    void buildSource()
    {
        step(QStringLiteral("Source data: a GeoPackage from the sample GeoJSON files"));
        copySchemaFiles();
        QFile::remove(path(SourceFile));
        const pelmak::XsdTables tables = pelmak::XsdSchemaAccess().readTables(path(SchemaFile));
        const std::unique_ptr<pelmak::XsdGdalDataProvider> target
            = pelmak::XsdGdalDataProvider::createDataSource(path(SourceFile), QStringLiteral("GPKG"));
        target->setKeepFeatureIds(true); // the samples' features keep their numbers

        const QStringList files = QDir(examples.filePath(QStringLiteral("data")))
                                      .entryList({QStringLiteral("*.geojson")}, QDir::Files, QDir::Name);
        if (files.isEmpty())
            throw StepFailure("no sample data in " + examples.filePath(QStringLiteral("data")).toStdString());
        QList<pelmak::XsdTableCount> counts;
        for (const QString &file : files) {
            const pelmak::XsdElement table = tables.tableByName(QFileInfo(file).completeBaseName());
            if (table.name.isEmpty())
                throw StepFailure("the sample schema has no table for " + file.toStdString());
            counts.append({table.name, copyLayer(examples.filePath(QStringLiteral("data/") + file), table, *target)});
        }
        printCounts(counts, QStringLiteral("features in ") + SourceFile);
    }

    // The features of the one layer of @p file into a new layer of @p target, in the same system.
    static qint64 copyLayer(const QString &file, const pelmak::XsdElement &table, pelmak::XsdGdalDataProvider &target)
    {
        const pelmak::XsdGdalDataProvider source(file, true);
        target.createLayer(table, source.layerSrsName(table.name));
        pelmak::XsdGdalLayerReader reader(source, table, QString());
        qint64 copied = 0;
        while (!reader.atEnd())
            copied += target.insertData({reader.readBatch(1024)}).value(table.name);
        return copied;
    }

    void copySchemaFiles()
    {
        // The document names its schema as pelmak.xsd beside it, which imports gml/gml.xsd.
        QDir(work).mkpath(QStringLiteral("gml"));
        const QStringList files = {QStringLiteral("pelmak.xsd"), QStringLiteral("gml/gml.xsd")};
        for (const QString &file : files) {
            QFile::remove(path(file));
            if (!QFile::copy(examples.filePath(file), path(file)))
                throw StepFailure("cannot copy " + examples.filePath(file).toStdString() + " to " + work.absolutePath().toStdString());
        }
    }

    void showSchema()
    {
        step(QStringLiteral("Schema pelmak.xsd"));
        const pelmak::XsdTables tables = pelmak::XsdSchemaAccess().readTables(path(SchemaFile));
        QList<pelmak::XsdTableCount> counts;
        for (const QString &name : tables.tableNameList())
            counts.append({name, tables.attributes(name).size()});
        if (counts.isEmpty())
            throw StepFailure("the sample schema declares no table");
        printCounts(counts, QStringLiteral("attributes"));
    }

    void exportDocument()
    {
        step(QStringLiteral("Export of every table to ") + DocumentFile);
        pelmak::XsdExportRequest request;
        request.schemaPath = path(SchemaFile);
        request.source = path(SourceFile);
        request.documentPath = path(DocumentFile);
        exported = pelmak::XsdExport(request).run().written;
        printCounts(exported, QStringLiteral("features written"));
    }

    void validateDocument()
    {
        step(QStringLiteral("Validation of ") + DocumentFile);
        const pelmak::XsdValidationReport report = validate(path(DocumentFile));
        printIndented(report);
        if (report.errorCount != 0 || !report.diagnostics.isEmpty())
            throw StepFailure("the exported document is not valid");
    }

    void importDocument()
    {
        step(QStringLiteral("Import into a new GeoPackage, ") + TargetFile);
        QFile::remove(path(TargetFile));
        pelmak::XsdImportRequest request;
        request.documentPath = path(DocumentFile);
        request.target = path(TargetFile);
        request.schemaPath = path(SchemaFile);
        request.create = true;
        printCounts(pelmak::XsdImport(request).run().stored, QStringLiteral("features created"));
    }

    void compareSources()
    {
        step(QStringLiteral("Comparison of ") + SourceFile + QStringLiteral(" and ") + TargetFile);
        const pelmak::XsdTables tables = pelmak::XsdSchemaAccess().readTables(path(SchemaFile));
        const pelmak::XsdGdalDataProvider source(path(SourceFile), true);
        const pelmak::XsdGdalDataProvider target(path(TargetFile), true);
        for (const pelmak::XsdTableCount &table : exported) {
            const pelmak::XsdElement element = tables.tableByName(table.table);
            const QList<pelmak::XsdFeatureData> before = source.getDataFromLayer(element, {}).featureData();
            const QList<pelmak::XsdFeatureData> after = target.getDataFromLayer(element, {}).featureData();
            const int differing = countDiffering(before, after);
            out() << "  " << table.table.leftJustified(14) << before.size() << " and " << after.size()
                  << " features, " << (differing == 0 ? QStringLiteral("all values equal")
                                                      : QString::number(differing) + QStringLiteral(" differ"))
                  << Qt::endl;
            if (before.size() != after.size() || differing != 0)
                throw StepFailure("the imported data differ from the source");
        }
    }

    static int countDiffering(const QList<pelmak::XsdFeatureData> &before, const QList<pelmak::XsdFeatureData> &after)
    {
        int differing = 0;
        for (int i = 0; i < std::min(before.size(), after.size()); ++i) {
            if (before[i].values != after[i].values)
                ++differing;
        }
        return differing;
    }

    void validateBrokenCopy()
    {
        step(QStringLiteral("Validation of a broken copy, ") + BrokenFile);
        QFile original(path(DocumentFile));
        if (!original.open(QIODevice::ReadOnly))
            throw StepFailure("cannot read " + path(DocumentFile).toStdString());
        QString text = QString::fromUtf8(original.readAll());
        // A number of floors in words, and a parcel without its cadastral number.
        replaceFirst(text, QStringLiteral("(?<=<floors>)\\d+(?=</floors>)"), QStringLiteral("два"));
        replaceFirst(text, QStringLiteral("\\s*<cadNumber>[^<]*</cadNumber>"), QString());

        QFile broken(path(BrokenFile));
        if (!broken.open(QIODevice::WriteOnly | QIODevice::Truncate) || broken.write(text.toUtf8()) < 0)
            throw StepFailure("cannot write " + path(BrokenFile).toStdString());
        broken.close();

        const pelmak::XsdValidationReport report = validate(path(BrokenFile));
        printIndented(report);
        if (report.errorCount == 0)
            throw StepFailure("the broken copy passed validation");
    }

    // Replaces the first match of @p pattern in @p text.
    static void replaceFirst(QString &text, const QString &pattern, const QString &replacement)
    {
        const QRegularExpressionMatch match = QRegularExpression(pattern).match(text);
        if (match.hasMatch())
            text.replace(match.capturedStart(), match.capturedLength(), replacement);
    }

    pelmak::XsdValidationReport validate(const QString &document) const
    {
        pelmak::XsdXmlChecker checker;
        pelmak::XsdSchemaAccess().loadGrammar(checker, path(SchemaFile));
        return checker.validate(document);
    }

    static void printIndented(const pelmak::XsdValidationReport &report)
    {
        pelmak::XsdValidationReport shown = report;
        shown.document = QFileInfo(report.document).fileName();
        printText(shown, QStringLiteral("  "));
    }

    static inline const QString SchemaFile = QStringLiteral("pelmak.xsd");
    static inline const QString SourceFile = QStringLiteral("source.gpkg");
    static inline const QString DocumentFile = QStringLiteral("settlement.gml");
    static inline const QString TargetFile = QStringLiteral("imported.gpkg");
    static inline const QString BrokenFile = QStringLiteral("settlement-broken.gml");

    QDir work;
    QDir examples;
    int stepNumber = 0;
    QList<pelmak::XsdTableCount> exported;
};

} // namespace

int demoCommand(const QStringList &arguments, const GdalOptions &)
{
    CommandLine commandLine(QString::fromUtf8(Help));
    if (!commandLine.parse(arguments, 0, 1))
        return Success;

    QString folder;
    if (commandLine.positional().isEmpty()) {
        QTemporaryDir temporary(QDir::tempPath() + QStringLiteral("/xsdexchange-demo-XXXXXX"));
        if (!temporary.isValid())
            throw StepFailure("cannot create a temporary folder");
        temporary.setAutoRemove(false);
        folder = temporary.path();
    } else {
        folder = commandLine.positional().first();
        if (!QDir().mkpath(folder))
            throw StepFailure("cannot create the folder " + folder.toStdString());
    }
    Demo(folder).run();
    return Success;
}

} // namespace xsdexchange
