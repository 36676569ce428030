/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_MESSAGE_P_H
#define DORVELLXSD_MESSAGE_P_H

#include <QObject>
#include <QString>

#include <stdexcept>
#include <string>
#include <utility>

namespace pelmak {

/*
 * What a failure the library reports is, decided once beside its message below:
 *   Refusal      an input the library cannot take: a file's content, an argument, a name, a value
 *                that its target cannot hold, a call out of order. Thrown as std::logic_error.
 *   Environment  the environment failed what was asked of it: a file or folder that cannot be
 *                opened, read or written, a lost connection, a full disk, a write or a commit that
 *                the data source refuses with a reason of its own. Thrown as EnvironmentFailure.
 */
enum class FailureKind { Refusal, Environment };

// A message that a failure is thrown with, and the kind of that failure.
template <FailureKind Kind>
struct FailureMessage
{
    static constexpr FailureKind kind = Kind;
    const char *sourceText;

    constexpr operator const char *() const { return sourceText; }
};

/*
 * A failure of the environment, marked so that it can be told from a refusal: a std::logic_error,
 * the class every failure of the original classes (XsdProvider, XsdGdalDataProvider,
 * XsdXmlWriter, XsdXmlTables, XsdXmlChecker) is documented to be, which the classes whose contract
 * says std::runtime_error for such a failure rethrow as one at their boundary
 * (environmentAsRuntimeError). Not exported: hosts catch it as std::logic_error.
 */
class EnvironmentFailure : public std::logic_error
{
public:
    using std::logic_error::logic_error;
};

/*
 * The source text of every message the library reports, and for those a failure is thrown with,
 * its kind. The texts are Russian; an installed translator replaces them through the "QObject"
 * context, which is where QObject::tr looks. The messages without a kind fill another message's
 * markers, label a value or are no failure at all.
 */
namespace messages {

using Refusal = FailureMessage<FailureKind::Refusal>;
using Environment = FailureMessage<FailureKind::Environment>;

// Reading files (schema reader, document reader, document writer)
inline constexpr Environment CannotOpenFile{QT_TRANSLATE_NOOP("QObject", "Не могу открыть файл %1")};
inline constexpr Refusal CannotParseFile{QT_TRANSLATE_NOOP("QObject", "Ошибка разбора файла: %1")};
// Reading documents: what a document's elements do not map to
inline constexpr Refusal DocumentNotMapped{
    QT_TRANSLATE_NOOP("QObject", "Документ не читается как набор таблиц, строка %1: %2")};
inline constexpr char MemberRefersOutside[] =
    QT_TRANSLATE_NOOP("QObject", "член коллекции %1 ссылается на объект %2 вне документа, а такие объекты не читаются");
inline constexpr char FeatureInGmlNamespace[] = QT_TRANSLATE_NOOP(
    "QObject", "элемент %1 в %2 принадлежит пространству имён GML, а ожидался объект прикладной схемы");
inline constexpr char TextBesideMembers[] = QT_TRANSLATE_NOOP("QObject", "текст «%1» стоит между членами коллекции");
inline constexpr char TextBesideValues[] =
    QT_TRANSLATE_NOOP("QObject", "таблица %1, объект %2: текст «%3» стоит вне значений свойств");
inline constexpr char PropertyNotAValue[] = QT_TRANSLATE_NOOP("QObject",
    "таблица %1, объект %2: свойство %3 содержит элемент %4, а ожидались текст, ссылка xlink:href или одна "
    "геометрия GML");
inline constexpr char PropertyRepeated[] =
    QT_TRANSLATE_NOOP("QObject", "таблица %1, объект %2: свойство %3 повторяется, а столбец хранит одно значение");
inline constexpr char IdentifierOutOfRange[] =
    QT_TRANSLATE_NOOP("QObject", "таблица %1: число в идентификаторе %2 не помещается в 32 бита");
inline constexpr char SecondGeometry[] = QT_TRANSLATE_NOOP(
    "QObject", "таблица %1, объект %2: %3 — вторая геометрия вне свойств объекта, а такая геометрия у таблицы одна");
// Reading documents into related tables: what the tables do not map
inline constexpr char ElementNotMapped[] = QT_TRANSLATE_NOOP(
    "QObject", "таблица %1, объект %2: элемент %3 не соответствует ни одному столбцу и ни одной подчинённой таблице");
inline constexpr char AttributeNotMapped[] =
    QT_TRANSLATE_NOOP("QObject", "таблица %1, объект %2: атрибут %3 элемента %4 не соответствует ни одному столбцу");
inline constexpr char ElementNotAFeature[] =
    QT_TRANSLATE_NOOP("QObject", "элемент %1 в %2 не является объектом ни одной из таблиц");
inline constexpr char RootNotCollection[] =
    QT_TRANSLATE_NOOP("QObject", "корневой элемент %1 не является ни коллекцией объектов, ни объектом одной из таблиц");
// Related tables that contradict themselves: %2 of RelatedTableInvalid is one of the reasons after it
inline constexpr Refusal RelatedTableInvalid{QT_TRANSLATE_NOOP("QObject", "Связанная таблица %1 описана неверно: %2")};
inline constexpr char RelatedColumnsCount[] = QT_TRANSLATE_NOOP("QObject", "у её типа %1 атрибутов, а столбцов %2");
inline constexpr char RelatedRowUnplaced[] = QT_TRANSLATE_NOOP("QObject",
    "не задано, откуда читаются её строки: rowElement у таблицы объектов; parentPath и родительская таблица, "
    "стоящая в списке раньше, у подчинённой");
inline constexpr char RelatedPlaceTaken[] = QT_TRANSLATE_NOOP("QObject", "%1 читается ещё одним столбцом или таблицей");
// Reasons that fill the %1 of CannotParseFile when a document is refused before it is parsed
inline constexpr char DoctypeNotAllowed[] = QT_TRANSLATE_NOOP("QObject",
    "объявление DOCTYPE в строке %1 не допускается: документ не может объявлять сущности и ссылаться на DTD");
inline constexpr char NestingTooDeep[] = QT_TRANSLATE_NOOP("QObject", "элемент в строке %1 вложен глубже %2 уровней");
inline constexpr char AttributeNameNotAllowed[] =
    QT_TRANSLATE_NOOP("QObject", "имя атрибута в строке %1 недопустимо в XML");
inline constexpr char ProcessingInstructionTargetNotAllowed[] =
    QT_TRANSLATE_NOOP("QObject", "цель инструкции обработки в строке %1 недопустима в XML");
inline constexpr char FileTooLarge[] = QT_TRANSLATE_NOOP("QObject", "файл больше %1 байт");

// XML layer: reasons that fill the %1 of CannotParseFile when an element carries too much
inline constexpr char TooManyAttributes[] =
    QT_TRANSLATE_NOOP("QObject", "элемент в строке %1 несёт больше %2 атрибутов");
inline constexpr char TooManyNamespaceDeclarations[] =
    QT_TRANSLATE_NOOP("QObject", "элемент в строке %1 объявляет больше %2 пространств имён");

// XML layer: reasons that fill the %1 of CannotParseFile when the text is not in the encoding it declares
inline constexpr char EncodingUnknown[] = QT_TRANSLATE_NOOP("QObject", "неизвестная кодировка %1 в строке %2");
inline constexpr char EncodingNotRead[] = QT_TRANSLATE_NOOP("QObject",
    "текст в строке %2 записан в кодировке %1, а читаются UTF-8, UTF-16 с меткой порядка байтов и кодировки, "
    "совместимые с ASCII");
inline constexpr char EncodingContradictsByteOrderMark[] =
    QT_TRANSLATE_NOOP("QObject", "кодировка %1 в строке %2 противоречит метке порядка байтов %3");
inline constexpr char EncodingContradictsDeclaration[] = QT_TRANSLATE_NOOP("QObject",
    "кодировка %1 в строке %2 противоречит самому объявлению: без метки порядка байтов оно записано в кодировке, "
    "совместимой с ASCII");
inline constexpr char BytesNotInEncoding[] =
    QT_TRANSLATE_NOOP("QObject", "байты в строке %1 не являются текстом в кодировке %2");

// Data sources
inline constexpr Environment CannotOpenDataSource{
    QT_TRANSLATE_NOOP("QObject", "Не могу открыть источник данных %1\n%2")};
inline constexpr Refusal InvalidLayerParameters{
    QT_TRANSLATE_NOOP("QObject", "Неверные параметры по передаваемому слою")};
inline constexpr Refusal NoLayerInformation{QT_TRANSLATE_NOOP("QObject", "Невозможно получить информацию по слою %1")};
inline constexpr Refusal InvalidFilter{QT_TRANSLATE_NOOP("QObject", "Ошибочный фильтр %1\n%2")};
inline constexpr Refusal GeometryNotStored{QT_TRANSLATE_NOOP("QObject", "Геометрия не сохранена. Слой %1. Объект %2")};
inline constexpr Environment FeatureNotStored{QT_TRANSLATE_NOOP("QObject", "Объект не сохранён. Слой %1. Объект %2")};
inline constexpr Refusal DataSourceNotOpen{QT_TRANSLATE_NOOP("QObject", "Источник данных не открыт")};
inline constexpr Environment CannotReadLayer{QT_TRANSLATE_NOOP("QObject", "Ошибка чтения слоя %1\n%2")};
inline constexpr Environment CannotCommitTransaction{
    QT_TRANSLATE_NOOP("QObject", "Не могу завершить транзакцию в источнике данных %1")};
inline constexpr Refusal NetworkTimeoutNotPositive{
    QT_TRANSLATE_NOOP("QObject", "Предел ожидания сети должен быть не меньше секунды, а не %1")};

// Related tables of a schema
inline constexpr Refusal SchemaDeclaresNoFeatureType{
    QT_TRANSLATE_NOOP("QObject", "Схема не объявляет ни одного конкретного типа объектов в пространстве имён %1")};
inline constexpr Refusal RelatedTablesOfRedefinition{QT_TRANSLATE_NOOP(
    "QObject", "Схема %1 переопределяет схему %2 (xs:redefine): её типы не читаются в связанные таблицы")};
inline constexpr Refusal RelatedRowWithoutParent{
    QT_TRANSLATE_NOOP("QObject", "Строка %2 таблицы %1 принадлежит строке %3 таблицы %4, а такой строки нет")};
inline constexpr Refusal RelatedColumnNotWritable{
    QT_TRANSLATE_NOOP("QObject", "Столбец %2 таблицы %1 (путь %3) нельзя записать обратно в документ")};
inline constexpr Refusal FragmentNotWritable{QT_TRANSLATE_NOOP(
    "QObject", "Таблица %1, строка %2, столбец %3: значение не XML-элементы, которые можно вставить в документ")};
inline constexpr Refusal InlineFeatureMissing{
    QT_TRANSLATE_NOOP("QObject", "В таблице %1 нет строки %2, объекта внутри другого объекта")};
inline constexpr Refusal RelatedDocumentInvalid{
    QT_TRANSLATE_NOOP("QObject", "Документ %1 не соответствует схеме и не записан:\n%2")};
inline constexpr char InvalidityLine[] = QT_TRANSLATE_NOOP("QObject", "строка %1, объект %2 таблицы %3: %4");
inline constexpr char ColumnKeptAsXml[] = QT_TRANSLATE_NOOP("QObject", "%1.%2 хранит XML как есть: %3");
inline constexpr char KeptOpenContent[] = QT_TRANSLATE_NOOP("QObject", "схема допускает здесь любые элементы");
inline constexpr char KeptMixedContent[] = QT_TRANSLATE_NOOP("QObject", "текст перемежается с элементами");
inline constexpr char KeptRecursion[] = QT_TRANSLATE_NOOP("QObject", "тип содержит сам себя");
inline constexpr char KeptTooDeep[] = QT_TRANSLATE_NOOP("QObject", "вложенность типов данных слишком глубока");
inline constexpr char KeptGeometryOrValue[] = QT_TRANSLATE_NOOP("QObject", "выбор между геометрией и значениями");
inline constexpr char KeptSubstitutes[] = QT_TRANSLATE_NOOP("QObject", "здесь допускаются элементы нескольких типов");

// Exchange services
inline constexpr Refusal SchemaDeclaresNoTable{QT_TRANSLATE_NOOP("QObject", "Схема %1 не объявляет ни одной таблицы")};
inline constexpr char SchemaHasNoGlobalElement[] = QT_TRANSLATE_NOOP("QObject", "в ней нет глобальных элементов");
inline constexpr Refusal TableNotInSchema{QT_TRANSLATE_NOOP("QObject", "Схема не объявляет таблицу %1")};
inline constexpr Refusal TableHasNoLayer{QT_TRANSLATE_NOOP("QObject", "В источнике данных %1 нет слоя таблицы %2")};
inline constexpr Refusal NoTableHasLayer{
    QT_TRANSLATE_NOOP("QObject", "Ни у одной таблицы схемы нет слоя в источнике данных %1")};
inline constexpr Refusal OutputIsInput{QT_TRANSLATE_NOOP("QObject", "Результат %1 заменил бы входной файл %2")};
inline constexpr Refusal DocumentLacksTable{QT_TRANSLATE_NOOP("QObject", "В документе %1 нет таблицы %2")};
inline constexpr Refusal CreateNeedsSchema{QT_TRANSLATE_NOOP("QObject", "Для создания слоёв нужна схема документа")};
inline constexpr Environment CannotAddRelationship{
    QT_TRANSLATE_NOOP("QObject", "Не могу объявить связь таблиц %1 и %2: %3")};
inline constexpr Refusal RelatedNeedsSchema{
    QT_TRANSLATE_NOOP("QObject", "Для чтения документа в связанные таблицы нужна схема документа")};
inline constexpr Refusal TargetWithoutTransactions{QT_TRANSLATE_NOOP(
    "QObject", "У драйвера источника данных %1 нет транзакций: при сбое объекты, записанные до него, останутся")};
inline constexpr Environment CannotBeginTransaction{
    QT_TRANSLATE_NOOP("QObject", "Не могу начать транзакцию в источнике данных %1")};
inline constexpr Refusal ValuesWithoutPlace{
    QT_TRANSLATE_NOOP("QObject", "Цели некуда сохранить часть значений документа, поэтому ничего не импортировано:")};
inline constexpr char DroppedValuesLine[] = QT_TRANSLATE_NOOP("QObject", "%1: %2: %3 (%4)");
inline constexpr char ValuesOne[] = QT_TRANSLATE_NOOP("QObject", "%1 значение");
inline constexpr char ValuesFew[] = QT_TRANSLATE_NOOP("QObject", "%1 значения");
inline constexpr char ValuesMany[] = QT_TRANSLATE_NOOP("QObject", "%1 значений");
inline constexpr char LayerHasNoSuchField[] = QT_TRANSLATE_NOOP("QObject", "в слое нет такого поля");
inline constexpr char LayerHasNoGeometryColumn[] = QT_TRANSLATE_NOOP("QObject", "у слоя нет столбца геометрии");
inline constexpr char LayerTakesFirstGeometry[] =
    QT_TRANSLATE_NOOP("QObject", "слой хранит одну геометрию объекта, первую");
inline constexpr Refusal NoDriverToCreate{
    QT_TRANSLATE_NOOP("QObject", "У GDAL нет драйвера %1, создающего векторные источники данных")};
inline constexpr Environment CannotCreateDataSource{
    QT_TRANSLATE_NOOP("QObject", "Не могу создать источник данных %1 драйвером %2\n%3")};
inline constexpr Environment CannotCreateLayer{QT_TRANSLATE_NOOP("QObject", "Не могу создать слой %1\n%2")};
inline constexpr Environment CannotCreateField{QT_TRANSLATE_NOOP("QObject", "Не могу создать поле %2 слоя %1\n%3")};
inline constexpr Environment CannotDeleteLayer{QT_TRANSLATE_NOOP("QObject", "Не могу удалить слой %1\n%2")};
inline constexpr Refusal LayerSystemUnknown{
    QT_TRANSLATE_NOOP("QObject", "Система координат %2 слоя %1 неизвестна GDAL без обращения к сети и файлам")};
// The driver kept fewer features than it was given, without a word: the target cannot hold them.
inline constexpr Refusal LayerLostFeatures{QT_TRANSLATE_NOOP("QObject",
    "Слой %1 после импорта хранит не столько объектов, сколько должен (%2 вместо %3): драйвер сохранил не все")};
inline constexpr Environment CannotDeleteFeature{QT_TRANSLATE_NOOP("QObject", "Не могу удалить объект %2 слоя %1\n%3")};
inline constexpr Refusal LayerHoldsFeatures{
    QT_TRANSLATE_NOOP("QObject", "Слой %1 уже содержит объекты (%2): импорт добавил бы к ним объекты документа")};
inline constexpr char PassToAppendOrOverwrite[] =
    QT_TRANSLATE_NOOP("QObject", "Передайте %1, чтобы добавить объекты к имеющимся, или %2, чтобы заменить их");
inline constexpr char PassToImportAnyway[] =
    QT_TRANSLATE_NOOP("QObject", "Передайте %1, чтобы импортировать всё равно");
inline constexpr char PassToImportTheRest[] =
    QT_TRANSLATE_NOOP("QObject", "Передайте %1, чтобы импортировать остальное");
inline constexpr Refusal UnknownLanguage{
    QT_TRANSLATE_NOOP("QObject", "Неизвестный язык сообщений %1: ожидались ru или en")};
inline constexpr Refusal RequiredValueMissing{
    QT_TRANSLATE_NOOP("QObject", "Таблица %1, объект %2: нет значения %3, а схема его требует")};
inline constexpr char TheGeometry[] = QT_TRANSLATE_NOOP("QObject", "геометрии");
inline constexpr Refusal NoSuchAttribute{
    QT_TRANSLATE_NOOP("QObject", "Таблица %1, объект %2: у таблицы нет атрибута %3")};
inline constexpr Refusal TableHasNoGeometry{
    QT_TRANSLATE_NOOP("QObject", "Таблица %1, объект %2: у таблицы нет геометрии")};

// Typed values of a document's features
inline constexpr Refusal ValueNotOfType{
    QT_TRANSLATE_NOOP("QObject", "Таблица %1, объект %2: значение «%4» атрибута %3 не является значением типа %5")};
inline constexpr Refusal DateTimeNotHeld{QT_TRANSLATE_NOOP("QObject",
    "Таблица %1, объект %2: значение «%4» атрибута %3 не помещается в типы даты и времени: годы от 1 до 9999, "
    "доли секунды до микросекунды, дата без часового пояса")};
inline constexpr Refusal AttributeNotInSchema{QT_TRANSLATE_NOOP("QObject", "Схема не объявляет атрибут %2 таблицы %1")};

// Arguments of a wrong type, refused by the hosts that bind the library into other languages
inline constexpr Refusal ArgumentNotPath{QT_TRANSLATE_NOOP("QObject", "Аргумент %1 должен быть путём, а не %2")};
inline constexpr Refusal ArgumentNotText{QT_TRANSLATE_NOOP("QObject", "Аргумент %1 должен быть строкой, а не %2")};
inline constexpr Refusal ArgumentNotTexts{
    QT_TRANSLATE_NOOP("QObject", "Аргумент %1 должен быть строкой или списком строк, а не %2")};
inline constexpr Refusal ArgumentNotInteger{
    QT_TRANSLATE_NOOP("QObject", "Аргумент %1 должен быть целым числом, а не %2")};
inline constexpr Refusal ArgumentNotBoolean{
    QT_TRANSLATE_NOOP("QObject", "Аргумент %1 должен быть логическим значением, а не %2")};
inline constexpr Refusal ValueNotText{
    QT_TRANSLATE_NOOP("QObject", "Таблица %1, объект %2: значение атрибута %3 должно быть строкой, а не %4")};
inline constexpr Refusal PathIsSchema{QT_TRANSLATE_NOOP(
    "QObject", "Аргумент %1 называет схему %2, а не документ: схема передаётся первой, документ после неё")};
inline constexpr Refusal SystemsMixed{QT_TRANSLATE_NOOP(
    "QObject", "Таблица %1: геометрии в нескольких системах координат (%2), а столбец геометрии хранит одну")};

// Values and geometries refused on insert, identifiers and geometries refused on reading
inline constexpr Refusal SecondGeometryNotStored{QT_TRANSLATE_NOOP(
    "QObject", "Геометрия не сохранена: объект уже получил другую, а слой хранит одну. Слой %1. Объект %2. %3")};
// Where in a feature a refused geometry stands: %3 of the messages above and below
inline constexpr char AttributeLabel[] = QT_TRANSLATE_NOOP("QObject", "Атрибут %1");
inline constexpr char FeatureGeometryLabel[] =
    QT_TRANSLATE_NOOP("QObject", "Геометрия, стоящая в самом объекте вне свойств");
inline constexpr Refusal FieldNotInLayer{QT_TRANSLATE_NOOP("QObject", "В слое %1 нет поля %2")};
inline constexpr Refusal ValueNotStorable{
    QT_TRANSLATE_NOOP("QObject", "Значение «%4» не может быть сохранено в поле %3 без искажения. Слой %1. Объект %2")};
inline constexpr Refusal GeometryNotReadable{
    QT_TRANSLATE_NOOP("QObject", "Геометрия не распознана. Слой %1. Объект %2. %3\n%4")};
inline constexpr Refusal CoordinateNotFinite{
    QT_TRANSLATE_NOOP("QObject", "Координата геометрии не является конечным числом. Слой %1. Объект %2. %3")};
inline constexpr Refusal CoordinateUnderflows{QT_TRANSLATE_NOOP("QObject",
    "Координата геометрии %4 ближе к нулю, чем число двойной точности хранит без потери точности. Слой %1. "
    "Объект %2. %3")};
inline constexpr Refusal PartsInSeveralSystems{QT_TRANSLATE_NOOP("QObject",
    "Части геометрии названы в разных системах координат (%4): они переносятся в систему слоя порознь, а это "
    "возможно лишь для членов составной геометрии и колец полигона и лишь в слой с системой координат. Слой %1. "
    "Объект %2. %3")};
inline constexpr Refusal UnknownCoordinateSystem{
    QT_TRANSLATE_NOOP("QObject", "Неизвестная система координат %4. Слой %1. Объект %2. %3")};
inline constexpr Refusal NoTransformation{QT_TRANSLATE_NOOP(
    "QObject", "Геометрия не может быть преобразована из системы координат %4 в систему слоя. Слой %1. Объект %2. %3")};
inline constexpr Refusal FeatureIdOutOfRange{
    QT_TRANSLATE_NOOP("QObject", "Идентификатор объекта %2 слоя %1 не помещается в 32 бита")};
inline constexpr Refusal GeometryNotExported{
    QT_TRANSLATE_NOOP("QObject", "Геометрия не выгружена в GML. Слой %1. Объект %2\n%3")};
inline constexpr Refusal BatchSizeNotPositive{
    QT_TRANSLATE_NOOP("QObject", "Размер пакета объектов должен быть положительным, а не %1")};
inline constexpr Refusal LayerReaderSourceClosed{
    QT_TRANSLATE_NOOP("QObject", "Источник данных слоя %1 закрыт или заменён во время чтения")};

// Document writer
inline constexpr Refusal DocumentNotStarted{QT_TRANSLATE_NOOP("QObject", "Документ не инициализирован")};
inline constexpr Environment CannotOpenFileForWriting{
    QT_TRANSLATE_NOOP("QObject", "Не могу открыть файл %1 на запись")};
inline constexpr Environment CannotWriteFile{QT_TRANSLATE_NOOP("QObject", "Не могу записать файл %1\n%2")};
inline constexpr Refusal InvalidTableName{QT_TRANSLATE_NOOP("QObject", "Имя таблицы %1 недопустимо в XML")};
inline constexpr Refusal InvalidAttributeName{
    QT_TRANSLATE_NOOP("QObject", "Имя атрибута %1 недопустимо в XML. Таблица %2")};
inline constexpr Refusal InvalidDocumentIdentity{QT_TRANSLATE_NOOP(
    "QObject", "Пространство имён «%1» или расположение схемы «%2» содержит символ, недопустимый в XML")};
inline constexpr Refusal FeatureIdRepeated{
    QT_TRANSLATE_NOOP("QObject", "Объект уже записан в документ, а его gml:id повторился бы. Таблица %1. Объект %2")};
inline constexpr Refusal InvalidValueCharacter{
    QT_TRANSLATE_NOOP("QObject", "Значение содержит символ, недопустимый в XML. Таблица %1. Объект %2. Атрибут %3")};

// Validator
inline constexpr Refusal SchemaAlreadyLoaded{QT_TRANSLATE_NOOP("QObject", "Схема уже загружена")};
// A failure of the environment where its reason is one (a schema that cannot be read or fetched).
inline constexpr Refusal CannotLoadSchema{QT_TRANSLATE_NOOP("QObject", "Не могу загрузить схему из файла %1")};
inline constexpr Refusal FileNotLoaded{QT_TRANSLATE_NOOP("QObject", "Не загружен файл %1")};
inline constexpr Refusal DiagnosticLimitNegative{
    QT_TRANSLATE_NOOP("QObject", "Число сохраняемых диагностик не может быть отрицательным: %1")};
// Appended on its own line to CannotLoadSchema: the parser's first word on the schema.
inline constexpr char SchemaDiagnostic[] = QT_TRANSLATE_NOOP("QObject", "Строка %1, столбец %2: %3");
// A schema file, the loaded one or one it imports, that declares a document type is refused
// unread; documents are refused with DoctypeNotAllowed and NestingTooDeep as diagnostics.
inline constexpr Refusal DocumentTypeDeclared{
    QT_TRANSLATE_NOOP("QObject", "Объявление типа документа (DOCTYPE) в файле %1 не допускается")};

// Schema reader
// %1 the schema file, %2 the line, %3 one of the reasons below, or a file the schema names that
// cannot be opened: a failure of the environment then
inline constexpr Refusal SchemaDeclarationRefused{QT_TRANSLATE_NOOP("QObject", "Схема %1, строка %2: %3")};
inline constexpr char NotXmlSchema[] =
    QT_TRANSLATE_NOOP("QObject", "корневой элемент %1 не является элементом schema пространства имён XML Schema");
inline constexpr char SchemaFileNotLocal[] =
    QT_TRANSLATE_NOOP("QObject", "подключаемая схема %1 не является локальным файлом");
inline constexpr char SchemaFileNotRegular[] =
    QT_TRANSLATE_NOOP("QObject", "подключаемая схема %1 не является обычным файлом");
inline constexpr char IncludedNamespaceDiffers[] =
    QT_TRANSLATE_NOOP("QObject", "подключаемая схема %1 объявляет целевое пространство имён «%2», ожидалось «%3»");
inline constexpr char IncludesTooDeep[] = QT_TRANSLATE_NOOP("QObject", "схемы подключают друг друга глубже %1 уровней");
inline constexpr char RedefineNotRead[] =
    QT_TRANSLATE_NOOP("QObject", "%1 не поддерживается: ожидались xs:include или xs:import");
inline constexpr char DeclarationWithoutName[] = QT_TRANSLATE_NOOP("QObject", "глобальное объявление %1 без имени");
inline constexpr char PrefixNotDeclared[] = QT_TRANSLATE_NOOP("QObject", "префикс имени %1 не объявлен");
inline constexpr char NameNotDeclared[] =
    QT_TRANSLATE_NOOP("QObject", "%1 не объявлен ни в схеме, ни в подключённых к ней локальных файлах");
inline constexpr char DefinitionCircular[] = QT_TRANSLATE_NOOP("QObject", "определение %1 ссылается само на себя");
inline constexpr char DefinitionsTooDeep[] = QT_TRANSLATE_NOOP("QObject", "определения вложены глубже %1 уровней");
inline constexpr char DefinitionsTooMany[] =
    QT_TRANSLATE_NOOP("QObject", "типы объектов раскрываются более чем в %1 определений");
inline constexpr char FeatureTypeExpected[] = QT_TRANSLATE_NOOP("QObject",
    "таблица %1: ожидался сложный тип, расширяющий (xs:complexContent/xs:extension) "
    "gml:AbstractFeatureType или тип другого объекта схемы");
inline constexpr char FeatureHasNoProperty[] =
    QT_TRANSLATE_NOOP("QObject", "таблица %1: тип объекта не объявляет ни одного свойства");
inline constexpr char ParticleNotColumn[] = QT_TRANSLATE_NOOP("QObject",
    "таблица %1: %2 не может быть столбцом; ожидались xs:element с именем или ссылкой, "
    "xs:sequence, xs:choice, xs:all или xs:group со ссылкой");
inline constexpr char PropertyRepeats[] =
    QT_TRANSLATE_NOOP("QObject", "таблица %1: %2 может повторяться (maxOccurs %3), а столбец хранит одно значение");
inline constexpr char PropertyTypeNotColumn[] =
    QT_TRANSLATE_NOOP("QObject", "таблица %1: значение свойства %2 (тип %3) не является ни текстом, ни геометрией GML");
inline constexpr char GmlPropertyNotColumn[] = QT_TRANSLATE_NOOP(
    "QObject", "таблица %1: элемент GML %2 не может быть столбцом; ожидалось свойство, объявленное схемой");
inline constexpr char ChoiceMixesGeometry[] =
    QT_TRANSLATE_NOOP("QObject", "таблица %1: выбор (xs:choice) смешивает геометрию GML с другими элементами");
inline constexpr Refusal GmlVersionsMixed{
    QT_TRANSLATE_NOOP("QObject", "Схема %1 ссылается и на GML 3.1.1, и на GML 3.2")};
// Why a global element is not a table: %1 the element, %2 its line, %3 one of the reasons below
inline constexpr char DeclarationNotATable[] = QT_TRANSLATE_NOOP("QObject", "%1 (строка %2) не таблица: %3");
inline constexpr char ElementIsAbstract[] = QT_TRANSLATE_NOOP("QObject", "элемент абстрактный");
inline constexpr char ElementInNoSubstitutionGroup[] =
    QT_TRANSLATE_NOOP("QObject", "элемент не входит в группу замены (substitutionGroup)");
inline constexpr char ElementNotInFeatureGroup[] =
    QT_TRANSLATE_NOOP("QObject", "группа замены %1 не ведёт к gml:_Feature или gml:AbstractFeature");
inline constexpr char ElementIsCollection[] =
    QT_TRANSLATE_NOOP("QObject", "элемент — коллекция объектов (группа замены %1)");

// Validator: catalogs and limits
inline constexpr Refusal NotARegularFile{
    QT_TRANSLATE_NOOP("QObject", "%1 не обычный файл: схемы и документы читаются только из обычных файлов")};
inline constexpr char PrologUnreadable[] = QT_TRANSLATE_NOOP(
    "QObject", "Начало файла %1 не читается как XML: нельзя проверить, что в нём нет объявления DOCTYPE");
inline constexpr Refusal NetworkAccessOff{QT_TRANSLATE_NOOP("QObject",
    "Схема %1 находится в сети, а доступ к сети выключен: сопоставьте этот адрес локальному файлу "
    "в каталоге XML или разрешите доступ к сети")};
inline constexpr Refusal SchemaTooLarge{QT_TRANSLATE_NOOP("QObject", "Схема %1 больше %2 байт")};
inline constexpr Environment SchemaFetchFailed{QT_TRANSLATE_NOOP("QObject", "Не могу получить схему %1: %2")};
inline constexpr char SchemaLoadOutOfMemory[] =
    QT_TRANSLATE_NOOP("QObject", "Не хватило памяти: схема или то, что она импортирует, слишком велики");
inline constexpr char ParserGaveNoReason[] = QT_TRANSLATE_NOOP("QObject", "парсер не назвал причину");
inline constexpr char ContentModelTooLarge[] = QT_TRANSLATE_NOOP("QObject",
    "Модель содержимого в строке %1 файла %2 разворачивается более чем в %3 позиций элементов: "
    "произведение вложенных minOccurs и maxOccurs слишком велико");
inline constexpr char PatternBacktracks[] = QT_TRANSLATE_NOOP("QObject",
    "Фасет xs:pattern «%1» в строке %2 файла %3 может проверяться экспоненциально долго: повторяемая группа в нём "
    "разбирает одно значение несколькими способами, а после неё значение должно совпасть ещё с чем-то");
inline constexpr Environment CatalogMissing{QT_TRANSLATE_NOOP("QObject", "Каталог XML %1 не найден")};
inline constexpr Refusal CatalogNotWellFormed{QT_TRANSLATE_NOOP("QObject", "Каталог XML %1 не разобран: %2")};
inline constexpr Refusal CatalogLoop{
    QT_TRANSLATE_NOOP("QObject", "Каталог XML %1 через nextCatalog ссылается сам на себя")};
inline constexpr Refusal TooManyCatalogs{QT_TRANSLATE_NOOP(
    "QObject", "Каталог XML %1 не прочитан: каталоги через nextCatalog называют больше %2 каталогов")};
// A warning: %1 is why the catalog could not be read.
inline constexpr char CatalogSkipped[] = QT_TRANSLATE_NOOP("QObject", "Каталог из nextCatalog пропущен: %1");

// Documents and schemas other software writes
inline constexpr char CollectionSrsNameTooLong[] = QT_TRANSLATE_NOOP(
    "QObject", "srsName границ коллекции длиннее %1 символов, а так не называется ни одна система координат");
inline constexpr char ElementHoldsMembers[] =
    QT_TRANSLATE_NOOP("QObject", "элемент — коллекция объектов (члены коллекции в свойстве %1)");

} // namespace messages

/*
 * Translates a message and fills its markers in one pass, so that an argument that itself
 * holds "%2" (a path, a filter, GDAL's text) is never taken for a marker.
 */
QString formatMessage(const char *sourceText);
QString formatMessage(const char *sourceText, const QString &arg1);
QString formatMessage(const char *sourceText, const QString &arg1, const QString &arg2);
QString formatMessage(const char *sourceText, const QString &arg1, const QString &arg2, const QString &arg3);
QString formatMessage(
    const char *sourceText, const QString &arg1, const QString &arg2, const QString &arg3, const QString &arg4);
QString formatMessage(const char *sourceText, const QString &arg1, const QString &arg2, const QString &arg3,
    const QString &arg4, const QString &arg5);

/*
 * The exception a failure with @p message is thrown as, of the message's kind: throw
 * failure(messages::CannotOpenFile, path). Exceptions carry their message as UTF-8.
 */
template <FailureKind Kind, typename... Args>
auto failure(FailureMessage<Kind> message, const Args &...args)
{
    const std::string text = formatMessage(message, args...).toStdString();
    if constexpr (Kind == FailureKind::Environment)
        return EnvironmentFailure(text);
    else
        return std::logic_error(text);
}

/*
 * Throws @p text as a failure of @p kind: a message that another one completes or GDAL's own
 * reason replaces (messages::X.kind), or a failure whose kind its reason decides.
 */
[[noreturn]] void throwFailure(FailureKind kind, const QString &text);

/*
 * Runs @p call for a class whose contract reports a failure of the environment as
 * std::runtime_error: an EnvironmentFailure of the code it shares with the original classes
 * leaves it as a std::runtime_error with the same message.
 */
template <typename Call>
decltype(auto) environmentAsRuntimeError(Call &&call)
{
    try {
        return std::forward<Call>(call)();
    } catch (const EnvironmentFailure &environment) {
        throw std::runtime_error(environment.what());
    }
}

} // namespace pelmak

#endif
