#include "console.h"

#include <cstdio>
#include <unistd.h>

namespace xsdexchange {
namespace {

QTextStream &utf8Stream(FILE *file)
{
    static QTextStream output(stdout);
    static QTextStream error(stderr);
    QTextStream &stream = file == stdout ? output : error;
    stream.setCodec("UTF-8");
    return stream;
}

} // namespace

QTextStream &out()
{
    return utf8Stream(stdout);
}

QTextStream &err()
{
    return utf8Stream(stderr);
}

Progress::Progress()
    : enabled(isatty(STDERR_FILENO) == 1)
{
}

Progress::~Progress()
{
    clear();
}

void Progress::show(const QString &text)
{
    if (!enabled)
        return;
    err() << '\r' << text;
    if (text.size() < shownLength)
        err() << QString(shownLength - text.size(), QLatin1Char(' '));
    err() << Qt::flush;
    shownLength = text.size();
}

void Progress::clear()
{
    if (!enabled || shownLength == 0)
        return;
    err() << '\r' << QString(shownLength, QLatin1Char(' ')) << '\r' << Qt::flush;
    shownLength = 0;
}

} // namespace xsdexchange
