#ifndef DORVELLXSD_TESTS_GMLTESTSUPPORT_H
#define DORVELLXSD_TESTS_GMLTESTSUPPORT_H

#include "../logicerror.h"

#include <dorvellxsd/data/xsdtabledata.h>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace gmltest {

QString testFile(const char *name);
QByteArray fileContent(const QString &path);
void writeFile(const QString &path, const QByteArray &content);

pelmak::XsdAttribute plain(const char *name, int minOccurs = 1);
pelmak::XsdAttribute geometry();
pelmak::XsdElement table(const QString &name, const QList<pelmak::XsdAttribute> &attributes);
pelmak::XsdFeatureData feature(int id, const QStringList &values);

// A saved document as an independent, namespace-aware parser (Xerces-C) sees it.
struct CheckedFeature
{
    std::string memberName;  // the root's child
    std::string name;        // its first child element
    std::string gmlId;
    std::vector<std::string> childNames;
    std::vector<std::string> childTexts;
};

struct CheckedDocument
{
    std::string error; // empty when the document is well-formed
    std::string version;
    std::string encoding;
    std::string rootName;
    std::map<std::string, std::string> rootAttributes;
    std::vector<CheckedFeature> features;
};

CheckedDocument checkWithXerces(const QString &path);

} // namespace gmltest

#endif
