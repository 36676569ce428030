#include <dorvellxsd/validation/xsdxmlchecker.h>

#include "../logicerror.h"
#include "parsererrorhandler_p.h"
#include "xerces_p.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextCodec>

#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/SAXParseException.hpp>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <clocale>
#include <map>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

using namespace pelmak;

namespace pelmak {
bool operator==(const XsdDiagnostic &a, const XsdDiagnostic &b)
{
    return std::tie(a.line, a.column, a.message, a.feature) == std::tie(b.line, b.column, b.message, b.feature);
}
} // namespace pelmak

namespace {

// Line, column and text of each diagnostic, as the callback receives them.
using Log = std::vector<std::tuple<int, int, std::string>>;

XsdXmlChecker::Callback into(Log &log)
{
    return [&log](int line, int column, const std::string &text) { log.emplace_back(line, column, text); };
}

const QString TestData = DORVELLXSD_TEST_DATA_DIR "/";
const QString ExchangeDir = TestData + "exchange/";
const QString HostileDir = TestData + "hostile/";
const QString ExchangeSchema = ExchangeDir + "pelmak.xsd";
const QString Valid = ExchangeDir + "valid.gml";
const QString WrongOrder = ExchangeDir + "wrong-order.gml";
const QString WrongType = ExchangeDir + "wrong-type.gml";
const QString Missing = ExchangeDir + "no-such-file";
const QString Folder = ExchangeDir + "gml";
const QFileInfoList ExchangeDocuments = QDir(ExchangeDir).entryInfoList({"*.gml"}, QDir::Files);
const std::string CannotOpenMissing = "Не могу открыть файл " + Missing.toStdString();
const std::string CannotOpenFolder = "Не могу открыть файл " + Folder.toStdString();

std::string notAllowed(const std::string &element, const std::string &model)
{
    return "element '" + element + "' is not allowed for content model '" + model + "'";
}

const std::string Surfaces = "(Polygon|MultiPolygon|MultiSurface))";
const std::string RoadModel = "(description?,name*,name,lanes,surface?,(LineString|MultiLineString|MultiCurve))";
const Log WrongOrderLog = {{10, 10, notAllowed("lanes", RoadModel)}, {20, 10, notAllowed("surface", RoadModel)}};

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
        + "<gml:FeatureCollection xmlns:gml=\"http://www.opengis.net/gml\" xmlns=\"urn:pelmak:exchange\">\n" + content
        + "\n</gml:FeatureCollection>\n";
}

// An element for line 3 with @p count attributes named @p name and a number, and the column just past its start
// tag, where the parser reports that element.
std::pair<QByteArray, int> nameWith(int count, const QByteArray &name)
{
    QByteArray element = "<gml:name";
    for (int i = 0; i < count; ++i)
        element += " " + name + QByteArray::number(i) + "=\"urn:" + QByteArray::number(i) + "\"";
    return {element + ">x</gml:name>", static_cast<int>(element.size()) + 2};
}

// A pipe nobody writes to: whoever opens it for reading waits for ever.
QString makeFifo(const QTemporaryDir &folder, const QString &name)
{
    const QString path = folder.filePath(name);
    EXPECT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0) << path.toStdString();
    return path;
}

// The host's own use of the Xerces-C platform, beside the library's.
struct HostPlatform
{
    HostPlatform() { xercesc::XMLPlatformUtils::Initialize(); }
    ~HostPlatform() { xercesc::XMLPlatformUtils::Terminate(); }
};

} // namespace

// One checker takes every document twice over: each count (all diagnostics here are errors) and each diagnostic must
// be the document's own, whatever came before. The checker streams what Xerces-C's DOM parser would build a tree of:
// with the checker's settings, the DOM parser must give each exchange document the same diagnostics.
TEST(XsdXmlChecker, ReportsEachDocumentsOwnDiagnosticsInOrderAsTheDomParserDoes)
{
    QTemporaryDir temporary;
    const QString fifo = makeFifo(temporary, "fifo.gml");
    const auto nested = [&](int depth) {
        const QByteArray content = QByteArray("<a>").repeated(depth - 1) + QByteArray("</a>").repeated(depth - 1);
        return writeFile(temporary, QString::number(depth) + ".gml", exchangeDocument({}, content));
    };
    const std::string doctype =
        "объявление DOCTYPE в строке 2 не допускается: документ не может объявлять сущности и ссылаться на DTD";
    const Log::value_type undeclaredA = {3, 4, "no declaration found for element 'a'"};
    const auto unread = [](const std::string &family) {
        return "текст в строке 1 записан в кодировке " + family
            + ", а читаются UTF-8, UTF-16 с меткой порядка байтов и кодировки, совместимые с ASCII";
    };
    const Log::value_type tooDeep = {3, 3001, "элемент в строке 3 вложен глубже 1000 уровней"};
    // The parser's word on each undeclared attribute, then the refusal of the element, if any.
    const auto undeclared = [&](int count, const std::string &refusal) {
        Log log;
        for (int i = 0; i < count; ++i)
            log.emplace_back(3, nameWith(count, "a").second,
                "attribute 'a" + std::to_string(i) + "' is not declared for element 'name'");
        if (!refusal.empty())
            log.emplace_back(3, nameWith(count, "a").second, refusal);
        return log;
    };
    const std::map<QString, Log> cases = {
        {Valid, {}},
        {ExchangeDir + "empty-collection.gml", {}},
        // Content model faults show at the feature's end tag, type faults after the value.
        {ExchangeDir + "missing-required.gml",
            {{14, 12,
                 notAllowed("landUse", "(description?,name*,cadastralNumber,area,landUse?,registered?," + Surfaces)},
                {20, 10, "missing elements in content model '(description?,name*,number,depth?,(Point|MultiPoint))'"}}},
        {WrongOrder, WrongOrderLog},
        {WrongType,
            {{6, 24, "invalid character encountered"}, {7, 39, "invalid gYearMonth value '02.04.2019'"},
                {11, 53, "invalid character encountered"},
                {20, 20, "value '0' must be greater than or equal to minInclusive facet value '1'"}}},
        {ExchangeDir + "unknown-element.gml",
            {{6, 11, "no declaration found for element 'owner'"},
                {14, 14, notAllowed("owner", "(description?,name*,address,floors?,builtYear?," + Surfaces)},
                {17, 25, "no declaration found for element 'Мост'"},
                {17, 25, "attribute '{http://www.opengis.net/gml}id' is not declared for element 'Мост'"},
                {20, 22, notAllowed("Мост", "(_Feature)")}}},
        {ExchangeDir + "undeclared-prefix.gml", {{6, 14, "prefix 'gm' can not be resolved to namespace URI"}}},
        {ExchangeDir + "truncated.gml",
            {{12, 81, "input ended before all started tags were ended; last tag started is 'posList'"}}},
        {ExchangeDir + "duplicate-id.gml", {{12, 25, "ID value 'Well.1' is not unique"}}},
        {Missing, {{0, 0, CannotOpenMissing}}},
        {Folder, {{0, 0, CannotOpenFolder}}},
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
        // Attributes and namespace declarations beyond the limits stop the parse at that element (its attributes
        // checked already: the parser validates them before it reports the element).
        {writeFile(temporary, "attributes.gml", exchangeDocument({}, nameWith(256, "a").first)), undeclared(256, {})},
        {writeFile(temporary, "too-many-attributes.gml", exchangeDocument({}, nameWith(257, "a").first)),
            undeclared(257, "элемент в строке 3 несёт больше 256 атрибутов")},
        {writeFile(temporary, "namespaces.gml", exchangeDocument({}, nameWith(64, "xmlns:n").first)), {}},
        {writeFile(temporary, "too-many-namespaces.gml", exchangeDocument({}, nameWith(65, "xmlns:n").first)),
            {{3, nameWith(65, "xmlns:n").second, "элемент в строке 3 объявляет больше 64 пространств имён"}}},
        {fifo, {{0, 0, fifo.toStdString() + " не обычный файл: схемы и документы читаются только из обычных файлов"}}},
        // Refused as the readers refuse them, with their words: bytes that are no text in the encoding, where they
        // stand (here after a character per column, read through the declared encoding), and encodings not read.
        {writeFile(temporary, "bad-byte.gml",
             exchangeDocument({}, QByteArray("<!-- -->\n").repeated(2997) + "<!-- x\xFF -->")),
            {{3000, 7, "байты в строке 3000 не являются текстом в кодировке UTF-8"}}},
        {writeFile(temporary, "bad-byte-latin-3.gml",
             exchangeDocument({}, "<gml:description>\xC7\xE0\xFE \xA5</gml:description>")
                 .replace("?>", " encoding=\"ISO-8859-3\"?>")),
            {{3, 22, "байты в строке 3 не являются текстом в кодировке ISO-8859-3"}}},
        {writeFile(temporary, "utf-32.gml",
             QTextCodec::codecForName("UTF-32LE")->fromUnicode(QString::fromUtf8(exchangeDocument({}, {})))),
            {{1, 1, unread("UCS-4 (UTF-32)")}}},
        {writeFile(temporary, "ebcdic.gml", QByteArray("\x4C\x6F\xA7\x94\x93\x40\xA5\x85\x99\xA2\x89\x96\x95", 13)),
            {{1, 1, unread("EBCDIC")}}},
        {nested(1000), {undeclaredA, {4, 25, notAllowed("a", "(description?,name*,featureMember*)")}}},
        {nested(1001), {undeclaredA, tooDeep}},
        {nested(100000), {undeclaredA, tooDeep}},
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

    const XercesPlatform platform;
    ParserErrorHandler handler;
    handler.receive = [callback = into(log)](const Diagnostic &diagnostic) {
        reportDiagnostic(callback, toInt(diagnostic.line), toInt(diagnostic.column), diagnostic.text);
    };
    xercesc::XercesDOMParser dom;
    dom.setValidationScheme(xercesc::XercesDOMParser::Val_Always);
    dom.setDoNamespaces(true);
    dom.setDoSchema(true);
    dom.setValidationSchemaFullChecking(true);
    dom.cacheGrammarFromParse(true);
    ASSERT_NE(dom.loadGrammar(toXmlCh(ExchangeSchema), xercesc::Grammar::SchemaGrammarType, true), nullptr);
    dom.setErrorHandler(&handler);
    ASSERT_GE(ExchangeDocuments.size(), 9);
    for (const QFileInfo &document : ExchangeDocuments) {
        SCOPED_TRACE("DOM parser: " + document.fileName().toStdString());
        log.clear();
        dom.parse(toXmlCh(document.filePath()));
        EXPECT_EQ(dom.getErrorCount(), log.size());
        EXPECT_EQ(log, cases.at(document.filePath())); // every exchange document has its row
    }

    // The handler forwards every severity alike and never throws itself; what no 8-bit code page can carry is replaced.
    log.clear();
    handler.warning(xercesc::SAXParseException(toXmlCh("a warning"), nullptr, nullptr, 1, 2));
    handler.error(xercesc::SAXParseException(toXmlCh("a" + QString(QChar(0xD800))), nullptr, nullptr, 3, 4));
    EXPECT_NO_THROW(handler.fatalError(xercesc::SAXParseException(toXmlCh("элемент 'Мост'"), nullptr, nullptr, 5, 6)));
    EXPECT_EQ(log, (Log{{1, 2, "a warning"}, {3, 4, "a\uFFFD"}, {5, 6, "элемент 'Мост'"}}));
}

// Each diagnostic names the feature it lies in, from the start tag of its member to the feature's end tag: in either
// GML namespace whatever the prefix, in WFS 2.0 members and the collections they hold, one feature after another in
// featureMembers, by gml:id or fid; outside every member, none. validate() keeps the first diagnostics and counts every
// one; a handler that returns false stops the check.
TEST(XsdXmlCheckerReports, NameTheFeatureOfEachDiagnosticAndKeepTheFirstOnes)
{
    // Members of each form, with a feature on each line a diagnostic lies on.
    const QString document = TestData + "gml/feature-of-each-diagnostic.gml";
    const std::map<int, QString> featureOfLine = {{2, ""}, {3, ""}, {4, "Дорога.1"}, {5, "Дорога.1"}, {6, "Дорога.1"},
        {9, "l1"}, {10, "l1"}, {11, "l1"}, {12, "l1"}, {16, "w1"}, {17, "w1"}, {19, ""}, {21, "p1"}, {22, "p2"},
        {23, ""}};

    XsdXmlChecker checker;
    Log log;
    checker.loadGrammar(ExchangeSchema, into(log));
    const XsdValidationReport report = checker.validate(document);
    EXPECT_EQ(report.document, document);
    EXPECT_EQ(report.diagnosticsNotKept, 0);
    ASSERT_EQ(report.errorCount, report.diagnostics.size());
    std::map<int, QString> found;
    for (const XsdDiagnostic &diagnostic : report.diagnostics)
        found[diagnostic.line] = diagnostic.feature;
    EXPECT_EQ(found, featureOfLine);
    // The same diagnostics as the callback's, their texts as they are.
    EXPECT_EQ(checker.checkXmlFile(document), report.errorCount);
    ASSERT_EQ(log.size(), report.diagnostics.size());
    for (int i = 0; i < report.diagnostics.size(); ++i) {
        const XsdDiagnostic &diagnostic = report.diagnostics.at(i);
        EXPECT_EQ(log[i], Log::value_type(diagnostic.line, diagnostic.column, diagnostic.message.toStdString()));
    }

    log.clear();
    const XsdValidationReport firstTwo = checker.validate(document, 2);
    EXPECT_EQ(firstTwo.errorCount, report.errorCount);
    EXPECT_EQ(firstTwo.diagnostics, report.diagnostics.mid(0, 2));
    EXPECT_EQ(firstTwo.diagnosticsNotKept, report.errorCount - 2);
    EXPECT_TRUE(checker.validate(document, 0).diagnostics.isEmpty());
    EXPECT_EQ(logicErrorOf([&] { checker.validate(document, -1); }),
        "Число сохраняемых диагностик не может быть отрицательным: -1");
    int handled = 0;
    EXPECT_EQ(checker.checkXmlFile(document, [&](const XsdDiagnostic &) { return ++handled < 3; }), 3);
    EXPECT_EQ(handled, 3);
    EXPECT_TRUE(log.empty());
}

// A schema without a sound grammar, that cannot be read to its end, declaring a document type (itself or in an import,
// whatever XML version it claims), or with a content model too large to expand, is refused with its first diagnostic;
// nothing of it reaches the callback or stays behind. Without a schema there is no check; the checker may then load
// again, but only once. Each checker holds the Xerces-C platform: these come and go beside the host and a first
// checker, whose callback throws at line 6, which ends that check and reaches the host; both still work after.
TEST(XsdXmlCheckerLifecycle, RefusesBrokenSchemasLoadsOnceAndSharesThePlatform)
{
    const HostPlatform host;
    Log firstLog;
    XsdXmlChecker first;
    first.loadGrammar(ExchangeSchema, [&, report = into(firstLog)](int line, int column, const std::string &text) {
        if (line == 6)
            throw std::runtime_error("host gives up");
        report(line, column, text);
    });
    EXPECT_THROW(first.checkXmlFile(WrongType), std::runtime_error);

    const auto doctypeIn = [](const QString &file) {
        return "Объявление типа документа (DOCTYPE) в файле " + file.toStdString() + " не допускается";
    };
    const auto notRegular = [](const QString &file) {
        return file.toStdString() + " не обычный файл: схемы и документы читаются только из обычных файлов";
    };
    const auto tooLarge = [](int line, const QString &file) {
        return "Модель содержимого в строке " + std::to_string(line) + " файла " + file.toStdString()
            + " разворачивается более чем в 3000 позиций элементов: произведение вложенных minOccurs и maxOccurs слишком велико";
    };
    QTemporaryDir temporary;
    const QString fifo = makeFifo(temporary, "fifo.xsd");
    const auto schema =
        [&](const QString &name, const QByteArray &prolog, const QByteArray &content) {
            return writeFile(temporary, name,
            prolog + "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" targetNamespace=\"urn:t\" xmlns=\"urn:t\">\n"
                + content + "\n</xs:schema>\n");
        };
    const QByteArray nestedBounds =
        "<xs:element name=\"e\"><xs:complexType>"
        "<xs:sequence minOccurs=\"20\" maxOccurs=\"20\"><xs:sequence maxOccurs=\"10\">"
        "<xs:element name=\"f\" minOccurs=\"16\" maxOccurs=\"16\"/>"
        "</xs:sequence></xs:sequence></xs:complexType></xs:element>";
    const QByteArray groupBounds =
        "<xs:group name=\"g\"><xs:sequence><xs:element name=\"f\" maxOccurs=\"100\"/>"
        "</xs:sequence></xs:group>\n<xs:complexType name=\"t\"><xs:sequence>"
        "<xs:group ref=\"g\" maxOccurs=\"51\"/></xs:sequence></xs:complexType>";
    const QString xml11Doctype = schema("xml11-doctype.xsd",
        "<?xml version=\"1.1\"?>\n<!DOCTYPE xs:schema [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
        "\"&a;&a;&a;&a;&a;&a;&a;\">]>\n",
        "<xs:element name=\"e\" type=\"xs:string\" default=\"&b;\"/>");
    const QString unreadable = schema("unreadable.xsd", "<!-- -->\n<?xml-stylesheet href=\"a\"", "");
    const QString utf16 = QStringLiteral("<!DOCTYPE x [<!ENTITY a \"a\">]><x/>");
    const QString utf16Doctype = writeFile(temporary, "utf16.xsd",
        "\xFF\xFE" + QByteArray(reinterpret_cast<const char *>(utf16.utf16()), utf16.size() * 2));
    const QString nested = schema("nested-bounds.xsd", {}, nestedBounds);
    const QString nested11 = schema("nested-bounds-1.1.xsd", "<?xml version='1.1'?>\n", nestedBounds);
    const QString grouped = schema("group-bounds.xsd", {}, groupBounds);
    const QString importsFifo = schema("imports-fifo.xsd", {}, "<xs:include schemaLocation=\"fifo.xsd\"/>");
    const QString large = schema("large.xsd", {}, "<!--" + QByteArray(16 * 1024 * 1024, ' ') + "-->");
    // Patterns on which Xerces-C's engine backtracks exponentially (40 characters of "a" took (a|aa)*c 23 s).
    const auto withPattern = [&](const QString &name, const QByteArray &pattern) {
        return schema(name, {},
            "<xs:simpleType name=\"s\"><xs:restriction base=\"xs:string\">\n<xs:pattern value=\"" + pattern
                + "\"/></xs:restriction></xs:simpleType>");
    };
    const auto backtracks = [](const std::string &pattern, const QString &file) {
        return "Фасет xs:pattern «" + pattern + "» в строке 3 файла " + file.toStdString()
            + " может проверяться экспоненциально долго: повторяемая группа в нём разбирает одно значение несколькими "
              "способами, а после неё значение должно совпасть ещё с чем-то";
    };
    const QString alternatives = withPattern("alternatives.xsd", "(a|aa)*c");
    const QString nestedRepetition = withPattern("nested-repetition.xsd", "x(;.+=.+)*y");
    const QString emptyRounds = withPattern("empty-rounds.xsd", "(a?){30}b");
    // A file of /proc says it is empty, and has no end.
    const QString importsEndless =
        schema("imports-endless.xsd", {}, "<xs:include schemaLocation=\"/proc/self/pagemap\"/>");
    const std::tuple<QString, int, int, std::string> cases[] = {
        {Missing, 0, 0, "Не могу открыть файл " + Missing.toStdString()},
        {Folder, 0, 0, CannotOpenFolder},
        {fifo, 0, 0, notRegular(fifo)},
        {importsFifo, 0, 0, notRegular(fifo)},
        {"/dev/null", 0, 0, notRegular("/dev/null")},
        {large, 0, 0, "Схема " + large.toStdString() + " больше 16777216 байт"},
        {importsEndless, 0, 0, "Схема /proc/self/pagemap больше 16777216 байт"},
        {alternatives, 3, 0, backtracks("(a|aa)*c", alternatives)},
        {nestedRepetition, 3, 0, backtracks("x(;.+=.+)*y", nestedRepetition)},
        {emptyRounds, 3, 0, backtracks("(a?){30}b", emptyRounds)},
        {TestData + "xsd/truncated.xsd", 7, 44, "unexpected end of input"},
        {ExchangeDir + "broken/unresolved-reference.xsd", 16, 35, "type 'http://www.opengis.net/gml:Pont' not found"},
        {ExchangeDir + "broken/missing-import.xsd", 0, 0,
            "Не могу открыть файл " + ExchangeDir.toStdString() + "broken/no-such-folder/gml.xsd"},
        {ExchangeDir + "broken/ambiguous-content.xsd", 0, 0,
            "complex type 'WellType' violates the unique particle attribution rule in its components 'depth' and "
            "'depth'"},
        {HostileDir + "validator-schema-with-doctype.xsd", 4, 1,
            doctypeIn(HostileDir + "validator-schema-with-doctype.xsd")},
        {HostileDir + "validator-schema-importing-doctype.xsd", 2, 1,
            doctypeIn(HostileDir + "validator-gml-with-doctype.xsd")},
        {xml11Doctype, 2, 1, doctypeIn(xml11Doctype)},
        {utf16Doctype, 1, 1, doctypeIn(utf16Doctype)},
        {unreadable, 2, 1,
            "Начало файла " + unreadable.toStdString()
                + " не читается как XML: нельзя проверить, что в нём нет объявления DOCTYPE"},
        {nested, 2, 0, tooLarge(2, nested)},
        {nested11, 3, 0, tooLarge(3, nested11)},
        {grouped, 3, 0, tooLarge(3, grouped)},
    };
    const std::string noSchema = "Не загружен файл XSD";
    for (const auto &[path, line, column, text] : cases) {
        SCOPED_TRACE(path.toStdString());
        Log log;
        XsdXmlChecker checker;
        EXPECT_EQ(logicErrorOf([&] { checker.checkXmlFile(Valid); }), noSchema);
        EXPECT_EQ(logicErrorOf([&, schema = path] { checker.loadGrammar(schema, into(log)); }),
            "Не могу загрузить схему из файла " + path.toStdString() + "\n"
                + (line == 0 ? "" : "Строка " + std::to_string(line) + ", столбец " + std::to_string(column) + ": ")
                + text);
        EXPECT_EQ(logicErrorOf([&] { checker.checkXmlFile(Valid); }), noSchema);
        checker.loadGrammar(ExchangeSchema, into(log));
        for (const QString &again : {ExchangeSchema, path})
            EXPECT_EQ(logicErrorOf([&] { checker.loadGrammar(again, {}); }), "Схема уже загружена");
        EXPECT_EQ(checker.checkXmlFile(WrongOrder), 2);
        EXPECT_EQ(log, WrongOrderLog);
    }
    EXPECT_EQ(first.checkXmlFile(WrongOrder), 2);
    EXPECT_EQ(firstLog, WrongOrderLog);
    EXPECT_STREQ(LocalText(u"still here").data(), "still here"); // the host's Xerces-C still works

    // Bounds whose product stays at the limit load; an import that names no location loads nothing; patterns whose
    // repeated groups read a value one way only, or that end with them, load.
    XsdXmlChecker atLimit;
    QByteArray patterns;
    for (const char *pattern : {"(application|text)/.+(;\\s*.+=.+)*", "([a-z]+\\.)*x", "(\\d{3}|X)*y", "(a|aa)*"})
        patterns += "<xs:simpleType name=\"p" + QByteArray::number(patterns.size()) + "\"><xs:restriction base=\"xs:string\">"
            "<xs:pattern value=\"" + QByteArray(pattern) + "\"/></xs:restriction></xs:simpleType>";
    EXPECT_NO_THROW(atLimit.loadGrammar(schema("at-limit.xsd", {},
                                            "<xs:import namespace=\"http://www.w3.org/1999/xlink\"/>"
                                                + QByteArray(nestedBounds).replace("16", "15") + patterns),
        {}));
}

// GDAL reads GML with Xerces-C too, bringing the platform up and down itself. A checker that goes while GDAL reads
// leaves the platform up for it; checkers come and go on several threads at once beside a thread where GDAL reads.
// Run under ThreadSanitizer too.
TEST(XsdXmlCheckerThreads, CheckersOnSeveralThreadsBesideGdal)
{
    GDALAllRegister();
    QTemporaryDir temporary;
    const QString gml = temporary.filePath("well.gml");
    ASSERT_TRUE(QFile::copy(TestData + "gml/well.gml", gml));
    const char *const gmlDriver[] = {"GML", nullptr};
    {
        CPLSetThreadLocalConfigOption("GML_PARSER", "XERCES");
        auto checker = std::make_unique<XsdXmlChecker>();
        const GDALDatasetUniquePtr dataset(GDALDataset::Open(gml.toUtf8().constData(), GDAL_OF_VECTOR, gmlDriver));
        CPLSetThreadLocalConfigOption("GML_PARSER", nullptr);
        ASSERT_TRUE(dataset && dataset->GetLayerCount() > 0);
        OGRLayer *layer = dataset->GetLayer(0);
        const OGRFeatureUniquePtr first(layer->GetNextFeature());
        checker.reset();
        int features = 0;
        for (layer->ResetReading(); OGRFeatureUniquePtr(layer->GetNextFeature()); ++features) {}
        EXPECT_GT(features, 0);
    }
    constexpr int Rounds = 8;
    std::atomic<int> errors{0};
    const auto validate = [&] {
        for (int round = 0; round < Rounds; ++round) {
            XsdXmlChecker checker;
            checker.loadGrammar(ExchangeSchema, {});
            errors += checker.checkXmlFile(WrongOrder);
        }
    };
    std::atomic<int> features{0};
    const auto readWithGdal = [&] {
        CPLSetThreadLocalConfigOption("GML_PARSER", "XERCES");
        for (int round = 0; round < Rounds; ++round) {
            const GDALDatasetUniquePtr dataset(GDALDataset::Open(gml.toUtf8().constData(), GDAL_OF_VECTOR, gmlDriver));
            if (dataset && dataset->GetLayerCount() > 0)
                features += static_cast<int>(dataset->GetLayer(0)->GetFeatureCount());
        }
        CPLSetThreadLocalConfigOption("GML_PARSER", nullptr);
    };
    std::thread first(validate), second(validate), gdal(readWithGdal);
    first.join();
    second.join();
    gdal.join();
    EXPECT_EQ(errors, 2 * Rounds * 2);
    EXPECT_GT(features, 0);
}

// Folder and file names reach Xerces-C as UTF-16 whatever the locale: CTest runs this test under LC_ALL=C and under a
// UTF-8 locale. An empty callback does not stop the count.
TEST(XsdXmlCheckerNonAsciiPaths, AbsoluteAndRelativePaths)
{
    std::setlocale(LC_ALL, "");
    QTemporaryDir temporary;
    const QString folder = temporary.path() + "/Обмен данными № 1/";
    ASSERT_TRUE(temporary.isValid() && QDir().mkpath(folder + "gml"));
    const std::pair<QString, QString> copies[] = {
        {ExchangeSchema, "схема обмена.xsd"}, {Folder + "/gml.xsd", "gml/gml.xsd"}, {WrongOrder, "ошибки.gml"}};
    for (const auto &[from, to] : copies)
        ASSERT_TRUE(QFile::copy(from, folder + to));
    for (const QString &base : {folder, QDir::current().relativeFilePath(folder) + "/"}) {
        XsdXmlChecker checker;
        checker.loadGrammar(base + "схема обмена.xsd", {});
        EXPECT_EQ(checker.checkXmlFile(base + "ошибки.gml"), 2) << base.toStdString();
    }
}
