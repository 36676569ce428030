#ifndef DORVELLXSD_DORVELLXSD_H
#define DORVELLXSD_DORVELLXSD_H

/*
 * Every public class of namespace pelmak.
 *
 * Errors. Every failure is reported by an exception whose message (UTF-8, in the language of
 * setMessageLanguage()) says what went wrong and where, and whose class says which of two kinds
 * of failure it is:
 *   - an input refused: a schema, a document, a value its target cannot hold exactly, an
 *     argument, a call out of order. Always a std::logic_error; XsdConsentNeeded is one that the
 *     caller may overrule.
 *   - a failure of the environment: a file or folder that cannot be opened, read or written, a
 *     lost connection, a full disk, a write or a commit that the data source refuses with a
 *     reason of its own. A std::runtime_error from the exchange services (XsdExport, XsdImport,
 *     XsdExchangeWriter, XsdSchemaAccess) and from XsdXmlStreamReader, XsdXmlStreamWriter and
 *     XsdGdalLayerReader. XsdProvider, XsdXmlTables, XsdXmlWriter, XsdXmlChecker and
 *     XsdGdalDataProvider keep the classes their headers document, a std::logic_error for most
 *     such failures; the data source a provider cannot open or create, and a layer or field it
 *     cannot create or remove, are std::runtime_error there too.
 * The pelmak::mi classes pass the exceptions of the classes they wrap on unchanged.
 */

#include <dorvellxsd/schema/xsdattribute.h>
#include <dorvellxsd/schema/xsdcomplextype.h>
#include <dorvellxsd/schema/xsdelement.h>
#include <dorvellxsd/schema/xsdprovider.h>
#include <dorvellxsd/schema/xsdrelatedtables.h>
#include <dorvellxsd/schema/xsdtables.h>

#include <dorvellxsd/data/xsdfeaturedata.h>
#include <dorvellxsd/data/xsdtabledata.h>

#include <dorvellxsd/gdal/xsdgdaldataprovider.h>
#include <dorvellxsd/gdal/xsdgdallayerreader.h>
#include <dorvellxsd/gdal/xsdgmlgeometry.h>

#include <dorvellxsd/gml/xsddocumentidentity.h>
#include <dorvellxsd/gml/xsdrelatedstreamreader.h>
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
