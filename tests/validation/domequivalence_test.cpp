#include <dorvellxsd/validation/xsdxmlchecker.h>

#include "diagnostics.h"

#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/ErrorHandler.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLString.hpp>
#include <xercesc/validators/common/Grammar.hpp>

#include <gtest/gtest.h>

#include <memory>

using namespace testing_support;

namespace {

// Records what Xerces-C's validating DOM parser reports, as the checker's callback would see it.
class RecordingHandler : public xercesc::ErrorHandler
{
public:
    void warning(const xercesc::SAXParseException &exception) override { record(exception); }
    void error(const xercesc::SAXParseException &exception) override { record(exception); }
    void fatalError(const xercesc::SAXParseException &exception) override { record(exception); }
    void resetErrors() override {}

    std::vector<Diagnostic> entries;

private:
    void record(const xercesc::SAXParseException &exception)
    {
        char *text = xercesc::XMLString::transcode(exception.getMessage());
        entries.push_back({static_cast<int>(exception.getLineNumber()),
                           static_cast<int>(exception.getColumnNumber()), text});
        xercesc::XMLString::release(&text);
    }
};

/*
 * The DOM parser with the checker's validation settings: always against the cached schema,
 * namespaces, schema and full checking, the grammar loaded once with the same settings on.
 */
class ReferenceDomValidator
{
public:
    explicit ReferenceDomValidator(const QString &schema)
    {
        parser->setValidationScheme(xercesc::XercesDOMParser::Val_Always);
        parser->setDoNamespaces(true);
        parser->setDoSchema(true);
        parser->setValidationSchemaFullChecking(true);
        parser->cacheGrammarFromParse(true);
        parser->useCachedGrammarInParse(true);
        loaded = parser->loadGrammar(reinterpret_cast<const XMLCh *>(schema.utf16()),
                                     xercesc::Grammar::SchemaGrammarType, true)
                 != nullptr;
        parser->setErrorHandler(&handler);
    }

    int check(const QString &document)
    {
        handler.entries.clear();
        parser->parse(reinterpret_cast<const XMLCh *>(document.utf16()));
        return static_cast<int>(parser->getErrorCount());
    }

    bool loaded = false;
    RecordingHandler handler;

private:
    struct Platform
    {
        Platform() { xercesc::XMLPlatformUtils::Initialize(); }
        ~Platform() { xercesc::XMLPlatformUtils::Terminate(); }
    } platform;
    std::unique_ptr<xercesc::XercesDOMParser> parser = std::make_unique<xercesc::XercesDOMParser>();
};

} // namespace

// The checker streams the document instead of building a tree; the diagnostics, their order and
// the count must not show it.
TEST(XsdXmlCheckerDomEquivalence, EveryDocumentGivesWhatTheDomParserGives)
{
    ReferenceDomValidator reference(exchangeSchema());
    ASSERT_TRUE(reference.loaded);
    DiagnosticLog log;
    pelmak::XsdXmlChecker checker;
    checker.loadGrammar(exchangeSchema(), log.callback());

    const QStringList documents = exchangeDocuments();
    ASSERT_GE(documents.size(), 9);
    int faultyDocuments = 0;
    for (const QString &document : documents) {
        const QString path = exchangeData("") + document;
        log.entries.clear();
        const int expected = reference.check(path);
        EXPECT_EQ(checker.checkXmlFile(path), expected) << document.toStdString();
        EXPECT_EQ(log.entries, reference.handler.entries) << document.toStdString();
        faultyDocuments += expected > 0 ? 1 : 0;
    }
    EXPECT_GE(faultyDocuments, 7);
}
