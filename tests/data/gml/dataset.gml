<?xml version="1.0" encoding="UTF-8"?>
<!-- A collection with an identifier and a name of its own, told by its members' name. -->
<base:SpatialDataSet xmlns:base="http://inspire.ec.europa.eu/schemas/base/3.3" xmlns:gml="http://www.opengis.net/gml/3.2"
    xmlns:app="urn:example:app" xmlns:xlink="http://www.w3.org/1999/xlink" gml:id="dataset">
 <base:identifier>dataset 1</base:identifier>
 <base:metadata xlink:href="http://example.org/metadata.xml"/>
 <base:member><app:Parcel gml:id="Parcel.3"><app:code>c</app:code></app:Parcel></base:member>
</base:SpatialDataSet>
