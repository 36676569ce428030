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

const char Help[] = QT_TRANSLATE_NOOP("xsdexchange",
    "Usage: xsdexchange demo [DIR]\n\n"
    "Runs the whole road on the bundled sample data of an imaginary settlement, in DIR\n"
    "or in a new temporary folder, which is kept: builds a GeoPackage from the sample\n"
    "GeoJSON files, reads the exchange schema, exports every table to a document,\n"
    "validates it, imports it into a new GeoPackage, compares the two data sources, and\n"
    "validates a deliberately broken copy of the document to show its diagnostics.\n"
    "Exit status 0 only when every step did what it should.");

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
        out() << Tool::tr("Working in %1").arg(work.absolutePath()) << "\n" << Qt::endl;
        buildSource();
        showSchema();
        exportDocument();
        validateDocument();
        importDocument();
        compareSources();
        validateBrokenCopy();
        out() << '\n' << Tool::tr("Every step did what it should.") << Qt::endl;
    }

private:
    QString path(const QString &name) const { return work.absoluteFilePath(name); }

    void step(const QString &title)
    {
        out() << '[' << ++stepNumber << '/' << StepCount << "] " << title << Qt::endl;
    }

    void buildSource()
    {
        step(Tool::tr("Source data: %1, a GeoPackage of the sample GeoJSON files").arg(SourceFile));
        copySchemaFiles();
        QFile::remove(path(SourceFile));
        const pelmak::XsdTables tables = pelmak::XsdSchemaAccess().readTables(path(SchemaFile));
        const std::unique_ptr<pelmak::XsdGdalDataProvider> target
            = pelmak::XsdGdalDataProvider::createDataSource(path(SourceFile), QStringLiteral("GPKG"));
        target->setKeepFeatureIds(true); // the samples' features keep their numbers

        const QStringList files = QDir(examples.filePath(QStringLiteral("data")))
                                      .entryList({QStringLiteral("*.geojson")}, QDir::Files, QDir::Name);
        if (files.isEmpty())
            throw StepFailure(Tool::tr("no sample data in %1").arg(examples.filePath(QStringLiteral("data"))));
        QList<pelmak::XsdTableCount> counts;
        for (const QString &file : files) {
            const pelmak::XsdElement table = tables.tableByName(QFileInfo(file).completeBaseName());
            if (table.name.isEmpty())
                throw StepFailure(Tool::tr("the sample schema has no table for %1").arg(file));
            counts.append({table.name, copyLayer(examples.filePath(QStringLiteral("data/") + file), table, *target)});
        }
        printCounts(counts, QT_TRANSLATE_N_NOOP("xsdexchange", "%1 features copied"));
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
                throw StepFailure(Tool::tr("cannot copy %1 to %2").arg(examples.filePath(file), work.absolutePath()));
        }
    }

    void showSchema()
    {
        step(Tool::tr("Schema %1").arg(SchemaFile));
        const pelmak::XsdTables tables = pelmak::XsdSchemaAccess().readTables(path(SchemaFile));
        QList<pelmak::XsdTableCount> counts;
        for (const QString &name : tables.tableNameList())
            counts.append({name, tables.attributes(name).size()});
        if (counts.isEmpty())
            throw StepFailure(Tool::tr("the sample schema declares no table"));
        printCounts(counts, QT_TRANSLATE_N_NOOP("xsdexchange", "%1 attributes"));
    }

    void exportDocument()
    {
        step(Tool::tr("Export of every table to %1").arg(DocumentFile));
        pelmak::XsdExportRequest request;
        request.schemaPath = path(SchemaFile);
        request.source = path(SourceFile);
        request.documentPath = path(DocumentFile);
        exported = pelmak::XsdExport(request).run().written;
        printCounts(exported, FeaturesWritten);
    }

    void validateDocument()
    {
        step(Tool::tr("Validation of %1").arg(DocumentFile));
        const pelmak::XsdValidationReport report = validate(path(DocumentFile));
        printIndented(report);
        if (report.errorCount != 0 || !report.diagnostics.isEmpty())
            throw StepFailure(Tool::tr("the exported document is not valid"));
    }

    void importDocument()
    {
        step(Tool::tr("Import into a new GeoPackage, %1").arg(TargetFile));
        QFile::remove(path(TargetFile));
        pelmak::XsdImportRequest request;
        request.documentPath = path(DocumentFile);
        request.target = path(TargetFile);
        request.schemaPath = path(SchemaFile);
        request.create = true;
        printCounts(pelmak::XsdImport(request).run().stored, FeaturesCreated);
    }

    void compareSources()
    {
        step(Tool::tr("Comparison of %1 and %2").arg(SourceFile, TargetFile));
        const pelmak::XsdTables tables = pelmak::XsdSchemaAccess().readTables(path(SchemaFile));
        const pelmak::XsdGdalDataProvider source(path(SourceFile), true);
        const pelmak::XsdGdalDataProvider target(path(TargetFile), true);
        for (const pelmak::XsdTableCount &table : exported) {
            const pelmak::XsdElement element = tables.tableByName(table.table);
            const QList<pelmak::XsdFeatureData> before = source.getDataFromLayer(element, {}).featureData();
            const QList<pelmak::XsdFeatureData> after = target.getDataFromLayer(element, {}).featureData();
            const int differing = countDiffering(before, after);
            out() << "  " << table.table.leftJustified(14) << comparison(before.size(), after.size(), differing)
                  << Qt::endl;
            if (before.size() != after.size() || differing != 0)
                throw StepFailure(Tool::tr("the imported data differ from the source"));
        }
    }

    static QString comparison(int before, int after, int differing)
    {
        if (before != after)
            return Tool::tr("%1 features in the source, %2 imported").arg(before).arg(after);
        if (differing == 0)
            return counted(before, QT_TRANSLATE_N_NOOP("xsdexchange", "%1 features, all values equal"));
        return counted(differing, QT_TRANSLATE_N_NOOP("xsdexchange", "%1 features of %2 differ")).arg(before);
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
        step(Tool::tr("Validation of a broken copy, %1").arg(BrokenFile));
        QFile original(path(DocumentFile));
        if (!original.open(QIODevice::ReadOnly))
            throw StepFailure(Tool::tr("cannot read %1").arg(path(DocumentFile)));
        QString text = QString::fromUtf8(original.readAll());
        // A number of floors in words, and a parcel without its cadastral number.
        replaceFirst(text, QStringLiteral("(?<=<floors>)\\d+(?=</floors>)"), QStringLiteral("два"));
        replaceFirst(text, QStringLiteral("\\s*<cadNumber>[^<]*</cadNumber>"), QString());

        QFile broken(path(BrokenFile));
        if (!broken.open(QIODevice::WriteOnly | QIODevice::Truncate) || broken.write(text.toUtf8()) < 0)
            throw StepFailure(Tool::tr("cannot write %1").arg(path(BrokenFile)));
        broken.close();

        const pelmak::XsdValidationReport report = validate(path(BrokenFile));
        printIndented(report);
        if (report.errorCount == 0)
            throw StepFailure(Tool::tr("the broken copy passed validation"));
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
    CommandLine commandLine(Tool::tr(Help));
    if (!commandLine.parse(arguments, 0, 1))
        return Success;

    QString folder;
    if (commandLine.positional().isEmpty()) {
        QTemporaryDir temporary(QDir::tempPath() + QStringLiteral("/xsdexchange-demo-XXXXXX"));
        if (!temporary.isValid())
            throw StepFailure(Tool::tr("cannot create a temporary folder"));
        temporary.setAutoRemove(false);
        folder = temporary.path();
    } else {
        folder = commandLine.positional().first();
        if (!QDir().mkpath(folder))
            throw StepFailure(Tool::tr("cannot create the folder %1").arg(folder));
    }
    Demo(folder).run();
    return Success;
}

} // namespace xsdexchange
