#ifndef DORVELLXSD_TESTS_HTTPLISTENER_H
#define DORVELLXSD_TESTS_HTTPLISTENER_H

#include <QProcess>
#include <QString>
#include <QStringList>

/*
 * A local HTTP listener (tests/validation/httplistener.py) that serves one file, or accepts and never answers, and
 * tells which requests it saw.
 */
class Listener
{
public:
    Listener(const char *mode, const QString &file = QString())
    {
        process.start(
            QStringLiteral("python3"), {QStringLiteral(DORVELLXSD_HTTP_LISTENER), QString::fromLatin1(mode), file});
        if (process.waitForReadyRead(10000))
            port = process.readLine().trimmed();
    }
    ~Listener()
    {
        process.kill();
        process.waitForFinished();
    }
    bool isListening() const { return !port.isEmpty(); }
    QString portNumber() const { return port; }
    QString address(const QString &path) const { return "http://127.0.0.1:" + port + path; }
    QStringList requests()
    {
        process.waitForReadyRead(200);
        seen += QString::fromLatin1(process.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        return seen;
    }

private:
    QProcess process;
    QString port;
    QStringList seen;
};

#endif
