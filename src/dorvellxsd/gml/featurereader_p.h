/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_FEATUREREADER_P_H
#define DORVELLXSD_FEATUREREADER_P_H

#include "../data/xsdtabledata.h"

#include <QDomElement>
#include <QStringList>

/*
 * What the document readers share: which features are asked for, and how a feature element
 * becomes a feature and the description of its table.
 */
namespace pelmak::gml {

// Whether @p tableName is among @p tableNames, ignoring letter case; every table is when none is named.
bool isRequested(const QString &tableName, const QStringList &tableNames);

/*
 * Reads feature elements one after the other. The features of one table mostly come with the
 * same children, so each feature's description is compared with the one before, and an equal
 * one shares its storage: a document of many features then holds few descriptions.
 */
class FeatureMapper
{
public:
    // The id and the values of @p feature, which description() then describes.
    XsdFeatureData read(const QDomElement &feature);
    const XsdElement &description() const { return lastTable; }
    // Whether the last feature read has the description of the one before.
    bool describedAsBefore() const { return sameDescription; }

private:
    XsdElement lastTable;
    bool sameDescription = false;
};

} // namespace pelmak::gml

#endif
