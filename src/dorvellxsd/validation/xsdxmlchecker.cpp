#include "xsdxmlchecker.h"

#include "../message_p.h"
#include "parsererrorhandler_p.h"
#include "xerces_p.h"

#include <xercesc/sax/ErrorHandler.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLUni.hpp>
#include <xercesc/validators/common/Grammar.hpp>

#include <optional>

namespace pelmak {
namespace {

using xercesc::XMLUni;

// Validation always, against the cached schema, with every constraint of the schema checked.
std::unique_ptr<xercesc::SAX2XMLReader> createValidatingReader()
{
    std::unique_ptr<xercesc::SAX2XMLReader> reader(xercesc::XMLReaderFactory::createXMLReader());
    reader->setFeature(XMLUni::fgSAX2CoreValidation, true);
    reader->setFeature(XMLUni::fgXercesDynamic, false);
    reader->setFeature(XMLUni::fgSAX2CoreNameSpaces, true);
    reader->setFeature(XMLUni::fgXercesSchema, true);
    reader->setFeature(XMLUni::fgXercesSchemaFullChecking, true);
    reader->setFeature(XMLUni::fgXercesCacheGrammarFromParse, true);
    reader->setFeature(XMLUni::fgXercesUseCachedGrammarInParse, true);
    return reader;
}

struct Diagnostic
{
    XMLFileLoc line = 0;
    XMLFileLoc column = 0;
    QString text;
};

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

    void noteException(const XMLCh *message)
    {
        if (!first)
            first = Diagnostic{0, 0, fromXmlCh(message)};
        failed = true;
    }

    bool failed = false;
    std::optional<Diagnostic> first;

private:
    void note(const xercesc::SAXParseException &exception)
    {
        if (!first)
            first = Diagnostic{exception.getLineNumber(), exception.getColumnNumber(),
                               fromXmlCh(exception.getMessage())};
    }
};

QString loadFailureMessage(const QString &path, const std::optional<Diagnostic> &reason)
{
    QString message = formatMessage(messages::CannotLoadSchema, path);
    if (reason)
        message += QLatin1Char('\n')
                   + formatMessage(messages::SchemaDiagnostic, QString::number(reason->line),
                                   QString::number(reason->column), reason->text);
    return message;
}

} // namespace

class XsdXmlChecker::Private
{
public:
    // Declared first: the platform must come up before the parser and go down after it.
    XercesPlatform platform;
    ParserErrorHandler errorHandler;
    std::unique_ptr<xercesc::SAX2XMLReader> parser = createValidatingReader();
    bool grammarLoaded = false;

    // A grammar when the schema loaded without any error, null otherwise.
    const xercesc::Grammar *loadSchema(const QString &path, SchemaLoadErrors &errors);
};

const xercesc::Grammar *XsdXmlChecker::Private::loadSchema(const QString &path, SchemaLoadErrors &errors)
{
    parser->setErrorHandler(&errors);
    const xercesc::Grammar *grammar = nullptr;
    try {
        grammar = parser->loadGrammar(toXmlCh(path), xercesc::Grammar::SchemaGrammarType, true);
    } catch (const xercesc::XMLException &exception) {
        errors.noteException(exception.getMessage());
    } catch (const xercesc::SAXException &exception) {
        errors.noteException(exception.getMessage());
    } catch (const xercesc::OutOfMemoryException &) {
        errors.noteException(nullptr);
    }
    parser->setErrorHandler(nullptr);

    if (grammar && !errors.failed)
        return grammar;
    // Whatever loaded before the failure would stand in for the namespace at the next attempt.
    parser->resetCachedGrammarPool();
    return nullptr;
}

XsdXmlChecker::XsdXmlChecker()
    : d(std::make_unique<Private>())
{
}

XsdXmlChecker::~XsdXmlChecker() = default;

void XsdXmlChecker::loadGrammar(const QString &path, Callback callback)
{
    if (d->grammarLoaded)
        throw logicError(formatMessage(messages::SchemaAlreadyLoaded));

    SchemaLoadErrors errors;
    if (!d->loadSchema(path, errors))
        throw logicError(loadFailureMessage(path, errors.first));

    d->errorHandler.callback = std::move(callback);
    d->parser->setErrorHandler(&d->errorHandler);
    d->grammarLoaded = true;
}

int XsdXmlChecker::checkXmlFile(const QString &path)
{
    if (!d->grammarLoaded)
        throw logicError(formatMessage(messages::FileNotLoaded, QStringLiteral("XSD")));

    d->parser->parse(toXmlCh(path));
    return static_cast<int>(d->parser->getErrorCount());
}

} // namespace pelmak
