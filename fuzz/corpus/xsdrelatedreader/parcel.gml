<?xml version="1.0" encoding="UTF-8"?>
<gml:FeatureCollection xmlns:gml="http://www.opengis.net/gml/3.2" xmlns:t="urn:t" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" gml:id="c">
 <gml:featureMember>
  <t:Parcel gml:id="P1">
   <t:code codeSpace="urn:c">A</t:code>
   <t:note xsi:nil="true"/>
   <t:owner><t:Owner><t:name>Ivanova</t:name><t:contact>a@example.org</t:contact><t:contact>+7</t:contact></t:Owner></t:owner>
   <t:geometry><gml:Point gml:id="g" srsName="EPSG:4326"><gml:pos>55 37</gml:pos></gml:Point></t:geometry>
   <t:extra a="1">Ж &amp; <t:x/><!-- c --></t:extra>
   <t:open><t:Any k="v"/></t:open>
   <t:zone><t:Zone gml:id="Z1"><t:parcel><t:Parcel><t:code>B</t:code></t:Parcel></t:parcel></t:Zone></t:zone>
  </t:Parcel>
 </gml:featureMember>
 <gml:featureMember><t:Parcel/></gml:featureMember>
</gml:FeatureCollection>
