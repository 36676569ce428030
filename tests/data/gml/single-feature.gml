<?xml version="1.0" encoding="UTF-8"?>
<!-- A single feature as the document, as a WFS's GetFeatureById gives it. -->
<app:Parcel xmlns:app="urn:example:app" xmlns:gml="http://www.opengis.net/gml/3.2" gml:id="Parcel.9">
 <gml:name>Garden</gml:name>
 <app:code>77:01</app:code>
</app:Parcel>
