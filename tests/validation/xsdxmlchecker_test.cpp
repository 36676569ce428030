#include <dorvellxsd/validation/xsdxmlchecker.h>

#include "../logicerror.h"
#include "parsererrorhandler_p.h"
#include "xerces_p.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/validators/common/Grammar.hpp>

#include <gtest/gtest.h>

#include <clocale>
#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using namespace pelmak;

namespace {

// Line, column and text of each diagnostic, as the callback receives them.
using Log = std::vector<std::tuple<int, int, std::string>>;

XsdXmlChecker::Callback into(Log &log)
{
    return [&log](int line, int column, const std::string &text) { log.emplace_back(line, column, text); };
}

const QString ExchangeDir = DORVELLXSD_TEST_DATA_DIR "/exchange/";
const QString HostileDir = DORVELLXSD_TEST_DATA_DIR "/hostile/";
const QString ExchangeSchema = ExchangeDir + "pelmak.xsd";
const QString Valid = ExchangeDir + "valid.gml";
const QString WrongOrder = ExchangeDir + "wrong-order.gml";
const QString Missing = ExchangeDir + "no-such-file";
const QString Folder = ExchangeDir + "gml";
const QFileInfoList ExchangeDocuments = QDir(ExchangeDir).entryInfoList({"*.gml"}, QDir::Files);
const std::string NoSchema = "Не загружен файл XSD";

std::string notAllowed(const std::string &element, const std::string &model)
{
    return "element '" + element + "' is not allowed for content model '" + model + "'";
}

const std::string RoadModel = "(description?,name*,name,lanes,surface?,(LineString|MultiLineString|MultiCurve))";
const Log WrongOrderDiagnostics
    = {{10, 10, notAllowed("lanes", RoadModel)}, {20, 10, notAllowed("surface", RoadModel)}};

QString writeFile(const QTemporaryDir &folder, const QString &name, const QByteArray &content)
{
    QFile file(folder.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << file.fileName().toStdString();
    file.write(content);
    return file.fileName();
}

// A document of the exchange namespace: its document type, if any, on line 2, its content on line 3.
QByteArray exchangeDocument(const QByteArray &doctype, const QByteArray &content)
{
    return "<?xml version=\"1.0\"?>\n" + doctype
        + "<gml:FeatureCollection xmlns:gml=\"http://www.opengis.net/gml\" "
          "xmlns=\"urn:pelmak:exchange\">\n"
        + content + "\n</gml:FeatureCollection>\n";
}

} // namespace

// One checker takes every document twice over: each count (all diagnostics here are errors) and
// each diagnostic must be the document's own, whatever came before.
TEST(XsdXmlChecker, ReportsEachDocumentsOwnDiagnosticsInOrderWithTheirCount)
{
    QTemporaryDir temporary;
    const auto nested = [](int depth) {
        return exchangeDocument({}, QByteArray("<a>").repeated(depth - 1) + QByteArray("</a>").repeated(depth - 1));
    };
    const std::string doctype
        = "объявление DOCTYPE в строке 2 не допускается: документ не может объявлять сущности и ссылаться на DTD";
    const std::string tooDeep = "элемент в строке 3 вложен глубже 1000 уровней";
    const std::string undeclaredA = "no declaration found for element 'a'";
    const std::pair<QString, Log> cases[] = {
        {Valid, {}},
        {ExchangeDir + "empty-collection.gml", {}},
        // Content model faults show at the feature's end tag, type faults after the value.
        {ExchangeDir + "missing-required.gml",
            {{14, 12,
                 notAllowed("landUse",
                     "(description?,name*,cadastralNumber,area,landUse?,registered?,"
                     "(Polygon|MultiPolygon|MultiSurface))")},
                {20, 10, "missing elements in content model '(description?,name*,number,depth?,(Point|MultiPoint))'"}}},
        {WrongOrder, WrongOrderDiagnostics},
        {ExchangeDir + "wrong-type.gml",
            {{6, 24, "invalid character encountered"}, {7, 39, "invalid gYearMonth value '02.04.2019'"},
                {11, 53, "invalid character encountered"},
                {20, 20, "value '0' must be greater than or equal to minInclusive facet value '1'"}}},
        {ExchangeDir + "unknown-element.gml",
            {{6, 11, "no declaration found for element 'owner'"},
                {14, 14,
                    notAllowed("owner",
                        "(description?,name*,address,floors?,builtYear?,(Polygon|MultiPolygon|MultiSurface))")},
                {17, 25, "no declaration found for element 'Мост'"},
                {17, 25, "attribute '{http://www.opengis.net/gml}id' is not declared for element 'Мост'"},
                {20, 22, notAllowed("Мост", "(_Feature)")}}},
        {ExchangeDir + "undeclared-prefix.gml", {{6, 14, "prefix 'gm' can not be resolved to namespace URI"}}},
        {ExchangeDir + "truncated.gml",
            {{12, 81, "input ended before all started tags were ended; last tag started is 'posList'"}}},
        {ExchangeDir + "duplicate-id.gml", {{12, 25, "ID value 'Well.1' is not unique"}}},
        {Missing, {{0, 0, "unable to open primary document entity '" + Missing.toStdString() + "'"}}},
        {Folder, {{0, 0, "Не могу открыть файл " + Folder.toStdString()}}},
        // Hints to a file that is not a schema and to the network: following either would show.
        {HostileDir + "validator-schema-hints.gml", {}},
        // Refused where declared: before the broken DTD named opens, before any entity is declared.
        {HostileDir + "validator-external-dtd.gml", {{2, 62, doctype}}},
        {HostileDir + "validator-external-entity.gml", {{2, 33, doctype}}},
        {HostileDir + "validator-billion-laughs.gml", {{2, 33, doctype}}},
        // One entity of 10,000 characters referenced 10,000 times: 100 million characters expanded.
        {writeFile(temporary, "quadratic.gml",
             exchangeDocument("<!DOCTYPE gml:FeatureCollection [<!ENTITY big \"" + QByteArray(10000, 'x') + "\">]>\n",
                 "<gml:description>" + QByteArray("&big;").repeated(10000) + "</gml:description>")),
            {{2, 33, doctype}}},
        // Validated as usual up to the limit of 1000 levels, refused at the first start tag beyond.
        {writeFile(temporary, "deep.gml", nested(1000)),
            {{3, 4, undeclaredA}, {4, 25, notAllowed("a", "(description?,name*,featureMember*)")}}},
        {writeFile(temporary, "deeper.gml", nested(1001)), {{3, 4, undeclaredA}, {3, 3001, tooDeep}}},
        {writeFile(temporary, "deepest.gml", nested(100000)), {{3, 4, undeclaredA}, {3, 3001, tooDeep}}},
    };

    Log log;
    XsdXmlChecker checker;
    checker.loadGrammar(ExchangeSchema, into(log));
    for (const int round : {1, 2}) {
        for (const auto &[document, expected] : cases) {
            SCOPED_TRACE("round " + std::to_string(round) + ": " + document.toStdString());
            log.clear();
            EXPECT_EQ(checker.checkXmlFile(document), static_cast<int>(expected.size()));
            EXPECT_EQ(log, expected);
        }
    }
}

// A schema without a sound grammar, or declaring a document type itself or in an import, is refused
// with its first diagnostic; nothing of it reaches the callback or stays behind. Without a schema
// there is no check; the checker may then load again, but only once.
TEST(XsdXmlCheckerLoad, RefusesBrokenSchemasWithTheirFirstDiagnosticAndLoadsOnce)
{
    const auto doctypeIn = [](const QString &path) {
        return "Объявление типа документа (DOCTYPE) в файле " + path.toStdString() + " не допускается";
    };
    const QString doctype = HostileDir + "validator-schema-with-doctype.xsd";
    const std::pair<QString, std::string> cases[] = {
        {Missing, "Строка 0, столбец 0: unable to open primary document entity '" + Missing.toStdString() + "'"},
        {Folder, "Строка 0, столбец 0: Не могу открыть файл " + Folder.toStdString()},
        {DORVELLXSD_TEST_DATA_DIR "/xsd/not-xml.xsd", "Строка 1, столбец 1: invalid document structure"},
        {DORVELLXSD_TEST_DATA_DIR "/xsd/truncated.xsd", "Строка 7, столбец 44: unexpected end of input"},
        {Valid,
            "Строка 5, столбец 39: non-whitespace characters are not allowed in schema declarations other "
            "than appinfo and documentation"},
        {ExchangeDir + "broken/unresolved-reference.xsd",
            "Строка 16, столбец 35: type 'http://www.opengis.net/gml:Pont' not found"},
        {ExchangeDir + "broken/undeclared-type.xsd",
            "Строка 9, столбец 75: type 'urn:pelmak:exchange:WellTyp' not found"},
        {ExchangeDir + "broken/missing-import.xsd",
            "Строка 0, столбец 0: unable to open primary document entity '" + ExchangeDir.toStdString()
                + "broken/no-such-folder/gml.xsd'"},
        {ExchangeDir + "broken/ambiguous-content.xsd",
            "Строка 0, столбец 0: complex type 'WellType' violates the unique particle attribution rule in its "
            "components 'depth' and 'depth'"},
        {doctype, "Строка 13, столбец 2: " + doctypeIn(doctype)},
        {HostileDir + "validator-schema-importing-doctype.xsd",
            "Строка 2, столбец 50: " + doctypeIn(HostileDir + "validator-gml-with-doctype.xsd")},
    };
    for (const auto &[path, reason] : cases) {
        SCOPED_TRACE(path.toStdString());
        Log log;
        XsdXmlChecker checker;
        EXPECT_EQ(logicErrorOf([&] { checker.checkXmlFile(Valid); }), NoSchema);
        EXPECT_EQ(logicErrorOf([&, schema = path] { checker.loadGrammar(schema, into(log)); }),
            "Не могу загрузить схему из файла " + path.toStdString() + "\n" + reason);
        EXPECT_EQ(logicErrorOf([&] { checker.checkXmlFile(Valid); }), NoSchema);
        checker.loadGrammar(ExchangeSchema, into(log));
        for (const QString &again : {ExchangeSchema, path})
            EXPECT_EQ(logicErrorOf([&] { checker.loadGrammar(again, {}); }), "Схема уже загружена");
        EXPECT_EQ(checker.checkXmlFile(WrongOrder), 2);
        EXPECT_EQ(log, WrongOrderDiagnostics);
    }
}

// The host's exception ends the check and reaches the host; the checker stays usable.
TEST(XsdXmlCheckerCallbacks, ThrowingCallbackEndsTheCheckAndLeavesTheCheckerUsable)
{
    Log log;
    bool throwNext = true;
    XsdXmlChecker checker;
    checker.loadGrammar(ExchangeSchema, [&](int line, int column, const std::string &text) {
        if (std::exchange(throwNext, false))
            throw std::runtime_error("host gives up");
        log.emplace_back(line, column, text);
    });
    EXPECT_THROW(checker.checkXmlFile(ExchangeDir + "wrong-type.gml"), std::runtime_error);
    EXPECT_EQ(checker.checkXmlFile(WrongOrder), 2);
    EXPECT_EQ(log, WrongOrderDiagnostics);
}

// Each checker holds the Xerces-C platform; none may end it under another or under the host. Each
// keeps its own callback; an empty one does not stop the count.
TEST(XsdXmlCheckerPlatform, CheckersLiveSideBySideAndOneAfterAnother)
{
    const XercesPlatform host;
    Log log;
    auto first = std::make_unique<XsdXmlChecker>();
    XsdXmlChecker second;
    first->loadGrammar(ExchangeSchema, {});
    second.loadGrammar(ExchangeSchema, into(log));
    EXPECT_EQ(first->checkXmlFile(ExchangeDir + "wrong-type.gml"), 4);
    first.reset();
    EXPECT_EQ(second.checkXmlFile(WrongOrder), 2);
    EXPECT_EQ(log, WrongOrderDiagnostics);
    for (int round = 0; round < 3; ++round) {
        XsdXmlChecker checker;
        checker.loadGrammar(ExchangeSchema, {});
        EXPECT_EQ(checker.checkXmlFile(ExchangeDir + "unknown-element.gml"), 5);
    }
    EXPECT_STREQ(LocalText(u"still here").data(), "still here"); // the host's Xerces-C still works
}

// Folder and file names reach Xerces-C as UTF-16 whatever the locale: CTest runs this test under
// LC_ALL=C and under a UTF-8 locale.
TEST(XsdXmlCheckerNonAsciiPaths, AbsoluteAndRelativePaths)
{
    std::setlocale(LC_ALL, "");
    QTemporaryDir temporary;
    ASSERT_TRUE(temporary.isValid());
    const QString folder = temporary.path() + "/Обмен данными № 1/";
    ASSERT_TRUE(QDir().mkpath(folder + "gml"));
    const std::pair<QString, QString> copies[] = {{ExchangeSchema, "схема обмена.xsd"},
        {ExchangeDir + "gml/gml.xsd", "gml/gml.xsd"}, {Valid, "документ.gml"}, {WrongOrder, "ошибки в порядке.gml"}};
    for (const auto &[from, to] : copies)
        ASSERT_TRUE(QFile::copy(from, folder + to));

    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder));
    for (const QString &base : {folder, QString()}) {
        XsdXmlChecker checker;
        checker.loadGrammar(base + "схема обмена.xsd", {});
        EXPECT_EQ(checker.checkXmlFile(base + "документ.gml"), 0) << base.toStdString();
        EXPECT_EQ(checker.checkXmlFile(base + "ошибки в порядке.gml"), 2) << base.toStdString();
    }
    QDir::setCurrent(previous);
}

// The subset schema and the official GML 3.1.1 schemas agree on every document of the tests.
TEST(XsdXmlCheckerOfficialGml, ExchangeSchemaOverOfficialGmlGivesTheSameCounts)
{
    const QString officialGml = DORVELLXSD_SHARED_DATA_DIR "/ogc/gml/3.1.1/base/gml.xsd";
    if (!QFileInfo::exists(officialGml))
        GTEST_SKIP() << "official GML 3.1.1 schemas not found at " << officialGml.toStdString();

    QFile exchange(ExchangeSchema);
    QByteArray schema = exchange.open(QIODevice::ReadOnly) ? exchange.readAll() : QByteArray();
    const QByteArray subsetImport = "schemaLocation=\"gml/gml.xsd\"";
    ASSERT_TRUE(schema.contains(subsetImport));
    schema.replace(subsetImport, "schemaLocation=\"" + QFileInfo(officialGml).absoluteFilePath().toUtf8() + "\"");
    QTemporaryDir temporary;
    XsdXmlChecker subset;
    XsdXmlChecker official;
    subset.loadGrammar(ExchangeSchema, {});
    official.loadGrammar(writeFile(temporary, "pelmak.xsd", schema), {});
    ASSERT_GE(ExchangeDocuments.size(), 9);
    for (const QFileInfo &document : ExchangeDocuments)
        EXPECT_EQ(official.checkXmlFile(document.filePath()), subset.checkXmlFile(document.filePath()))
            << document.fileName().toStdString();
}

// The checker streams the document instead of building a tree; the diagnostics, their order and
// the count must not show it. The reference is Xerces-C's DOM parser with the checker's settings.
TEST(XsdXmlCheckerDomEquivalence, EveryDocumentGivesWhatTheDomParserGives)
{
    const XercesPlatform platform;
    Log expected;
    Log actual;
    ParserErrorHandler handler;
    handler.callback = into(expected);
    xercesc::XercesDOMParser dom;
    dom.setValidationScheme(xercesc::XercesDOMParser::Val_Always);
    dom.setDoNamespaces(true);
    dom.setDoSchema(true);
    dom.setValidationSchemaFullChecking(true);
    dom.cacheGrammarFromParse(true);
    dom.useCachedGrammarInParse(true);
    ASSERT_NE(dom.loadGrammar(toXmlCh(ExchangeSchema), xercesc::Grammar::SchemaGrammarType, true), nullptr);
    dom.setErrorHandler(&handler);
    XsdXmlChecker checker;
    checker.loadGrammar(ExchangeSchema, into(actual));

    ASSERT_GE(ExchangeDocuments.size(), 9);
    for (const QFileInfo &document : ExchangeDocuments) {
        SCOPED_TRACE(document.fileName().toStdString());
        expected.clear();
        actual.clear();
        dom.parse(toXmlCh(document.filePath()));
        EXPECT_EQ(checker.checkXmlFile(document.filePath()), static_cast<int>(dom.getErrorCount()));
        EXPECT_EQ(actual, expected);
    }
}

// Every severity reaches the callback alike (in UTF-8, Xerces-C's local code page here) and none
// throws. A lone surrogate, which no 8-bit code page can carry, is replaced; the rest arrives.
TEST(ParserErrorHandler, ForwardsEverySeverityAndReplacesWhatTheCodePageCannotCarry)
{
    const XercesPlatform platform;
    Log log;
    ParserErrorHandler handler;
    handler.callback = into(log);
    const QString unrepresentable = "value 'a" + QString(QChar(0xD800)) + "b' is not valid";

    handler.warning(xercesc::SAXParseException(toXmlCh("a warning"), nullptr, nullptr, 1, 2));
    handler.error(xercesc::SAXParseException(toXmlCh(unrepresentable), nullptr, nullptr, 3, 4));
    EXPECT_NO_THROW(handler.fatalError(xercesc::SAXParseException(toXmlCh("элемент 'Мост'"), nullptr, nullptr, 5, 6)));
    EXPECT_EQ(log, (Log {{1, 2, "a warning"}, {3, 4, "value 'a\uFFFDb' is not valid"}, {5, 6, "элемент 'Мост'"}}));
}
