#include "gmltestsupport.h"

#include <QFile>

#include <xercesc/dom/DOM.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/ErrorHandler.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/util/PlatformUtils.hpp>

using namespace pelmak;
using namespace xercesc;

namespace gmltest {

QString testFile(const char *name)
{
    return QStringLiteral(DORVELLXSD_TEST_DATA_DIR "/") + QString::fromUtf8(name);
}

QByteArray fileContent(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("(cannot open ") + path.toUtf8() + ')';
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        throw std::runtime_error("cannot write the test file " + path.toStdString());
}

XsdAttribute plain(const char *name, int minOccurs)
{
    XsdAttribute attribute;
    attribute.kind = XsdAttribute::Plain;
    attribute.name = QString::fromUtf8(name);
    attribute.minOccurs = minOccurs;
    return attribute;
}

XsdAttribute geometry()
{
    XsdAttribute attribute;
    attribute.kind = XsdAttribute::Geometry;
    attribute.name = QStringLiteral("Geometry");
    return attribute;
}

XsdElement table(const QString &name, const QList<XsdAttribute> &attributes)
{
    XsdElement element;
    element.name = name;
    element.type = name + QStringLiteral("Type");
    element.complexType.name = element.type;
    element.complexType.attributes = attributes;
    return element;
}

XsdFeatureData feature(int id, const QStringList &values)
{
    XsdFeatureData data;
    data.id = id;
    data.values = values;
    return data;
}

namespace {

std::string utf8(const XMLCh *text)
{
    if (!text)
        return {};
    return QString::fromUtf16(text).toStdString();
}

class FirstError : public ErrorHandler
{
public:
    void warning(const SAXParseException &) override {}
    void error(const SAXParseException &e) override { record(e); }
    void fatalError(const SAXParseException &e) override { record(e); }
    void resetErrors() override {}
    std::string message;

private:
    void record(const SAXParseException &e)
    {
        if (message.empty())
            message = std::to_string(e.getLineNumber()) + ':' + std::to_string(e.getColumnNumber()) + ' '
                + utf8(e.getMessage());
    }
};

struct XercesPlatform
{
    XercesPlatform() { XMLPlatformUtils::Initialize(); }
    ~XercesPlatform() { XMLPlatformUtils::Terminate(); }
};

std::vector<const DOMElement *> childElements(const DOMNode *parent)
{
    std::vector<const DOMElement *> children;
    for (const DOMNode *child = parent->getFirstChild(); child; child = child->getNextSibling()) {
        if (child->getNodeType() == DOMNode::ELEMENT_NODE)
            children.push_back(static_cast<const DOMElement *>(child));
    }
    return children;
}

CheckedFeature checkedFeature(const DOMElement *member)
{
    CheckedFeature feature;
    feature.memberName = utf8(member->getTagName());
    const std::vector<const DOMElement *> children = childElements(member);
    if (children.empty())
        return feature;
    const DOMElement *element = children.front();
    feature.name = utf8(element->getTagName());
    const XMLCh gmlId[] = {u'g', u'm', u'l', u':', u'i', u'd', 0};
    feature.gmlId = utf8(element->getAttribute(gmlId));
    for (const DOMElement *child : childElements(element)) {
        feature.childNames.push_back(utf8(child->getTagName()));
        feature.childTexts.push_back(utf8(child->getTextContent()));
    }
    return feature;
}

} // namespace

CheckedDocument checkWithXerces(const QString &path)
{
    static XercesPlatform platform;
    CheckedDocument result;
    XercesDOMParser parser;
    parser.setDoNamespaces(true);
    parser.setValidationScheme(XercesDOMParser::Val_Never);
    parser.setLoadExternalDTD(false);
    FirstError errors;
    parser.setErrorHandler(&errors);
    parser.parse(path.toLocal8Bit().constData());
    result.error = errors.message;
    const DOMDocument *document = parser.getDocument();
    if (!result.error.empty() || !document || !document->getDocumentElement()) {
        if (result.error.empty())
            result.error = "no root element";
        return result;
    }
    result.version = utf8(document->getXmlVersion());
    result.encoding = utf8(document->getXmlEncoding());
    const DOMElement *root = document->getDocumentElement();
    result.rootName = utf8(root->getTagName());
    const DOMNamedNodeMap *attributes = root->getAttributes();
    for (XMLSize_t i = 0; i < attributes->getLength(); ++i)
        result.rootAttributes[utf8(attributes->item(i)->getNodeName())] = utf8(attributes->item(i)->getNodeValue());
    for (const DOMElement *member : childElements(root))
        result.features.push_back(checkedFeature(member));
    return result;
}

} // namespace gmltest
