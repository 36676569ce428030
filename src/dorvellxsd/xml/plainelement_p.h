/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_PLAINELEMENT_P_H
#define DORVELLXSD_PLAINELEMENT_P_H

#include "xmllimits_p.h"
#include "xmlnames_p.h"

#include <QString>
#include <QStringView>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <utility>

namespace pelmak {

using PlainAttributes = QVarLengthArray<std::pair<QStringView, QStringView>, 8>; ///< names and values

namespace plain {

inline bool isAsciiLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

inline bool isPlainNameStart(char16_t c)
{
    return isAsciiLetter(c) || c == u'_';
}

inline bool isPlainNameChar(char16_t c)
{
    return isPlainNameStart(c) || (c >= u'0' && c <= u'9') || c == u'.' || c == u'-';
}

inline bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

// The ASCII characters that stand for themselves in text and in a value: looked up, as every
// character of every geometry that an export writes or an import reads is.
inline constexpr std::array<bool, 0x80> PlainAscii = [] {
    std::array<bool, 0x80> plain{};
    for (char16_t c = 0x20; c < 0x7F; ++c)
        plain[c] = c != u'<' && c != u'&' && c != u'>';
    plain[u'\t'] = plain[u'\n'] = true;
    return plain;
}();

// A character that stands for itself in text and in a value, and is written back as it is.
inline bool isPlainChar(char16_t c)
{
    if (c < 0x80)
        return PlainAscii[c];
    return c >= 0xA0 && !QChar::isSurrogate(c) && c < 0xFFFE;
}

inline bool isPlainValueChar(char16_t c)
{
    return isPlainChar(c) && c != u'"' && c != u'\'' && c != u'\t' && c != u'\n';
}

template <typename Sink>
class PlainElementReader
{
public:
    PlainElementReader(const QString &fragment, int maxDepth, Sink &elementSink, bool withDeclarations)
        : at(fragment.constData())
        , end(fragment.constData() + fragment.size())
        , depthLimit(maxDepth)
        , declarationsTold(withDeclarations)
        , sink(elementSink)
    {
    }

    bool read()
    {
        skipBlanks();
        if (!startElement())
            return false;
        while (!open.isEmpty()) {
            const bool first = startTagEnded;
            startTagEnded = false;
            if (!(first ? firstContent() : nextContent()))
                return false;
        }
        skipBlanks();
        return at == end;
    }

private:
    bool atChar(char16_t c) const { return at != end && at->unicode() == c; }
    bool atEndTag() const { return end - at >= 2 && at[0] == u'<' && at[1] == u'/'; }

    void skipBlanks()
    {
        while (at != end && isBlank(at->unicode()))
            ++at;
    }

    // Blanks, then @p c, which is passed over; false when it does not follow.
    bool passAfterBlanks(char16_t c)
    {
        skipBlanks();
        if (!atChar(c))
            return false;
        ++at;
        return true;
    }

    // A name without a prefix or with one; false when there is none.
    bool readName(QStringView &name)
    {
        const QChar *begin = at;
        for (int part = 0; part < 2; ++part) {
            if (at == end || !isPlainNameStart(at->unicode()))
                return false;
            while (at != end && isPlainNameChar(at->unicode()))
                ++at;
            if (!atChar(u':'))
                break;
            if (part == 0)
                ++at;
        }
        name = QStringView(begin, at);
        return !atChar(u':');
    }

    // The start tag at hand: an empty element is told whole, any other is left open.
    bool startElement()
    {
        if (!atChar(u'<') || open.size() >= depthLimit)
            return false;
        ++at;
        QStringView name;
        if (!readName(name) || !readAttributes())
            return false;
        sink.startTag(name, attributes);
        if (atChar(u'/')) {
            if (!(end - at >= 2 && at[1] == u'>'))
                return false;
            at += 2;
            sink.emptyElement();
            return true;
        }
        ++at; // '>', as readAttributes saw
        open.append(name);
        startTagEnded = true;
        return true;
    }

    bool readAttributes()
    {
        attributes.clear();
        for (;;) {
            const QChar *beforeBlanks = at;
            skipBlanks();
            if (atChar(u'/') || atChar(u'>'))
                return sortedOnce();
            if (at == beforeBlanks || attributes.size() >= MaxXmlAttributes)
                return false;
            QStringView name;
            if (!readName(name) || (!declarationsTold && isNamespaceDeclaration(name)) || !passAfterBlanks(u'='))
                return false;
            skipBlanks();
            if (!atChar(u'"') && !atChar(u'\''))
                return false;
            const char16_t quote = (at++)->unicode();
            const QChar *valueBegin = at;
            while (at != end && isPlainValueChar(at->unicode()))
                ++at;
            if (!atChar(quote))
                return false;
            attributes.append({name, QStringView(valueBegin, at++)});
        }
    }

    // Sorted by name, as a tree holds them; a name given twice is left to the parser.
    bool sortedOnce()
    {
        if (attributes.size() < 2)
            return true;
        std::sort(attributes.begin(), attributes.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        for (int i = 1; i < attributes.size(); ++i) {
            if (attributes.at(i).first == attributes.at(i - 1).first)
                return false;
        }
        return true;
    }

    // What follows a start tag: text, nothing but blanks, or the first child element.
    bool firstContent()
    {
        const QChar *textBegin = at;
        skipBlanks();
        if (atEndTag()) { // blanks alone are no child
            sink.emptyElement();
            return endElement(false);
        }
        if (atChar(u'<'))
            return startElement();
        while (at != end && isPlainChar(at->unicode()))
            ++at;
        if (!atEndTag())
            return false; // text beside an element, or a character a parser must see
        sink.text(QStringView(textBegin, at));
        return endElement(true);
    }

    // What follows a child element: the next one, or the end of the parent.
    bool nextContent()
    {
        skipBlanks();
        if (atEndTag())
            return endElement(true);
        return atChar(u'<') && startElement();
    }

    // The end tag at hand; @p told says whether the sink hears of it (an empty element was told whole).
    bool endElement(bool told)
    {
        at += 2;
        QStringView name;
        if (!readName(name) || name != open.last() || !passAfterBlanks(u'>'))
            return false;
        open.removeLast();
        if (told)
            sink.endTag(name);
        return true;
    }

    const QChar *at;
    const QChar *const end;
    const int depthLimit;
    const bool declarationsTold;
    Sink &sink;
    QVarLengthArray<QStringView, 16> open;
    PlainAttributes attributes;
    bool startTagEnded = false; ///< the last start tag read was not of an empty element
};

} // namespace plain

/*
 * Reads @p fragment, without a parser, when it is one element of the plainest form: ASCII names,
 * no references, comments, CDATA sections, processing instructions or namespace declarations, no
 * attribute named twice, no element holding both text and elements, no more than @p maxDepth
 * levels nor MaxXmlAttributes attributes on one element, no tab, line break or quote in an
 * attribute value and no carriage return or '>' anywhere else but in tags. GDAL writes its
 * geometries in that form.
 *
 * @p sink is told the tokens in document order; names, values and texts point into the fragment.
 * Each element is told as sink.startTag(QStringView name, const PlainAttributes &sortedByName),
 * then either sink.emptyElement() (it holds nothing, or blanks alone), or sink.text(QStringView)
 * (its one content) and sink.endTag(QStringView name), or its child elements and sink.endTag(name).
 * A template, as the writer's layout runs it for every geometry of an export.
 *
 * A namespace declaration is another form, unless @p withDeclarations: then it is told among the
 * attributes, to a sink that reads names as written whatever they are bound to.
 *
 * False as soon as the fragment shows any other form, after @p sink was told what came before:
 * the caller then reads it with a parser, which also refuses what is no XML.
 */
template <typename Sink>
bool readPlainElement(const QString &fragment, int maxDepth, Sink &sink, bool withDeclarations = false)
{
    return plain::PlainElementReader<Sink>(fragment, maxDepth, sink, withDeclarations).read();
}

} // namespace pelmak

#endif
