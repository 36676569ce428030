// The least work an importer cannot avoid: one streaming SAX2 pass over the document, each
// feature's plain values collected and its geometry written back out as GML text on the way,
// then GDAL's GML geometry reader and CreateFeature into the layer of the same name, all in one
// transaction. Prints the number of features stored.
//
//   import_floor DOC TARGET

#include <cpl_conv.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <xercesc/sax2/Attributes.hpp>
#include <xercesc/sax2/DefaultHandler.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLString.hpp>
#include <xercesc/util/XMLUni.hpp>

#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

using xercesc::Attributes;
using xercesc::XMLString;

const XMLCh GmlNamespace[] = u"http://www.opengis.net/gml";
const XMLCh FeatureMember[] = u"featureMember";
const XMLCh SrsName[] = u"srsName";

// Xerces hands out UTF-16; GDAL takes UTF-8.
void appendUtf8(std::string &out, const XMLCh *text, XMLSize_t length)
{
    for (XMLSize_t i = 0; i < length; ++i) {
        char32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < length) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
}

std::string utf8(const XMLCh *text)
{
    std::string out;
    appendUtf8(out, text, XMLString::stringLen(text));
    return out;
}

void appendEscaped(std::string &out, const XMLCh *text, XMLSize_t length)
{
    std::string plain;
    appendUtf8(plain, text, length);
    for (char c : plain) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
}

struct PendingFeature
{
    std::string layer;
    std::vector<std::pair<std::string, std::string>> fields;
    std::string geometryGml;
    std::string srsName;
};

// GDAL's GML reader keeps the axes as written; a layer wants them east first. Documents mostly
// name one CRS, so each name is looked up once.
class AxisOrder
{
public:
    bool northFirst(const std::string &srsName)
    {
        auto known = m_northFirst.find(srsName);
        if (known == m_northFirst.end())
            known = m_northFirst.emplace(srsName, lookUp(srsName)).first;
        return known->second;
    }

private:
    static bool lookUp(const std::string &srsName)
    {
        OGRSpatialReference srs;
        return !srsName.empty() && srs.SetFromUserInput(srsName.c_str()) == OGRERR_NONE
            && (srs.EPSGTreatsAsLatLong() || srs.EPSGTreatsAsNorthingEasting());
    }

    std::map<std::string, bool> m_northFirst;
};

// Stores each complete feature in the target, in document order.
class FeatureStore
{
public:
    explicit FeatureStore(GDALDataset &target) : m_target(target) {}

    void store(const PendingFeature &pending)
    {
        OGRLayer &layer = layerNamed(pending.layer);
        OGRFeatureUniquePtr feature(OGRFeature::CreateFeature(layer.GetLayerDefn()));
        for (const auto &[name, value] : pending.fields)
            feature->SetField(name.c_str(), value.c_str());
        if (!pending.geometryGml.empty())
            feature->SetGeometryDirectly(geometryOf(pending).release());
        if (layer.CreateFeature(feature.get()) != OGRERR_NONE)
            throw std::runtime_error("CreateFeature failed: " + std::string(CPLGetLastErrorMsg()));
        ++m_count;
    }

    long count() const { return m_count; }

private:
    OGRGeometryUniquePtr geometryOf(const PendingFeature &pending)
    {
        OGRGeometryUniquePtr geometry(OGRGeometryFactory::createFromGML(pending.geometryGml.c_str()));
        if (!geometry)
            throw std::runtime_error("unreadable geometry: " + std::string(CPLGetLastErrorMsg()));
        if (m_axisOrder.northFirst(pending.srsName))
            geometry->swapXY();
        return geometry;
    }

    OGRLayer &layerNamed(const std::string &name)
    {
        auto found = m_layers.find(name);
        if (found != m_layers.end())
            return *found->second;
        OGRLayer *layer = m_target.GetLayerByName(name.c_str());
        if (!layer)
            throw std::runtime_error("no layer " + name + " in the target");
        return *m_layers.emplace(name, layer).first->second;
    }

    GDALDataset &m_target;
    AxisOrder m_axisOrder;
    std::map<std::string, OGRLayer *> m_layers;
    long m_count = 0;
};

// Element depths, counted from the root at 1: featureMember 2, the feature 3, its children 4.
class FeatureReader : public xercesc::DefaultHandler
{
public:
    explicit FeatureReader(FeatureStore &store) : m_store(store) {}

    void startElement(const XMLCh *uri, const XMLCh *localname, const XMLCh *qname,
                      const Attributes &attributes) override
    {
        ++m_depth;
        if (m_depth == 3 && m_inFeatureMember) {
            m_feature = PendingFeature{utf8(localname), {}, {}, {}};
        } else if (m_depth == 4 && m_inFeatureMember) {
            m_inGeometry = XMLString::equals(uri, GmlNamespace);
            if (m_inGeometry)
                m_feature.srsName = srsNameOf(attributes);
            else
                m_feature.fields.emplace_back(utf8(localname), std::string());
        } else if (m_depth == 2) {
            m_inFeatureMember = XMLString::equals(uri, GmlNamespace) && XMLString::equals(localname, FeatureMember);
        }
        if (m_inGeometry)
            openTag(qname, attributes);
    }

    void endElement(const XMLCh *, const XMLCh *, const XMLCh *qname) override
    {
        if (m_inGeometry)
            closeTag(qname);
        if (m_depth == 4)
            m_inGeometry = false;
        else if (m_depth == 3 && m_inFeatureMember)
            m_store.store(m_feature);
        --m_depth;
    }

    void characters(const XMLCh *chars, const XMLSize_t length) override
    {
        if (m_inGeometry)
            appendEscaped(m_feature.geometryGml, chars, length);
        else if (m_depth == 4 && m_inFeatureMember && !m_feature.fields.empty())
            appendUtf8(m_feature.fields.back().second, chars, length);
    }

    void fatalError(const xercesc::SAXParseException &exception) override
    {
        throw std::runtime_error("line " + std::to_string(exception.getLineNumber()) + ": "
                                 + utf8(exception.getMessage()));
    }

private:
    static std::string srsNameOf(const Attributes &attributes)
    {
        const XMLCh *value = attributes.getValue(SrsName);
        return value ? utf8(value) : std::string();
    }

    void openTag(const XMLCh *qname, const Attributes &attributes)
    {
        std::string &gml = m_feature.geometryGml;
        gml += '<';
        appendUtf8(gml, qname, XMLString::stringLen(qname));
        for (XMLSize_t i = 0; i < attributes.getLength(); ++i) {
            gml += ' ';
            appendUtf8(gml, attributes.getQName(i), XMLString::stringLen(attributes.getQName(i)));
            gml += "=\"";
            appendEscaped(gml, attributes.getValue(i), XMLString::stringLen(attributes.getValue(i)));
            gml += '"';
        }
        gml += '>';
    }

    void closeTag(const XMLCh *qname)
    {
        std::string &gml = m_feature.geometryGml;
        gml += "</";
        appendUtf8(gml, qname, XMLString::stringLen(qname));
        gml += '>';
    }

    FeatureStore &m_store;
    PendingFeature m_feature;
    int m_depth = 0;
    bool m_inFeatureMember = false;
    bool m_inGeometry = false;
};

class XercesSession
{
public:
    XercesSession() { xercesc::XMLPlatformUtils::Initialize(); }
    ~XercesSession() { xercesc::XMLPlatformUtils::Terminate(); }
    XercesSession(const XercesSession &) = delete;
    XercesSession &operator=(const XercesSession &) = delete;
};

std::unique_ptr<xercesc::SAX2XMLReader> createPlainReader()
{
    using xercesc::XMLUni;
    std::unique_ptr<xercesc::SAX2XMLReader> reader(xercesc::XMLReaderFactory::createXMLReader());
    reader->setFeature(XMLUni::fgSAX2CoreNameSpaces, true);
    reader->setFeature(XMLUni::fgSAX2CoreValidation, false);
    reader->setFeature(XMLUni::fgXercesSchema, false);
    reader->setFeature(XMLUni::fgXercesLoadSchema, false);
    reader->setFeature(XMLUni::fgXercesLoadExternalDTD, false);
    return reader;
}

long importDocument(const char *document, GDALDataset &target)
{
    XercesSession session;
    FeatureStore store(target);
    FeatureReader handler(store);
    std::unique_ptr<xercesc::SAX2XMLReader> reader = createPlainReader();
    reader->setContentHandler(&handler);
    reader->setErrorHandler(&handler);
    reader->parse(document);
    return store.count();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: import_floor DOC TARGET\n");
        return 2;
    }
    GDALAllRegister();
    GDALDatasetUniquePtr target(GDALDataset::Open(argv[2], GDAL_OF_VECTOR | GDAL_OF_UPDATE));
    if (!target) {
        std::fprintf(stderr, "import_floor: cannot open %s: %s\n", argv[2], CPLGetLastErrorMsg());
        return 1;
    }
    try {
        if (target->StartTransaction() != OGRERR_NONE)
            throw std::runtime_error("StartTransaction failed");
        const long count = importDocument(argv[1], *target);
        if (target->CommitTransaction() != OGRERR_NONE)
            throw std::runtime_error("CommitTransaction failed");
        std::printf("%ld features\n", count);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "import_floor: %s\n", error.what());
        return 1;
    }
    return 0;
}
