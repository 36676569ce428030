<?xml version="1.0" encoding="UTF-8"?>
<gml:FeatureCollection xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" xsi:schemaLocation="urn:pelmak:exchange pelmak.xsd" xmlns:gml="http://www.opengis.net/gml" xmlns="urn:pelmak:exchange">
 <gml:featureMember>
  <Building gml:id="Building.1">
   <address>ул. Мира, д. 1</address>
   <owner>Иванов</owner>
   <gml:Polygon>
    <gml:exterior>
     <gml:LinearRing>
      <gml:posList>0 0 1 0 1 1 0 0</gml:posList>
     </gml:LinearRing>
    </gml:exterior>
   </gml:Polygon>
  </Building>
 </gml:featureMember>
 <gml:featureMember>
  <Мост gml:id="Мост.1">
   <name>Мост через Оку</name>
  </Мост>
 </gml:featureMember>
</gml:FeatureCollection>
