<?xml version="1.0"?>
<wfs:FeatureCollection xmlns:wfs="http://www.opengis.net/wfs/2.0" xmlns:g="http://www.opengis.net/gml/3.2" xmlns:o="http://www.opengis.net/gml" xmlns:a="urn:a">
<g:boundedBy/>
<wfs:member>
<a:Road g:id="Дорога.1">
<a:name>x</a:name>
</a:Road>
</wfs:member>
<wfs:member>
<wfs:FeatureCollection>
<wfs:member>
<a:Lake g:id="l1"/>
</wfs:member>
</wfs:FeatureCollection>
</wfs:member>
<g:featureMembers>
<a:Well fid="w1"/>
<!-- between -->
<a:Well/>
</g:featureMembers>
<o:featureMember><a:Pond o:id="p1"/></o:featureMember>
<g:member><a:Pond g:id="p2"/></g:member>
<wfs:additionalObjects/>
</wfs:FeatureCollection>
