<?xml version="1.0" encoding="UTF-8"?>
<gml:FeatureCollection xmlns:gml="http://www.opengis.net/gml">
 <gml:featureMember>
  <Parcel gml:id="Parcel.1">
   <code>A</code>
  </Parcel>
 </gml:featureMember>
 <gml:featureMember>
  <Parcel gml:id="Parcel.2">
   <co