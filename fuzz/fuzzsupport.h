// What the fuzz targets share: failing loudly, and a folder for the files they hand the library.
#ifndef DORVELLXSD_FUZZSUPPORT_H
#define DORVELLXSD_FUZZSUPPORT_H

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdio>
#include <cstdlib>

// Stops the run as a crash, naming the broken promise, so that libFuzzer keeps the input.
#define FUZZ_REQUIRE(condition) ((condition) ? static_cast<void>(0) : fuzzsupport::fail(#condition, __FILE__, __LINE__))

namespace fuzzsupport {

[[noreturn]] inline void fail(const char *condition, const char *file, int line)
{
    std::fprintf(stderr, "%s:%d: broken: %s\n", file, line, condition);
    std::abort();
}

// The library syncs the files it saves: in memory that costs nothing, on a disk most of a run.
inline QString temporaryParent()
{
    const QFileInfo memory(QStringLiteral("/dev/shm"));
    return memory.isDir() && memory.isWritable() ? memory.filePath() : QDir::tempPath();
}

// A path in a folder of this process that is removed when it ends.
inline QString temporaryPath(const QString &name)
{
    static const QTemporaryDir folder(QDir(temporaryParent()).filePath(QStringLiteral("dorvellxsd-fuzz-XXXXXX")));
    return QDir(folder.path()).filePath(name);
}

inline QString writeTemporaryFile(const QString &name, const QByteArray &content)
{
    const QString path = temporaryPath(name);
    QFile file(path);
    FUZZ_REQUIRE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size());
    return path;
}

} // namespace fuzzsupport

#endif
