#ifndef DORVELLXSD_XSDTYPEDFEATURES_H
#define DORVELLXSD_XSDTYPEDFEATURES_H

#include <dorvellxsd/data/xsdtabledata.h>
#include <dorvellxsd/dorvellxsd_export.h>
#include <dorvellxsd/gdal/xsdgmlgeometry.h>
#include <dorvellxsd/schema/xsdtables.h>

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QtGlobal>

#include <memory>
#include <optional>

namespace pelmak {

class XsdTypedFeaturesPrivate;

/**
 * A value of an exchange document as the XML Schema built-in type of its attribute gives it
 * (XsdAttribute::valueType), for hosts that hold values in their own types.
 *
 * Integers of any size and decimals of any length keep every digit as text (a host turns them
 * into its own big integer or decimal type, never into a binary fraction); double and float
 * values are doubles; dates and times are those of the years 1 to 9999, to the microsecond, as
 * the date and time types of common languages hold them. A date, time or dateTime that names a
 * time zone keeps its offset. Every type without a type of its own here (string, anyURI, lists,
 * unions, durations, ...) is text as written.
 */
struct DORVELLXSD_EXPORT XsdTypedValue
{
    enum Type { Null, Text, Integer, Decimal, Real, Boolean, Date, DateTime, Time, Geometry };
    Type type = Null;                 ///< Null: no value (an empty element of a type other than text)
    QString text;                     ///< Text as written; Integer and Decimal: sign, digits and point, no blanks
    double real = 0;                  ///< Real
    bool boolean = false;             ///< Boolean
    int year = 0, month = 0, day = 0; ///< Date, DateTime
    int hour = 0, minute = 0, second = 0, microsecond = 0; ///< DateTime, Time
    std::optional<int> zoneMinutes; ///< DateTime, Time: offset east of UTC, where the value names a zone
    XsdWkbGeometry geometry;        ///< Geometry

    /**
     * The value that @p text denotes in the built-in type @p valueType. Blanks around a value of
     * a type other than text are dropped, as XML Schema does; such a value that is empty then is Null.
     * @throws std::logic_error naming @p table, @p feature and @p attribute when the text is no
     *         value of the type (a word for an integer, 12.5 for an int, 300 for a byte), or a
     *         date or time beyond what is held as above (a year before 1 or after 9999, a finer
     *         fraction of a second, a date with a time zone).
     */
    static XsdTypedValue of(
        const QString &valueType, const QString &text, const QString &table, int feature, const QString &attribute);
    /// The type of the values of(@p valueType, ...) gives, Null aside: Text for every type without one of its own.
    static Type typeOf(const QString &valueType);
};

/// One feature with its values typed, one per attribute of its table in the schema, in that order.
struct DORVELLXSD_EXPORT XsdTypedFeature
{
    QString table; ///< as the document names it
    int id = 0;
    QStringList attributes;        ///< the schema's names of the table's attributes
    QVector<XsdTypedValue> values; ///< Null for an attribute the feature does not carry
};

/**
 * Types the features a document reader (XsdXmlStreamReader, XsdXmlTables) hands out by the
 * tables of their schema: each plain value by its attribute's type (XsdTypedValue::of), each
 * geometry as WKB (XsdGmlGeometry); an empty geometry value, or an attribute the feature lacks, is
 * Null. A geometry standing in the feature itself is the schema's attribute of kind Geometry.
 *
 * An object keeps the coordinate systems it has looked up, so one should serve a whole document.
 * It is used by one thread at a time.
 */
class DORVELLXSD_EXPORT XsdTypedFeatures
{
public:
    explicit XsdTypedFeatures(const XsdTables &schema);
    virtual ~XsdTypedFeatures();

    /**
     * The features of @p data, typed.
     * @throws std::logic_error for a table the schema does not declare, an attribute its table
     *         lacks, and the refusals of XsdTypedValue::of and XsdGmlGeometry::toWkb.
     */
    QList<XsdTypedFeature> typed(const XsdTableData &data);

private:
    Q_DISABLE_COPY(XsdTypedFeatures)
    std::unique_ptr<XsdTypedFeaturesPrivate> const d;
};

} // namespace pelmak

#endif
