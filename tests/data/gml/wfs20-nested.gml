<?xml version="1.0" encoding="UTF-8"?>
<!-- WFS 2.0 wraps the features of each type in a collection of its own; a geometry without srsName takes
     the one of the envelope of its own collection. -->
<wfs:FeatureCollection xmlns:wfs="http://www.opengis.net/wfs/2.0" xmlns:gml="http://www.opengis.net/gml/3.2"
    xmlns:app="urn:example:app" numberMatched="3" numberReturned="3">
 <wfs:member>
  <wfs:FeatureCollection numberMatched="2" numberReturned="2">
   <wfs:boundedBy><gml:Envelope srsName="EPSG:4326"><gml:lowerCorner>37 55</gml:lowerCorner></gml:Envelope></wfs:boundedBy>
   <wfs:member><app:Parcel gml:id="Parcel.1"><app:code>a</app:code><gml:Point><gml:pos>37 55</gml:pos></gml:Point></app:Parcel></wfs:member>
   <wfs:member><app:Parcel gml:id="Parcel.2"><app:code>b</app:code></app:Parcel></wfs:member>
  </wfs:FeatureCollection>
 </wfs:member>
 <wfs:member>
  <wfs:FeatureCollection numberMatched="1" numberReturned="1">
   <wfs:member><app:Road gml:id="Road.7"><gml:LineString><gml:posList>0 0 1 1</gml:posList></gml:LineString></app:Road></wfs:member>
  </wfs:FeatureCollection>
 </wfs:member>
</wfs:FeatureCollection>
