// A bare Qt DOM parse of a document: the cost of holding it as a QDomDocument, which is how the
// library's reader sees a document. Prints the number of the root's child nodes so that the
// parse is kept.
//
//   qtdom_parse DOC

#include <QByteArray>
#include <QDomDocument>
#include <QFile>
#include <QString>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: qtdom_parse DOC\n");
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "qtdom_parse: cannot open %s\n", argv[1]);
        return 1;
    }
    const QByteArray bytes = file.readAll();
    QDomDocument document;
    QString message;
    int line = 0;
    if (!document.setContent(bytes, &message, &line)) {
        std::fprintf(stderr, "qtdom_parse: line %d: %s\n", line, message.toUtf8().constData());
        return 1;
    }
    std::printf("%d child nodes\n", document.documentElement().childNodes().count());
    return 0;
}
