#include "fieldvalue_p.h"

#include "gdalhandles_p.h"
#include "gdaltext_p.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

#include <cpl_string.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <optional>

namespace pelmak {

namespace {

// A Shapefile's table reports the encoding GDAL recodes its text into ("" for none). Other
// drivers are not asked: a GeoPackage goes to its metadata tables to answer.
const char *shapefileEncoding(GDALDataset &dataset, OGRLayer &layer)
{
    const GDALDriver *driver = dataset.GetDriver();
    if (driver == nullptr || !EQUAL(driver->GetDescription(), "ESRI Shapefile"))
        return nullptr;
    return layer.GetMetadataItem("SOURCE_ENCODING", "SHAPEFILE");
}

// GDAL's time zone flag: 0 unknown, 1 local time, 100 UTC, each step beyond a quarter of an hour.
constexpr int GdalUtcZone = 100;
constexpr int MinutesPerZoneStep = 15;
// XML Schema's zones reach 14 hours either way.
constexpr int MaxZoneMinutes = 14 * 60;

// A date, a time of day, or both, with the zone's offset east of UTC in minutes where it has one.
struct DateTimeText
{
    QDate date;
    QTime time;
    std::optional<int> zoneMinutes;
};

// A date and time's parts as written, each empty where the value gives none.
struct DateTimeParts
{
    QStringView year, month, day, hour, minute, second, fraction;
    QStringView zone, zoneSign, zoneHours, zoneMinutes; ///< Z, or the offset's
};

/*
 * The form nearly every value has, 2005-12-24T09:11:32 with a fraction of a second, Z or an
 * offset +hh:mm, in ASCII digits: read without the expression, which finds the same parts in it.
 */
std::optional<DateTimeParts> commonDateTimeParts(QStringView value)
{
    const auto is = [&value](int at, char16_t c) { return at < value.size() && value.at(at) == c; };
    const auto digits = [&value](int at, int count) {
        for (int i = at; i < at + count; ++i) {
            if (i >= value.size() || value.at(i) < u'0' || value.at(i) > u'9')
                return false;
        }
        return true;
    };
    if (!(digits(0, 4) && is(4, u'-') && digits(5, 2) && is(7, u'-') && digits(8, 2) && is(10, u'T') && digits(11, 2)
            && is(13, u':') && digits(14, 2) && is(16, u':') && digits(17, 2)))
        return std::nullopt;
    DateTimeParts parts{value.mid(0, 4), value.mid(5, 2), value.mid(8, 2), value.mid(11, 2), value.mid(14, 2),
        value.mid(17, 2), {}, {}, {}, {}, {}};
    int at = 19;
    if (is(at, u'.')) {
        int fractionDigits = 0;
        while (fractionDigits < 3 && digits(at + 1 + fractionDigits, 1))
            ++fractionDigits;
        parts.fraction = value.mid(at + 1, fractionDigits);
        at += 1 + fractionDigits;
    }
    if (is(at, u'Z')) {
        parts.zone = value.mid(at++, 1);
    } else if ((is(at, u'+') || is(at, u'-')) && digits(at + 1, 2) && is(at + 3, u':') && digits(at + 4, 2)) {
        parts.zone = value.mid(at, 6);
        parts.zoneSign = value.mid(at, 1);
        parts.zoneHours = value.mid(at + 1, 2);
        parts.zoneMinutes = value.mid(at + 4, 2);
        at += 6;
    }
    return at == value.size() && !(parts.fraction.isEmpty() && is(19, u'.')) ? std::optional(parts) : std::nullopt;
}

// Dates as GDAL reads them back, and the ISO 8601 forms: the date, the time to the millisecond,
// and both with a time zone. The parts point into @p value.
std::optional<DateTimeParts> dateTimeParts(const QString &value)
{
    if (std::optional<DateTimeParts> common = commonDateTimeParts(value))
        return common;
    static const QRegularExpression dateTime(
        QStringLiteral(R"(^(?:(\d{4})[-/](\d{2})[-/](\d{2}))?)"
                       R"((?:(?:^|[T ])(\d{2}):(\d{2})(?::(\d{2})(?:\.(\d{1,3}))?)?)"
                       R"((Z|([+-])(\d{2})(?::?(\d{2}))?)?)?$)"));
    const QRegularExpressionMatch match = dateTime.match(value);
    if (!match.hasMatch())
        return std::nullopt;
    const auto part = [&match](int group) { return match.capturedView(group); };
    return DateTimeParts{
        part(1), part(2), part(3), part(4), part(5), part(6), part(7), part(8), part(9), part(10), part(11)};
}

// The zone of Z, +hh, +hhmm or +hh:mm; none when it is beyond what XML Schema allows.
std::optional<int> zoneMinutes(const DateTimeParts &parts)
{
    if (parts.zone == QLatin1String("Z"))
        return 0;
    const int hours = parts.zoneHours.toInt(), minutes = parts.zoneMinutes.toInt();
    const int offset = hours * 60 + minutes;
    if (minutes > 59 || offset > MaxZoneMinutes)
        return std::nullopt;
    return parts.zoneSign == QLatin1String("-") ? -offset : offset;
}

// None when @p value is not one of the forms dateTimeParts reads, or not one that @p type holds.
std::optional<DateTimeText> parseDateTime(const QString &value, OGRFieldType type)
{
    const std::optional<DateTimeParts> parts = dateTimeParts(value);
    if (!parts)
        return std::nullopt;
    const bool hasDate = !parts->year.isEmpty(), hasTime = !parts->hour.isEmpty();
    const bool formFits = type == OFTDate ? hasDate && !hasTime : type == OFTTime ? hasTime && !hasDate : hasDate;
    if (!formFits)
        return std::nullopt;
    DateTimeText text;
    if (hasDate) {
        text.date = QDate(parts->year.toInt(), parts->month.toInt(), parts->day.toInt());
        if (!text.date.isValid())
            return std::nullopt;
    }
    if (hasTime) {
        const int milliseconds =
            parts->fraction.isEmpty() ? 0 : parts->fraction.toString().leftJustified(3, QLatin1Char('0')).toInt();
        text.time = QTime(parts->hour.toInt(), parts->minute.toInt(), parts->second.toInt(), milliseconds);
        if (!text.time.isValid())
            return std::nullopt;
    }
    if (!parts->zone.isEmpty()) {
        text.zoneMinutes = zoneMinutes(*parts);
        if (!text.zoneMinutes)
            return std::nullopt;
    }
    return text;
}

float secondsOf(const QTime &time)
{
    return static_cast<float>(time.second()) + static_cast<float>(time.msec()) / 1000.0F;
}

// A decimal number's significant digits and the power of ten of the first, its sign aside.
struct SignificantDigits
{
    QString digits;
    int exponent = 0;
    bool operator==(const SignificantDigits &other) const
    {
        return digits == other.digits && exponent == other.exponent;
    }
};

SignificantDigits significantDigits(const QString &number)
{
    SignificantDigits result;
    int pointAt = -1;
    int i = 0;
    for (; i < number.size() && number.at(i) != QLatin1Char('e') && number.at(i) != QLatin1Char('E'); ++i) {
        const QChar c = number.at(i);
        if (c == QLatin1Char('.'))
            pointAt = result.digits.size();
        else if (c.isDigit())
            result.digits += c;
    }
    const int integerDigits = pointAt < 0 ? result.digits.size() : pointAt;
    int first = 0;
    while (first < result.digits.size() && result.digits.at(first) == QLatin1Char('0'))
        ++first;
    int last = result.digits.size() - 1;
    while (last >= first && result.digits.at(last) == QLatin1Char('0'))
        --last;
    result.digits = result.digits.mid(first, last - first + 1);
    result.exponent = integerDigits - first - 1 + (i < number.size() ? number.mid(i + 1).toInt() : 0);
    return result;
}

/*
 * Whether the nearest double to the decimal @p value gives @p value back. A driver that writes
 * reals as text writes DBL_DIG significant digits, which give back every decimal of as many; one
 * that keeps the double's bits (@p bitsKept) gives back the double, whose shortest decimal must
 * then be @p value.
 */
bool fitsDouble(const QString &value, double number, bool bitsKept)
{
    if (value.size() <= DBL_DIG) // as many characters hold no more digits
        return true;
    const SignificantDigits digits = significantDigits(value);
    if (digits.digits.size() <= DBL_DIG)
        return true;
    return bitsKept && significantDigits(QString::number(number, 'g', QLocale::FloatingPointShortest)) == digits;
}

// Drivers that store a real as the eight bytes of its double.
bool keepsDoubleBits(GDALDataset &dataset)
{
    const GDALDriver *driver = dataset.GetDriver();
    if (driver == nullptr)
        return false;
    for (const char *name : {"GPKG", "SQLite", "FlatGeobuf", "OpenFileGDB", "Memory"}) {
        if (EQUAL(driver->GetDescription(), name))
            return true;
    }
    return false;
}

/*
 * Drivers whose date and time columns hold instants (PostgreSQL's timestamp with time zone): a
 * time of day without a zone would be read in the server's zone and come back with one.
 */
bool needsZone(GDALDataset &dataset, OGRFieldType type)
{
    const GDALDriver *driver = dataset.GetDriver();
    return type == OFTDateTime && driver != nullptr && EQUAL(driver->GetDescription(), "PostgreSQL");
}

// The ISO 8601 form XML Schema's date, time and dateTime take; GDAL's own text uses slashes.
QString isoDateTimeText(OGRFeature &feature, int index, OGRFieldType type)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, zone = 0;
    float second = 0;
    feature.GetFieldAsDateTime(index, &year, &month, &day, &hour, &minute, &second, &zone);
    QString text;
    if (type != OFTTime)
        text = QString::asprintf("%04d-%02d-%02d", year, month, day);
    if (type == OFTDate)
        return text;
    if (type == OFTDateTime)
        text += QLatin1Char('T');
    const int milliseconds = qRound(second * 1000);
    text += QString::asprintf("%02d:%02d:%02d", hour, minute, milliseconds / 1000);
    if (milliseconds % 1000 != 0)
        text += QString::asprintf(".%03d", milliseconds % 1000);
    if (zone == GdalUtcZone) {
        text += QLatin1Char('Z');
    } else if (zone > 1) {
        const int offset = (zone - GdalUtcZone) * MinutesPerZoneStep;
        text += QString::asprintf("%c%02d:%02d", offset < 0 ? '-' : '+', qAbs(offset) / 60, qAbs(offset) % 60);
    }
    return text;
}

/*
 * GDAL holds a zone in quarters of an hour and drops any other: the value goes in as the same
 * instant in UTC. A time of day wraps around midnight, as XML Schema compares times.
 */
bool setInUtc(OGRFeature &feature, int index, OGRFieldType type, const DateTimeText &text)
{
    const int offsetSeconds = *text.zoneMinutes * 60;
    if (type == OFTTime) {
        const QTime utc = text.time.addSecs(-offsetSeconds);
        feature.SetField(index, 0, 0, 0, utc.hour(), utc.minute(), secondsOf(utc), GdalUtcZone);
        return feature.IsFieldSetAndNotNull(index);
    }
    const QDateTime utc = QDateTime(text.date, text.time, Qt::OffsetFromUTC, offsetSeconds).toUTC();
    // Before the year 1 there is no date GDAL writes as XML Schema reads it.
    if (utc.date().year() < 1)
        return false;
    feature.SetField(index, utc.date().year(), utc.date().month(), utc.date().day(), utc.time().hour(),
        utc.time().minute(), secondsOf(utc.time()), GdalUtcZone);
    return feature.IsFieldSetAndNotNull(index);
}

} // namespace

QString fieldText(OGRFeature &feature, int index)
{
    if (!feature.IsFieldSetAndNotNull(index))
        return QString(); // null, where a related table's empty text is ""
    const OGRFieldType type = feature.GetFieldDefnRef(index)->GetType();
    const bool dateOrTime = type == OFTDate || type == OFTTime || type == OFTDateTime;
    if (dateOrTime)
        return isoDateTimeText(feature, index, type);
    const QString text = fromGdalText(feature.GetFieldAsString(index));
    // GDAL writes DBL_DIG digits, which do not give back every double a driver may hold.
    if (type == OFTReal) {
        const double number = feature.GetFieldAsDouble(index);
        if (std::isfinite(number) && text.toDouble() != number)
            return QString::number(number, 'g', QLocale::FloatingPointShortest);
    }
    return text;
}

FieldTarget::FieldTarget(GDALDataset &dataset, OGRLayer &layer, int fieldIndex)
    : index(fieldIndex)
{
    const OGRFieldDefn &field = *layer.GetLayerDefn()->GetFieldDefn(fieldIndex);
    type = field.GetType();
    subType = field.GetSubType();
    width = field.GetWidth();
    const char *fileEncoding = shapefileEncoding(dataset, layer);
    widthInBytes = fileEncoding != nullptr;
    encoding = fileEncoding;
    doubleBitsKept = keepsDoubleBits(dataset);
    zoneNeeded = needsZone(dataset, type);
}

bool FieldTarget::set(OGRFeature &feature, const QString &value) const
{
    if (type == OFTString)
        return setText(feature, value);
    if (value.isEmpty()) {
        feature.SetFieldNull(index);
        return true;
    }
    switch (type) {
    case OFTInteger:
        return setInteger(feature, value);
    case OFTInteger64:
        return setInteger64(feature, value);
    case OFTReal:
        return setReal(feature, value);
    case OFTDate:
    case OFTTime:
    case OFTDateTime:
        return setDateTime(feature, value);
    default:
        return setAndCompare(feature, value);
    }
}

void FieldTarget::setNull(OGRFeature &feature) const
{
    feature.SetFieldNull(index);
}

bool FieldTarget::checksWidth() const
{
    return widthInBytes && width > 0;
}

bool FieldTarget::fitsWidth(const QByteArray &text) const
{
    return !checksWidth() || text.size() <= width;
}

// Numbers are written out to be measured only where the driver cuts them.
template <typename Number>
bool FieldTarget::numberFitsWidth(Number number) const
{
    return !checksWidth() || QByteArray::number(number).size() <= width;
}

bool FieldTarget::setText(OGRFeature &feature, const QString &value) const
{
    const QByteArray text = toGdalText(value);
    if (!encoding.isEmpty()) {
        // A character the encoding lacks comes back as "?".
        const CplCharPtr recoded(CPLRecode(text.constData(), CPL_ENC_UTF8, encoding.constData()));
        const CplCharPtr back(CPLRecode(recoded.get(), encoding.constData(), CPL_ENC_UTF8));
        if (text != back.get() || !fitsWidth(QByteArray(recoded.get())))
            return false;
    } else if (!fitsWidth(text)) {
        return false;
    }
    feature.SetField(index, text.constData());
    return true;
}

bool FieldTarget::setInteger(OGRFeature &feature, const QString &value) const
{
    int number = 0;
    bool ok = false;
    if (subType == OFSTBoolean) {
        // xs:boolean's words as well as GDAL's own 0 and 1.
        ok = value == QLatin1String("0") || value == QLatin1String("1") || value == QLatin1String("false")
            || value == QLatin1String("true");
        number = value == QLatin1String("1") || value == QLatin1String("true") ? 1 : 0;
    } else {
        number = value.toInt(&ok);
        if (subType == OFSTInt16)
            ok = ok && number >= std::numeric_limits<qint16>::min() && number <= std::numeric_limits<qint16>::max();
    }
    if (!ok || !numberFitsWidth(number))
        return false;
    feature.SetField(index, number);
    return true;
}

bool FieldTarget::setInteger64(OGRFeature &feature, const QString &value) const
{
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    if (!ok || !numberFitsWidth(number))
        return false;
    feature.SetField(index, static_cast<GIntBig>(number));
    return true;
}

bool FieldTarget::setReal(OGRFeature &feature, const QString &value) const
{
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok || !std::isfinite(number) || !fitsDouble(value, number, doubleBitsKept && subType != OFSTFloat32)
        || (subType == OFSTFloat32 && std::fabs(number) > FLT_MAX))
        return false;
    feature.SetField(index, number);
    return true;
}

bool FieldTarget::setDateTime(OGRFeature &feature, const QString &value) const
{
    const std::optional<DateTimeText> text = parseDateTime(value, type);
    if (!text || (zoneNeeded && !text->zoneMinutes))
        return false;
    if (text->zoneMinutes && *text->zoneMinutes % MinutesPerZoneStep != 0)
        return setInUtc(feature, index, type, *text);
    feature.SetField(index, toGdalText(value).constData());
    return feature.IsFieldSetAndNotNull(index);
}

// Lists and binary fields: GDAL's own text form must come back as it went in.
bool FieldTarget::setAndCompare(OGRFeature &feature, const QString &value) const
{
    feature.SetField(index, toGdalText(value).constData());
    if (fromGdalText(feature.GetFieldAsString(index)) == value)
        return true;
    feature.UnsetField(index);
    return false;
}

} // namespace pelmak
