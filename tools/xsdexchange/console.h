#ifndef XSDEXCHANGE_CONSOLE_H
#define XSDEXCHANGE_CONSOLE_H

#include <QString>
#include <QTextStream>

namespace xsdexchange {

// Standard output and standard error as UTF-8 text.
QTextStream &out();
QTextStream &err();

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

} // namespace xsdexchange

#endif
