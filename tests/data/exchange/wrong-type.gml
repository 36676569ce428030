<?xml version="1.0" encoding="UTF-8"?>
<gml:FeatureCollection xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" xsi:schemaLocation="urn:pelmak:exchange pelmak.xsd" xmlns:gml="http://www.opengis.net/gml" xmlns="urn:pelmak:exchange">
 <gml:featureMember>
  <Parcel gml:id="Parcel.1">
   <cadastralNumber>50:21:0110114:1001</cadastralNumber>
   <area>1500,25</area>
   <registered>02.04.2019</registered>
   <gml:Polygon>
    <gml:exterior>
     <gml:LinearRing>
      <gml:posList>0 0 1 0 1 1 north 0</gml:posList>
     </gml:LinearRing>
    </gml:exterior>
   </gml:Polygon>
  </Parcel>
 </gml:featureMember>
 <gml:featureMember>
  <Road gml:id="Road.2">
   <name>Полевая улица</name>
   <lanes>0</lanes>
  </Road>
 </gml:featureMember>
</gml:FeatureCollection>
