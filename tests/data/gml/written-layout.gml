<?xml version="1.0" encoding="UTF-8"?>
<gml:FeatureCollection xmlns="urn:pelmak:exchange" xmlns:gml="http://www.opengis.net/gml" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" xsi:schemaLocation="urn:pelmak:exchange pelmak.xsd">
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
