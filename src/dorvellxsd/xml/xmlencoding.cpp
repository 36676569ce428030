#include "xmlencoding_p.h"

#include "../message_p.h"

#include <QRegularExpression>
#include <QTextCodec>

#include <cstring>

namespace pelmak {
namespace {

// Qt's numbers for the Unicode encodings (IANA MIBenum).
constexpr int Utf8Mib = 106;
constexpr int Latin1Mib = 4;
constexpr int Utf16BigEndianMib = 1013;
constexpr int Utf16LittleEndianMib = 1014;
constexpr int Utf16Mib = 1015;

struct ByteOrderMark
{
    const char *bytes;
    const char *name;
    int mib;          ///< of the codec that reads the text, the mark included
    int sameOrderMib; ///< of the other encoding a declaration may name beside the mark
};

const ByteOrderMark ByteOrderMarks[] = {
    {"\xEF\xBB\xBF", "UTF-8", Utf8Mib, Utf8Mib},
    {"\xFF\xFE", "UTF-16LE", Utf16Mib, Utf16LittleEndianMib},
    {"\xFE\xFF", "UTF-16BE", Utf16Mib, Utf16BigEndianMib},
};

const ByteOrderMark *byteOrderMarkOf(const QByteArray &text)
{
    for (const ByteOrderMark &mark : ByteOrderMarks) {
        if (text.startsWith(mark.bytes))
            return &mark;
    }
    return nullptr;
}

// The beginning of a text up to the first ">", where an XML declaration ends (with the other half
// of the character in UTF-16), so that the declaration is not sought in the whole of a long text.
QByteArray headOf(const QByteArray &text)
{
    const int end = text.indexOf('>');
    return end < 0 ? text : text.left(end + 2);
}

// The XML declaration up to its encoding, which is the second capture; a byte order mark may stand before it.
const QRegularExpression &declarationPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\x{FEFF}?<\\?xml[ \\t\\r\\n]+version[ \\t\\r\\n]*=[ \\t\\r\\n]*(?:\"[^\"]*\"|'[^']*')"
                       "[ \\t\\r\\n]+encoding[ \\t\\r\\n]*=[ \\t\\r\\n]*([\"'])(.*?)\\1"));
    return pattern;
}

/*
 * The families of encodings that XML tells by the first four bytes of a text (XML 1.0, appendix
 * F) and that neither a byte order mark the decoder reads nor a declaration in ASCII reveals:
 * UCS-4 in any octet order, UTF-16 without a mark, EBCDIC. The UCS-4 marks come before the UTF-16
 * ones they begin with.
 */
struct Signature
{
    const char *bytes; ///< four
    const char *family;
};

const Signature UnreadFamilies[] = {
    {"\x00\x00\xFE\xFF", "UCS-4 (UTF-32)"},
    {"\xFF\xFE\x00\x00", "UCS-4 (UTF-32)"},
    {"\x00\x00\xFF\xFE", "UCS-4 (UTF-32)"},
    {"\xFE\xFF\x00\x00", "UCS-4 (UTF-32)"},
    {"\x00\x00\x00\x3C", "UCS-4 (UTF-32)"},
    {"\x3C\x00\x00\x00", "UCS-4 (UTF-32)"},
    {"\x00\x00\x3C\x00", "UCS-4 (UTF-32)"},
    {"\x00\x3C\x00\x00", "UCS-4 (UTF-32)"},
    {"\x00\x3C\x00\x3F", "UTF-16"},
    {"\x3C\x00\x3F\x00", "UTF-16"},
    {"\x4C\x6F\xA7\x94", "EBCDIC"},
};

const char *unreadFamilyOf(const QByteArray &text)
{
    for (const Signature &signature : UnreadFamilies) {
        if (text.startsWith(QByteArray::fromRawData(signature.bytes, 4)))
            return signature.family;
    }
    return nullptr;
}

// The index of the first surrogate out of its pair.
int unpairedSurrogate(const QString &text)
{
    bool highBefore = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (highBefore != c.isLowSurrogate())
            return i - (highBefore ? 1 : 0);
        highBefore = c.isHighSurrogate();
    }
    return highBefore ? text.size() - 1 : -1;
}

} // namespace

XmlDecoder::XmlDecoder(const QByteArray &firstPiece)
{
    const ByteOrderMark *mark = byteOrderMarkOf(firstPiece);
    // Without a mark the declaration is read as ASCII, which every encoding it may name keeps as it is.
    codec = QTextCodec::codecForMib(mark ? mark->mib : Latin1Mib);
    const QRegularExpressionMatch declaration = declarationPattern().match(codec->toUnicode(headOf(firstPiece)));
    if (!mark)
        codec = QTextCodec::codecForMib(Utf8Mib);
    if (const char *family = unreadFamilyOf(firstPiece)) {
        declarationRefusal = formatMessage(messages::EncodingNotRead, QLatin1String(family), QStringLiteral("1"));
    } else if (declaration.hasMatch()) {
        const QString declared = declaration.captured(2);
        const QString line = QStringLiteral("1");
        QTextCodec *named = QTextCodec::codecForName(declared.toLatin1());
        if (!named) {
            declarationRefusal = formatMessage(messages::EncodingUnknown, declared, line);
        } else if (mark && named->mibEnum() != mark->mib && named->mibEnum() != mark->sameOrderMib) {
            declarationRefusal =
                formatMessage(messages::EncodingContradictsByteOrderMark, declared, line, QLatin1String(mark->name));
        } else if (!mark && named->toUnicode(firstPiece.left(declaration.capturedLength())) != declaration.captured()) {
            declarationRefusal = formatMessage(messages::EncodingContradictsDeclaration, declared, line);
        } else if (!mark) {
            codec = named;
        }
    }
    utf8 = codec->mibEnum() == Utf8Mib;
    utf16 = codec->mibEnum() == Utf16Mib;
    replacementMeansInvalid = !codec->canEncode(QChar::ReplacementCharacter);
    decoder.reset(codec->makeDecoder(QTextCodec::ConvertInvalidToNull));
}

XmlDecoder::~XmlDecoder() = default;

QString XmlDecoder::name() const
{
    return QString::fromLatin1(codec->name());
}

QString XmlDecoder::decode(const QByteArray &piece, bool last, int &invalidAt)
{
    QString text = decoder->toUnicode(piece);
    if (!heldBack.isEmpty()) {
        text.prepend(heldBack);
        heldBack.clear();
    }
    // The parser takes each piece on its own, as UTF-8, in which half a surrogate pair is lost.
    if (!last && !text.isEmpty() && text.at(text.size() - 1).isHighSurrogate()) {
        heldBack = text.back();
        text.chop(1);
    }
    invalidAt = firstInvalid(text, last);
    return text;
}

int XmlDecoder::firstInvalid(const QString &text, bool last)
{
    int first = -1;
    const auto consider = [&first](int index) {
        if (index >= 0 && (first < 0 || index < first))
            first = index;
    };
    if (decoder->hasFailure()) { // it leaves a NUL in place of the bytes it could not read
        const int null = text.indexOf(QChar(0));
        consider(null >= 0 ? null : 0);
    }
    if (replacementMeansInvalid) // the codec knows no character for a byte
        consider(text.indexOf(QChar::ReplacementCharacter));
    if (utf16) // the decoder lets single surrogates through
        consider(unpairedSurrogate(text));
    if (first < 0 && last && decoder->needsMoreData())
        first = text.size();
    return first;
}

/*
 * Well-formed UTF-8 (RFC 3629): no overlong form, no surrogate, nothing above U+10FFFF, which is
 * what Qt's UTF-8 decoder takes. The second byte of a sequence is held to the narrower ranges that
 * rule those out, every other continuation byte to 80..BF.
 */
int XmlDecoder::firstInvalidUtf8(const QByteArray &piece, bool last)
{
    const auto *const bytes = reinterpret_cast<const uchar *>(piece.constData());
    const int size = piece.size();
    for (int i = 0; i < size; ++i) {
        if (utf8Pending == 0) {
            // ASCII, the bulk of a document, eight bytes at a time.
            while (i + 8 <= size) {
                quint64 eight;
                std::memcpy(&eight, bytes + i, sizeof eight);
                if (eight & 0x8080808080808080ULL)
                    break;
                i += 8;
            }
            if (i == size)
                break;
        }
        const uchar b = bytes[i];
        if (utf8Pending > 0) {
            if (b < utf8Low || b > utf8High)
                return i;
            --utf8Pending;
            utf8Low = 0x80;
            utf8High = 0xBF;
        } else if (b >= 0x80) {
            if (b < 0xC2 || b > 0xF4)
                return i;
            utf8Pending = b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
            utf8Low = b == 0xE0 ? 0xA0 : b == 0xF0 ? 0x90 : 0x80;
            utf8High = b == 0xED ? 0x9F : b == 0xF4 ? 0x8F : 0xBF;
        }
    }
    return last && utf8Pending > 0 ? size : -1;
}

std::unique_ptr<QTextDecoder> makeUtf8Decoder()
{
    return std::unique_ptr<QTextDecoder>(QTextCodec::codecForMib(Utf8Mib)->makeDecoder());
}

} // namespace pelmak
