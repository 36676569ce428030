<?xml version="1.0" encoding="UTF-8"?>
<wfs:FeatureCollection xmlns:wfs="http://www.opengis.net/wfs/2.0" xmlns:g="http://www.opengis.net/gml/3.2"
    xmlns:app="urn:example:app" xmlns:xlink="http://www.w3.org/1999/xlink">
 <g:boundedBy><g:Envelope srsName="EPSG:4326"><g:lowerCorner>0 0</g:lowerCorner></g:Envelope></g:boundedBy>
 <wfs:member>
  <!-- the feature is the child element, not this comment -->
  <app:Parcel g:id="Parcel.17">
   <g:boundedBy><g:Envelope/></g:boundedBy>
   <app:code>77:01:17</app:code>
   <?editor note="not a value"?>
   <app:area>15<!-- split -->20.5</app:area>
   <app:position><g:Point g:id="p1"><g:pos>1 2</g:pos></g:Point></app:position>
   <app:owner xlink:href="#person.5"/>
   <app:name>Plot 17</app:name>
   <g:name>Garden</g:name>
  </app:Parcel>
 </wfs:member>
 <wfs:member>
  <Road xmlns="urn:example:other" fid="Road.-5"><g:name>Ring</g:name><name>Ring road</name><g:LineString srsName="EPSG:3857"><g:posList>0 0 1 1</g:posList></g:LineString></Road>
 </wfs:member>
 <!-- no features: empty members, one referring to a feature of the document, properties of the collection -->
 <g:featureMember/>
 <wfs:member xlink:href="#Parcel.17"/>
 <app:metadata xlink:href="http://example.org/metadata.xml"/>
 <app:title>Parcels</app:title>
 <app:extent><g:Envelope srsName="EPSG:4326"/></app:extent>
 <g:featureMembers>
  <app:parcel g:id="parcel.3"><app:code>lower case</app:code></app:parcel>
  <app:Parcel g:id="Parcel.18"/>
 </g:featureMembers>
</wfs:FeatureCollection>
