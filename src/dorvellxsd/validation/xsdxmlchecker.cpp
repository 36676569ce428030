#include "xsdxmlchecker.h"

#include "../message_p.h"
#include "documentguard_p.h"
#include "documenttext_p.h"
#include "entitygate_p.h"
#include "parsererrorhandler_p.h"
#include "schemacomponents_p.h"
#include "xerces_p.h"

#include <QScopeGuard>

#include <xercesc/framework/XMLGrammarPoolImpl.hpp>
#include <xercesc/internal/MemoryManagerImpl.hpp>
#include <xercesc/parsers/SAX2XMLReaderImpl.hpp>
#include <xercesc/sax/ErrorHandler.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLUni.hpp>
#include <xercesc/validators/common/Grammar.hpp>

#include <new>
#include <optional>

namespace pelmak {
namespace {

using xercesc::XMLUni;

/*
 * Validation always, against the cached schema, with every constraint of the schema checked.
 * The reader is the one XMLReaderFactory makes, created as its own type for the entity resolver
 * that sees which kind of resource the parser asks for.
 */
std::unique_ptr<xercesc::SAX2XMLReaderImpl> createValidatingReader(
    xercesc::MemoryManager &memory, xercesc::XMLGrammarPool &grammars)
{
    auto reader = std::make_unique<xercesc::SAX2XMLReaderImpl>(&memory, &grammars);
    reader->setFeature(XMLUni::fgSAX2CoreValidation, true);
    reader->setFeature(XMLUni::fgXercesDynamic, false);
    reader->setFeature(XMLUni::fgSAX2CoreNameSpaces, true);
    reader->setFeature(XMLUni::fgXercesSchema, true);
    reader->setFeature(XMLUni::fgXercesSchemaFullChecking, true);
    reader->setFeature(XMLUni::fgXercesCacheGrammarFromParse, true);
    reader->setFeature(XMLUni::fgXercesUseCachedGrammarInParse, true);
    return reader;
}

// Xerces-C gives some failures, running out of memory among them, without a text.
QString reasonOrNone(const QString &reason)
{
    return reason.isEmpty() ? formatMessage(messages::ParserGaveNoReason) : reason;
}

/*
 * Collects what the parser says while a schema loads. Xerces-C returns a grammar for a schema
 * with errors in it (an unresolved type, a broken import) after dropping what it could not
 * resolve, so the errors themselves decide whether the schema is usable.
 */
class SchemaLoadErrors : public xercesc::ErrorHandler
{
public:
    void warning(const xercesc::SAXParseException &exception) override { note(exception); }
    void error(const xercesc::SAXParseException &exception) override
    {
        note(exception);
        failed = true;
    }
    void fatalError(const xercesc::SAXParseException &exception) override
    {
        note(exception);
        failed = true;
    }
    void resetErrors() override {}

    void noteException(const QString &message)
    {
        if (!first)
            first = Diagnostic{0, 0, reasonOrNone(message)};
        failed = true;
    }

    // A refusal of the library's own outweighs whatever the parser said about the empty input.
    void noteRefusal(const Diagnostic &refusal)
    {
        first = refusal;
        failed = true;
    }

    bool failed = false;
    std::optional<Diagnostic> first;

private:
    void note(const xercesc::SAXParseException &exception)
    {
        if (!first)
            first = Diagnostic{exception.getLineNumber(), exception.getColumnNumber(),
                reasonOrNone(fromXmlCh(exception.getMessage()))};
    }
};

// Thrown out of the parse when the host's handler asks to stop.
struct CheckStopped
{
};

QString loadFailureMessage(const QString &path, const std::optional<Diagnostic> &reason)
{
    QString message = formatMessage(messages::CannotLoadSchema, path);
    if (!reason)
        return message;
    // A refusal of a whole file has no position in it.
    message += QLatin1Char('\n');
    if (reason->line == 0)
        return message + reason->text;
    return message
        + formatMessage(
            messages::SchemaDiagnostic, QString::number(reason->line), QString::number(reason->column), reason->text);
}

} // namespace

class XsdXmlChecker::Private
{
public:
    Private();

    // Declared first: the platform must come up before the parser and go down after it.
    XercesPlatform platform;
    // The parser's own allocations go straight to the heap, whichever memory manager the
    // platform was brought up with (GDAL's counts every allocation under a lock).
    xercesc::MemoryManagerImpl memory;
    ParserErrorHandler errorHandler;
    EntityGate entityGate;
    DocumentGuard documentGuard;
    // The pool is the parser's, held here so that the schema's components can be read from it.
    xercesc::XMLGrammarPoolImpl grammars{&memory};
    std::unique_ptr<xercesc::SAX2XMLReaderImpl> parser = createValidatingReader(memory, grammars);
    bool grammarLoaded = false;
    Callback callback;                // of loadGrammar()
    DocumentText *document = nullptr; // the one being checked

    // A grammar when the schema loaded without any error, null otherwise.
    const xercesc::Grammar *loadSchema(const QString &path, SchemaLoadErrors &errors);
    void closeForDocuments();
    void requireGrammar() const;
    int check(const QString &path, const DiagnosticHandler &handler);
    void parse(const QString &path);
};

XsdXmlChecker::Private::Private()
{
    errorHandler.receive = [this](const Diagnostic &diagnostic) {
        const auto reported = document ? document->inPlaceOf(diagnostic) : diagnostic;
        if (reported)
            documentGuard.features.report(*reported);
    };
    entityGate.parser = parser.get();
    parser->setXMLEntityResolver(&entityGate);
    parser->setContentHandler(&documentGuard);
    parser->setLexicalHandler(&documentGuard);
}

const xercesc::Grammar *XsdXmlChecker::Private::loadSchema(const QString &path, SchemaLoadErrors &errors)
{
    entityGate.startLoading();
    // The schema itself is read and checked as the entity gate reads everything it imports.
    const std::unique_ptr<xercesc::InputSource> schema = entityGate.openSchemaFile(path);
    if (!schema) {
        errors.noteRefusal(*entityGate.refusal);
        return nullptr;
    }

    parser->setErrorHandler(&errors);
    const xercesc::Grammar *grammar = nullptr;
    try {
        grammar = parser->loadGrammar(*schema, xercesc::Grammar::SchemaGrammarType, true);
    } catch (const xercesc::XMLException &exception) {
        errors.noteException(fromXmlCh(exception.getMessage()));
    } catch (const xercesc::SAXException &exception) {
        errors.noteException(fromXmlCh(exception.getMessage()));
    } catch (const xercesc::OutOfMemoryException &) {
        errors.noteException(formatMessage(messages::SchemaLoadOutOfMemory));
    } catch (const std::bad_alloc &) {
        errors.noteException(formatMessage(messages::SchemaLoadOutOfMemory));
    }
    parser->setErrorHandler(nullptr);
    if (entityGate.refusal)
        errors.noteRefusal(*entityGate.refusal);

    if (grammar && !errors.failed)
        return grammar;
    // Whatever loaded before the failure would stand in for the namespace at the next attempt.
    parser->resetCachedGrammarPool();
    return nullptr;
}

/*
 * Only now: with default entity resolution off during the load, Xerces-C could not open the
 * schema's imports. From here on a document opens nothing, its schema location hints included.
 */
void XsdXmlChecker::Private::closeForDocuments()
{
    entityGate.closeForDocuments();
    parser->setFeature(XMLUni::fgXercesLoadSchema, false);
    parser->setFeature(XMLUni::fgXercesLoadExternalDTD, false);
    parser->setFeature(XMLUni::fgXercesDisableDefaultEntityResolution, true);
}

void XsdXmlChecker::Private::requireGrammar() const
{
    if (!grammarLoaded)
        throw failure(messages::FileNotLoaded, QStringLiteral("XSD"));
}

// Every refusal and diagnostic goes to the feature locator.
void XsdXmlChecker::Private::parse(const QString &path)
{
    FeatureLocator &features = documentGuard.features;
    if (const auto refused = fileRefusal(path)) {
        features.report(*refused);
        return;
    }
    DocumentText text(path);
    if (const auto refused = text.refusal()) {
        features.report(*refused);
        return;
    }
    document = &text;
    const auto forget = qScopeGuard([this] { document = nullptr; });
    try {
        parser->parse(*text.input());
    } catch (const DocumentRefused &refusal) {
        features.report(refusal.diagnostic);
    }
    if (const auto badBytes = text.badBytesLeft())
        features.report(*badBytes);
}

// The errors are counted as they reach the handler, so that a check it stops counts those it saw.
int XsdXmlChecker::Private::check(const QString &path, const DiagnosticHandler &handler)
{
    int errors = 0;
    FeatureLocator &features = documentGuard.features;
    features.start([&](const XsdDiagnostic &diagnostic, bool error) {
        errors += error ? 1 : 0;
        if (handler && !handler(diagnostic))
            throw CheckStopped{};
    });
    try {
        parse(path);
        features.finish();
    } catch (const CheckStopped &) {
    }
    return errors;
}

XsdXmlChecker::XsdXmlChecker()
    : d(std::make_unique<Private>())
{
}

XsdXmlChecker::~XsdXmlChecker() = default;

void XsdXmlChecker::loadGrammar(const QString &path, Callback callback)
{
    if (d->grammarLoaded)
        throw failure(messages::SchemaAlreadyLoaded);

    SchemaLoadErrors errors;
    if (!d->loadSchema(path, errors)) {
        // A schema that cannot be read or fetched fails as its reason does.
        throwFailure(errors.first ? errors.first->failure : messages::CannotLoadSchema.kind,
            loadFailureMessage(path, errors.first));
    }

    d->closeForDocuments();
    d->callback = std::move(callback);
    d->parser->setErrorHandler(&d->errorHandler);
    d->grammarLoaded = true;
}

xercesc::XSModel &SchemaComponents::of(XsdXmlChecker &checker)
{
    checker.d->requireGrammar();
    bool changed = false;
    return *checker.d->grammars.getXSModel(changed);
}

void XsdXmlChecker::setCatalogFiles(const QStringList &paths)
{
    d->entityGate.catalog = XmlCatalog(paths);
}

QStringList XsdXmlChecker::catalogWarnings() const
{
    return d->entityGate.catalog.warnings();
}

void XsdXmlChecker::setNetworkAccess(bool allowed)
{
    d->entityGate.networkAllowed = allowed;
}

int XsdXmlChecker::checkXmlFile(const QString &path)
{
    d->requireGrammar();
    const Callback &callback = d->callback;
    return d->check(path, [&callback](const XsdDiagnostic &diagnostic) {
        reportDiagnostic(callback, diagnostic.line, diagnostic.column, diagnostic.message);
        return true;
    });
}

int XsdXmlChecker::checkXmlFile(const QString &path, const DiagnosticHandler &handler)
{
    d->requireGrammar();
    return d->check(path, handler);
}

XsdValidationReport XsdXmlChecker::validate(const QString &path, int maxDiagnostics)
{
    d->requireGrammar();
    if (maxDiagnostics < 0)
        throw failure(messages::DiagnosticLimitNegative, QString::number(maxDiagnostics));
    XsdValidationReport report;
    report.document = path;
    report.errorCount = d->check(path, [&](const XsdDiagnostic &diagnostic) {
        if (report.diagnostics.size() < maxDiagnostics)
            report.diagnostics.append(diagnostic);
        else
            ++report.diagnosticsNotKept;
        return true;
    });
    return report;
}

} // namespace pelmak
