#ifndef DORVELLXSD_TESTS_SCHEMATESTSUPPORT_H
#define DORVELLXSD_TESTS_SCHEMATESTSUPPORT_H

#include <dorvellxsd/schema/xsdattribute.h>

#include <QList>
#include <QStringList>

// Every field of every attribute in one line, "name kind minOccurs userName" joined by "|",
// so that one comparison checks a whole table.
inline QString describe(const QList<pelmak::XsdAttribute> &attributes)
{
    QStringList parts;
    for (const pelmak::XsdAttribute &attribute : attributes)
        parts.append(QStringList{attribute.name, attribute.kind == pelmak::XsdAttribute::Plain ? "P" : "G",
                                 QString::number(attribute.minOccurs), attribute.userName}
                         .join(' ')
                         .trimmed());
    return parts.join('|');
}

#endif
