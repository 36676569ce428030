#ifndef XSDEXCHANGE_CONSOLE_H
#define XSDEXCHANGE_CONSOLE_H

#include "translation.h"

#include <dorvellxsd/exchange/xsdexchangeprogress.h>

#include <QList>
#include <QString>
#include <QTextStream>

#include <functional>

namespace xsdexchange {

// Standard output and standard error as UTF-8 text.
QTextStream &out();
QTextStream &err();

/// Counts per table, one line each, the numbers aligned: "  NAME  COUNT WHAT", @p what worded for each count.
void printCounts(const QList<pelmak::XsdTableCount> &counts, const char *what);

/**
 * Progress of a long step, shown on one line of standard error and rewritten in place. It shows
 * nothing when standard error is not a terminal, so logs and pipes get only the results.
 */
class Progress
{
public:
    Progress();
    ~Progress();
    Progress(const Progress &) = delete;
    Progress &operator=(const Progress &) = delete;

    void show(const QString &text);
    void clear();

private:
    bool enabled;
    int shownLength = 0;
};

/**
 * While one lives, Ctrl-C and SIGTERM only ask the running exchange to stop: its progress handler
 * throws at the next batch, so that the library keeps the earlier document or takes the import
 * back. A second Ctrl-C ends the tool at once.
 */
class Interruption
{
public:
    Interruption();
    ~Interruption();
    Interruption(const Interruption &) = delete;
    Interruption &operator=(const Interruption &) = delete;

    /// A progress handler that shows @p text of each step and stops the exchange when asked to.
    pelmak::XsdProgressHandler handler(
        Progress &progress, const std::function<QString(const pelmak::XsdExchangeProgress &)> &text) const;
};

} // namespace xsdexchange

#endif
