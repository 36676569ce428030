/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_XMLREADING_P_H
#define DORVELLXSD_XMLREADING_P_H

#include "xmlencoding_p.h"
#include "xmllimits_p.h"
#include "xmlnames_p.h"

#include <QPair>
#include <QString>
#include <QVector>
#include <QXmlStreamReader>

#include <functional>
#include <memory>

class QIODevice;
class QTextDecoder;

namespace pelmak {

enum class TextKind { Text, CData, Blank };

using XmlAttributes = QVector<QPair<QString, QString>>; ///< names and values, in order

// What a tokenizer tells, in document order.
class XmlTokenSink
{
public:
    virtual ~XmlTokenSink() = default;
    virtual void startElement(const QString &name, const XmlAttributes &attributes) = 0;
    virtual void endElement() = 0;
    virtual void text(const QString &text, TextKind kind) = 0;
    virtual void comment(const QString &text) = 0;
    virtual void processingInstruction(const QString &target, const QString &data) = 0;
};

// Gives a parser its next piece of text; false when there is none left.
using MoreText = std::function<bool(QXmlStreamReader &)>;

// Reads what is left of @p device into @p content; false, with @p content incomplete, once it
// holds more than @p maxBytes. Counted as read: a file of /proc says it is empty.
bool readAtMost(QIODevice &device, qint64 maxBytes, QByteArray &content);

// Reads the parser's next token, with more text from @p moreText (when given) each time it runs
// out of it; NoToken once the text is over or refused.
QXmlStreamReader::TokenType readNextToken(QXmlStreamReader &reader, const MoreText &moreText);

/*
 * Reads tokens from a parser, without namespace processing, and tells a sink about them.
 *
 * Every XML input of the library goes through here, so this is where hostile text stops: a
 * document with a DOCTYPE declaration is refused before any entity is declared or expanded and
 * before any external DTD or entity could be fetched (exchange documents and schemas need none),
 * one nested deeper than the given depth is refused before the sink sees the element, and so is
 * an element with more attributes or namespace declarations than MaxXmlAttributes and
 * MaxXmlNamespaceDeclarations. An attribute name or a processing instruction target that is no
 * XML name, which the parser itself lets through, is refused too. All of it takes linear time.
 * A refusal ends the reading with an error on the parser.
 */
class XmlTokenizer
{
public:
    XmlTokenizer(QXmlStreamReader &reader, int maxDepth, XmlNameCache &names, MoreText moreText = {});

    // Tells @p sink the next token; false once the text is over or refused.
    bool readNext(XmlTokenSink &sink);
    // Tells @p sink every token left; false on an error, whose text goes to @p errorMessage.
    bool readAll(XmlTokenSink &sink, QString *errorMessage);

private:
    bool readAttributes();
    void refuse(const QString &reason);

    QXmlStreamReader &reader;
    const int maxDepth;
    XmlNameCache &names;
    const MoreText moreText;
    int depth = 0;
    XmlAttributes attributes; ///< of the start tag read last; its storage serves the next one
};

/*
 * Counts attributes and namespace declarations per start tag in the UTF-8 of a text, piece after
 * piece, so that an element carrying too many is refused before the parser spends time
 * quadratic in their number on it. It follows comments, CDATA sections, processing instructions,
 * declarations and quoted values, whose content is no markup. The text is UTF-8, where no byte of
 * a multibyte character looks like the ASCII delimiters.
 */
class XmlMarkupGuard
{
public:
    // The reason for refusing the text, once this next piece of it is seen; empty when none.
    QString scan(const QByteArray &piece);
    // The line the text seen so far ends in.
    int lineNumber() const { return line; }

private:
    enum class State { Text, Open, Bang, Comment, CData, ProcessingInstruction, Declaration, EndTag, StartTag };
    enum class Excess { None, Attributes, NamespaceDeclarations }; ///< what a start tag has too many of

    void countLine(char c);
    void countLines(const char *begin, const char *end);
    char runEnd() const;
    void endRun();
    Excess startTag(char c);
    void other(char c);

    static constexpr int NameStartSize = 6; ///< enough to tell "xmlns" and "xmlns:" from any other name

    State state = State::Text;
    int line = 1;
    bool afterCarriageReturn = false;
    QByteArray bang;                    ///< what follows "<!" so far
    int closing = 0;                    ///< the delimiter's closing characters seen ("--", "]]", "?")
    char quote = 0;                     ///< the quote of the value being read, or none
    int bracketDepth = 0;               ///< of a declaration's internal subset
    char nameStart[NameStartSize] = {}; ///< of the attribute name being read
    int nameLength = 0;
    bool nameEnded = false;
    int attributes = 0;
    int namespaceDeclarations = 0;
};

/*
 * The text of an XML file for a parser, decoded as the file declares (see XmlDecoder) piece after
 * piece as it is read, never held whole (a parser given a whole large text at once is several
 * times slower); an XmlMarkupGuard counts each piece before the parser sees it. A UTF-8 file's
 * pieces are checked, not decoded, and go to the parser as bytes, which it decodes itself.
 * A file longer than a given number of bytes is refused once that many are read.
 */
class XmlFileText
{
public:
    // The file is read from where it stands; it must be open in binary mode, so that the parser
    // applies the end-of-line rule of XML itself. @p maxBytes 0 reads any length.
    explicit XmlFileText(QIODevice &file, qint64 maxBytes = 0);
    ~XmlFileText();
    XmlFileText(const XmlFileText &) = delete;
    XmlFileText &operator=(const XmlFileText &) = delete;

    // Gives @p parser the next piece of the text: a MoreText. A refusal raises an error on it.
    bool feed(QXmlStreamReader &parser);

    /*
     * Keeps the text given to the parser, from the first piece on, so that parts of it can be taken
     * as the document writes them. Offsets count characters as QXmlStreamReader::characterOffset
     * does: from the first one after a byte order mark.
     */
    void keepText();
    // The text from @p from to @p to; what lies before the last release is gone.
    QString keptText(qint64 from, qint64 to) const;
    // The last character kept before @p offset that is @p c, or -1.
    qint64 lastKeptBefore(qint64 offset, QChar c) const;
    // The text before @p offset is needed no more.
    void releaseTextBefore(qint64 offset);

private:
    bool refuse(QXmlStreamReader &parser, const QString &reason);
    QString invalidBytesAfter(const QByteArray &validUtf8);

    QIODevice &file;
    const qint64 maxBytes;
    qint64 bytesRead = 0;
    std::unique_ptr<XmlDecoder> decoder; ///< made from the first piece
    XmlMarkupGuard guard;
    // The text kept, decoded as the parser decodes the UTF-8 it is given, and the offset it starts at.
    std::unique_ptr<QTextDecoder> keptDecoder;
    QString kept;
    qint64 keptFrom = 0;
};

// Reads the tokens of an XML file, as an XmlFileText gives it.
class XmlFileReader
{
public:
    // The file as XmlFileText takes it.
    explicit XmlFileReader(QIODevice &file, qint64 maxBytes = 0);
    XmlFileReader(const XmlFileReader &) = delete;
    XmlFileReader &operator=(const XmlFileReader &) = delete;

    bool readNext(XmlTokenSink &sink) { return tokenizer.readNext(sink); }
    bool readAll(XmlTokenSink &sink, QString *errorMessage) { return tokenizer.readAll(sink, errorMessage); }
    bool hasError() const { return reader.hasError(); }
    QString errorString() const { return reader.errorString(); }
    // The line the last token read ends on.
    qint64 lineNumber() const { return reader.lineNumber(); }

    /*
     * Keeps the text of the document, before any is read, so that an element can be taken as the
     * document writes it: from where its start tag starts to where its end tag ends.
     */
    void keepText() { text.keepText(); }
    // Where the start tag read last starts.
    qint64 startTagOffset() const;
    // The document's text from @p offset to the end of the last token read.
    QString textSince(qint64 offset) const { return text.keptText(offset, reader.characterOffset()); }
    // The text before the token read last is needed no more.
    void releaseText();

private:
    XmlFileText text;
    QXmlStreamReader reader;
    XmlNameCache names;
    XmlTokenizer tokenizer;
};

} // namespace pelmak

#endif
