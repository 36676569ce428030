<?xml version="1.0" encoding="UTF-8"?>
<!-- Two parcels of related/parcels.xsd: the first with two owners, one of them with two contacts. -->
<gml:FeatureCollection xmlns:gml="http://www.opengis.net/gml/3.2" xmlns:xlink="http://www.w3.org/1999/xlink"
    xmlns:p="urn:test:parcels" gml:id="collection">
 <gml:featureMember>
  <p:Parcel gml:id="P1">
   <p:inspireId><p:Identifier><p:localId>1</p:localId><p:namespace>XX</p:namespace></p:Identifier></p:inspireId>
   <p:area uom="m2">1200.5</p:area>
   <p:kind codeSpace="urn:test:kinds">urban</p:kind>
   <p:validTo>2030-01-01T00:00:00Z</p:validTo>
   <p:unit xlink:href="#U1"/>
   <p:owner><p:Owner><p:name>Ivanova</p:name><p:share>0.5</p:share><p:contact>a@example.org</p:contact>
    <p:contact>+7 000</p:contact></p:Owner></p:owner>
   <p:owner><p:Owner><p:name>Petrov</p:name><p:share>0.5</p:share></p:Owner></p:owner>
   <p:geometry><gml:MultiSurface gml:id="P1.geom" srsName="EPSG:4326"><gml:surfaceMember><gml:Polygon gml:id="P1.p">
    <gml:exterior><gml:LinearRing><gml:posList>55 37 55 38 56 38 55 37</gml:posList></gml:LinearRing></gml:exterior>
   </gml:Polygon></gml:surfaceMember></gml:MultiSurface></p:geometry>
  </p:Parcel>
 </gml:featureMember>
 <gml:featureMember>
  <p:Parcel gml:id="P2">
   <p:inspireId><p:Identifier><p:localId>2</p:localId><p:namespace>XX</p:namespace></p:Identifier></p:inspireId>
   <p:area uom="m2">800</p:area>
   <p:kind>rural</p:kind>
   <p:validTo xsi:nil="true" nilReason="unknown" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance"/>
   <p:unit xlink:href="#U2"/>
   <p:geometry><gml:MultiSurface gml:id="P2.geom" srsName="EPSG:4326"><gml:surfaceMember><gml:Polygon gml:id="P2.p">
    <gml:exterior><gml:LinearRing><gml:posList>54 37 54 38 55 38 54 37</gml:posList></gml:LinearRing></gml:exterior>
   </gml:Polygon></gml:surfaceMember></gml:MultiSurface></p:geometry>
   <p:referencePoint><gml:Point gml:id="P2.ref" srsName="EPSG:4326"><gml:pos>54.5 37.5</gml:pos></gml:Point></p:referencePoint>
  </p:Parcel>
 </gml:featureMember>
</gml:FeatureCollection>
