<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>QObject</name>
    <message>
        <source>Не могу открыть файл %1</source>
        <translation>Cannot open file %1</translation>
    </message>
    <message>
        <source>Ошибка разбора файла: %1</source>
        <translation>Cannot parse file: %1</translation>
    </message>
    <message>
        <source>объявление DOCTYPE в строке %1 не допускается: документ не может объявлять сущности и ссылаться на DTD</source>
        <translation>DOCTYPE declaration on line %1 is not allowed: a document may neither declare entities nor refer to a DTD</translation>
    </message>
    <message>
        <source>элемент в строке %1 вложен глубже %2 уровней</source>
        <translation>element on line %1 is nested deeper than %2 levels</translation>
    </message>
    <message>
        <source>имя атрибута в строке %1 недопустимо в XML</source>
        <translation>attribute name on line %1 is not valid XML</translation>
    </message>
    <message>
        <source>цель инструкции обработки в строке %1 недопустима в XML</source>
        <translation>processing instruction target on line %1 is not valid XML</translation>
    </message>
    <message>
        <source>Не могу открыть источник данных %1
%2</source>
        <translation>Cannot open data source %1
%2</translation>
    </message>
    <message>
        <source>Неверные параметры по передаваемому слою</source>
        <translation>Invalid parameters for the given layer</translation>
    </message>
    <message>
        <source>Невозможно получить информацию по слою %1</source>
        <translation>Cannot get information on layer %1</translation>
    </message>
    <message>
        <source>Ошибочный фильтр %1
%2</source>
        <translation>Invalid filter %1
%2</translation>
    </message>
    <message>
        <source>Не могу определить индекс поля с именем %1</source>
        <translation>Cannot find the index of field %1</translation>
    </message>
    <message>
        <source>Геометрия не сохранена. Слой %1. Объект %2</source>
        <translation>Geometry not stored. Layer %1. Feature %2</translation>
    </message>
    <message>
        <source>Объект не сохранён. Слой %1. Объект %2</source>
        <translation>Feature not stored. Layer %1. Feature %2</translation>
    </message>
    <message>
        <source>Источник данных не открыт</source>
        <translation>The data source is not open</translation>
    </message>
    <message>
        <source>Ошибка чтения слоя %1
%2</source>
        <translation>Error reading layer %1
%2</translation>
    </message>
    <message>
        <source>Не могу завершить транзакцию в источнике данных %1</source>
        <translation>Cannot commit the transaction in data source %1</translation>
    </message>
    <message>
        <source>Документ не инициализирован</source>
        <translation>The document has not been started</translation>
    </message>
    <message>
        <source>Не могу открыть файл %1 на запись</source>
        <translation>Cannot open file %1 for writing</translation>
    </message>
    <message>
        <source>Не могу записать файл %1
%2</source>
        <translation>Cannot write file %1
%2</translation>
    </message>
    <message>
        <source>Имя таблицы %1 недопустимо в XML</source>
        <translation>Table name %1 is not allowed in XML</translation>
    </message>
    <message>
        <source>Имя атрибута %1 недопустимо в XML. Таблица %2</source>
        <translation>Attribute name %1 is not allowed in XML. Table %2</translation>
    </message>
    <message>
        <source>Значение содержит символ, недопустимый в XML. Таблица %1. Объект %2. Атрибут %3</source>
        <translation>The value holds a character XML cannot carry. Table %1. Feature %2. Attribute %3</translation>
    </message>
    <message>
        <source>Схема уже загружена</source>
        <translation>The schema is already loaded</translation>
    </message>
    <message>
        <source>Не могу загрузить схему из файла %1</source>
        <translation>Cannot load the schema from file %1</translation>
    </message>
    <message>
        <source>Не загружен файл %1</source>
        <translation>File %1 is not loaded</translation>
    </message>
    <message>
        <source>Строка %1, столбец %2: %3</source>
        <translation>Line %1, column %2: %3</translation>
    </message>
    <message>
        <source>Объявление типа документа (DOCTYPE) в файле %1 не допускается</source>
        <translation>A document type declaration (DOCTYPE) in file %1 is not allowed</translation>
    </message>
    <message>
        <source>%1 не обычный файл: схемы и документы читаются только из обычных файлов</source>
        <translation>%1 is not a regular file: schemas and documents are read from regular files only</translation>
    </message>
    <message>
        <source>Начало файла %1 не читается как XML: нельзя проверить, что в нём нет объявления DOCTYPE</source>
        <translation>The beginning of file %1 cannot be read as XML: it cannot be checked for a DOCTYPE declaration</translation>
    </message>
    <message>
        <source>Схема %1 находится в сети, а доступ к сети выключен: сопоставьте этот адрес локальному файлу в каталоге XML или разрешите доступ к сети</source>
        <translation>Schema %1 is on the network and network access is off: map this address to a local file in an XML catalog or allow network access</translation>
    </message>
    <message>
        <source>Схема %1 больше %2 байт</source>
        <translation>Schema %1 is larger than %2 bytes</translation>
    </message>
    <message>
        <source>Не могу получить схему %1: %2</source>
        <translation>Cannot fetch schema %1: %2</translation>
    </message>
    <message>
        <source>Не хватило памяти: схема или то, что она импортирует, слишком велики</source>
        <translation>Out of memory: the schema or what it imports is too large</translation>
    </message>
    <message>
        <source>парсер не назвал причину</source>
        <translation>the parser gave no reason</translation>
    </message>
    <message>
        <source>Модель содержимого в строке %1 файла %2 разворачивается более чем в %3 позиций элементов: произведение вложенных minOccurs и maxOccurs слишком велико</source>
        <translation>The content model at line %1 of file %2 expands to more than %3 element positions: the product of nested minOccurs and maxOccurs is too large</translation>
    </message>
    <message>
        <source>Каталог XML %1 не найден</source>
        <translation>XML catalog %1 not found</translation>
    </message>
    <message>
        <source>Каталог XML %1 не разобран: %2</source>
        <translation>XML catalog %1 is not well-formed: %2</translation>
    </message>
    <message>
        <source>Каталог XML %1 через nextCatalog ссылается сам на себя</source>
        <translation>XML catalog %1 refers back to itself through nextCatalog</translation>
    </message>
    <message>
        <source>элемент в строке %1 несёт больше %2 атрибутов</source>
        <translation>the element at line %1 has more than %2 attributes</translation>
    </message>
    <message>
        <source>элемент в строке %1 объявляет больше %2 пространств имён</source>
        <translation>the element at line %1 declares more than %2 namespaces</translation>
    </message>
</context>
</TS>
