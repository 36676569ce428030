<?xml version="1.0" encoding="UTF-8"?>
<gml:FeatureCollection xmlns:gml="http://www.opengis.net/gml">
 <gml:featureMember>
  <Well gml:id="Well.1"><depth>12</depth></Well>
 </gml:featureMember>
</gml:FeatureCollection>
