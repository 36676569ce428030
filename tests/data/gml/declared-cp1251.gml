<?xml version="1.0" encoding="windows-1251"?>
<gml:FeatureCollection xmlns:gml="http://www.opengis.net/gml">
 <gml:featureMember>
  <Участок gml:id="Участок.7">
   <название>Сад «Ёлка»</название>
  </Участок>
 </gml:featureMember>
</gml:FeatureCollection>
