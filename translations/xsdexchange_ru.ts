<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru">
<context>
    <name>QCommandLineParser</name>
    <message>
        <source>Unknown option &apos;%1&apos;.</source>
        <translation>Неизвестный параметр «%1».</translation>
    </message>
    <message>
        <source>Unknown options: %1.</source>
        <translation>Неизвестные параметры: %1.</translation>
    </message>
    <message>
        <source>Missing value after &apos;%1&apos;.</source>
        <translation>Не указано значение после «%1».</translation>
    </message>
    <message>
        <source>Unexpected value after &apos;%1&apos;.</source>
        <translation>Лишнее значение после «%1».</translation>
    </message>
</context>
<context>
    <name>xsdexchange</name>
    <message>
        <source>--config needs a key and a value: --config KEY VALUE</source>
        <translation>для --config нужны ключ и значение: --config КЛЮЧ ЗНАЧЕНИЕ</translation>
    </message>
    <message>
        <source>missing arguments</source>
        <translation>не хватает аргументов</translation>
    </message>
    <message>
        <source>unexpected argument &apos;%1&apos;</source>
        <translation>лишний аргумент «%1»</translation>
    </message>
    <message>
        <source>interrupted</source>
        <translation>прервано</translation>
    </message>
    <message>
        <source>Usage: xsdexchange demo [DIR]

Runs the whole road on the bundled sample data of an imaginary settlement, in DIR
or in a new temporary folder, which is kept: builds a GeoPackage from the sample
GeoJSON files, reads the exchange schema, exports every table to a document,
validates it, imports it into a new GeoPackage, compares the two data sources, and
validates a deliberately broken copy of the document to show its diagnostics.
Exit status 0 only when every step did what it should.</source>
        <translation>Использование: xsdexchange demo [ПАПКА]

Проходит весь путь на прилагаемых данных примера, воображаемого посёлка, в папке
ПАПКА или в новой временной папке, которая остаётся после работы: строит GeoPackage из
файлов GeoJSON примера, читает схему обмена, выгружает все таблицы в документ,
проверяет его, импортирует в новый GeoPackage, сравнивает оба источника данных и
проверяет нарочно испорченную копию документа, чтобы показать её диагностики.
Код возврата 0, только если каждый шаг выполнен как следует.</translation>
    </message>
    <message>
        <source>Working in %1</source>
        <translation>Рабочая папка: %1</translation>
    </message>
    <message>
        <source>Every step did what it should.</source>
        <translation>Все шаги выполнены как следует.</translation>
    </message>
    <message>
        <source>Source data: %1, a GeoPackage of the sample GeoJSON files</source>
        <translation>Исходные данные: %1, GeoPackage из файлов GeoJSON примера</translation>
    </message>
    <message>
        <source>no sample data in %1</source>
        <translation>в %1 нет данных примера</translation>
    </message>
    <message>
        <source>the sample schema has no table for %1</source>
        <translation>в схеме примера нет таблицы для %1</translation>
    </message>
    <message numerus="yes">
        <source>%1 features copied</source>
        <translation>
            <numerusform>%1 объект скопирован</numerusform>
            <numerusform>%1 объекта скопировано</numerusform>
            <numerusform>%1 объектов скопировано</numerusform>
        </translation>
    </message>
    <message>
        <source>cannot copy %1 to %2</source>
        <translation>не могу скопировать %1 в %2</translation>
    </message>
    <message>
        <source>Schema %1</source>
        <translation>Схема %1</translation>
    </message>
    <message>
        <source>the sample schema declares no table</source>
        <translation>схема примера не объявляет ни одной таблицы</translation>
    </message>
    <message numerus="yes">
        <source>%1 attributes</source>
        <translation>
            <numerusform>%1 атрибут</numerusform>
            <numerusform>%1 атрибута</numerusform>
            <numerusform>%1 атрибутов</numerusform>
        </translation>
    </message>
    <message>
        <source>Export of every table to %1</source>
        <translation>Экспорт всех таблиц в %1</translation>
    </message>
    <message>
        <source>Validation of %1</source>
        <translation>Проверка %1 по схеме</translation>
    </message>
    <message>
        <source>the exported document is not valid</source>
        <translation>выгруженный документ не соответствует схеме</translation>
    </message>
    <message>
        <source>Import into a new GeoPackage, %1</source>
        <translation>Импорт в новый GeoPackage, %1</translation>
    </message>
    <message>
        <source>Comparison of %1 and %2</source>
        <translation>Сравнение %1 и %2</translation>
    </message>
    <message>
        <source>the imported data differ from the source</source>
        <translation>импортированные данные отличаются от исходных</translation>
    </message>
    <message>
        <source>%1 features in the source, %2 imported</source>
        <translation>объектов в источнике: %1, импортировано: %2</translation>
    </message>
    <message numerus="yes">
        <source>%1 features, all values equal</source>
        <translation>
            <numerusform>%1 объект, все значения совпадают</numerusform>
            <numerusform>%1 объекта, все значения совпадают</numerusform>
            <numerusform>%1 объектов, все значения совпадают</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 features of %2 differ</source>
        <translation>
            <numerusform>%1 объект из %2 отличается</numerusform>
            <numerusform>%1 объекта из %2 отличаются</numerusform>
            <numerusform>%1 объектов из %2 отличаются</numerusform>
        </translation>
    </message>
    <message>
        <source>Validation of a broken copy, %1</source>
        <translation>Проверка испорченной копии, %1</translation>
    </message>
    <message>
        <source>cannot read %1</source>
        <translation>не могу прочитать %1</translation>
    </message>
    <message>
        <source>cannot write %1</source>
        <translation>не могу записать %1</translation>
    </message>
    <message>
        <source>the broken copy passed validation</source>
        <translation>испорченная копия прошла проверку</translation>
    </message>
    <message>
        <source>cannot create a temporary folder</source>
        <translation>не могу создать временную папку</translation>
    </message>
    <message>
        <source>cannot create the folder %1</source>
        <translation>не могу создать папку %1</translation>
    </message>
    <message>
        <source>Usage: xsdexchange export [--table NAME]... [--where FILTER | --related] [--validate]
                          [--max-diagnostics N] [--catalog FILE]... [--allow-network]
                          SCHEMA.xsd SOURCE OUT.gml

Reads the tables of the exchange schema from the layers of the data source and writes
them to one exchange document, feature after feature, so its size is not bounded by
memory; OUT.gml is replaced only once the document is complete, and may not be one of
the inputs. The document is in the GML and the namespace of the schema: GML 3.2, with a
gml:id on every geometry, for a schema importing http://www.opengis.net/gml/3.2, GML
3.1.1 otherwise. Prints the number of features written per table; a table of the schema
that the source has no layer for is named on standard error.

  --table NAME     export this table (repeatable); default: every table of the schema
  --where FILTER   an attribute filter, applied to every table: the driver&apos;s SQL (for
                   a database, the server&apos;s), so never pass text from untrusted users
  --validate       validate the saved document against the schema, as &apos;validate&apos; does
                   (the catalogs serve reading the schema and validating alike)
  --related        write the related tables of the schema, as &apos;import --related&apos; made
                   them, back as its features: each with what it nests and repeats, in
                   the order of its schema; --table names feature tables. With
                   --validate a document the schema does not take is refused before it
                   replaces OUT.gml
</source>
        <translation>Использование: xsdexchange export [--table ИМЯ]... [--where ФИЛЬТР | --related]
                                  [--validate]
                                  [--max-diagnostics N] [--catalog ФАЙЛ]...
                                  [--allow-network] СХЕМА.xsd ИСТОЧНИК РЕЗУЛЬТАТ.gml

Читает таблицы схемы обмена из слоёв источника данных и записывает их в один документ
обмена объект за объектом, поэтому его размер не ограничен памятью; РЕЗУЛЬТАТ.gml
заменяется, только когда документ готов целиком, и не может быть одним из входных
файлов. Документ пишется в версии GML и пространстве имён схемы: GML 3.2 с gml:id
у каждой геометрии для схемы, импортирующей http://www.opengis.net/gml/3.2, иначе
GML 3.1.1. Выводит число записанных объектов по таблицам; таблица схемы, для которой
в источнике нет слоя, называется в стандартном потоке ошибок.

  --table ИМЯ      выгрузить эту таблицу (можно повторять); по умолчанию все таблицы
                   схемы
  --where ФИЛЬТР   фильтр по атрибутам для каждой таблицы на SQL драйвера (для базы
                   данных на SQL сервера), поэтому никогда не передавайте в нём текст
                   от недоверенных пользователей
  --validate       проверить сохранённый документ по схеме, как это делает validate
                   (каталоги служат и чтению схемы, и проверке)
  --related        записать связанные таблицы схемы, какими их сделал import --related,
                   обратно объектами схемы: каждый со всем, что в нём вложено
                   и повторяется, в порядке его схемы; --table называет таблицы
                   объектов. С --validate документ, который схема не принимает,
                   отвергается, прежде чем заменить РЕЗУЛЬТАТ.gml
</translation>
    </message>
    <message numerus="yes">
        <source>%1 features written (%2)</source>
        <translation>
            <numerusform>%1 объект записан (%2)</numerusform>
            <numerusform>%1 объекта записано (%2)</numerusform>
            <numerusform>%1 объектов записано (%2)</numerusform>
        </translation>
    </message>
    <message>
        <source>the source has no layer for the table %1; it is left out</source>
        <translation>в источнике данных нет слоя таблицы %1; она пропущена</translation>
    </message>
    <message>
        <source>saved %1</source>
        <translation>сохранено: %1</translation>
    </message>
    <message>
        <source>Usage: xsdexchange import [--table NAME]... [--append | --overwrite] [--create SCHEMA.xsd
                          [-f DRIVER] [--catalog FILE]...] [--schema SCHEMA.xsd
                          [--related]] [--without-transaction] [--allow-dropping]
                          [--allow-network] DOC.gml TARGET

Inserts the features of the exchange document into the layers of the target data
source (a file, a folder or a connection string such as PG:&quot;dbname=gis&quot;), all in one
transaction: either every feature is stored or none is. The document is read as it is
inserted, so its size is not bounded by memory. Prints the number of features created
per table.

A value the target has no place for (an attribute whose field the layer lacks, a
geometry where the layer has no geometry column or takes the feature&apos;s first one only)
is never dropped in silence: the whole document is read, nothing is stored, and the
tool exits with status 2, naming each table, attribute and number of values.

  --table NAME          import only this table (repeatable); a table the document lacks
                        is an error
  --append              add to the features a layer holds already; without it, or
                        --overwrite, a layer that holds features stops the import
  --overwrite           replace the features of each layer the document fills, in the
                        same transaction
  --create SCHEMA.xsd   first create in the target (a new GeoPackage when TARGET is a
                        file path and no file is there) the layer of each table of the
                        schema (or each one named by --table) that it lacks, with a field
                        per attribute typed from its XML Schema type (integers, reals for
                        decimal and double, boolean, date, date and time, text for any
                        other) and a geometry column in the system of the table&apos;s first
                        geometry, of the type the schema declares; a failed import
                        removes them again
  --schema SCHEMA.xsd   the document&apos;s schema, when no --create names it
  --related             read the document into the related tables of its schema (see
                        &apos;xsdexchange tables --related&apos;): each feature with what it nests
                        and repeats, in its table and their child tables; --table names
                        feature tables, each with its child tables; needs --schema.
                        Where the target&apos;s tables take several geometry columns
                        (PostgreSQL, SQLite), every geometry property that occurs once
                        keeps a column in its feature&apos;s table
  -f, --format DRIVER   the GDAL driver of a new data source (default GPKG; also SQLite,
                        FlatGeobuf, GeoJSON, &quot;ESRI Shapefile&quot;); a data source the import
                        makes needs no transaction, as a failure removes it whole
  --without-transaction import into a target whose driver has no transactions
                        (Shapefile, GeoJSON): every layer and field is checked first, but
                        a feature refused later leaves those before it stored
  --allow-dropping      leave out the values the target has no place for, import the
                        rest, and print per table and attribute how many were dropped
</source>
        <translation>Использование: xsdexchange import [--table ИМЯ]... [--append | --overwrite]
                                  [--create СХЕМА.xsd [-f ДРАЙВЕР] [--catalog ФАЙЛ]...]
                                  [--schema СХЕМА.xsd [--related]]
                                  [--without-transaction] [--allow-dropping]
                                  [--allow-network] ДОКУМЕНТ.gml ЦЕЛЬ

Вставляет объекты документа обмена в слои целевого источника данных (файла, папки или
строки подключения вроде PG:&quot;dbname=gis&quot;) в одной транзакции: сохраняются либо все
объекты, либо ни одного. Документ читается по мере вставки, поэтому его размер
не ограничен памятью. Выводит число созданных объектов по таблицам.

Значение, которое цели некуда сохранить (атрибут, для которого в слое нет поля,
геометрия, когда у слоя нет столбца геометрии или он хранит только первую геометрию
объекта), никогда не отбрасывается молча: документ читается целиком, ничего
не сохраняется, и программа завершается с кодом 2, называя каждую таблицу, атрибут
и число значений.

  --table ИМЯ           импортировать только эту таблицу (можно повторять); таблица,
                        которой нет в документе, считается ошибкой
  --append              добавить объекты к тем, что уже есть в слое; без этого
                        параметра или --overwrite слой с объектами останавливает импорт
  --overwrite           заменить объекты каждого слоя, который заполняет документ,
                        в той же транзакции
  --create СХЕМА.xsd    сначала создать в цели (новый GeoPackage, если ЦЕЛЬ — путь
                        к ещё не существующему файлу) недостающие слои таблиц схемы
                        (или только названных в --table) с полем на каждый атрибут,
                        тип которого следует из его типа XML Schema (целые числа,
                        вещественные для decimal и double, логический, дата, дата
                        и время, текст для остальных), и со столбцом геометрии в системе
                        координат первой геометрии таблицы, того типа, что объявляет
                        схема; неудачный импорт удаляет их снова
  --schema СХЕМА.xsd    схема документа, если её не называет --create
  --related             читать документ в связанные таблицы его схемы (см.
                        «xsdexchange tables --related»): каждый объект со всем, что
                        в нём вложено и повторяется, — в его таблицу и её дочерние;
                        --table называет таблицы объектов, каждую вместе с дочерними;
                        нужен --schema. Где таблицы цели вмещают несколько столбцов
                        геометрии (PostgreSQL, SQLite), каждое свойство-геометрия,
                        встречающееся один раз, получает столбец в таблице своего объекта
  -f, --format ДРАЙВЕР  драйвер GDAL нового источника данных (по умолчанию GPKG; также
                        SQLite, FlatGeobuf, GeoJSON, &quot;ESRI Shapefile&quot;); источнику
                        данных, созданному импортом, транзакция не нужна: при сбое
                        он удаляется целиком
  --without-transaction импортировать в цель, драйвер которой не знает транзакций
                        (Shapefile, GeoJSON): все слои и поля проверяются заранее, но
                        объект, отвергнутый позже, оставляет предыдущие сохранёнными
  --allow-dropping      пропустить значения, которые цели некуда сохранить,
                        импортировать остальное и вывести по таблицам и атрибутам,
                        сколько значений отброшено
</translation>
    </message>
    <message>
        <source>--append and --overwrite exclude each other</source>
        <translation>--append и --overwrite исключают друг друга</translation>
    </message>
    <message>
        <source>--schema and --create name different schemas</source>
        <translation>--schema и --create называют разные схемы</translation>
    </message>
    <message>
        <source>--related needs --schema</source>
        <translation>для --related нужен --schema</translation>
    </message>
    <message>
        <source>--related takes no --where</source>
        <translation>--related не принимает --where</translation>
    </message>
    <message numerus="yes">
        <source>%1 features inserted</source>
        <translation>
            <numerusform>%1 объект вставлен</numerusform>
            <numerusform>%1 объекта вставлено</numerusform>
            <numerusform>%1 объектов вставлено</numerusform>
        </translation>
    </message>
    <message>
        <source>created layer %1</source>
        <translation>создан слой %1</translation>
    </message>
    <message>
        <source>dropped, as the target has no place for them:</source>
        <translation>отброшены значения, которые цели некуда сохранить:</translation>
    </message>
    <message>
        <source>Usage: xsdexchange layers [--allow-network] SOURCE

Lists the layers of a GDAL/OGR data source (a file, a folder or a
connection string such as PG:&quot;dbname=gis&quot;), less those whose name
begins with STL_. What the source names (a schema, linked files)
is fetched from the network only with --allow-network.</source>
        <translation>Использование: xsdexchange layers [--allow-network] ИСТОЧНИК

Перечисляет слои источника данных GDAL/OGR (файла, папки или строки подключения
вроде PG:&quot;dbname=gis&quot;), кроме тех, чьё имя начинается с STL_. То, на что ссылается
источник (схема, связанные файлы), загружается из сети только с --allow-network.</translation>
    </message>
    <message>
        <source>list the tables of an exchange schema</source>
        <translation>перечислить таблицы схемы обмена</translation>
    </message>
    <message>
        <source>list the layers of a data source</source>
        <translation>перечислить слои источника данных</translation>
    </message>
    <message>
        <source>write the tables of a data source to an exchange document</source>
        <translation>записать таблицы источника данных в документ обмена</translation>
    </message>
    <message>
        <source>check exchange documents against their schema</source>
        <translation>проверить документы обмена по их схеме</translation>
    </message>
    <message>
        <source>insert the features of an exchange document into a data source</source>
        <translation>вставить объекты документа обмена в источник данных</translation>
    </message>
    <message>
        <source>run the whole road on the bundled sample data</source>
        <translation>пройти весь путь на прилагаемых данных примера</translation>
    </message>
    <message>
        <source>Usage: xsdexchange [--lang ru|en] COMMAND [OPTIONS] ARGUMENTS...

Moves vector features between GDAL/OGR data sources and schema-bound GML 3
exchange documents, and validates such documents against their XSD.

Commands:
</source>
        <translation>Использование: xsdexchange [--lang ru|en] КОМАНДА [ПАРАМЕТРЫ] АРГУМЕНТЫ...

Переносит векторные объекты между источниками данных GDAL/OGR и документами обмена
GML 3, построенными по схеме, и проверяет такие документы по их схеме XSD.

Команды:
</translation>
    </message>
    <message>
        <source>
Options:
  --lang ru|en  the language of the messages (default: ru in a Russian locale, en
                elsewhere)
  --config KEY VALUE  a GDAL configuration option for every data source the command
                opens (repeatable)
  --help        this text; &apos;xsdexchange COMMAND --help&apos; describes a command
  --version     the version of the tool and its library

Exit status: 0 success, 1 invalid documents (validate), 2 wrong usage or failure.
</source>
        <translation>
Параметры:
  --lang ru|en  язык сообщений (по умолчанию ru в русской локали, en в остальных)
  --config КЛЮЧ ЗНАЧЕНИЕ  параметр конфигурации GDAL для каждого источника данных,
                который открывает команда (можно повторять)
  --help        эта справка; «xsdexchange КОМАНДА --help» описывает команду
  --version     версия программы и её библиотеки

Код возврата: 0 — успех, 1 — документы не соответствуют схеме (validate),
2 — неверный вызов или сбой.
</translation>
    </message>
    <message>
        <source>Try &apos;%1 --help&apos;.</source>
        <translation>Справка: «%1 --help».</translation>
    </message>
    <message>
        <source>missing command</source>
        <translation>не указана команда</translation>
    </message>
    <message>
        <source>unknown command &apos;%1&apos;</source>
        <translation>неизвестная команда «%1»</translation>
    </message>
    <message>
        <source>valid</source>
        <translation>соответствует схеме</translation>
    </message>
    <message>
        <source>1 error</source>
        <translation>1 ошибка</translation>
    </message>
    <message numerus="yes">
        <source>%1 errors</source>
        <translation>
            <numerusform>%1 ошибка</numerusform>
            <numerusform>%1 ошибки</numerusform>
            <numerusform>%1 ошибок</numerusform>
        </translation>
    </message>
    <message>
        <source>  --max-diagnostics N  show at most N diagnostics of each document and count the rest
                   (default 1000)</source>
        <translation>  --max-diagnostics N  показать не больше N диагностик каждого документа, остальные
                   только сосчитать (по умолчанию 1000)</translation>
    </message>
    <message numerus="yes">
        <source>(%1 more diagnostics not shown)</source>
        <translation>
            <numerusform>(ещё %1 диагностика не показана)</numerusform>
            <numerusform>(ещё %1 диагностики не показаны)</numerusform>
            <numerusform>(ещё %1 диагностик не показано)</numerusform>
        </translation>
    </message>
    <message>
        <source>--max-diagnostics needs a count of 0 or more</source>
        <translation>для --max-diagnostics нужно число не меньше 0</translation>
    </message>
    <message>
        <source>remote schemas are not fetched without --allow-network: map their addresses to local files with --catalog FILE or XML_CATALOG_FILES</source>
        <translation>удалённые схемы без --allow-network не загружаются: сопоставьте их адресам локальные файлы через --catalog ФАЙЛ или XML_CATALOG_FILES</translation>
    </message>
    <message>
        <source>  --catalog FILE   resolve schema locations through this OASIS XML catalog (repeatable),
                   before those XML_CATALOG_FILES names (space-separated)</source>
        <translation>  --catalog ФАЙЛ   находить схемы по адресам через этот каталог OASIS XML (можно
                   повторять) прежде каталогов из XML_CATALOG_FILES (через пробел)</translation>
    </message>
    <message>
        <source>  --allow-network  fetch schemas no catalog maps, and what data sources name, from the
                   network (off by default)</source>
        <translation>  --allow-network  загружать из сети схемы, которых нет в каталогах, и то, на что
                   ссылаются источники данных (по умолчанию выключено)</translation>
    </message>
    <message>
        <source>Usage: xsdexchange tables [-v] [--related [--several-geometries]] [--catalog FILE]...
                          SCHEMA.xsd

Lists the tables that the exchange schema declares, sorted by name. A schema that
declares none is a failure: the message says why each global element is not a table.
Includes and imports are read from local files only, remote addresses through the
catalogs.

  -v, --verbose    also each table&apos;s attributes: name, kind, the XML Schema built-in type
                   a plain attribute&apos;s values have, minOccurs, user-facing name
  --related        the related tables of an application schema instead: a table per
                   concrete feature type, its nested data types in prefixed columns, and
                   a child table per property that may repeat, each child under its
                   parent and indented; with -v each table&apos;s key, its parent and the
                   path it repeats at, its columns (name, role, value or geometry type,
                   where the value stands below the row&apos;s element), and at the end what
                   is kept as XML text
  --several-geometries
                   the related tables as a target whose tables take several geometry
                   columns (PostgreSQL, SQLite) holds them: every geometry property that
                   occurs once in a column of its feature&apos;s table, not a second one in
                   a child table of its own
</source>
        <translation>Использование: xsdexchange tables [-v] [--related [--several-geometries]]
                          [--catalog ФАЙЛ]... СХЕМА.xsd

Перечисляет таблицы, которые объявляет схема обмена, в порядке имён. Схема без таблиц
считается ошибкой: сообщение объясняет, почему каждый глобальный элемент не таблица.
Подключаемые схемы (include, import) читаются только из локальных файлов, удалённые
адреса — через каталоги.

  -v, --verbose    также атрибуты каждой таблицы: имя, вид, встроенный тип XML Schema
                   значений простого атрибута, minOccurs, имя для пользователя
  --related        вместо этого связанные таблицы прикладной схемы: таблица на каждый
                   конкретный тип объектов, его вложенные типы данных — в столбцах
                   с префиксами, дочерняя таблица на каждое свойство, которое может
                   повторяться, каждая дочерняя — под родительской, с отступом; с -v
                   также ключ каждой таблицы, её родитель и путь, на котором она
                   повторяется, её столбцы (имя, роль, тип значения или геометрии,
                   где значение стоит под элементом строки) и в конце — что хранится
                   XML-текстом
  --several-geometries
                   связанные таблицы так, как их хранит цель, таблицы которой вмещают
                   несколько столбцов геометрии (PostgreSQL, SQLite): каждое
                   свойство-геометрия, встречающееся один раз, — в столбце таблицы своего
                   объекта, а не вторая — в отдельной дочерней таблице
</translation>
    </message>
    <message>
        <source>plain</source>
        <translation>простой</translation>
    </message>
    <message>
        <source>geometry</source>
        <translation>геометрия</translation>
    </message>
    <message>
        <source>value</source>
        <translation>значение</translation>
    </message>
    <message>
        <source>fragment</source>
        <translation>фрагмент</translation>
    </message>
    <message>
        <source>key</source>
        <translation>ключ</translation>
    </message>
    <message>
        <source>parent key</source>
        <translation>ключ родителя</translation>
    </message>
    <message>
        <source>position</source>
        <translation>позиция</translation>
    </message>
    <message>
        <source>link</source>
        <translation>ссылка</translation>
    </message>
    <message>
        <source>key: %1</source>
        <translation>ключ: %1</translation>
    </message>
    <message>
        <source>parent: %1, repeated at %2</source>
        <translation>родитель: %1, повторяется в %2</translation>
    </message>
    <message>
        <source>kept as XML text:</source>
        <translation>хранится XML-текстом:</translation>
    </message>
    <message numerus="yes">
        <source>%1 features written</source>
        <translation>
            <numerusform>%1 объект записан</numerusform>
            <numerusform>%1 объекта записано</numerusform>
            <numerusform>%1 объектов записано</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 features created</source>
        <translation>
            <numerusform>%1 объект создан</numerusform>
            <numerusform>%1 объекта создано</numerusform>
            <numerusform>%1 объектов создано</numerusform>
        </translation>
    </message>
    <message>
        <source>--lang needs a value: ru or en</source>
        <translation>для --lang нужно значение: ru или en</translation>
    </message>
    <message>
        <source>unknown language &apos;%1&apos;: use ru or en</source>
        <translation>неизвестный язык «%1»: укажите ru или en</translation>
    </message>
    <message>
        <source>Usage: xsdexchange validate [--format text|json|jsonl] [--max-diagnostics N]
                            [--catalog FILE]... [--allow-network] SCHEMA.xsd DOC.gml...

Checks each document against the schema. Every diagnostic is printed as
DOC:LINE:COLUMN: TEXT, followed by [gml:id] of the feature it lies in, then a
summary line per document. Exit status 0 when every document is valid, 1 when
any has errors, 2 when a document or the schema cannot be read.

  --format json    one JSON array for all documents: per document an object with
                   document, errors, diagnostics (line, column, message, feature)
                   and diagnosticsNotShown
  --format jsonl   the same objects, one line each (JSON Lines)
</source>
        <translation>Использование: xsdexchange validate [--format text|json|jsonl] [--max-diagnostics N]
                                    [--catalog ФАЙЛ]... [--allow-network]
                                    СХЕМА.xsd ДОКУМЕНТ.gml...

Проверяет каждый документ по схеме. Каждая диагностика выводится как
ДОКУМЕНТ:СТРОКА:СТОЛБЕЦ: ТЕКСТ, за ней [gml:id] объекта, в котором она найдена, затем
итоговая строка по каждому документу. Код возврата 0, если все документы соответствуют
схеме, 1, если в каком-либо из них есть ошибки, 2, если документ или схему не удалось
прочитать.

  --format json    один массив JSON для всех документов: на каждый документ объект
                   с полями document, errors, diagnostics (line, column, message,
                   feature) и diagnosticsNotShown
  --format jsonl   те же объекты, по одному на строку (JSON Lines)
</translation>
    </message>
    <message>
        <source>unknown format &apos;%1&apos;: use text, json or jsonl</source>
        <translation>неизвестный формат «%1»: укажите text, json или jsonl</translation>
    </message>
</context>
</TS>
