<?xml version="1.0" encoding="UTF-8"?>
<gml:FeatureCollection xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" xsi:schemaLocation="urn:pelmak:exchange pelmak.xsd" xmlns:gml="http://www.opengis.net/gml" xmlns="urn:pelmak:exchange">
 <gml:featureMember>
  <Well gml:id="Well.1">
   <number>С-1</number>
   <gm:Point>
    <gm:pos>0 0</gm:pos>
   </gm:Point>
  </Well>
 </gml:featureMember>
</gml:FeatureCollection>
