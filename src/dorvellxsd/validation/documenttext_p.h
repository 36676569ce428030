/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_DOCUMENTTEXT_P_H
#define DORVELLXSD_DOCUMENTTEXT_P_H

#include "parsererrorhandler_p.h"

#include <QByteArray>
#include <QFile>

#include <xercesc/sax/InputSource.hpp>

#include <memory>
#include <optional>

namespace pelmak {

class XmlDecoder;

/*
 * The text of a checked document as the library's readers read it: decoded by their decoder, so
 * that the validator refuses what they refuse, with their words. An encoding they refuse is
 * refused before the parser reads anything; the text the parser gets ends before the first bytes
 * that are no text in the encoding, which are refused where they stand, not where the parser's
 * own decoder would notice them. A UTF-8 document goes to the parser as its bytes, any other as
 * the UTF-16 the decoder makes of it, so that the parser reads the characters the readers read.
 */
class DocumentText
{
public:
    explicit DocumentText(const QString &path);
    ~DocumentText();
    DocumentText(const DocumentText &) = delete;
    DocumentText &operator=(const DocumentText &) = delete;

    // Why the parser must not read the document at all; none when it may.
    std::optional<Diagnostic> refusal() const { return wholeRefusal; }
    // The text for the parser; it reads from this object, which must outlive the parse.
    std::unique_ptr<xercesc::InputSource> input();

    /*
     * What stands for @p diagnostic of the parser: itself, unless it is a fatal error that the end
     * of the text caused where bytes were refused (at or after the place they stand); the refusal
     * of those bytes then stands for the first such one, and nothing for the others.
     */
    std::optional<Diagnostic> inPlaceOf(const Diagnostic &diagnostic);
    // The refusal of the bytes where the text was cut short, if none stood for a diagnostic yet.
    std::optional<Diagnostic> badBytesLeft();

    // The next piece of text for the parser, empty at its end.
    QByteArray nextPiece();

private:
    void advance(const QByteArray &utf8);
    void advance(const QString &text);
    void countLineEnd(bool carriageReturn);

    QFile file;
    std::unique_ptr<XmlDecoder> decoder;
    QByteArray ahead; // read, not yet decoded: whether more follows is known only from it
    std::optional<Diagnostic> wholeRefusal;
    std::optional<Diagnostic> cut;
    bool cutReported = false;
    XMLFileLoc line = 1;
    XMLFileLoc column = 1;
    bool afterCarriageReturn = false;
};

} // namespace pelmak

#endif
