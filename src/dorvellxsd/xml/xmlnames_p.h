/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_XMLNAMES_P_H
#define DORVELLXSD_XMLNAMES_P_H

#include <QSet>
#include <QString>
#include <QVector>

namespace pelmak {

/*
 * Whether an element named @p name comes back from the library's readers under that very name.
 * Their parser knows the name characters of XML 1.0 before the fifth edition, and a colon only
 * between a prefix and a local part: a narrower set than the fifth edition's, so a writer that
 * checks its names here writes nothing that this library or another parser could not read.
 */
bool isReadableXmlName(const QString &name);

/*
 * The characters of @p text in a string of their own size. QStringRef::toString() hands out the
 * parser's text buffer itself when the token fills it: a value kept from it would hold the
 * buffer's whole capacity, and the parser would allocate a new buffer at its next token.
 */
QString exactCopy(const QStringRef &text);

/*
 * What the readers learn about names as they go. A document uses a few names many times: each
 * element name is made once and then shared by every element that bears it, which spares an
 * allocation per element, and each attribute name or processing instruction target is checked
 * once.
 */
class XmlNameCache
{
public:
    QString elementName(const QStringRef &name);
    bool isReadableName(const QString &name); ///< of an attribute or a processing instruction
    // The indentation of a document takes few forms too.
    QString whitespace(const QStringRef &text);

private:
    // A linear search stays cheaper than the allocation it spares.
    static constexpr int MaxElementNames = 64;
    static constexpr int MaxBlanks = 16;
    QVector<QString> elementNames;
    QVector<QString> blanks;
    QSet<QString> readableNames;
};

} // namespace pelmak

#endif
