<?xml version="1.0" encoding="UTF-8"?>
<gml:FeatureCollection xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" xsi:schemaLocation="urn:pelmak:exchange pelmak.xsd" xmlns:gml="http://www.opengis.net/gml" xmlns="urn:pelmak:exchange">
 <gml:featureMember>
  <Parcel gml:id="Parcel.-17">
   <code>A &amp; B</code>
   <note>&#xd;</note>
   <gml:Polygon srsName="urn:ogc:def:crs:EPSG::3857">
    <gml:exterior>
     <gml:LinearRing>
      <gml:posList>0 0 100 0 100 100 0 0</gml:posList>
     </gml:LinearRing>
    </gml:exterior>
   </gml:Polygon>
  </Parcel>
 </gml:featureMember>
</gml:FeatureCollection>
