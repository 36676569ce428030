#include "documentcheck.h"

#include "command.h"
#include "console.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <xercesc/sax/Locator.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/sax2/Attributes.hpp>
#include <xercesc/sax2/DefaultHandler.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLString.hpp>
#include <xercesc/util/XMLUni.hpp>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <utility>

namespace xsdexchange {
namespace {

struct Position
{
    XMLFileLoc line;
    XMLFileLoc column;
    bool operator<(const Position &other) const
    {
        return line != other.line ? line < other.line : column < other.column;
    }
};

struct MemberSpan
{
    Position begin; // where the member's start tag begins (the end of what came before it)
    Position end;   // just after the member's end tag
    QString featureId;
};

// Ends the locating pass early: at a fault, or at a document type (nothing of which is read).
struct StopLocating
{
};

class XercesPlatform
{
public:
    XercesPlatform() { xercesc::XMLPlatformUtils::Initialize(); }
    ~XercesPlatform() { xercesc::XMLPlatformUtils::Terminate(); }
    XercesPlatform(const XercesPlatform &) = delete;
    XercesPlatform &operator=(const XercesPlatform &) = delete;
};

/**
 * Where each feature member of a document lies, found by one streaming pass over the text with
 * the parser that reported the diagnostics, so that both place a position alike. The parser
 * checks the attributes of an element and resolves their prefixes in linear time, whatever
 * their number. A document that stops being well-formed keeps the members found before the
 * fault.
 */
class FeatureLocator : public xercesc::DefaultHandler
{
public:
    explicit FeatureLocator(const QString &path)
    {
        const std::unique_ptr<xercesc::SAX2XMLReader> reader(xercesc::XMLReaderFactory::createXMLReader());
        reader->setFeature(xercesc::XMLUni::fgSAX2CoreValidation, false);
        reader->setFeature(xercesc::XMLUni::fgXercesLoadExternalDTD, false);
        reader->setFeature(xercesc::XMLUni::fgXercesDisableDefaultEntityResolution, true);
        reader->setContentHandler(this);
        reader->setLexicalHandler(this);
        reader->setErrorHandler(this);
        try {
            reader->parse(reinterpret_cast<const XMLCh *>(path.utf16()));
        } catch (const StopLocating &) {
        } catch (const xercesc::XMLException &) {
        } catch (const xercesc::SAXException &) {
        }
    }

    QString featureAt(int line, int column) const
    {
        const Position position{static_cast<XMLFileLoc>(line), static_cast<XMLFileLoc>(column)};
        // The last member that begins at or before the position.
        auto it = std::upper_bound(members.cbegin(), members.cend(), position,
                                   [](const Position &p, const MemberSpan &m) { return p < m.begin; });
        if (it == members.cbegin())
            return {};
        --it;
        return it->end < position ? QString() : it->featureId;
    }

    void setDocumentLocator(const xercesc::Locator *const documentLocator) override { locator = documentLocator; }
    void startElement(const XMLCh *const, const XMLCh *const localName, const XMLCh *const,
        const xercesc::Attributes &attributes) override
    {
        ++depth;
        if (depth == 2 && isFeatureMember(localName)) {
            member = MemberSpan{previousEnd, {}, QString()};
            wantFeatureId = true;
        } else if (depth == 3 && wantFeatureId) {
            const XMLCh *id = attributes.getValue(GmlNamespace, u"id");
            member.featureId = id ? QString::fromUtf16(id) : QString();
            wantFeatureId = false;
        }
        passed();
    }
    void endElement(const XMLCh *const, const XMLCh *const localName, const XMLCh *const) override
    {
        if (depth == 2 && isFeatureMember(localName)) {
            passed();
            member.end = previousEnd;
            members.append(member);
            wantFeatureId = false;
        }
        --depth;
        passed();
    }
    void characters(const XMLCh *const, const XMLSize_t) override { passed(); }
    void ignorableWhitespace(const XMLCh *const, const XMLSize_t) override { passed(); }
    void processingInstruction(const XMLCh *const, const XMLCh *const) override { passed(); }
    void comment(const XMLCh *const, const XMLSize_t) override { passed(); }
    void startDTD(const XMLCh *const, const XMLCh *const, const XMLCh *const) override { throw StopLocating(); }
    void fatalError(const xercesc::SAXParseException &) override { throw StopLocating(); }

private:
    static bool isFeatureMember(const XMLCh *localName)
    {
        return xercesc::XMLString::equals(localName, u"featureMember");
    }
    void passed() { previousEnd = Position{locator->getLineNumber(), locator->getColumnNumber()}; }

    static constexpr const XMLCh *GmlNamespace = u"http://www.opengis.net/gml";
    const XercesPlatform platform;
    const xercesc::Locator *locator = nullptr;
    Position previousEnd{1, 1};
    MemberSpan member;
    int depth = 0;
    bool wantFeatureId = false;
    QList<MemberSpan> members;
};

// Said once more after a schema load that failed while the network was off.
const char OfflineHint[] =
    "remote schemas are not fetched without --allow-network: map their addresses to local "
    "files with --catalog FILE or XML_CATALOG_FILES";

} // namespace

DocumentChecker::DocumentChecker(const QString &schemaPath, const pelmak::XsdSchemaAccess &access)
{
    checker.setNetworkAccess(access.networkAccess);
    checker.setCatalogFiles(access.catalogFiles);
    try {
        checker.loadGrammar(schemaPath, [this](int line, int column, const std::string &text) {
            diagnostics.append(Diagnostic{
                line, column, QString::fromLocal8Bit(text.data(), static_cast<int>(text.size())), QString()});
        });
    } catch (const std::logic_error &error) {
        if (access.networkAccess || !QString::fromUtf8(error.what()).contains(QLatin1String("://")))
            throw;
        throw std::logic_error(std::string(error.what()) + '\n' + OfflineHint);
    }
}

DocumentReport DocumentChecker::check(const QString &documentPath)
{
    const QFileInfo file(documentPath);
    if (!file.isFile() || !file.isReadable())
        throw StepFailure("cannot read " + documentPath.toStdString());

    diagnostics.clear();
    DocumentReport report;
    report.document = documentPath;
    report.errorCount = checker.checkXmlFile(documentPath);
    report.diagnostics = std::exchange(diagnostics, {});
    if (!report.diagnostics.isEmpty()) {
        const FeatureLocator locator(documentPath);
        for (Diagnostic &diagnostic : report.diagnostics)
            diagnostic.feature = locator.featureAt(diagnostic.line, diagnostic.column);
    }
    return report;
}

void printText(const DocumentReport &report, const QString &indent)
{
    for (const Diagnostic &diagnostic : report.diagnostics) {
        out() << indent << report.document << ':' << diagnostic.line << ':' << diagnostic.column << ": " << diagnostic.message;
        if (!diagnostic.feature.isEmpty())
            out() << " [" << diagnostic.feature << ']';
        out() << '\n';
    }
    out() << indent;
    if (report.errorCount == 0)
        out() << report.document << ": valid\n";
    else
        out() << report.document << ": " << report.errorCount << (report.errorCount == 1 ? " error\n" : " errors\n");
    out() << Qt::flush;
}

void printJson(const DocumentReport &report)
{
    QJsonArray diagnostics;
    for (const Diagnostic &diagnostic : report.diagnostics) {
        diagnostics.append(QJsonObject{
            {QStringLiteral("document"), report.document},
            {QStringLiteral("line"), diagnostic.line},
            {QStringLiteral("column"), diagnostic.column},
            {QStringLiteral("message"), diagnostic.message},
            {QStringLiteral("feature"), diagnostic.feature.isEmpty() ? QJsonValue() : QJsonValue(diagnostic.feature)},
        });
    }
    out() << QString::fromUtf8(QJsonDocument(diagnostics).toJson(QJsonDocument::Compact)) << Qt::endl;
}

} // namespace xsdexchange
