#ifndef DORVELLXSD_DORVELLXSD_H
#define DORVELLXSD_DORVELLXSD_H

// Every public class of namespace pelmak.

#include <dorvellxsd/schema/xsdattribute.h>
#include <dorvellxsd/schema/xsdcomplextype.h>
#include <dorvellxsd/schema/xsdelement.h>
#include <dorvellxsd/schema/xsdprovider.h>
#include <dorvellxsd/schema/xsdtables.h>

#include <dorvellxsd/data/xsdfeaturedata.h>
#include <dorvellxsd/data/xsdtabledata.h>

#include <dorvellxsd/gdal/xsdgdaldataprovider.h>
#include <dorvellxsd/gdal/xsdgdallayerreader.h>
#include <dorvellxsd/gdal/xsdgmlgeometry.h>

#include <dorvellxsd/gml/xsddocumentidentity.h>
#include <dorvellxsd/gml/xsdxmlstreamreader.h>
#include <dorvellxsd/gml/xsdxmlstreamwriter.h>
#include <dorvellxsd/gml/xsdxmltables.h>
#include <dorvellxsd/gml/xsdxmlwriter.h>

#include <dorvellxsd/validation/xsddiagnostic.h>
#include <dorvellxsd/validation/xsdvalidationreport.h>
#include <dorvellxsd/validation/xsdxmlchecker.h>

#include <dorvellxsd/exchange/xsdhostrefusal.h>
#include <dorvellxsd/exchange/xsdexchangeprogress.h>
#include <dorvellxsd/exchange/xsdexchangewriter.h>
#include <dorvellxsd/exchange/xsdexport.h>
#include <dorvellxsd/exchange/xsdimport.h>
#include <dorvellxsd/exchange/xsdschemaaccess.h>
#include <dorvellxsd/exchange/xsdtypedfeatures.h>

#include <dorvellxsd/xsdlanguage.h>

#endif
