<?xml version="1.0" encoding="windows-1251"?>
<gml:FeatureCollection xmlns:gml="http://www.opengis.net/gml" xml:lang="ru">
 <gml:featureMember>
  <Участок gml:id="Участок.7" ёлка="не значение таблицы">
   <название>Сад «Ёлка»</название>
  </Участок>
 </gml:featureMember>
</gml:FeatureCollection>
