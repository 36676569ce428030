<?xml version="1.0" encoding="UTF-8"?>
<gml:FeatureCollection xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" xsi:schemaLocation="urn:pelmak:exchange pelmak.xsd" xmlns:gml="http://www.opengis.net/gml" xmlns="urn:pelmak:exchange" xmlns:pelmak="urn:pelmak:exchange">
 <gml:boundedBy><gml:null>unknown</gml:null></gml:boundedBy>
 <gml:featureMember>
  <!-- the feature is the first child element, not this comment -->
  <Parcel gml:id="Parcel.17">
   <code>77:01:17</code>
   <?editor note="not a value"?>
   stray text
   <!-- nor this -->
   <GML:Point><GML:pos>1 2</GML:pos></GML:Point>
   <gmlPoint>not a geometry</gmlPoint>
   <area>15<!-- split -->20.5</area>
  </Parcel>
 </gml:featureMember>
 <gml:featureMember/>
 <gml:featureMember>   </gml:featureMember>
 <Parcel gml:id="Parcel.99"><code>outside any member</code></Parcel>
 <GML:featureMember><Parcel gml:id="Parcel.98"><code>member name in capitals</code></Parcel></GML:featureMember>
 <gml:featureMember>
  <Road gml:id="Road.-5"><name>Ring road</name></Road>
 </gml:featureMember>
 <gml:featureMember>
  <parcel gml:id="parcel.3"><code>lower case</code><extra>x</extra></parcel>
 </gml:featureMember>
 <gml:featureMember>
  <pelmak:Parcel gml:id="pelmak:Parcel.4"><code>prefixed</code></pelmak:Parcel>
 </gml:featureMember>
 <gml:featureMember>
  <Parcel gml:id="Parcel.18"/>
 </gml:featureMember>
</gml:FeatureCollection>
