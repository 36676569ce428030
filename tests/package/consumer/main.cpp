#include <dorvellxsd/dorvellxsd.h>

#include <cstdio>

// Lists the tables of the exchange schema named on the command line.
int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    pelmak::XsdProvider provider;
    provider.initFromXsd(QString::fromLocal8Bit(argv[1]));
    for (const QString &name : provider.tables().tableNameList())
        std::printf("%s\n", name.toUtf8().constData());
    return 0;
}
