<?xml version="1.0" encoding="UTF-8"?>
<gml:FeatureCollection xmlns:gml="http://www.opengis.net/gml">
 <gml:featureMember>
  <Parcel gml:id="Parcel.1">
   <gml:Point> <gml:pos> 1 2 </gml:pos><!--c--> </gml:Point>tail<code>a<b> </b><![CDATA[c]]> <i/> d</code>
   <gml:LineString srsName="x" gml:id="l"> <gml:posList>1 2 3 4</gml:posList> </gml:LineString>
  </Parcel>
 </gml:featureMember>
</gml:FeatureCollection>
