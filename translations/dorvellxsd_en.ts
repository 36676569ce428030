<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>QObject</name>
    <message>
        <source>Строка %2 таблицы %1 принадлежит строке %3 таблицы %4, а такой строки нет</source>
        <translation>Row %2 of table %1 belongs to row %3 of table %4, and there is no such row</translation>
    </message>
    <message>
        <source>Столбец %2 таблицы %1 (путь %3) нельзя записать обратно в документ</source>
        <translation>Column %2 of table %1 (path %3) cannot be written back into a document</translation>
    </message>
    <message>
        <source>Таблица %1, строка %2, столбец %3: значение не XML-элементы, которые можно вставить в документ</source>
        <translation>Table %1, row %2, column %3: the value is not XML elements that can stand in a document</translation>
    </message>
    <message>
        <source>В таблице %1 нет строки %2, объекта внутри другого объекта</source>
        <translation>Table %1 has no row %2, the feature inline in another</translation>
    </message>
    <message>
        <source>Документ %1 не соответствует схеме и не записан:
%2</source>
        <translation>Document %1 does not conform to its schema and was not written:
%2</translation>
    </message>
    <message>
        <source>строка %1, объект %2 таблицы %3: %4</source>
        <translation>line %1, feature %2 of table %3: %4</translation>
    </message>
    <message>
        <source>Схема %1 переопределяет схему %2 (xs:redefine): её типы не читаются в связанные таблицы</source>
        <translation>Schema %1 redefines schema %2 (xs:redefine): its types are not read into related tables</translation>
    </message>
    <message>
        <source>Не могу объявить связь таблиц %1 и %2: %3</source>
        <translation>Cannot declare the relationship of tables %1 and %2: %3</translation>
    </message>
    <message>
        <source>Для чтения документа в связанные таблицы нужна схема документа</source>
        <translation>Reading the document into related tables needs the document's schema</translation>
    </message>
    <message>
        <source>Схема не объявляет ни одного конкретного типа объектов в пространстве имён %1</source>
        <translation>The schema declares no concrete feature type in namespace %1</translation>
    </message>
    <message>
        <source>%1.%2 хранит XML как есть: %3</source>
        <translation>%1.%2 keeps the XML as written: %3</translation>
    </message>
    <message>
        <source>схема допускает здесь любые элементы</source>
        <translation>the schema admits any element here</translation>
    </message>
    <message>
        <source>текст перемежается с элементами</source>
        <translation>text is mixed with elements</translation>
    </message>
    <message>
        <source>тип содержит сам себя</source>
        <translation>the type contains itself</translation>
    </message>
    <message>
        <source>вложенность типов данных слишком глубока</source>
        <translation>data types nest too deep</translation>
    </message>
    <message>
        <source>выбор между геометрией и значениями</source>
        <translation>a choice between a geometry and values</translation>
    </message>
    <message>
        <source>здесь допускаются элементы нескольких типов</source>
        <translation>elements of several types are admitted here</translation>
    </message>
    <message>
        <source>Не могу открыть файл %1</source>
        <translation>Cannot open file %1</translation>
    </message>
    <message>
        <source>Геометрия не сохранена: объект уже получил другую, а слой хранит одну. Слой %1. Объект %2. %3</source>
        <translation>Geometry not stored: the feature already got another one, and the layer holds one. Layer %1. Feature %2. %3</translation>
    </message>
    <message>
        <source>Ошибка разбора файла: %1</source>
        <translation>Cannot parse file: %1</translation>
    </message>
    <message>
        <source>Документ не читается как набор таблиц, строка %1: %2</source>
        <translation>The document does not map to tables, line %1: %2</translation>
    </message>
    <message>
        <source>член коллекции %1 ссылается на объект %2 вне документа, а такие объекты не читаются</source>
        <translation>the collection member %1 refers to the feature %2 outside the document, and such features are not read</translation>
    </message>
    <message>
        <source>таблица %1: число в идентификаторе %2 не помещается в 32 бита</source>
        <translation>table %1: the number in the identifier %2 does not fit in 32 bits</translation>
    </message>
    <message>
        <source>элемент %1 в %2 принадлежит пространству имён GML, а ожидался объект прикладной схемы</source>
        <translation>the element %1 in %2 belongs to the GML namespace, where a feature of an application schema was expected</translation>
    </message>
    <message>
        <source>текст «%1» стоит между членами коллекции</source>
        <translation>the text “%1” stands between the members of the collection</translation>
    </message>
    <message>
        <source>таблица %1, объект %2: элемент %3 не соответствует ни одному столбцу и ни одной подчинённой таблице</source>
        <translation>table %1, feature %2: the element %3 maps to no column and no child table</translation>
    </message>
    <message>
        <source>таблица %1, объект %2: атрибут %3 элемента %4 не соответствует ни одному столбцу</source>
        <translation>table %1, feature %2: the attribute %3 of the element %4 maps to no column</translation>
    </message>
    <message>
        <source>элемент %1 в %2 не является объектом ни одной из таблиц</source>
        <translation>the element %1 in %2 is a feature of none of the tables</translation>
    </message>
    <message>
        <source>корневой элемент %1 не является ни коллекцией объектов, ни объектом одной из таблиц</source>
        <translation>the root element %1 is neither a feature collection nor a feature of one of the tables</translation>
    </message>
    <message>
        <source>Связанная таблица %1 описана неверно: %2</source>
        <translation>The related table %1 is described wrongly: %2</translation>
    </message>
    <message>
        <source>у её типа %1 атрибутов, а столбцов %2</source>
        <translation>its type has %1 attributes, but it has %2 columns</translation>
    </message>
    <message>
        <source>не задано, откуда читаются её строки: rowElement у таблицы объектов; parentPath и родительская таблица, стоящая в списке раньше, у подчинённой</source>
        <translation>where its rows are read from is not given: rowElement for a feature table; parentPath and a parent table earlier in the list for a child table</translation>
    </message>
    <message>
        <source>%1 читается ещё одним столбцом или таблицей</source>
        <translation>%1 is read by another column or table too</translation>
    </message>
    <message>
        <source>таблица %1, объект %2: текст «%3» стоит вне значений свойств</source>
        <translation>table %1, feature %2: the text “%3” stands outside the values of the properties</translation>
    </message>
    <message>
        <source>таблица %1, объект %2: свойство %3 содержит элемент %4, а ожидались текст, ссылка xlink:href или одна геометрия GML</source>
        <translation>table %1, feature %2: the property %3 holds the element %4, where text, an xlink:href reference or one GML geometry was expected</translation>
    </message>
    <message>
        <source>таблица %1, объект %2: свойство %3 повторяется, а столбец хранит одно значение</source>
        <translation>table %1, feature %2: the property %3 is repeated, and a column holds one value</translation>
    </message>
    <message>
        <source>таблица %1, объект %2: %3 — вторая геометрия вне свойств объекта, а такая геометрия у таблицы одна</source>
        <translation>table %1, feature %2: %3 is the feature's second geometry outside a property, and a table has one such geometry</translation>
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
        <source>текст в строке %2 записан в кодировке %1, а читаются UTF-8, UTF-16 с меткой порядка байтов и кодировки, совместимые с ASCII</source>
        <translation>the text on line %2 is in %1, but UTF-8, UTF-16 with a byte order mark and encodings compatible with ASCII are read</translation>
    </message>
    <message>
        <source>неизвестная кодировка %1 в строке %2</source>
        <translation>unknown encoding %1 on line %2</translation>
    </message>
    <message>
        <source>кодировка %1 в строке %2 противоречит метке порядка байтов %3</source>
        <translation>encoding %1 on line %2 contradicts the %3 byte order mark</translation>
    </message>
    <message>
        <source>кодировка %1 в строке %2 противоречит самому объявлению: без метки порядка байтов оно записано в кодировке, совместимой с ASCII</source>
        <translation>encoding %1 on line %2 contradicts the declaration itself: without a byte order mark it is written in an ASCII-compatible encoding</translation>
    </message>
    <message>
        <source>байты в строке %1 не являются текстом в кодировке %2</source>
        <translation>bytes on line %1 are not text in encoding %2</translation>
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
        <source>Геометрия не сохранена. Слой %1. Объект %2</source>
        <translation>Geometry not stored. Layer %1. Feature %2</translation>
    </message>
    <message>
        <source>Объект не сохранён. Слой %1. Объект %2</source>
        <translation>Feature not stored. Layer %1. Feature %2</translation>
    </message>
    <message>
        <source>Схема %1 не объявляет ни одной таблицы</source>
        <translation>The schema %1 declares no table</translation>
    </message>
    <message>
        <source>в ней нет глобальных элементов</source>
        <translation>it declares no global element</translation>
    </message>
    <message>
        <source>Схема не объявляет таблицу %1</source>
        <translation>The schema declares no table %1</translation>
    </message>
    <message>
        <source>В источнике данных %1 нет слоя таблицы %2</source>
        <translation>The data source %1 has no layer for the table %2</translation>
    </message>
    <message>
        <source>Ни у одной таблицы схемы нет слоя в источнике данных %1</source>
        <translation>No table of the schema has a layer in the data source %1</translation>
    </message>
    <message>
        <source>Результат %1 заменил бы входной файл %2</source>
        <translation>The output %1 would replace the input %2</translation>
    </message>
    <message>
        <source>В документе %1 нет таблицы %2</source>
        <translation>The document %1 has no table %2</translation>
    </message>
    <message>
        <source>Для создания слоёв нужна схема документа</source>
        <translation>Creating layers needs the document's schema</translation>
    </message>
    <message>
        <source>У драйвера источника данных %1 нет транзакций: при сбое объекты, записанные до него, останутся</source>
        <translation>The driver of %1 has no transactions, so a failure would leave the features stored before it</translation>
    </message>
    <message>
        <source>Не могу начать транзакцию в источнике данных %1</source>
        <translation>Cannot begin a transaction in the data source %1</translation>
    </message>
    <message>
        <source>Цели некуда сохранить часть значений документа, поэтому ничего не импортировано:</source>
        <translation>The target has no place for some of the document's values, so nothing was imported:</translation>
    </message>
    <message>
        <source>%1: %2: %3 (%4)</source>
        <translation>%1: %2: %3 (%4)</translation>
    </message>
    <message>
        <source>%1 значение</source>
        <translation>%1 value</translation>
    </message>
    <message>
        <source>%1 значения</source>
        <translation>%1 values</translation>
    </message>
    <message>
        <source>%1 значений</source>
        <translation>%1 values</translation>
    </message>
    <message>
        <source>в слое нет такого поля</source>
        <translation>the layer has no such field</translation>
    </message>
    <message>
        <source>у слоя нет столбца геометрии</source>
        <translation>the layer has no geometry column</translation>
    </message>
    <message>
        <source>слой хранит одну геометрию объекта, первую</source>
        <translation>the layer takes one geometry per feature, the first</translation>
    </message>
    <message>
        <source>У GDAL нет драйвера %1, создающего векторные источники данных</source>
        <translation>GDAL has no driver %1 that creates vector data sources</translation>
    </message>
    <message>
        <source>Не могу создать источник данных %1 драйвером %2
%3</source>
        <translation>Cannot create the data source %1 with the driver %2
%3</translation>
    </message>
    <message>
        <source>Не могу создать слой %1
%2</source>
        <translation>Cannot create the layer %1
%2</translation>
    </message>
    <message>
        <source>Не могу создать поле %2 слоя %1
%3</source>
        <translation>Cannot create the field %2 of the layer %1
%3</translation>
    </message>
    <message>
        <source>Не могу удалить слой %1
%2</source>
        <translation>Cannot remove the layer %1
%2</translation>
    </message>
    <message>
        <source>Система координат %2 слоя %1 неизвестна GDAL без обращения к сети и файлам</source>
        <translation>The coordinate system %2 of the layer %1 is not one GDAL knows offline</translation>
    </message>
    <message>
        <source>Таблица %1, объект %2: нет значения %3, а схема его требует</source>
        <translation>Table %1, feature %2: no value for %3, which the schema requires</translation>
    </message>
    <message>
        <source>геометрии</source>
        <translation>the geometry</translation>
    </message>
    <message>
        <source>Таблица %1, объект %2: у таблицы нет атрибута %3</source>
        <translation>Table %1, feature %2: the table has no attribute %3</translation>
    </message>
    <message>
        <source>Таблица %1, объект %2: у таблицы нет геометрии</source>
        <translation>Table %1, feature %2: the table has no geometry</translation>
    </message>
    <message>
        <source>Неизвестный язык сообщений %1: ожидались ru или en</source>
        <translation>Unknown language of messages %1: ru or en expected</translation>
    </message>
    <message>
        <source>Передайте %1, чтобы импортировать всё равно</source>
        <translation>Pass %1 to import all the same</translation>
    </message>
    <message>
        <source>Передайте %1, чтобы импортировать остальное</source>
        <translation>Pass %1 to import the rest</translation>
    </message>
    <message>
        <source>Не могу удалить объект %2 слоя %1
%3</source>
        <translation>Cannot remove the feature %2 of the layer %1
%3</translation>
    </message>
    <message>
        <source>Слой %1 уже содержит объекты (%2): импорт добавил бы к ним объекты документа</source>
        <translation>The layer %1 holds features already (%2): the import would add the document's to them</translation>
    </message>
    <message>
        <source>Передайте %1, чтобы добавить объекты к имеющимся, или %2, чтобы заменить их</source>
        <translation>Pass %1 to add the features to those there, or %2 to replace them</translation>
    </message>
    <message>
        <source>Слой %1 после импорта хранит не столько объектов, сколько должен (%2 вместо %3): драйвер сохранил не все</source>
        <translation>The layer %1 holds another number of features than it should after the import (%2 instead of %3): the driver did not keep them all</translation>
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
        <source>Предел ожидания сети должен быть не меньше секунды, а не %1</source>
        <translation>The network time-out must be at least one second, not %1</translation>
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
        <source>Геометрия не распознана. Слой %1. Объект %2. %3
%4</source>
        <translation>Geometry not recognised. Layer %1. Feature %2. %3
%4</translation>
    </message>
    <message>
        <source>Координата геометрии не является конечным числом. Слой %1. Объект %2. %3</source>
        <translation>A geometry coordinate is not a finite number. Layer %1. Feature %2. %3</translation>
    </message>
    <message>
        <source>Координата геометрии %4 ближе к нулю, чем число двойной точности хранит без потери точности. Слой %1. Объект %2. %3</source>
        <translation>The geometry coordinate %4 is closer to zero than a double holds without losing precision. Layer %1. Feature %2. %3</translation>
    </message>
    <message>
        <source>Части геометрии названы в разных системах координат (%4): они переносятся в систему слоя порознь, а это возможно лишь для членов составной геометрии и колец полигона и лишь в слой с системой координат. Слой %1. Объект %2. %3</source>
        <translation>Parts of the geometry name different coordinate systems (%4): they are carried into the layer&apos;s system one by one, which is possible only for the members of a multi-geometry and the rings of a polygon, and only into a layer with a coordinate system. Layer %1. Feature %2. %3</translation>
    </message>
    <message>
        <source>Неизвестная система координат %4. Слой %1. Объект %2. %3</source>
        <translation>Unknown coordinate system %4. Layer %1. Feature %2. %3</translation>
    </message>
    <message>
        <source>Геометрия не может быть преобразована из системы координат %4 в систему слоя. Слой %1. Объект %2. %3</source>
        <translation>The geometry cannot be transformed from coordinate system %4 into the layer&apos;s. Layer %1. Feature %2. %3</translation>
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
        <source>Пространство имён «%1» или расположение схемы «%2» содержит символ, недопустимый в XML</source>
        <translation>The namespace “%1” or the schema location “%2” holds a character XML cannot carry</translation>
        <source>Объект уже записан в документ, а его gml:id повторился бы. Таблица %1. Объект %2</source>
        <translation>The feature is written to the document already, and its gml:id would repeat. Table %1. Feature %2</translation>
    </message>
    <message>
        <source>Атрибут %1</source>
        <translation>Attribute %1</translation>
    </message>
    <message>
        <source>Геометрия, стоящая в самом объекте вне свойств</source>
        <translation>The geometry standing in the feature itself, outside its properties</translation>
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
        <source>Число сохраняемых диагностик не может быть отрицательным: %1</source>
        <translation>The number of diagnostics kept cannot be negative: %1</translation>
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
        <source>Схема %1, строка %2: %3</source>
        <translation>Schema %1, line %2: %3</translation>
    </message>
    <message>
        <source>корневой элемент %1 не является элементом schema пространства имён XML Schema</source>
        <translation>the document element %1 is not the schema element of the XML Schema namespace</translation>
    </message>
    <message>
        <source>подключаемая схема %1 не является локальным файлом</source>
        <translation>the included schema %1 is not a local file</translation>
    </message>
    <message>
        <source>подключаемая схема %1 не является обычным файлом</source>
        <translation>the included schema %1 is not a regular file</translation>
    </message>
    <message>
        <source>подключаемая схема %1 объявляет целевое пространство имён «%2», ожидалось «%3»</source>
        <translation>the included schema %1 declares the target namespace “%2”, expected “%3”</translation>
    </message>
    <message>
        <source>схемы подключают друг друга глубже %1 уровней</source>
        <translation>schemas include one another deeper than %1 levels</translation>
    </message>
    <message>
        <source>%1 не поддерживается: ожидались xs:include или xs:import</source>
        <translation>%1 is not supported: expected xs:include or xs:import</translation>
    </message>
    <message>
        <source>глобальное объявление %1 без имени</source>
        <translation>global declaration %1 without a name</translation>
    </message>
    <message>
        <source>префикс имени %1 не объявлен</source>
        <translation>the prefix of the name %1 is not declared</translation>
    </message>
    <message>
        <source>%1 не объявлен ни в схеме, ни в подключённых к ней локальных файлах</source>
        <translation>%1 is declared neither in the schema nor in the local files it includes or imports</translation>
    </message>
    <message>
        <source>определение %1 ссылается само на себя</source>
        <translation>the definition of %1 refers to itself</translation>
    </message>
    <message>
        <source>определения вложены глубже %1 уровней</source>
        <translation>definitions are nested deeper than %1 levels</translation>
    </message>
    <message>
        <source>таблица %1: ожидался сложный тип, расширяющий (xs:complexContent/xs:extension) gml:AbstractFeatureType или тип другого объекта схемы</source>
        <translation>table %1: expected a complex type that extends (xs:complexContent/xs:extension) gml:AbstractFeatureType or another feature type of the schema</translation>
    </message>
    <message>
        <source>таблица %1: тип объекта не объявляет ни одного свойства</source>
        <translation>table %1: the feature type declares no property</translation>
    </message>
    <message>
        <source>таблица %1: %2 не может быть столбцом; ожидались xs:element с именем или ссылкой, xs:sequence, xs:choice, xs:all или xs:group со ссылкой</source>
        <translation>table %1: %2 cannot be a column; expected xs:element with a name or a reference, xs:sequence, xs:choice, xs:all or xs:group with a reference</translation>
    </message>
    <message>
        <source>таблица %1: %2 может повторяться (maxOccurs %3), а столбец хранит одно значение</source>
        <translation>table %1: %2 may repeat (maxOccurs %3), but a column holds one value</translation>
    </message>
    <message>
        <source>таблица %1: значение свойства %2 (тип %3) не является ни текстом, ни геометрией GML</source>
        <translation>table %1: the value of property %2 (type %3) is neither text nor a GML geometry</translation>
    </message>
    <message>
        <source>таблица %1: выбор (xs:choice) смешивает геометрию GML с другими элементами</source>
        <translation>table %1: a choice (xs:choice) mixes GML geometry with other elements</translation>
    </message>
    <message>
        <source>Схема %1 ссылается и на GML 3.1.1, и на GML 3.2</source>
        <translation>Schema %1 refers to both GML 3.1.1 and GML 3.2</translation>
    </message>
    <message>
        <source>%1 (строка %2) не таблица: %3</source>
        <translation>%1 (line %2) is not a table: %3</translation>
    </message>
    <message>
        <source>элемент абстрактный</source>
        <translation>the element is abstract</translation>
    </message>
    <message>
        <source>элемент не входит в группу замены (substitutionGroup)</source>
        <translation>the element belongs to no substitution group (substitutionGroup)</translation>
    </message>
    <message>
        <source>группа замены %1 не ведёт к gml:_Feature или gml:AbstractFeature</source>
        <translation>its substitution group %1 does not lead to gml:_Feature or gml:AbstractFeature</translation>
    </message>
    <message>
        <source>элемент — коллекция объектов (группа замены %1)</source>
        <translation>the element is a feature collection (substitution group %1)</translation>
    </message>
    <message>
        <source>таблица %1: элемент GML %2 не может быть столбцом; ожидалось свойство, объявленное схемой</source>
        <translation>table %1: the GML element %2 cannot be a column; expected a property the schema declares</translation>
    </message>
    <message>
        <source>типы объектов раскрываются более чем в %1 определений</source>
        <translation>the feature types unfold into more than %1 definitions</translation>
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
        <source>Фасет xs:pattern «%1» в строке %2 файла %3 может проверяться экспоненциально долго: повторяемая группа в нём разбирает одно значение несколькими способами, а после неё значение должно совпасть ещё с чем-то</source>
        <translation>The xs:pattern facet “%1” on line %2 of file %3 may take exponential time to check: a repeated group in it reads one value in several ways, and the value must match more after it</translation>
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
        <source>Каталог XML %1 не прочитан: каталоги через nextCatalog называют больше %2 каталогов</source>
        <translation>XML catalog %1 not read: the catalogs name more than %2 catalogs through nextCatalog</translation>
    </message>
    <message>
        <source>Каталог из nextCatalog пропущен: %1</source>
        <translation>Catalog named by nextCatalog skipped: %1</translation>
    </message>
    <message>
        <source>файл больше %1 байт</source>
        <translation>the file is larger than %1 bytes</translation>
    </message>
    <message>
        <source>srsName границ коллекции длиннее %1 символов, а так не называется ни одна система координат</source>
        <translation>the srsName of the collection's bounds is longer than %1 characters, and no coordinate system is named so</translation>
    </message>
    <message>
        <source>элемент — коллекция объектов (члены коллекции в свойстве %1)</source>
        <translation>the element is a feature collection (members in its property %1)</translation>
    </message>
    <message>
        <source>Таблица %1, объект %2: значение «%4» атрибута %3 не является значением типа %5</source>
        <translation>Table %1, feature %2: the value «%4» of attribute %3 is not a value of type %5</translation>
    </message>
    <message>
        <source>Таблица %1, объект %2: значение «%4» атрибута %3 не помещается в типы даты и времени: годы от 1 до 9999, доли секунды до микросекунды, дата без часового пояса</source>
        <translation>Table %1, feature %2: the value «%4» of attribute %3 does not fit the date and time types: years 1 to 9999, fractions of a second to the microsecond, a date without a time zone</translation>
    </message>
    <message>
        <source>Схема не объявляет атрибут %2 таблицы %1</source>
        <translation>The schema declares no attribute %2 of table %1</translation>
    </message>
    <message>
        <source>Аргумент %1 должен быть путём, а не %2</source>
        <translation>Argument %1 must be a path, not %2</translation>
    </message>
    <message>
        <source>Аргумент %1 должен быть строкой, а не %2</source>
        <translation>Argument %1 must be a string, not %2</translation>
    </message>
    <message>
        <source>Аргумент %1 должен быть строкой или списком строк, а не %2</source>
        <translation>Argument %1 must be a string or a list of strings, not %2</translation>
    </message>
    <message>
        <source>Аргумент %1 должен быть целым числом, а не %2</source>
        <translation>Argument %1 must be an integer, not %2</translation>
    </message>
    <message>
        <source>Аргумент %1 должен быть логическим значением, а не %2</source>
        <translation>Argument %1 must be a boolean, not %2</translation>
    </message>
    <message>
        <source>Таблица %1, объект %2: значение атрибута %3 должно быть строкой, а не %4</source>
        <translation>Table %1, feature %2: the value of attribute %3 must be a string, not %4</translation>
    </message>
    <message>
        <source>Аргумент %1 называет схему %2, а не документ: схема передаётся первой, документ после неё</source>
        <translation>Argument %1 names the schema %2, not a document: the schema comes first, the document after it</translation>
    </message>
    <message>
        <source>Таблица %1: геометрии в нескольких системах координат (%2), а столбец геометрии хранит одну</source>
        <translation>Table %1: geometries in several coordinate systems (%2), while a geometry column holds one</translation>
    </message>
</context>
</TS>
