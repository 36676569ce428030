#include "domtreebuilder_p.h"
#include "xmlencoding_p.h"
#include "xmllimits_p.h"
#include "xmlreading_p.h"

#include <QBuffer>
#include <QTextCodec>

#include <random>

#include <gtest/gtest.h>

using namespace pelmak;

namespace {

QByteArray attributes(int count, const char *name)
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += "\n " + QByteArray(name) + QByteArray::number(i) + " = 'v'";
    return text;
}

// The guard's verdict on text handed over in pieces of pieceSize bytes.
std::string verdict(const QByteArray &text, int pieceSize)
{
    XmlMarkupGuard guard;
    for (int start = 0; start < text.size(); start += pieceSize) {
        const QString refusal = guard.scan(text.mid(start, pieceSize));
        if (!refusal.isEmpty())
            return refusal.toStdString();
    }
    return "";
}

// Keeps every text, attribute value and comment it is told.
class TextCollector : public XmlTokenSink
{
public:
    void startElement(const QString &, const XmlAttributes &attributes) override
    {
        for (const auto &attribute : attributes)
            texts.append(attribute.second);
    }
    void endElement() override {}
    void text(const QString &text, TextKind kind) override
    {
        if (kind != TextKind::Blank)
            texts.append(text);
    }
    void comment(const QString &text) override { texts.append(text); }
    void processingInstruction(const QString &, const QString &data) override { texts.append(data); }

    QStringList texts;
};

} // namespace

// A value a reader keeps (a feature's, for as long as its batch lives) must not hold on to the
// parser's buffer, which has grown to the longest text before it.
TEST(XmlTokenizer, TellsEachTextInAStringOfItsOwnSize)
{
    const QString longText(5000, QLatin1Char('x'));
    QXmlStreamReader reader(
        QStringLiteral("<r><a>%1</a><b>1</b> <c v='22'>333<![CDATA[4]]></c><!--55--><?pi 6?></r>").arg(longText));
    XmlNameCache names;
    XmlTokenizer tokenizer(reader, MaxXmlDepth, names);
    TextCollector collector;
    QString error;
    ASSERT_TRUE(tokenizer.readAll(collector, &error)) << error.toStdString();
    EXPECT_EQ(collector.texts, QStringList({longText, "1", "22", "333", "4", "55", "6"}));
    for (const QString &text : collector.texts)
        EXPECT_EQ(text.capacity(), text.size()) << text.left(10).toStdString();
}

// The guard follows markup across piece boundaries of any size: only real attributes of one start tag
// count, and the line it names is that of the attribute past the limit.
TEST(XmlMarkupGuard, CountsTheAttributesOfEachStartTag)
{
    const QByteArray lookAlikes = "<!--" + attributes(1500, "a") + "--><![CDATA[" + attributes(1500, "a") + "]]>"
        + "<?pi" + attributes(1500, "a") + "?><v a='>\"" + attributes(1500, "a").replace('\'', '"') + "' b=\"'>\"/>";
    const int most = MaxXmlAttributes;
    const int declarations = MaxXmlNamespaceDeclarations;
    const std::string tooMany = " несёт больше " + std::to_string(most) + " атрибутов";
    const std::pair<QByteArray, std::string> cases[] = {
        {"<r" + attributes(most - declarations, "a") + attributes(declarations, "xmlns:p") + ">" + lookAlikes + "<e"
                + attributes(most, "a") + "/></r>",
            ""},
        {"<r>" + lookAlikes + "<e" + attributes(most + 1, "a") + "/></r>",
            "элемент в строке " + std::to_string(4 * 1500 + most + 1 + 1) + tooMany},
        {"<r xmlns='x'" + attributes(declarations, "xmlns:p") + "/>",
            "элемент в строке " + std::to_string(declarations + 1) + " объявляет больше " + std::to_string(declarations)
                + " пространств имён"},
        // Names that only begin like a declaration are none.
        {"<r" + attributes(declarations, "xmlns:p") + attributes(declarations, "xmlnsx")
                + attributes(declarations, "xmlns_") + "/>",
            ""},
        // A line end is a line feed, a carriage return, or both together, in text, values and end tags.
        {"<r>\r\n\r\r\n<e" + QByteArray(" a='' ").repeated(most + 1) + "/></r>", "элемент в строке 4" + tooMany},
        {"<r a='\r\n\r'\n b=\"\n\"><x></x\r\n><e" + QByteArray(" a='' ").repeated(most + 1) + "/></r>",
            "элемент в строке 6" + tooMany},
    };
    for (const auto &[text, expected] : cases) {
        for (const int pieceSize : {1, 3, 1 << 20})
            EXPECT_EQ(verdict(text, pieceSize), expected) << "pieces of " << pieceSize << ": " << text.left(60).data();
    }
}

namespace {

QByteArray utf16(const QString &text, bool bigEndian)
{
    QByteArray bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const QChar c : text) {
        const char high = static_cast<char>(c.unicode() >> 8), low = static_cast<char>(c.unicode() & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

QByteArray encoded(const char *encoding, const QString &text)
{
    return QTextCodec::codecForName(encoding)->fromUnicode(text);
}

// The root element's text as a file reader decodes @p bytes, or the reason it refuses them.
std::string rootText(const QByteArray &bytes)
{
    QBuffer file;
    file.setData(bytes);
    file.open(QIODevice::ReadOnly);
    QDomDocument document;
    QString refusal;
    if (!readXmlFile(file, document, BlankText::Values, &refusal))
        return "refused: " + refusal.toStdString();
    return document.documentElement().text().toStdString();
}

} // namespace

// The byte order mark, else the declaration, names the encoding; what contradicts it or cannot be
// read in it is refused, with the line of the first such byte, also where pieces of the file meet.
TEST(XmlFileReader, DecodesTheEncodingTheTextDeclares)
{
    const QString cyrillic = "Сад «Ёлка»", latin = "Café Müller";
    const auto document = [](const QString &encoding, const QString &value) {
        return (encoding.isEmpty() ? QString() : "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?>\n") + "<r>"
            + value + "</r>\n";
    };
    // Where the reader's pieces meet: within a UTF-8 sequence, and between the halves of a surrogate pair.
    const QString tree = "🌲";
    const QString splitUtf8 = QString((1 << 20) - 5, 'x') + tree, splitUtf16 = QString((1 << 19) - 5, 'x') + tree;
    const std::string refused = "refused: ";
    const auto unread = [](const std::string &family) {
        return "текст в строке 1 записан в кодировке " + family
            + ", а читаются UTF-8, UTF-16 с меткой порядка байтов и кодировки, совместимые с ASCII";
    };
    const std::pair<QByteArray, std::string> cases[] = {
        {document("", cyrillic).toUtf8(), cyrillic.toStdString()},
        {"\xEF\xBB\xBF" + document("utf-8", cyrillic).toUtf8(), cyrillic.toStdString()},
        {utf16(document("UTF-16", cyrillic), false), cyrillic.toStdString()},
        {utf16(document("", cyrillic), true), cyrillic.toStdString()},
        {utf16(document("UTF-16LE", cyrillic), false), cyrillic.toStdString()},
        {encoded("windows-1251", document("windows-1251", cyrillic)), cyrillic.toStdString()},
        {encoded("ISO-8859-5", "<?xml version = '1.0'\n encoding = 'ISO-8859-5' ?><r>Ёлка</r>"), "Ёлка"},
        {encoded("ISO-8859-1", document("ISO-8859-1", latin)), latin.toStdString()},
        {document("", splitUtf8).toUtf8(), splitUtf8.toStdString()},
        {utf16(document("", splitUtf16), true), splitUtf16.toStdString()},
        // Declarations that cannot hold.
        {document("x-nonesuch", "a").toUtf8(), refused + "неизвестная кодировка x-nonesuch в строке 1"},
        {utf16(document("windows-1251", "a"), false),
            refused + "кодировка windows-1251 в строке 1 противоречит метке порядка байтов UTF-16LE"},
        {utf16(document("UTF-16LE", "a"), true),
            refused + "кодировка UTF-16LE в строке 1 противоречит метке порядка байтов UTF-16BE"},
        {"\xEF\xBB\xBF" + document("UTF-16", "a").toUtf8(),
            refused + "кодировка UTF-16 в строке 1 противоречит метке порядка байтов UTF-8"},
        {document("UTF-16", "a").toUtf8(),
            refused
                + "кодировка UTF-16 в строке 1 противоречит самому объявлению: без метки порядка байтов оно "
                  "записано в кодировке, совместимой с ASCII"},
        // Encodings XML tells by their first bytes that neither a mark the decoder reads nor a declaration in ASCII
        // shows. (Qt's encoders write a byte order mark first.)
        {encoded("UTF-32LE", document("UTF-32", "a")), refused + unread("UCS-4 (UTF-32)")},
        {encoded("UTF-32BE", document("UTF-32", "a")).mid(4), refused + unread("UCS-4 (UTF-32)")},
        {encoded("UTF-16LE", document("UTF-16", "a")).mid(2), refused + unread("UTF-16")},
        {QByteArray("\x4C\x6F\xA7\x94\x93\x40\xA5\x85\x99\xA2\x89\x96\x95", 13), refused + unread("EBCDIC")},
        // Bytes that are no text in the encoding.
        {"<r>\r\n\r\na\xFF</r>", refused + "байты в строке 3 не являются текстом в кодировке UTF-8"},
        {"<r>\n" + splitUtf8.toUtf8().chopped(2) + "\n</r>",
            refused + "байты в строке 2 не являются текстом в кодировке UTF-8"},
        {"<r/>\n\xD0", refused + "байты в строке 2 не являются текстом в кодировке UTF-8"},
        {"<?xml version='1.0' encoding='ISO-8859-3'?>\n<r>\xA5</r>",
            refused + "байты в строке 2 не являются текстом в кодировке ISO-8859-3"},
        {utf16("<r>\n" + tree.left(1) + "</r>", false),
            refused + "байты в строке 2 не являются текстом в кодировке UTF-16"},
        {utf16("<r/>\n", false) + "\n", refused + "байты в строке 2 не являются текстом в кодировке UTF-16"},
    };
    for (const auto &[bytes, expected] : cases) {
        const std::string text = rootText(bytes); // some are a megabyte long
        EXPECT_TRUE(text == expected) << text.substr(0, 200) << " from " << bytes.left(60).toHex().data();
    }
}

// UTF-8 goes to the parser as bytes, checked without decoding: the check refuses exactly what the
// decoder refuses, on the same line, wherever the pieces of the file meet.
TEST(XmlDecoder, ChecksUtf8AsItsDecoderDecodesIt)
{
    // Lead and continuation bytes at the edges of their ranges, and bytes just outside them.
    const QByteArray leads("\xC1\xC2\xDF\xE0\xE1\xED\xEE\xEF\xF0\xF1\xF4\xF5\xFF");
    const QByteArray continuations("\x7F\x80\x8F\x90\x9F\xA0\xBF\xC0");
    std::mt19937 random(13);
    const auto lineOfRefusal = [](const QByteArray &first, const QByteArray &second, bool checkOnly) {
        XmlDecoder decoder(QByteArrayLiteral("<r/>"));
        QByteArray valid;
        for (const bool last : {false, true}) {
            const QByteArray &piece = last ? second : first;
            int invalidAt = -1;
            if (checkOnly) {
                invalidAt = decoder.firstInvalidUtf8(piece, last);
                valid += piece.left(invalidAt < 0 ? piece.size() : invalidAt);
            } else {
                const QString text = decoder.decode(piece, last, invalidAt);
                valid += text.left(invalidAt < 0 ? text.size() : invalidAt).toUtf8();
            }
            if (invalidAt >= 0)
                return valid.count('\n');
        }
        return -1;
    };
    // Every such lead byte with every three such continuation bytes.
    std::vector<QByteArray> texts;
    for (const char lead : leads) {
        for (const char a : continuations) {
            for (const char b : continuations) {
                for (const char c : continuations)
                    texts.push_back(QByteArray("\n") + lead + a + b + c + '\n');
            }
        }
    }
    // Characters at the edges of each length of sequence, noncharacters among them, and now and
    // then a byte that may break one.
    for (int round = 0; round < 20000; ++round) {
        QByteArray bytes;
        for (int length = 1 + static_cast<int>(random() % 6); length > 0; --length) {
            const QByteArray &stray = random() % 2 ? leads : continuations;
            if (random() % 4 == 0) {
                bytes += stray.at(static_cast<int>(random() % static_cast<unsigned>(stray.size())));
            } else {
                const uint edges[] = {
                    '\n', 0x7F, 0x80, 0x7FF, 0x800, 0xD7FF, 0xE000, 0xFFFD, 0xFFFE, 0xFFFF, 0x10000, 0x10FFFF};
                const uint code = edges[random() % (sizeof edges / sizeof *edges)];
                bytes += QString::fromUcs4(&code, 1).toUtf8();
            }
        }
        texts.push_back(bytes);
    }
    int refused = 0;
    for (const QByteArray &bytes : texts) {
        const int split = static_cast<int>(random() % (bytes.size() + 1));
        const QByteArray first = bytes.left(split), second = bytes.mid(split);
        const int expected = lineOfRefusal(first, second, false);
        EXPECT_EQ(lineOfRefusal(first, second, true), expected) << bytes.toHex().toStdString() << " at " << split;
        refused += expected >= 0;
    }
    EXPECT_GT(refused, 10000);
    EXPECT_LT(refused, 20000);
}
