#include "plainelementtext_p.h"

#include "plainelement_p.h"
#include "xmlescape_p.h"

namespace pelmak {
namespace {

// Writes the tokens of a fragment of the plainest form in the layout of XmlElementTextWriter.
class PlainElementLayout
{
public:
    PlainElementLayout(int fragmentDepth, int indentation, QString &text)
        : baseDepth(fragmentDepth)
        , indent(indentation)
        , out(text)
    {
    }

    void startTag(QStringView name, const PlainAttributes &attributes)
    {
        if (startTagOpen) // this is the parent's first child
            out += QLatin1String(">\n");
        appendIndentation(baseDepth + depth);
        out += QLatin1Char('<');
        append(name);
        for (const auto &[attributeName, value] : attributes) {
            out += QLatin1Char(' ');
            append(attributeName);
            out += QLatin1String("=\"");
            append(value);
            out += QLatin1Char('"');
        }
        ++depth;
        startTagOpen = true;
    }

    void emptyElement()
    {
        out += QLatin1String("/>\n");
        --depth;
        startTagOpen = false;
    }

    void text(QStringView text)
    {
        out += QLatin1Char('>');
        append(text);
        startTagOpen = false;
        afterText = true;
    }

    void endTag(QStringView name)
    {
        --depth;
        if (!afterText)
            appendIndentation(baseDepth + depth);
        afterText = false;
        out += QLatin1String("</");
        append(name);
        out += QLatin1String(">\n");
    }

private:
    void append(QStringView text) { out.append(text.data(), static_cast<int>(text.size())); }
    void appendIndentation(int level) { pelmak::appendIndentation(out, level, indent); }

    const int baseDepth;
    const int indent;
    QString &out;
    int depth = 0;             ///< of the elements open
    bool startTagOpen = false; ///< the last start tag still lacks its ">"
    bool afterText = false;    ///< the element ending holds text
};

} // namespace

bool appendPlainElementText(const QString &fragment, int depth, int indent, int maxDepth, QString &out)
{
    const int size = out.size();
    PlainElementLayout layout(depth, indent, out);
    if (readPlainElement(fragment, maxDepth, layout))
        return true;
    out.truncate(size);
    return false;
}

} // namespace pelmak
