#include "xmlreading_p.h"

#include "../message_p.h"

#include <QIODevice>
#include <QTextDecoder>

#include <algorithm>
#include <cstring>

namespace pelmak {
namespace {

QString lineOf(const QXmlStreamReader &reader)
{
    return QString::number(reader.lineNumber());
}

bool isNamespaceDeclaration(const char *nameStart, int length)
{
    return (length == 5 && std::memcmp(nameStart, "xmlns", 5) == 0)
        || (length == 6 && std::memcmp(nameStart, "xmlns:", 6) == 0);
}

QString tooManyAttributes(const QString &line)
{
    return formatMessage(messages::TooManyAttributes, line, QString::number(MaxXmlAttributes));
}

QString tooManyNamespaceDeclarations(const QString &line)
{
    return formatMessage(messages::TooManyNamespaceDeclarations, line, QString::number(MaxXmlNamespaceDeclarations));
}

bool isXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

} // namespace

XmlTokenizer::XmlTokenizer(QXmlStreamReader &xmlReader, int depthLimit, XmlNameCache &nameCache, MoreText more)
    : reader(xmlReader)
    , maxDepth(depthLimit)
    , names(nameCache)
    , moreText(std::move(more))
{
    reader.setNamespaceProcessing(false);
}

void XmlTokenizer::refuse(const QString &reason)
{
    reader.raiseError(reason);
}

// The start tag's attributes; false, with the parser stopped, when they cannot be read.
bool XmlTokenizer::readAttributes()
{
    attributes.clear();                                   // keeps its storage unless a sink kept the last ones
    const QXmlStreamAttributes all = reader.attributes(); // a const copy: iterating the temporary would detach it
    // Texts that did not pass an XmlMarkupGuard (a schema's, a fragment's) are held to the same bounds here.
    if (all.size() > MaxXmlAttributes) {
        refuse(tooManyAttributes(lineOf(reader)));
        return false;
    }
    int namespaceDeclarations = 0;
    attributes.reserve(all.size());
    for (const QXmlStreamAttribute &attribute : all) {
        const QStringRef qualifiedName = attribute.qualifiedName();
        if (isNamespaceDeclaration(qualifiedName) && ++namespaceDeclarations > MaxXmlNamespaceDeclarations) {
            refuse(tooManyNamespaceDeclarations(lineOf(reader)));
            return false;
        }
        const QString name = names.attributeName(qualifiedName);
        if (name.isNull()) {
            refuse(formatMessage(messages::AttributeNameNotAllowed, lineOf(reader)));
            return false;
        }
        attributes.append({name, exactCopy(attribute.value())});
    }
    return true;
}

bool readAtMost(QIODevice &device, qint64 maxBytes, QByteArray &content)
{
    // A size the kernel takes for any of its files (some take only multiples of 8).
    constexpr qint64 PieceSize = 1 << 16;
    content.clear();
    while (content.size() <= maxBytes) {
        const QByteArray piece = device.read(PieceSize);
        if (piece.isEmpty())
            return true;
        content += piece;
    }
    return false;
}

QXmlStreamReader::TokenType readNextToken(QXmlStreamReader &reader, const MoreText &moreText)
{
    const bool moreToRead = !reader.atEnd()
        || (reader.error() == QXmlStreamReader::PrematureEndOfDocumentError && moreText && moreText(reader));
    return moreToRead ? reader.readNext() : QXmlStreamReader::NoToken;
}

bool XmlTokenizer::readNext(XmlTokenSink &sink)
{
    switch (readNextToken(reader, moreText)) {
    case QXmlStreamReader::NoToken:
        return false;
    case QXmlStreamReader::DTD:
        refuse(formatMessage(messages::DoctypeNotAllowed, lineOf(reader)));
        break;
    case QXmlStreamReader::StartElement: {
        if (++depth > maxDepth) {
            refuse(formatMessage(messages::NestingTooDeep, lineOf(reader), QString::number(maxDepth)));
            break;
        }
        if (readAttributes())
            sink.startElement(names.elementName(reader.qualifiedName()), attributes);
        break;
    }
    case QXmlStreamReader::EndElement:
        --depth;
        sink.endElement();
        break;
    case QXmlStreamReader::Characters:
        if (reader.isCDATA())
            sink.text(exactCopy(reader.text()), TextKind::CData);
        else if (!reader.isWhitespace())
            sink.text(exactCopy(reader.text()), TextKind::Text);
        else
            sink.text(names.whitespace(reader.text()), TextKind::Blank);
        break;
    case QXmlStreamReader::Comment:
        sink.comment(exactCopy(reader.text()));
        break;
    case QXmlStreamReader::ProcessingInstruction: {
        // The parser does not check the characters of a target either.
        const QString target = exactCopy(reader.processingInstructionTarget());
        if (!names.isReadableName(target)) {
            refuse(formatMessage(messages::ProcessingInstructionTargetNotAllowed, lineOf(reader)));
            break;
        }
        sink.processingInstruction(target, exactCopy(reader.processingInstructionData()));
        break;
    }
    default:
        break;
    }
    // Running out of text is no error while more may come.
    return !reader.hasError() || reader.error() == QXmlStreamReader::PrematureEndOfDocumentError;
}

bool XmlTokenizer::readAll(XmlTokenSink &sink, QString *errorMessage)
{
    while (readNext(sink)) {}
    if (!reader.hasError())
        return true;
    if (errorMessage)
        *errorMessage = reader.errorString();
    return false;
}

// Line ends as XML counts them: a line feed, a carriage return, or both together.
void XmlMarkupGuard::countLine(char c)
{
    if (c == '\n' && !afterCarriageReturn)
        ++line;
    else if (c == '\r')
        ++line;
    afterCarriageReturn = c == '\r';
}

// The same for a run of text, mostly without carriage returns, at the speed of a memory scan.
void XmlMarkupGuard::countLines(const char *begin, const char *end)
{
    if (begin == end)
        return;
    if (std::memchr(begin, '\r', static_cast<size_t>(end - begin))) {
        for (const char *c = begin; c != end; ++c)
            countLine(*c);
        return;
    }
    if (afterCarriageReturn && *begin == '\n')
        --line;
    for (const char *c = begin; (c = static_cast<const char *>(std::memchr(c, '\n', static_cast<size_t>(end - c))));
         ++c)
        ++line;
    afterCarriageReturn = false;
}

// Lines are counted once for the whole piece, or up to the character that refuses it.
QString XmlMarkupGuard::scan(const QByteArray &piece)
{
    const char *const begin = piece.constData();
    const char *const end = begin + piece.size();
    for (const char *next = begin; next != end;) {
        if (const char delimiter = runEnd()) {
            const char *found =
                static_cast<const char *>(std::memchr(next, delimiter, static_cast<size_t>(end - next)));
            if (!found)
                break;
            next = found + 1;
            endRun();
            continue;
        }
        const char c = *next++;
        if (state != State::StartTag) {
            other(c);
            continue;
        }
        const Excess excess = startTag(c);
        if (excess != Excess::None) {
            countLines(begin, next);
            const QString where = QString::number(line);
            return excess == Excess::Attributes ? tooManyAttributes(where) : tooManyNamespaceDeclarations(where);
        }
    }
    countLines(begin, end);
    return {};
}

/*
 * Most of a document is text, end tags and attribute values, which end only at one delimiter
 * each: the "<" that starts markup, the ">" of the end tag, the closing quote. That delimiter,
 * or none where the characters have to be followed one by one.
 */
char XmlMarkupGuard::runEnd() const
{
    switch (state) {
    case State::Text:
        return '<';
    case State::EndTag:
        return '>';
    case State::StartTag:
        return quote;
    default:
        return 0;
    }
}

void XmlMarkupGuard::endRun()
{
    if (state == State::Text)
        state = State::Open;
    else if (state == State::EndTag)
        state = State::Text;
    else
        quote = 0;
}

XmlMarkupGuard::Excess XmlMarkupGuard::startTag(char c)
{
    if (c == '"' || c == '\'') {
        // Every attribute has exactly one quoted value.
        quote = c;
        if (++attributes > MaxXmlAttributes)
            return Excess::Attributes;
        if (isNamespaceDeclaration(nameStart, nameLength) && ++namespaceDeclarations > MaxXmlNamespaceDeclarations)
            return Excess::NamespaceDeclarations;
        nameLength = 0;
    } else if (c == '>') {
        state = State::Text;
    } else if (c == '=' || isXmlSpace(c)) {
        nameEnded = true;
    } else {
        if (nameEnded)
            nameLength = 0;
        nameEnded = false;
        if (nameLength < NameStartSize)
            nameStart[nameLength++] = c;
    }
    return Excess::None;
}

void XmlMarkupGuard::other(char c)
{
    switch (state) {
    case State::Open:
        if (c == '/') {
            state = State::EndTag;
        } else if (c == '?') {
            state = State::ProcessingInstruction;
            closing = 0;
        } else if (c == '!') {
            state = State::Bang;
            bang.clear();
        } else {
            state = State::StartTag;
            attributes = namespaceDeclarations = 0;
            quote = 0;
            nameStart[0] = c;
            nameLength = 1;
            nameEnded = false;
        }
        break;
    case State::Bang:
        bang += c;
        closing = 0;
        if (bang == "--") {
            state = State::Comment;
        } else if (bang == "[CDATA[") {
            state = State::CData;
        } else if (!QByteArray("--").startsWith(bang) && !QByteArray("[CDATA[").startsWith(bang)) {
            state = State::Declaration;
            quote = 0;
            bracketDepth = 0;
            other(c);
        }
        break;
    case State::Comment:
        if (c == '>' && closing >= 2)
            state = State::Text;
        closing = c == '-' ? closing + 1 : 0;
        break;
    case State::CData:
        if (c == '>' && closing >= 2)
            state = State::Text;
        closing = c == ']' ? closing + 1 : 0;
        break;
    case State::ProcessingInstruction:
        if (c == '>' && closing > 0)
            state = State::Text;
        closing = c == '?' ? 1 : 0;
        break;
    case State::Declaration:
        if (quote != 0) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '[') {
            ++bracketDepth;
        } else if (c == ']') {
            --bracketDepth;
        } else if (c == '>' && bracketDepth <= 0) {
            state = State::Text;
        }
        break;
    case State::EndTag:
        if (c == '>')
            state = State::Text;
        break;
    default:
        break;
    }
}

XmlFileText::XmlFileText(QIODevice &device, qint64 limit)
    : file(device)
    , maxBytes(limit)
{
}

XmlFileText::~XmlFileText() = default;

bool XmlFileText::refuse(QXmlStreamReader &parser, const QString &reason)
{
    parser.raiseError(reason);
    return false;
}

bool XmlFileText::feed(QXmlStreamReader &parser)
{
    constexpr qint64 PieceSize = 1 << 20;
    const QByteArray bytes = file.read(PieceSize);
    bytesRead += bytes.size();
    if (maxBytes > 0 && bytesRead > maxBytes)
        return refuse(parser, formatMessage(messages::FileTooLarge, QString::number(maxBytes)));
    if (!decoder) {
        if (bytes.isEmpty())
            return false;
        decoder = std::make_unique<XmlDecoder>(bytes);
        if (!decoder->refusal().isEmpty())
            return refuse(parser, decoder->refusal());
    }
    // An empty read ends the text of a device that cannot tell its end beforehand.
    const bool last = bytes.isEmpty() || file.atEnd();
    // UTF-8 goes to the parser as the bytes it is, checked but not decoded here: the parser decodes
    // it anyway. Any other encoding is decoded here, and the parser reads the text.
    QString text;
    QByteArray utf8 = bytes; // what the guard reads
    int invalidAt = -1;      // in utf8
    if (decoder->isUtf8()) {
        invalidAt = decoder->firstInvalidUtf8(bytes, last);
    } else {
        int invalidCharacter = -1;
        text = decoder->decode(bytes, last, invalidCharacter);
        utf8 = (invalidCharacter < 0 ? text : text.left(invalidCharacter)).toUtf8();
        if (invalidCharacter >= 0)
            invalidAt = utf8.size();
    }
    const QString refusal = invalidAt < 0 ? guard.scan(utf8) : invalidBytesAfter(utf8.left(invalidAt));
    if (!refusal.isEmpty())
        return refuse(parser, refusal);
    if (bytes.isEmpty())
        return false;
    if (keptDecoder) // what the parser decodes, the bytes of UTF-8 or its own UTF-8 of the text
        kept += keptDecoder->toUnicode(decoder->isUtf8() ? bytes : text.toUtf8());
    if (decoder->isUtf8())
        parser.addData(bytes);
    else
        parser.addData(text);
    return true;
}

void XmlFileText::keepText()
{
    keptDecoder = makeUtf8Decoder();
}

QString XmlFileText::keptText(qint64 from, qint64 to) const
{
    return kept.mid(static_cast<int>(from - keptFrom), static_cast<int>(to - from));
}

qint64 XmlFileText::lastKeptBefore(qint64 offset, QChar c) const
{
    const int at = kept.lastIndexOf(c, static_cast<int>(offset - keptFrom) - 1);
    return at < 0 ? -1 : keptFrom + at;
}

// Dropped only once half of what is kept is dead, so that each character is moved a bounded number of times.
void XmlFileText::releaseTextBefore(qint64 offset)
{
    const qint64 dead = offset - keptFrom;
    if (dead <= 0 || dead < kept.size() / 2)
        return;
    kept.remove(0, static_cast<int>(dead));
    keptFrom = offset;
}

// Why the text is refused where its valid part, @p validUtf8, ends.
QString XmlFileText::invalidBytesAfter(const QByteArray &validUtf8)
{
    // The guard reads the valid part first, to know the line, and tells of a refusal within it.
    const QString refusal = guard.scan(validUtf8);
    if (!refusal.isEmpty())
        return refusal;
    return formatMessage(messages::BytesNotInEncoding, QString::number(guard.lineNumber()), decoder->name());
}

// A start tag holds no "<" after its first character: no attribute value may hold one.
qint64 XmlFileReader::startTagOffset() const
{
    return text.lastKeptBefore(reader.characterOffset(), QLatin1Char('<'));
}

/*
 * The parser reads text up to the "<" of the markup that follows it, which the text's token then
 * ends after: what is kept starts one character before the token read last. A token the text ran
 * out within is read again once more comes, from where it started: nothing is released for it.
 */
void XmlFileReader::releaseText()
{
    if (!reader.hasError())
        text.releaseTextBefore(reader.characterOffset() - 1);
}

XmlFileReader::XmlFileReader(QIODevice &device, qint64 maxBytes)
    : text(device, maxBytes)
    , tokenizer(reader, MaxXmlDepth, names, [this](QXmlStreamReader &parser) { return text.feed(parser); })
{
}

} // namespace pelmak
