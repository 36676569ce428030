<?xml version="1.0" encoding="UTF-8"?>
<gml:FeatureCollection xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" xsi:schemaLocation="urn:pelmak:exchange pelmak.xsd" xmlns:gml="http://www.opengis.net/gml" xmlns="urn:pelmak:exchange">
 <gml:featureMember>
  <Parcel gml:id="Parcel.1">
   <cadastralNumber>50:21:0110114:1001</cadastralNumber>
   <landUse>сенокошение</landUse>
   <gml:Polygon>
    <gml:exterior>
     <gml:LinearRing>
      <gml:posList>0 0 1 0 1 1 0 0</gml:posList>
     </gml:LinearRing>
    </gml:exterior>
   </gml:Polygon>
  </Parcel>
 </gml:featureMember>
 <gml:featureMember>
  <Well gml:id="Well.2">
   <number>С-2</number>
   <depth>10</depth>
  </Well>
 </gml:featureMember>
</gml:FeatureCollection>
