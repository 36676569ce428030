<?xml version="1.0" encoding="UTF-8"?>
<!-- Beside each feature, the id its gml:id gives. -->
<gml:FeatureCollection xmlns:gml="http://www.opengis.net/gml">
 <gml:featureMember><F gml:id="Parcel.17"/></gml:featureMember> <!-- 17 -->
 <gml:featureMember><F gml:id="Parcel.-5"/></gml:featureMember> <!-- -5 -->
 <gml:featureMember><F gml:id="Zone12.-5"/></gml:featureMember> <!-- -5 -->
 <gml:featureMember><F gml:id="zone-1.5"/></gml:featureMember> <!-- 5 -->
 <gml:featureMember><F gml:id="Parcel.007"/></gml:featureMember> <!-- 7 -->
 <gml:featureMember><F gml:id="fid-123"/></gml:featureMember> <!-- 123 -->
 <gml:featureMember><F gml:id="Plan.2024.17"/></gml:featureMember> <!-- 17 -->
 <gml:featureMember><F gml:id="Parcel.12abc"/></gml:featureMember> <!-- 12 -->
 <gml:featureMember><F gml:id="Parcel.-2147483648"/></gml:featureMember> <!-- -2147483648 -->
 <gml:featureMember><F gml:id="Parcel.x"/></gml:featureMember> <!-- 0 -->
 <gml:featureMember><F gml:id="Parcel."/></gml:featureMember> <!-- 0 -->
 <gml:featureMember><F gml:id="Parcel.-"/></gml:featureMember> <!-- 0 -->
 <gml:featureMember><F gml:id=""/></gml:featureMember> <!-- 0 -->
 <gml:featureMember><F gml:id="Parcel.3"/></gml:featureMember> <!-- 3 -->
 <!-- no gml:id: the id of the feature before is not inherited -->
 <gml:featureMember><F/></gml:featureMember> <!-- 0 -->
</gml:FeatureCollection>
