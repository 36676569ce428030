<?xml version="1.0" encoding="UTF-8"?>
<gml:FeatureCollection xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" xsi:schemaLocation="urn:pelmak:exchange pelmak.xsd" xmlns:gml="http://www.opengis.net/gml" xmlns="urn:pelmak:exchange">
 <gml:featureMember>
  <Parcel gml:id="Parcel.17">
   <cadastralNumber>50:21:0110114:1017</cadastralNumber>
   <area>1500.25</area>
   <landUse>Для ведения личного подсобного хозяйства &amp; огородничества</landUse>
   <registered>2019-04-02</registered>
   <gml:Polygon srsName="EPSG:32637">
    <gml:exterior>
     <gml:LinearRing>
      <gml:posList>410000 6170000 410040 6170000 410040 6170037.5 410000 6170037