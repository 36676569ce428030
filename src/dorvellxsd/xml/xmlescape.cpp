#include "xmlescape_p.h"

namespace pelmak {
namespace {

bool isEscaped(char16_t c)
{
    return c == u'<' || c == u'&' || c == u'"' || c == u'>' || c == u'\t' || c == u'\n' || c == u'\r';
}

} // namespace

void appendEscapedText(QString &out, const QString &text, TextPlace place)
{
    const int start = out.size();
    const QChar *const end = text.constData() + text.size();
    for (const QChar *c = text.constData(); c != end;) {
        // Most characters are written as they are: in runs, not one by one.
        const QChar *plain = c;
        while (c != end && !isEscaped(c->unicode()))
            ++c;
        if (c != plain)
            out.append(plain, static_cast<int>(c - plain));
        if (c == end)
            break;
        switch ((c++)->unicode()) {
        case u'<':
            out += QLatin1String("&lt;");
            break;
        case u'&':
            out += QLatin1String("&amp;");
            break;
        case u'"':
            out += place == TextPlace::ElementContent ? QLatin1String("\"") : QLatin1String("&quot;");
            break;
        case u'>': // only where it would close "]]>"
            out += out.size() - start >= 2 && out.endsWith(QLatin1String("]]")) ? QLatin1String("&gt;")
                                                                                : QLatin1String(">");
            break;
        case u'\t':
            out += place == TextPlace::AttributeValue ? QLatin1String("&#x9;") : QLatin1String("\t");
            break;
        case u'\n':
            out += place == TextPlace::AttributeValue ? QLatin1String("&#xa;") : QLatin1String("\n");
            break;
        default: // u'\r'
            out += QLatin1String("&#xd;");
        }
    }
}

void appendAttribute(QString &out, const QString &name, const QString &value)
{
    out += QLatin1Char(' ') + name + QLatin1String("=\"");
    appendEscapedText(out, value, TextPlace::AttributeValue);
    out += QLatin1Char('"');
}

void appendXmlContent(QString &out, const QString &text)
{
    appendEscapedText(out, text, TextPlace::ElementContent);
}

} // namespace pelmak
