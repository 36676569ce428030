#include "documenttext_p.h"

#include "../message_p.h"
#include "../xml/xmlencoding_p.h"
#include "xerces_p.h"

#include <QtEndian>

#include <xercesc/util/BinInputStream.hpp>

#include <algorithm>
#include <cstring>
#include <utility>

namespace pelmak {
namespace {

constexpr qint64 PieceSize = 1 << 16;

// The UTF-16 of QString's code units in this machine's byte order, as the parser is told to read it.
const XMLCh *const Utf16OfThisMachine = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? u"UTF-16LE" : u"UTF-16BE";

// Hands the parser the pieces of a document text.
class PieceStream : public xercesc::BinInputStream
{
public:
    explicit PieceStream(DocumentText &source)
        : text(source)
    {
    }
    XMLFilePos curPos() const override { return position; }
    XMLSize_t readBytes(XMLByte *const toFill, const XMLSize_t maxToRead) override
    {
        if (offset == piece.size()) {
            piece = text.nextPiece();
            offset = 0;
        }
        const auto count = std::min(maxToRead, static_cast<XMLSize_t>(piece.size() - offset));
        std::memcpy(toFill, piece.constData() + offset, count);
        offset += static_cast<int>(count);
        position += count;
        return count;
    }
    const XMLCh *getContentType() const override { return nullptr; }

private:
    DocumentText &text;
    QByteArray piece;
    int offset = 0;
    XMLFilePos position = 0;
};

class DocumentInput : public xercesc::InputSource
{
public:
    DocumentInput(DocumentText &source, const QString &path)
        : xercesc::InputSource(toXmlCh(path))
        , text(source)
    {
    }
    xercesc::BinInputStream *makeStream() const override { return new PieceStream(text); }

private:
    DocumentText &text;
};

} // namespace

DocumentText::DocumentText(const QString &path)
    : file(path)
{
    if (!file.open(QIODevice::ReadOnly)) {
        wholeRefusal = wholeFileDiagnostic(messages::CannotOpenFile, path);
        return;
    }
    ahead = file.read(PieceSize);
    if (ahead.isEmpty())
        return; // the parser says what an empty document lacks
    decoder = std::make_unique<XmlDecoder>(ahead);
    if (!decoder->refusal().isEmpty())
        wholeRefusal = Diagnostic{1, 1, decoder->refusal()};
}

DocumentText::~DocumentText() = default;

std::unique_ptr<xercesc::InputSource> DocumentText::input()
{
    auto source = std::make_unique<DocumentInput>(*this, file.fileName());
    // The declaration may name the encoding in words the parser reads otherwise; the text is what it is.
    source->setEncoding(!decoder || decoder->isUtf8() ? u"UTF-8" : Utf16OfThisMachine);
    return source;
}

std::optional<Diagnostic> DocumentText::inPlaceOf(const Diagnostic &diagnostic)
{
    const bool causedByCut = cut && diagnostic.severity == Severity::Fatal
        && (diagnostic.line > cut->line || (diagnostic.line == cut->line && diagnostic.column >= cut->column));
    if (!causedByCut)
        return diagnostic;
    return badBytesLeft();
}

std::optional<Diagnostic> DocumentText::badBytesLeft()
{
    if (!cut || std::exchange(cutReported, true))
        return std::nullopt;
    return cut;
}

QByteArray DocumentText::nextPiece()
{
    if (ahead.isEmpty() || cut)
        return {};
    const QByteArray bytes = std::exchange(ahead, file.read(PieceSize));
    const bool last = ahead.isEmpty();
    QByteArray piece;
    int invalidAt = -1;
    if (decoder->isUtf8()) {
        invalidAt = decoder->firstInvalidUtf8(bytes, last);
        piece = invalidAt < 0 ? bytes : bytes.left(invalidAt);
        advance(piece);
    } else {
        QString text = decoder->decode(bytes, last, invalidAt);
        if (invalidAt >= 0)
            text.truncate(invalidAt);
        advance(text);
        piece = QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    }
    if (invalidAt >= 0) {
        cut = Diagnostic{
            line, column, formatMessage(messages::BytesNotInEncoding, QString::number(line), decoder->name())};
        ahead.clear();
    }
    return piece;
}

// Line ends as XML counts them: a line feed, a carriage return, or both together.
void DocumentText::countLineEnd(bool carriageReturn)
{
    if (!carriageReturn && afterCarriageReturn) {
        afterCarriageReturn = false;
        return;
    }
    ++line;
    column = 1;
    afterCarriageReturn = carriageReturn;
}

// Columns count UTF-16 code units, as the parser counts them: two for a character beyond U+FFFF.
void DocumentText::advance(const QByteArray &utf8)
{
    for (const char c : utf8) {
        const auto byte = static_cast<uchar>(c);
        if (byte == '\n' || byte == '\r') {
            countLineEnd(byte == '\r');
            continue;
        }
        afterCarriageReturn = false;
        if ((byte & 0xC0) != 0x80)
            column += byte >= 0xF0 ? 2 : 1;
    }
}

void DocumentText::advance(const QString &text)
{
    for (const QChar c : text) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            countLineEnd(c == QLatin1Char('\r'));
            continue;
        }
        afterCarriageReturn = false;
        ++column;
    }
}

} // namespace pelmak
