<?xml version="1.0" encoding="UTF-8"?>
<!-- Valid, with hints that would make a parser open other schemas: one beside it that is not a
     schema at all, one on the network. -->
<gml:FeatureCollection xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" xsi:schemaLocation="urn:pelmak:exchange validator-not-a-schema.xsd http://www.opengis.net/gml http://127.0.0.1:9/gml.xsd urn:pelmak:other validator-not-a-schema.xsd" xsi:noNamespaceSchemaLocation="validator-not-a-schema.xsd" xmlns:gml="http://www.opengis.net/gml" xmlns="urn:pelmak:exchange">
 <gml:featureMember>
  <Well gml:id="Well.1">
   <number>С-1</number>
   <gml:Point>
    <gml:pos>0 0</gml:pos>
   </gml:Point>
  </Well>
 </gml:featureMember>
</gml:FeatureCollection>
