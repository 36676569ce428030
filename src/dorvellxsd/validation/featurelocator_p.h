/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_FEATURELOCATOR_P_H
#define DORVELLXSD_FEATURELOCATOR_P_H

#include "parsererrorhandler_p.h"

#include <dorvellxsd/validation/xsddiagnostic.h>

#include <xercesc/sax2/Attributes.hpp>

#include <deque>
#include <functional>
#include <vector>

namespace pelmak {

/*
 * Names the feature each diagnostic of a checked document lies in, from the elements the parser
 * reports in the same pass. Members are GML's featureMember, featureMembers (one feature after
 * another) and member, in either GML namespace, and WFS 2.0's wfs:member, which may hold a
 * wfs:FeatureCollection of its own members; each element a member holds is a feature, named by
 * its gml:id (GML 3.1.1 or 3.2, whatever the prefix) or GML 2 fid.
 *
 * The parser raises a diagnostic before it reports the element or text it concerns, so each one
 * waits for the next event to be placed: inside a feature it belongs to that feature; inside a
 * member but outside its features it belongs to the member's next feature, or to its last one
 * when none follows; outside every member to none.
 */
class FeatureLocator
{
public:
    // Takes each diagnostic once it is placed, and whether it is an error; may throw to end the check.
    using Delivery = std::function<void(const XsdDiagnostic &, bool error)>;

    // Starts a document: nothing of the one before is left.
    void start(Delivery delivery);
    void report(const Diagnostic &diagnostic);

    void startElement(const XMLCh *uri, const XMLCh *localName, const xercesc::Attributes &attributes);
    void endElement();
    // Any other event of the document: text, a comment, a processing instruction.
    void passed();
    // The parse is over, however it ended: every diagnostic still waiting is placed.
    void finish();

private:
    enum class Role : unsigned char { Other, Member, Collection };

    void place(const QString &feature);
    void placeOutsideFeatures();

    Delivery deliver;
    std::deque<Diagnostic> waiting;
    std::vector<Role> open; // per open element outside the features
    int members = 0;        // members among them
    int featureDepth = 0;   // elements open from the current feature down; 0 outside features
    QString feature;        // the name of the current feature
    QString lastFeature;    // of the features that ended inside the open members, the last
};

} // namespace pelmak

#endif
