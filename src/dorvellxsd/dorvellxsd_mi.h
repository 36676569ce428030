#ifndef DORVELLXSD_DORVELLXSD_MI_H
#define DORVELLXSD_DORVELLXSD_MI_H

// Every class of the standard-type facade, namespace pelmak::mi. Nothing here needs Qt, GDAL or
// Xerces-C headers: strings are UTF-8 std::string, lists std::list, maps std::map. Each class
// throws what the class it wraps throws: a refused input as std::logic_error, a failure of the
// environment as dorvellxsd.h says ("Errors").

#include <dorvellxsd/mi/xsddiagnostic.h>
#include <dorvellxsd/mi/xsddocumentidentity.h>
#include <dorvellxsd/mi/xsdelement.h>
#include <dorvellxsd/mi/xsdexchange.h>
#include <dorvellxsd/mi/xsdgdaldataprovider.h>
#include <dorvellxsd/mi/xsdgdallayerreader.h>
#include <dorvellxsd/mi/xsdhostrefusal.h>
#include <dorvellxsd/mi/xsdprovider.h>
#include <dorvellxsd/mi/xsdrelatedtables.h>
#include <dorvellxsd/mi/xsdtabledata.h>
#include <dorvellxsd/mi/xsdtables.h>
#include <dorvellxsd/mi/xsdtypedfeatures.h>
#include <dorvellxsd/mi/xsdvalidationreport.h>
#include <dorvellxsd/mi/xsdxmlchecker.h>
#include <dorvellxsd/mi/xsdxmlstreamreader.h>
#include <dorvellxsd/mi/xsdxmlstreamwriter.h>
#include <dorvellxsd/mi/xsdxmltables.h>
#include <dorvellxsd/mi/xsdxmlwriter.h>

#endif
