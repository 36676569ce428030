// ParserErrorHandler is internal; its source is compiled into this test.
#include "parsererrorhandler_p.h"
#include "xerces_p.h"

#include <xercesc/sax/SAXParseException.hpp>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace pelmak;

namespace {

struct Reported
{
    int line;
    int column;
    std::string text;
};

class ParserErrorHandlerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        handler.callback = [this](int line, int column, const std::string &text) {
            reported.push_back({line, column, text});
        };
    }

    static xercesc::SAXParseException exception(const QString &message, XMLFileLoc line, XMLFileLoc column)
    {
        return xercesc::SAXParseException(toXmlCh(message), nullptr, nullptr, line, column);
    }

    XercesPlatform platform;
    ParserErrorHandler handler;
    std::vector<Reported> reported;
};

} // namespace

TEST_F(ParserErrorHandlerTest, EverySeverityReachesTheCallbackAlikeAndNothingThrows)
{
    handler.warning(exception(QStringLiteral("a warning"), 1, 2));
    handler.error(exception(QStringLiteral("an error"), 3, 4));
    EXPECT_NO_THROW(handler.fatalError(exception(QStringLiteral("элемент 'Мост'"), 5, 6)));

    ASSERT_EQ(reported.size(), 3u);
    EXPECT_EQ(reported[0].line, 1);
    EXPECT_EQ(reported[0].column, 2);
    EXPECT_EQ(reported[0].text, "a warning");
    EXPECT_EQ(reported[1].text, "an error");
    EXPECT_EQ(reported[2].line, 5);
    EXPECT_EQ(reported[2].column, 6);
    EXPECT_EQ(reported[2].text, "элемент 'Мост'"); // the local code page of Xerces-C is UTF-8 here
}

// A lone surrogate cannot be carried by any 8-bit code page: it is replaced, and the rest of
// the text arrives.
TEST_F(ParserErrorHandlerTest, UnrepresentableCharactersAreReplaced)
{
    QString message = QStringLiteral("value 'a?b' is not valid");
    message[8] = QChar(0xD800);
    handler.error(exception(message, 7, 26));
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0].text, "value 'a\xEF\xBF\xBD" "b' is not valid");
}
