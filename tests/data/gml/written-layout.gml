<?xml version="1.0" encoding="UTF-8"?>
<gml:FeatureCollection>
 <gml:featureMember>
  <Parcel gml:id="Parcel.17">
   <code>77:17</code>
   <area></area>
   <gml:Point>
    <gml:pos>1 2</gml:pos>
   </gml:Point>
  </Parcel>
 </gml:featureMember>
 <gml:featureMember>
  <Parcel gml:id="Parcel.-3">
   <code>x</code>
   <note>n</note>
   <area></area>
  </Parcel>
 </gml:featureMember>
 <gml:featureMember>
  <Road gml:id="Road.2147483647">
   <name>A &amp; B &lt;C> "D"</name>
  </Road>
 </gml:featureMember>
 <gml:featureMember>
  <Участок gml:id="Участок.3">
   <_a-b.c>🌲	</_a-b.c>
  </Участок>
 </gml:featureMember>
</gml:FeatureCollection>
