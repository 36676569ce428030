#include "message_p.h"

namespace pelmak {

QString formatMessage(const char *sourceText)
{
    return QObject::tr(sourceText);
}

QString formatMessage(const char *sourceText, const QString &arg1)
{
    return QObject::tr(sourceText).arg(arg1);
}

QString formatMessage(const char *sourceText, const QString &arg1, const QString &arg2)
{
    return QObject::tr(sourceText).arg(arg1, arg2);
}

QString formatMessage(const char *sourceText, const QString &arg1, const QString &arg2, const QString &arg3)
{
    return QObject::tr(sourceText).arg(arg1, arg2, arg3);
}

QString formatMessage(
    const char *sourceText, const QString &arg1, const QString &arg2, const QString &arg3, const QString &arg4)
{
    return QObject::tr(sourceText).arg(arg1, arg2, arg3, arg4);
}

std::logic_error logicError(const QString &message)
{
    return std::logic_error(message.toStdString());
}

std::runtime_error runtimeError(const QString &message)
{
    return std::runtime_error(message.toStdString());
}

} // namespace pelmak
