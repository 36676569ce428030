/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_MESSAGE_P_H
#define DORVELLXSD_MESSAGE_P_H

#include <QObject>
#include <QString>

#include <stdexcept>

namespace pelmak {

/*
 * The source text of every message the library reports. The texts are Russian; an installed
 * translator replaces them through the "QObject" context, which is where QObject::tr looks.
 */
namespace messages {

// Reading files (schema reader, document reader, document writer)
inline constexpr char CannotOpenFile[] = QT_TRANSLATE_NOOP("QObject", "Не могу открыть файл %1");
inline constexpr char CannotParseFile[] = QT_TRANSLATE_NOOP("QObject", "Ошибка разбора файла: %1");

// Data sources
inline constexpr char CannotOpenDataSource[] =
    QT_TRANSLATE_NOOP("QObject", "Не могу открыть источник данных %1\n%2");
inline constexpr char InvalidLayerParameters[] =
    QT_TRANSLATE_NOOP("QObject", "Неверные параметры по передаваемому слою");
inline constexpr char NoLayerInformation[] =
    QT_TRANSLATE_NOOP("QObject", "Невозможно получить информацию по слою %1");
inline constexpr char InvalidFilter[] = QT_TRANSLATE_NOOP("QObject", "Ошибочный фильтр %1\n%2");
inline constexpr char NoFieldIndex[] =
    QT_TRANSLATE_NOOP("QObject", "Не могу определить индекс поля с именем %1");
inline constexpr char GeometryNotStored[] =
    QT_TRANSLATE_NOOP("QObject", "Геометрия не сохранена. Слой %1. Объект %2");

// Document writer
inline constexpr char DocumentNotStarted[] = QT_TRANSLATE_NOOP("QObject", "Документ не инициализирован");
inline constexpr char CannotOpenFileForWriting[] =
    QT_TRANSLATE_NOOP("QObject", "Не могу открыть файл %1 на запись");

// Validator
inline constexpr char SchemaAlreadyLoaded[] = QT_TRANSLATE_NOOP("QObject", "Схема уже загружена");
inline constexpr char CannotLoadSchema[] =
    QT_TRANSLATE_NOOP("QObject", "Не могу загрузить схему из файла %1");
inline constexpr char FileNotLoaded[] = QT_TRANSLATE_NOOP("QObject", "Не загружен файл %1");
// Appended on its own line to CannotLoadSchema: the parser's first word on the schema.
inline constexpr char SchemaDiagnostic[] = QT_TRANSLATE_NOOP("QObject", "Строка %1, столбец %2: %3");
// Schemas and documents that declare a document type are refused unread: their entities and
// external subsets would make the parser expand text without bound or open other files.
inline constexpr char DocumentTypeDeclared[] =
    QT_TRANSLATE_NOOP("QObject", "Объявление типа документа (DOCTYPE) в файле %1 не допускается");
inline constexpr char NestingTooDeep[] =
    QT_TRANSLATE_NOOP("QObject", "Вложенность элементов глубже %1 уровней не допускается");

} // namespace messages

/*
 * Translates a message and fills its markers in one pass, so that an argument that itself
 * holds "%2" (a path, a filter, GDAL's text) is never taken for a marker.
 */
QString formatMessage(const char *sourceText);
QString formatMessage(const char *sourceText, const QString &arg1);
QString formatMessage(const char *sourceText, const QString &arg1, const QString &arg2);
QString formatMessage(const char *sourceText, const QString &arg1, const QString &arg2, const QString &arg3);

// Exceptions carry their message as UTF-8.
std::logic_error logicError(const QString &message);
std::runtime_error runtimeError(const QString &message);

} // namespace pelmak

#endif
