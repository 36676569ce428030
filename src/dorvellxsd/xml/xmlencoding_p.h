/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_XMLENCODING_P_H
#define DORVELLXSD_XMLENCODING_P_H

#include <QByteArray>
#include <QString>

#include <memory>

class QTextCodec;
class QTextDecoder;

namespace pelmak {

// A decoder of UTF-8 that reads a text as Qt's parser does, a byte order mark skipped.
std::unique_ptr<QTextDecoder> makeUtf8Decoder();

/*
 * Decodes the bytes of an XML file, piece after piece, in the encoding the file says it is in,
 * as XML 1.0 reads it: a UTF-8 or UTF-16 byte order mark, otherwise the encoding named in an XML
 * declaration written in ASCII (UTF-8 when there is none). A text that begins as UCS-4, as UTF-16
 * without a mark or as EBCDIC begins (XML 1.0, appendix F) is refused, and so are a name Qt does not know, a
 * declaration that contradicts the byte order mark or cannot be read in the encoding it names (UTF-16 without a byte
 * order mark), and bytes that are no text in the encoding are refused: decoding them would store something other than
 * what the document holds.
 */
class XmlDecoder
{
public:
    // Takes the encoding from @p firstPiece, the beginning of the file, before it is decoded.
    explicit XmlDecoder(const QByteArray &firstPiece);
    ~XmlDecoder();
    XmlDecoder(const XmlDecoder &) = delete;
    XmlDecoder &operator=(const XmlDecoder &) = delete;

    // Why the declared encoding is refused; empty when it is not.
    QString refusal() const { return declarationRefusal; }
    // The encoding's name, for messages.
    QString name() const;
    // Whether the text is UTF-8, so that the bytes of a valid piece are the UTF-8 of its text.
    bool isUtf8() const { return utf8; }

    /*
     * The text of the next piece of the file, the first one included; @p last when no bytes follow.
     * The index of the first character that stands for bytes which are no text in the encoding goes
     * to @p invalidAt, the text's size when it ends within a character, and -1 when all is valid.
     */
    QString decode(const QByteArray &piece, bool last, int &invalidAt);
    /*
     * For a UTF-8 text, which goes to the parser as the bytes it is: the index of the first byte of
     * @p piece that breaks a character, the piece's size when the @p last piece ends within one,
     * and -1 when all is valid. The bytes it refuses are those decode() would refuse.
     */
    int firstInvalidUtf8(const QByteArray &piece, bool last);

private:
    int firstInvalid(const QString &text, bool last);

    QTextCodec *codec = nullptr;
    std::unique_ptr<QTextDecoder> decoder;
    QString declarationRefusal;
    bool utf8 = false;
    bool utf16 = false;
    bool replacementMeansInvalid = false;  ///< the encoding has no U+FFFD of its own
    QString heldBack;                      ///< the first half of a surrogate pair the last piece ended with
    int utf8Pending = 0;                   ///< continuation bytes the last piece still owes
    uchar utf8Low = 0x80, utf8High = 0xBF; ///< the range of the next continuation byte
};

} // namespace pelmak

#endif
