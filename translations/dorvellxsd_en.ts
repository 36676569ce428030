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
        <source>элемент в строке %1 несёт больше %2 атрибутов</source>
        <translation>element on line %1 carries more than %2 attributes</translation>
    </message>
    <message>
        <source>элемент в строке %1 объявляет больше %2 пространств имён</source>
        <translation>element on line %1 declares more than %2 namespaces</translation>
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
        <source>В слое %1 нет поля %2</source>
        <translation>Layer %1 has no field %2</translation>
    </message>
    <message>
        <source>Значение «%4» не может быть сохранено в поле %3 без искажения. Слой %1. Объект %2</source>
        <translation>The value “%4” cannot be stored in field %3 unchanged. Layer %1. Feature %2</translation>
    </message>
    <message>
        <source>Геометрия не распознана. Слой %1. Объект %2. Атрибут %3
%4</source>
        <translation>Geometry not recognised. Layer %1. Feature %2. Attribute %3
%4</translation>
    </message>
    <message>
        <source>Координата геометрии не является конечным числом. Слой %1. Объект %2. Атрибут %3</source>
        <translation>A geometry coordinate is not a finite number. Layer %1. Feature %2. Attribute %3</translation>
    </message>
    <message>
        <source>Неизвестная система координат %4. Слой %1. Объект %2. Атрибут %3</source>
        <translation>Unknown coordinate system %4. Layer %1. Feature %2. Attribute %3</translation>
    </message>
    <message>
        <source>Геометрия не может быть преобразована из системы координат %4 в систему слоя. Слой %1. Объект %2. Атрибут %3</source>
        <translation>The geometry cannot be transformed from coordinate system %4 into the layer&apos;s. Layer %1. Feature %2. Attribute %3</translation>
    </message>
    <message>
        <source>Идентификатор объекта %2 слоя %1 не помещается в 32 бита</source>
        <translation>Feature identifier %2 of layer %1 does not fit in 32 bits</translation>
    </message>
    <message>
        <source>Геометрия не выгружена в GML. Слой %1. Объект %2
%3</source>
        <translation>Geometry not written as GML. Layer %1. Feature %2
%3</translation>
    </message>
    <message>
        <source>Размер пакета объектов должен быть положительным, а не %1</source>
        <translation>The batch size must be positive, not %1</translation>
    </message>
    <message>
        <source>Источник данных слоя %1 закрыт или заменён во время чтения</source>
        <translation>The data source of layer %1 was closed or replaced while it was being read</translation>
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
</context>
</TS>
