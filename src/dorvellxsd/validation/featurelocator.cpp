#include "featurelocator_p.h"

#include "../xml/gmlnames_p.h"
#include "../xml/xmlnamespaces_p.h"
#include "xerces_p.h"

#include <QStringView>

#include <utility>

namespace pelmak {
namespace {

bool isMember(QStringView uri, QStringView localName)
{
    if (uri == Wfs20NamespaceUri)
        return localName == MemberLocalName;
    return isGmlNamespace(uri)
        && (localName == FeatureMemberLocalName || localName == FeatureMembersLocalName
            || localName == MemberLocalName);
}

bool isInnerCollection(QStringView uri, QStringView localName)
{
    return uri == Wfs20NamespaceUri && localName == FeatureCollectionLocalName;
}

QString featureName(const xercesc::Attributes &attributes)
{
    static const QString namespaces[] = {Gml311NamespaceUri, Gml32NamespaceUri};
    static const QString id = IdLocalName;
    static const QString fid = FidAttribute;
    for (const QString &uri : namespaces) {
        if (const XMLCh *value = attributes.getValue(toXmlCh(uri), toXmlCh(id)))
            return fromXmlCh(value);
    }
    return fromXmlCh(attributes.getValue(u"", toXmlCh(fid)));
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

void FeatureLocator::startElement(
    const XMLCh *elementUri, const XMLCh *elementName, const xercesc::Attributes &attributes)
{
    const QStringView uri(elementUri);
    const QStringView localName(elementName);
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
