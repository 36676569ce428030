#include "featurelocator_p.h"

#include "xerces_p.h"

#include <xercesc/util/XMLString.hpp>

#include <utility>

namespace pelmak {
namespace {

using xercesc::XMLString;

constexpr const XMLCh *Gml311Namespace = u"http://www.opengis.net/gml";
constexpr const XMLCh *Gml32Namespace = u"http://www.opengis.net/gml/3.2";
constexpr const XMLCh *Wfs20Namespace = u"http://www.opengis.net/wfs/2.0";

bool isGmlNamespace(const XMLCh *uri)
{
    return XMLString::equals(uri, Gml311Namespace) || XMLString::equals(uri, Gml32Namespace);
}

bool isMember(const XMLCh *uri, const XMLCh *localName)
{
    if (XMLString::equals(uri, Wfs20Namespace))
        return XMLString::equals(localName, u"member");
    return isGmlNamespace(uri)
        && (XMLString::equals(localName, u"featureMember") || XMLString::equals(localName, u"featureMembers")
            || XMLString::equals(localName, u"member"));
}

bool isInnerCollection(const XMLCh *uri, const XMLCh *localName)
{
    return XMLString::equals(uri, Wfs20Namespace) && XMLString::equals(localName, u"FeatureCollection");
}

QString featureName(const xercesc::Attributes &attributes)
{
    for (const XMLCh *uri : {Gml311Namespace, Gml32Namespace}) {
        if (const XMLCh *id = attributes.getValue(uri, u"id"))
            return fromXmlCh(id);
    }
    return fromXmlCh(attributes.getValue(u"", u"fid"));
}

} // namespace

void FeatureLocator::start(Delivery delivery)
{
    deliver = std::move(delivery);
    waiting.clear();
    open.clear();
    members = 0;
    featureDepth = 0;
    feature.clear();
    lastFeature.clear();
}

void FeatureLocator::report(const Diagnostic &diagnostic)
{
    waiting.push_back(diagnostic);
}

void FeatureLocator::startElement(const XMLCh *uri, const XMLCh *localName, const xercesc::Attributes &attributes)
{
    if (featureDepth > 0) {
        ++featureDepth;
        place(feature);
        return;
    }
    const Role parent = open.empty() ? Role::Other : open.back();
    if (parent == Role::Member && !isInnerCollection(uri, localName)) {
        featureDepth = 1;
        feature = featureName(attributes);
        place(feature);
        return;
    }
    const Role role = parent == Role::Member ? Role::Collection : isMember(uri, localName) ? Role::Member : Role::Other;
    open.push_back(role);
    if (role == Role::Member)
        ++members;
    placeOutsideFeatures();
}

void FeatureLocator::endElement()
{
    if (featureDepth > 0) {
        place(feature); // what the end tag closes is still the feature's
        if (--featureDepth == 0)
            lastFeature = std::exchange(feature, QString());
        return;
    }
    if (open.empty())
        return;
    const Role role = open.back();
    open.pop_back();
    if (role == Role::Member && --members == 0) {
        place(lastFeature);
        lastFeature.clear();
        return;
    }
    placeOutsideFeatures();
}

void FeatureLocator::passed()
{
    if (featureDepth > 0)
        place(feature);
    else
        placeOutsideFeatures();
}

void FeatureLocator::finish()
{
    place(featureDepth > 0 ? feature : members > 0 ? lastFeature : QString());
}

void FeatureLocator::placeOutsideFeatures()
{
    if (members == 0)
        place(QString());
}

void FeatureLocator::place(const QString &name)
{
    while (!waiting.empty()) {
        const Diagnostic diagnostic = std::move(waiting.front());
        waiting.pop_front();
        if (deliver)
            deliver(XsdDiagnostic{toInt(diagnostic.line), toInt(diagnostic.column), diagnostic.text, name},
                diagnostic.severity != Severity::Warning);
    }
}

} // namespace pelmak
