/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_GMLNAMES_P_H
#define DORVELLXSD_GMLNAMES_P_H

#include "latin1_p.h"

#include <QString>

/*
 * The local names of GML that the document readers and the validator look for, whatever their
 * prefix, and the identifier the writers give each feature and its geometry.
 */
namespace pelmak {

// The members of a collection: GML's featureMember, featureMembers (one feature after another)
// and member, which WFS 2.0 has too.
inline constexpr QLatin1String FeatureMemberLocalName = latin1("featureMember");
inline constexpr QLatin1String FeatureMembersLocalName = latin1("featureMembers");
inline constexpr QLatin1String MemberLocalName = latin1("member");
inline constexpr QLatin1String FeatureCollectionLocalName = latin1("FeatureCollection");
// What WFS 2.0 gives beside the features asked for, in a collection of their own.
inline constexpr QLatin1String AdditionalObjectsLocalName = latin1("additionalObjects");
// gml:id, in GML 3.1.1 and 3.2; GML 2 identifies a feature by fid, an attribute of no namespace.
inline constexpr QLatin1String IdLocalName = latin1("id");
inline constexpr QLatin1String FidAttribute = latin1("fid");

// The identifier of a feature: table name, full stop, id. Made for every row a reading keys.
inline QString identifier(const QString &table, const QString &id)
{
    return table + QLatin1Char('.') + id;
}

} // namespace pelmak

#endif
