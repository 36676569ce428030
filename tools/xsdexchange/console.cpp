#include "console.h"

#include "command.h"

#include <algorithm>
#include <csignal>
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

volatile std::sig_atomic_t interrupted = 0;

extern "C" void noteInterruption(int signal)
{
    interrupted = 1;
    std::signal(signal, SIG_DFL); // the next one ends the tool
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

void printCounts(const QList<pelmak::XsdTableCount> &counts, const char *what)
{
    int width = 0;
    for (const pelmak::XsdTableCount &count : counts)
        width = std::max(width, static_cast<int>(count.table.size()));
    for (const pelmak::XsdTableCount &count : counts)
        out() << "  " << count.table.leftJustified(width + 2) << counted(count.features, what) << '\n';
    out() << Qt::flush;
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

Interruption::Interruption()
{
    interrupted = 0;
    std::signal(SIGINT, noteInterruption);
    std::signal(SIGTERM, noteInterruption);
}

Interruption::~Interruption()
{
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

pelmak::XsdProgressHandler Interruption::handler(
    Progress &progress, const std::function<QString(const pelmak::XsdExchangeProgress &)> &text) const
{
    return [&progress, text](const pelmak::XsdExchangeProgress &step) {
        if (interrupted)
            throw StepFailure(Tool::tr("interrupted"));
        progress.show(text(step));
    };
}

} // namespace xsdexchange
