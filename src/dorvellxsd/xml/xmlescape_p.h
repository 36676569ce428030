/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_XMLESCAPE_P_H
#define DORVELLXSD_XMLESCAPE_P_H

#include <QString>

/*
 * Text as Qt's serialiser writes it, which the library's writers of trees, of tokens and of
 * fragments write alike: escaped where it stands, indented by depth.
 */
namespace pelmak {

// Where a text is written decides which characters Qt escapes in it.
enum class TextPlace {
    AttributeValue, ///< quotes, and tabs and line breaks (which parsers would normalise away)
    ElementContent, ///< carriage returns (which parsers would turn into line feeds)
    Elsewhere,      ///< quotes and carriage returns
};

void appendEscapedText(QString &out, const QString &text, TextPlace place);
// Appends @p text escaped as saveXmlNode escapes the content of an element.
void appendXmlContent(QString &out, const QString &text);
// " name=\"value\"", the value escaped.
void appendAttribute(QString &out, const QString &name, const QString &value);
// Nothing for an @p indent of 0 or -1 (the layout without line breaks).
inline void appendIndentation(QString &out, int depth, int indent)
{
    if (indent > 0)
        out.resize(out.size() + depth * indent, QLatin1Char(' '));
}

} // namespace pelmak

#endif
