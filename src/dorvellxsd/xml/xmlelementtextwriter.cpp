#include "xmlelementtextwriter_p.h"

#include "xmlescape_p.h"

#include <algorithm>

namespace pelmak {

XmlElementTextWriter::XmlElementTextWriter(int depth, int indentation, QString &text)
    : baseDepth(depth)
    , indent(indentation)
    , out(text)
{
}

// Closes the parent's start tag or the line of the sibling before; either keeps to one line
// when text follows.
void XmlElementTextWriter::beforeChild(bool isText)
{
    if (startTagOpen)
        out += QLatin1Char('>');
    if ((startTagOpen || lineEndPending) && !isText)
        out += QLatin1Char('\n');
    startTagOpen = lineEndPending = false;
    if (!open.empty())
        open.back().lastChildText = isText;
}

void XmlElementTextWriter::startElement(const QString &name, const XmlAttributes &attributes)
{
    const bool afterText = !open.empty() && open.back().lastChildText;
    beforeChild(false);
    if (!afterText)
        appendIndentation(out, currentDepth(), indent);
    out += QLatin1Char('<') + name;
    writeAttributes(attributes);
    open.push_back({name});
    startTagOpen = true;
}

// As a tree holds them: one value per name, the last one given, sorted by name.
void XmlElementTextWriter::writeAttributes(const XmlAttributes &attributes)
{
    if (attributes.size() < 2) { // the usual case, which needs no sorting
        for (const auto &attribute : attributes)
            appendAttribute(out, attribute.first, attribute.second);
        return;
    }
    sorted = attributes;
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    for (int i = 0; i < sorted.size(); ++i) {
        if (i + 1 == sorted.size() || sorted.at(i + 1).first != sorted.at(i).first)
            appendAttribute(out, sorted.at(i).first, sorted.at(i).second);
    }
}

void XmlElementTextWriter::endElement()
{
    if (open.empty())
        return;
    if (startTagOpen) {
        out += QLatin1String("/>");
    } else {
        if (lineEndPending)
            out += QLatin1Char('\n');
        if (!open.back().lastChildText)
            appendIndentation(out, currentDepth() - 1, indent);
        out += QLatin1String("</") + open.back().name + QLatin1Char('>');
    }
    open.pop_back();
    startTagOpen = false;
    lineEndPending = true;
}

void XmlElementTextWriter::text(const QString &text, TextKind kind)
{
    if (open.empty() || kind == TextKind::Blank)
        return;
    beforeChild(true);
    if (kind == TextKind::CData)
        out += QLatin1String("<![CDATA[") + text + QLatin1String("]]>");
    else
        appendEscapedText(out, text, TextPlace::ElementContent);
}

void XmlElementTextWriter::comment(const QString &text)
{
    if (open.empty())
        return;
    const bool afterText = open.back().lastChildText;
    beforeChild(false);
    if (!afterText)
        appendIndentation(out, currentDepth(), indent);
    out += QLatin1String("<!--") + text;
    if (text.endsWith(QLatin1Char('-')))
        out += QLatin1Char(' ');
    out += QLatin1String("-->");
    lineEndPending = true;
}

void XmlElementTextWriter::processingInstruction(const QString &target, const QString &data)
{
    if (open.empty())
        return;
    beforeChild(false);
    out += QLatin1String("<?") + target + QLatin1Char(' ') + data + QLatin1String("?>\n");
}

void XmlElementTextWriter::finish(bool beforeText)
{
    if (lineEndPending && !beforeText)
        out += QLatin1Char('\n');
    lineEndPending = false;
}

} // namespace pelmak
