<?xml version="1.0" encoding="UTF-8"?>
<gml:FeatureCollection xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" xsi:schemaLocation="urn:pelmak:exchange pelmak.xsd" xmlns:gml="http://www.opengis.net/gml" xmlns="urn:pelmak:exchange">
 <gml:featureMember>
  <Parcel gml:id="Parcel.17">
   <cadastralNumber>50:21:0110114:1017</cadastralNumber>
   <area>1500.25</area>
   <landUse>Для ведения личного подсобного хозяйства &amp; огородничества</landUse>
   <registered>2019-04-02</registered>
   <gml:Polygon srsName="EPSG:32637">
    <gml:exterior>
     <gml:LinearRing>
      <gml:posList>410000 6170000 410040 6170000 410040 6170037.5 410000 6170037.5 410000 6170000</gml:posList>
     </gml:LinearRing>
    </gml:exterior>
    <gml:interior>
     <gml:LinearRing>
      <gml:posList>410010 6170010 410020 6170010 410020 6170020 410010 6170010</gml:posList>
     </gml:LinearRing>
    </gml:interior>
   </gml:Polygon>
  </Parcel>
 </gml:featureMember>
 <gml:featureMember>
  <Parcel gml:id="Parcel.18">
   <cadastralNumber>50:21:0110114:1018</cadastralNumber>
   <area>820</area>
   <gml:MultiSurface srsName="EPSG:32637">
    <gml:surfaceMember>
     <gml:Polygon>
      <gml:exterior>
       <gml:LinearRing>
        <gml:posList>410100 6170000 410120 6170000 410120 6170020 410100 6170000</gml:posList>
       </gml:LinearRing>
      </gml:exterior>
     </gml:Polygon>
    </gml:surfaceMember>
    <gml:surfaceMember>
     <gml:Polygon>
      <gml:exterior>
       <gml:LinearRing>
        <gml:pos>410200 6170000</gml:pos>
        <gml:pos>410220 6170000</gml:pos>
        <gml:pos>410220 6170020</gml:pos>
        <gml:pos>410200 6170000</gml:pos>
       </gml:LinearRing>
      </gml:exterior>
     </gml:Polygon>
    </gml:surfaceMember>
   </gml:MultiSurface>
  </Parcel>
 </gml:featureMember>
 <gml:featureMember>
  <Road gml:id="Road.-5">
   <name></name>
   <lanes>2</lanes>
   <surface>асфальт &lt;новый&gt;</surface>
   <gml:LineString srsName="EPSG:32637">
    <gml:posList>410000 6170100 410500 6170150 411000 6170120</gml:posList>
   </gml:LineString>
  </Road>
 </gml:featureMember>
 <gml:featureMember>
  <Road gml:id="Road.6">
   <name>улица Садовая</name>
   <lanes>4</lanes>
   <gml:MultiCurve>
    <gml:curveMember>
     <gml:LineString>
      <gml:posList srsDimension="3">410000 6170200 150 410300 6170210 152.5</gml:posList>
     </gml:LineString>
    </gml:curveMember>
   </gml:MultiCurve>
  </Road>
 </gml:featureMember>
 <gml:featureMember>
  <Road gml:id="Road.7">
   <name>Проезд без геометрии</name>
   <lanes>1</lanes>
  </Road>
 </gml:featureMember>
 <gml:featureMember>
  <Well gml:id="Well.1">
   <number>С-12</number>
   <depth>42.5</depth>
   <gml:Point srsName="EPSG:4326">
    <gml:pos srsDimension="3">55.7512 37.6184 143.2</gml:pos>
   </gml:Point>
  </Well>
 </gml:featureMember>
 <gml:featureMember>
  <Well gml:id="Well.2">
   <number>С-13</number>
   <gml:MultiPoint>
    <gml:pointMember>
     <gml:Point>
      <gml:coordinates>410400,6170300 </gml:coordinates>
     </gml:Point>
    </gml:pointMember>
    <gml:pointMember>
     <gml:Point>
      <gml:pos>410410 6170310</gml:pos>
     </gml:Point>
    </gml:pointMember>
   </gml:MultiPoint>
  </Well>
 </gml:featureMember>
 <gml:featureMember>
  <Building gml:id="Building.3">
   <address>ул. Садовая, д. 5</address>
   <floors>9</floors>
   <builtYear>1978</builtYear>
   <gml:MultiPolygon>
    <gml:polygonMember>
     <gml:Polygon>
      <gml:exterior>
       <gml:LinearRing>
        <gml:coordinates>410000,6170400 410030,6170400 410030,6170430 410000,6170400</gml:coordinates>
       </gml:LinearRing>
      </gml:exterior>
     </gml:Polygon>
    </gml:polygonMember>
   </gml:MultiPolygon>
  </Building>
 </gml:featureMember>
</gml:FeatureCollection>
