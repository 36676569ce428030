<?xml version="1.0" encoding="UTF-8"?>
<gml:FeatureCollection xmlns:gml="http://www.opengis.net/gml">
 <gml:featureMember>
  <Parcel gml:id="Parcel.1">
   <code>a<!-- b --> <![CDATA[c]]>  d</code>
   <gml:Point srsName="x" gml:id="l"> <gml:pos> 1 2 </gml:pos><!--c--> </gml:Point>
  </Parcel>
 </gml:featureMember>
</gml:FeatureCollection>
