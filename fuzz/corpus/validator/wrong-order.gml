<?xml version="1.0" encoding="UTF-8"?>
<gml:FeatureCollection xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" xsi:schemaLocation="urn:pelmak:exchange pelmak.xsd" xmlns:gml="http://www.opengis.net/gml" xmlns="urn:pelmak:exchange">
 <gml:featureMember>
  <Road gml:id="Road.1">
   <lanes>2</lanes>
   <name>Лесная улица</name>
   <gml:LineString>
    <gml:posList>0 0 1 1</gml:posList>
   </gml:LineString>
  </Road>
 </gml:featureMember>
 <gml:featureMember>
  <Road gml:id="Road.2">
   <name>Полевая улица</name>
   <lanes>1</lanes>
   <gml:LineString>
    <gml:posList>0 0 1 1</gml:posList>
   </gml:LineString>
   <surface>гравий</surface>
  </Road>
 </gml:featureMember>
</gml:FeatureCollection>
