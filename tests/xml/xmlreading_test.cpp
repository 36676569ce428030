#include "xmlreading_p.h"

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

} // namespace

// The guard follows markup across piece boundaries of any size: only real attributes of one start tag
// count, and the line it names is that of the attribute past the limit.
TEST(XmlMarkupGuard, CountsTheAttributesOfEachStartTag)
{
    const QByteArray lookAlikes = "<!--" + attributes(1500, "a") + "--><![CDATA[" + attributes(1500, "a") + "]]>"
        + "<?pi" + attributes(1500, "a") + "?><v a='>\"" + attributes(1500, "a").replace('\'', '"') + "' b=\"'>\"/>";
    const std::pair<QByteArray, std::string> cases[] = {
        {"<r" + attributes(900, "a") + attributes(100, "xmlns:p") + ">" + lookAlikes + "<e" + attributes(1000, "a")
                + "/></r>",
            ""},
        {"<r>" + lookAlikes + "<e" + attributes(1001, "a") + "/></r>",
            "элемент в строке " + std::to_string(4 * 1500 + 1001 + 1) + " несёт больше 1000 атрибутов"},
        {"<r xmlns='x'" + attributes(100, "xmlns:p") + "/>", "элемент в строке 101 объявляет больше 100 пространств имён"},
        // Names that only begin like a declaration are none.
        {"<r" + attributes(100, "xmlns:p") + attributes(100, "xmlnsx") + attributes(100, "xmlns_") + "/>", ""},
        // A line end is a line feed, a carriage return, or both together.
        {"<r>\r\n\r\r\n<e" + QByteArray(" a='' ").repeated(1001) + "/></r>", "элемент в строке 4 несёт больше 1000 атрибутов"},
    };
    for (const auto &[text, expected] : cases) {
        for (const int pieceSize : {1, 3, 1 << 20})
            EXPECT_EQ(verdict(text, pieceSize), expected) << "pieces of " << pieceSize << ": " << text.left(60).toStdString();
    }
}
