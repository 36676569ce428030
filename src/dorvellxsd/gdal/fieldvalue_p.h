/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_FIELDVALUE_P_H
#define DORVELLXSD_FIELDVALUE_P_H

#include <QByteArray>
#include <QString>

#include <ogr_core.h>

class GDALDataset;
class OGRFeature;
class OGRFieldDefn;
class OGRLayer;

namespace pelmak {

// The value of a field as an exchange document carries it: dates and times in the ISO 8601 form
// of XML Schema, a real whose double GDAL's text does not give back in its shortest decimal,
// everything else as GDAL writes it; a null string for a field that is unset or null.
QString fieldText(OGRFeature &feature, int index);

/*
 * One field of a layer as the target of text values. GDAL converts text to a field's type
 * without a word when it cannot (a word becomes 0, an overflowing integer its limit, "1996-xyz"
 * the year 1996, a character that a file's encoding lacks "?"), so every value is checked against
 * the type, and, where the driver enforces them, the width and the encoding, before it is set.
 */
class FieldTarget
{
public:
    /// Field @p index of @p layer, a layer of @p dataset.
    FieldTarget(GDALDataset &dataset, OGRLayer &layer, int index);

    /**
     * Sets @p value into the field of @p feature. An empty value of a field that is not text
     * sets it null. Must run inside a GdalErrorScope.
     * @return false, with nothing set, when the field cannot hold @p value exactly.
     */
    bool set(OGRFeature &feature, const QString &value) const;
    void setNull(OGRFeature &feature) const;

private:
    bool setText(OGRFeature &feature, const QString &value) const;
    bool setInteger(OGRFeature &feature, const QString &value) const;
    bool setInteger64(OGRFeature &feature, const QString &value) const;
    bool setReal(OGRFeature &feature, const QString &value) const;
    bool setDateTime(OGRFeature &feature, const QString &value) const;
    bool setAndCompare(OGRFeature &feature, const QString &value) const;
    bool checksWidth() const;
    bool fitsWidth(const QByteArray &text) const;
    template <typename Number>
    bool numberFitsWidth(Number number) const;

    int index;
    OGRFieldType type;
    OGRFieldSubType subType;
    int width;
    bool widthInBytes;   ///< the driver cuts values at the width, counted in bytes of the file
    QByteArray encoding; ///< the file's encoding where GDAL recodes text into one, else empty
    bool doubleBitsKept; ///< the driver stores a real's double whole, not as text
    bool zoneNeeded;     ///< the column holds instants: a date and time without a zone is none
};

} // namespace pelmak

#endif
