#ifndef DORVELLXSD_TESTS_SCHEMATESTSUPPORT_H
#define DORVELLXSD_TESTS_SCHEMATESTSUPPORT_H

#include <dorvellxsd/schema/xsdattribute.h>

#include <QList>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

inline QString kindCode(pelmak::XsdAttribute::Kind kind)
{
    switch (kind) {
    case pelmak::XsdAttribute::Plain:
        return "P";
    case pelmak::XsdAttribute::Geometry:
        return "G";
    case pelmak::XsdAttribute::GeometryProperty:
        return "GP";
    }
    return QString::number(kind);
}

// Every field of every attribute in one line, "name kind minOccurs userName" joined by "|",
// so that one comparison checks a whole table. Kinds: P plain, G geometry, GP geometry property.
inline QString describe(const QList<pelmak::XsdAttribute> &attributes)
{
    QStringList parts;
    for (const pelmak::XsdAttribute &attribute : attributes)
        parts.append(QStringList{
            attribute.name, kindCode(attribute.kind), QString::number(attribute.minOccurs), attribute.userName}
                         .join(' ')
                         .trimmed());
    return parts.join('|');
}

#endif
