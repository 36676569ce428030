<?xml version="1.0" encoding="UTF-8"?>
<gml:FeatureCollection xmlns:gml="http://www.opengis.net/gml" xmlns="urn:pelmak:exchange">
 <gml:featureMember>
  <Well gml:id="Well.1">
   <number>7</number>
   <gml:Point srsName="EPSG:4326"><gml:pos>55.75 37.62</gml:pos></gml:Point>
  </Well>
 </gml:featureMember>
 <gml:featureMember>
  <Well gml:id="Well.2">
   <number>seven</number>
   <gml:Point srsName="EPSG:4326"><gml:coordinates>55.75,37.62</gml:coordinates></gml:Point>
  </Well>
 </gml:featureMember>
</gml:FeatureCollection>
