#include "xsdtypedfeatures.h"

#include "../message_p.h"

#include <QDate>
#include <QHash>

#include <cmath>
#include <limits>

namespace pelmak {

namespace {

enum class Group { Text, Integer, Decimal, Real, Boolean, Date, DateTime, Time };

// The values an integer type spans: between two bounds, or on one side of zero.
struct IntegerRange
{
    enum Sign { Any, NonNegative, Positive, NonPositive, Negative };
    Sign sign = Any;
    bool bounded = false;
    qint64 min = 0;
    quint64 max = 0;
};

struct TypeRule
{
    Group group = Group::Text;
    IntegerRange range;
};

template <typename T>
IntegerRange rangeOf()
{
    return {
        IntegerRange::Any, true, std::numeric_limits<T>::min(), static_cast<quint64>(std::numeric_limits<T>::max())};
}

IntegerRange signOnly(IntegerRange::Sign sign)
{
    return {sign, false, 0, 0};
}

TypeRule ruleOf(const QString &valueType)
{
    static const QHash<QString, TypeRule> rules{{QStringLiteral("integer"), {Group::Integer, {}}},
        {QStringLiteral("long"), {Group::Integer, rangeOf<qint64>()}},
        {QStringLiteral("int"), {Group::Integer, rangeOf<qint32>()}},
        {QStringLiteral("short"), {Group::Integer, rangeOf<qint16>()}},
        {QStringLiteral("byte"), {Group::Integer, rangeOf<qint8>()}},
        {QStringLiteral("unsignedLong"), {Group::Integer, rangeOf<quint64>()}},
        {QStringLiteral("unsignedInt"), {Group::Integer, rangeOf<quint32>()}},
        {QStringLiteral("unsignedShort"), {Group::Integer, rangeOf<quint16>()}},
        {QStringLiteral("unsignedByte"), {Group::Integer, rangeOf<quint8>()}},
        {QStringLiteral("nonNegativeInteger"), {Group::Integer, signOnly(IntegerRange::NonNegative)}},
        {QStringLiteral("positiveInteger"), {Group::Integer, signOnly(IntegerRange::Positive)}},
        {QStringLiteral("nonPositiveInteger"), {Group::Integer, signOnly(IntegerRange::NonPositive)}},
        {QStringLiteral("negativeInteger"), {Group::Integer, signOnly(IntegerRange::Negative)}},
        {QStringLiteral("decimal"), {Group::Decimal, {}}}, {QStringLiteral("double"), {Group::Real, {}}},
        {QStringLiteral("float"), {Group::Real, {}}}, {QStringLiteral("boolean"), {Group::Boolean, {}}},
        {QStringLiteral("date"), {Group::Date, {}}}, {QStringLiteral("dateTime"), {Group::DateTime, {}}},
        {QStringLiteral("dateTimeStamp"), {Group::DateTime, {}}}, {QStringLiteral("time"), {Group::Time, {}}}};
    return rules.value(valueType);
}

// What went wrong with a value, for the caller to name it.
enum class Refusal { None, NotOfType, NotHeld };

/// Reads a value's characters left to right; every method leaves the position after what it took.
class Scanner
{
public:
    explicit Scanner(const QString &scanned)
        : text(scanned)
    {
    }

    bool atEnd() const { return at == text.size(); }
    bool take(char c)
    {
        if (atEnd() || text.at(at) != QLatin1Char(c))
            return false;
        ++at;
        return true;
    }
    /// The number of digits taken.
    int digits()
    {
        const int from = at;
        while (!atEnd() && text.at(at) >= QLatin1Char('0') && text.at(at) <= QLatin1Char('9'))
            ++at;
        return at - from;
    }
    /// Exactly @p count digits as a number, or -1.
    int fixed(int count)
    {
        const int from = at;
        return digits() == count ? text.midRef(from, count).toInt() : (at = from, -1);
    }
    QStringRef since(int from) const { return text.midRef(from, at - from); }
    int position() const { return at; }

private:
    const QString &text;
    int at = 0;
};

// [+-]digits, and with @p fraction also .digits, one side of the point at least.
bool takeDecimal(Scanner &scan, bool fraction)
{
    if (!scan.take('+'))
        scan.take('-');
    int count = scan.digits();
    if (fraction && scan.take('.'))
        count += scan.digits();
    return count > 0;
}

bool inRange(const IntegerRange &range, bool negative, bool zero, const QString &digits)
{
    switch (range.sign) {
    case IntegerRange::NonNegative:
        return !negative;
    case IntegerRange::Positive:
        return !negative && !zero;
    case IntegerRange::NonPositive:
        return negative || zero;
    case IntegerRange::Negative:
        return negative;
    case IntegerRange::Any:
        break;
    }
    if (!range.bounded)
        return true;
    bool ok = false;
    if (negative) {
        const qint64 number = QString(QLatin1Char('-') + digits).toLongLong(&ok);
        return ok && number >= range.min;
    }
    const quint64 number = digits.toULongLong(&ok);
    return ok && number <= range.max;
}

Refusal readInteger(const QString &text, const IntegerRange &range, XsdTypedValue &value)
{
    Scanner scan(text);
    if (!takeDecimal(scan, false) || !scan.atEnd())
        return Refusal::NotOfType;
    const bool negative = text.startsWith(QLatin1Char('-'));
    QString digits = text.mid(negative || text.startsWith(QLatin1Char('+')) ? 1 : 0);
    int zeros = 0;
    while (zeros < digits.size() - 1 && digits.at(zeros) == QLatin1Char('0'))
        ++zeros;
    digits.remove(0, zeros);
    const bool zero = digits == QLatin1String("0");
    if (!inRange(range, negative && !zero, zero, digits))
        return Refusal::NotOfType;
    value.type = XsdTypedValue::Integer;
    value.text = negative && !zero ? QLatin1Char('-') + digits : digits;
    return Refusal::None;
}

Refusal readDecimal(const QString &text, XsdTypedValue &value)
{
    Scanner scan(text);
    if (!takeDecimal(scan, true) || !scan.atEnd())
        return Refusal::NotOfType;
    value.type = XsdTypedValue::Decimal;
    value.text = text.startsWith(QLatin1Char('+')) ? text.mid(1) : text;
    return Refusal::None;
}

Refusal readReal(const QString &text, XsdTypedValue &value)
{
    value.type = XsdTypedValue::Real;
    const QString magnitude =
        text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+')) ? text.mid(1) : text;
    if (text == QLatin1String("NaN")) {
        value.real = std::numeric_limits<double>::quiet_NaN();
        return Refusal::None;
    }
    if (magnitude == QLatin1String("INF")) {
        value.real = text.startsWith(QLatin1Char('-')) ? -HUGE_VAL : HUGE_VAL;
        return Refusal::None;
    }
    Scanner scan(text);
    if (!takeDecimal(scan, true))
        return Refusal::NotOfType;
    if (scan.take('e') || scan.take('E')) {
        if (!takeDecimal(scan, false))
            return Refusal::NotOfType;
    }
    bool ok = false;
    value.real = text.toDouble(&ok);
    // Beyond a double's range the nearest double is no longer the value.
    return scan.atEnd() && ok && std::isfinite(value.real) ? Refusal::None : Refusal::NotOfType;
}

Refusal readBoolean(const QString &text, XsdTypedValue &value)
{
    value.type = XsdTypedValue::Boolean;
    value.boolean = text == QLatin1String("true") || text == QLatin1String("1");
    return value.boolean || text == QLatin1String("false") || text == QLatin1String("0") ? Refusal::None
                                                                                         : Refusal::NotOfType;
}

// XML Schema's zones reach 14 hours either way.
constexpr int MaxZoneMinutes = 14 * 60;

// Z or [+-]hh:mm at the end, where there is one.
bool takeZone(Scanner &scan, XsdTypedValue &value)
{
    if (scan.atEnd())
        return true;
    if (scan.take('Z')) {
        value.zoneMinutes = 0;
        return scan.atEnd();
    }
    const bool negative = scan.take('-');
    if (!negative && !scan.take('+'))
        return false;
    const int hours = scan.fixed(2);
    const int minutes = scan.take(':') ? scan.fixed(2) : -1;
    const int offset = hours * 60 + minutes;
    if (hours < 0 || minutes < 0 || minutes > 59 || offset > MaxZoneMinutes || !scan.atEnd())
        return false;
    value.zoneMinutes = negative ? -offset : offset;
    return true;
}

constexpr int MicrosecondDigits = 6;

// hh:mm:ss with a fraction; 24:00:00 is midnight at the end of the day, and @p nextDay is set.
Refusal takeTime(Scanner &scan, XsdTypedValue &value, bool &nextDay)
{
    value.hour = scan.fixed(2);
    value.minute = scan.take(':') ? scan.fixed(2) : -1;
    value.second = scan.take(':') ? scan.fixed(2) : -1;
    if (value.hour < 0 || value.minute < 0 || value.second < 0 || value.minute > 59 || value.second > 59)
        return Refusal::NotOfType;
    bool fractionHeld = true;
    if (scan.take('.')) {
        const int from = scan.position();
        if (scan.digits() == 0)
            return Refusal::NotOfType;
        const QStringRef fraction = scan.since(from);
        for (int i = MicrosecondDigits; i < fraction.size(); ++i)
            fractionHeld = fractionHeld && fraction.at(i) == QLatin1Char('0');
        value.microsecond =
            fraction.left(MicrosecondDigits).toString().leftJustified(MicrosecondDigits, QLatin1Char('0')).toInt();
    }
    nextDay = value.hour == 24;
    if (value.hour > 24 || (nextDay && (value.minute != 0 || value.second != 0 || value.microsecond != 0)))
        return Refusal::NotOfType;
    if (nextDay)
        value.hour = 0;
    return fractionHeld ? Refusal::None : Refusal::NotHeld;
}

// YYYY-MM-DD of the years 1 to 9999; a year of another form is refused as not held, or as not
// of the type where it is no year at all.
Refusal takeDate(Scanner &scan, QDate &date)
{
    const bool negative = scan.take('-');
    const int from = scan.position();
    const int yearDigits = scan.digits();
    const QStringRef year = scan.since(from);
    const int month = scan.take('-') ? scan.fixed(2) : -1;
    const int day = scan.take('-') ? scan.fixed(2) : -1;
    if (yearDigits < 4 || month < 0 || day < 0 || (yearDigits > 4 && year.startsWith(QLatin1Char('0'))))
        return Refusal::NotOfType;
    if (negative || yearDigits > 4 || year == QLatin1String("0000"))
        return QDate::isValid(2000, month, day) ? Refusal::NotHeld : Refusal::NotOfType;
    date = QDate(year.toInt(), month, day);
    return date.isValid() ? Refusal::None : Refusal::NotOfType;
}

// The worse of two refusals; NotOfType outweighs NotHeld.
Refusal worse(Refusal a, Refusal b)
{
    return a == Refusal::NotOfType || b == Refusal::NotOfType ? Refusal::NotOfType
        : a == Refusal::NotHeld || b == Refusal::NotHeld      ? Refusal::NotHeld
                                                              : Refusal::None;
}

void setDate(XsdTypedValue &value, const QDate &date)
{
    value.year = date.year();
    value.month = date.month();
    value.day = date.day();
}

Refusal readDate(const QString &text, XsdTypedValue &value)
{
    Scanner scan(text);
    QDate date;
    const Refusal dateRefusal = takeDate(scan, date);
    if (dateRefusal == Refusal::NotOfType || !takeZone(scan, value))
        return Refusal::NotOfType;
    // A date's zone has nowhere to go in the date types of hosts.
    const Refusal refusal = worse(dateRefusal, value.zoneMinutes ? Refusal::NotHeld : Refusal::None);
    value.type = XsdTypedValue::Date;
    setDate(value, date);
    return refusal;
}

Refusal readDateTime(const QString &text, XsdTypedValue &value)
{
    Scanner scan(text);
    QDate date;
    const Refusal dateRefusal = takeDate(scan, date);
    bool nextDay = false;
    if (dateRefusal == Refusal::NotOfType || !scan.take('T'))
        return Refusal::NotOfType;
    const Refusal timeRefusal = takeTime(scan, value, nextDay);
    if (timeRefusal == Refusal::NotOfType || !takeZone(scan, value))
        return Refusal::NotOfType;
    if (nextDay && date.isValid())
        date = date.addDays(1);
    value.type = XsdTypedValue::DateTime;
    setDate(value, date);
    return worse(
        worse(dateRefusal, timeRefusal), date.isValid() && date.year() <= 9999 ? Refusal::None : Refusal::NotHeld);
}

Refusal readTime(const QString &text, XsdTypedValue &value)
{
    Scanner scan(text);
    bool nextDay = false;
    const Refusal refusal = takeTime(scan, value, nextDay);
    if (refusal == Refusal::NotOfType || !takeZone(scan, value))
        return Refusal::NotOfType;
    value.type = XsdTypedValue::Time;
    return refusal;
}

Refusal read(const TypeRule &rule, const QString &text, XsdTypedValue &value)
{
    switch (rule.group) {
    case Group::Integer:
        return readInteger(text, rule.range, value);
    case Group::Decimal:
        return readDecimal(text, value);
    case Group::Real:
        return readReal(text, value);
    case Group::Boolean:
        return readBoolean(text, value);
    case Group::Date:
        return readDate(text, value);
    case Group::DateTime:
        return readDateTime(text, value);
    case Group::Time:
        return readTime(text, value);
    case Group::Text:
        break;
    }
    value.type = XsdTypedValue::Text;
    value.text = text;
    return Refusal::None;
}

const QString GeometryAttribute = QStringLiteral("geometry");

} // namespace

XsdTypedValue XsdTypedValue::of(
    const QString &valueType, const QString &text, const QString &table, int feature, const QString &attribute)
{
    const TypeRule rule = ruleOf(valueType);
    XsdTypedValue value;
    if (rule.group == Group::Text)
        return read(rule, text, value), value;
    const QString collapsed = text.trimmed();
    if (collapsed.isEmpty())
        return value;
    const Refusal refusal = read(rule, collapsed, value);
    if (refusal == Refusal::NotOfType)
        throw failure(messages::ValueNotOfType, table, QString::number(feature), attribute, text, valueType);
    if (refusal == Refusal::NotHeld)
        throw failure(messages::DateTimeNotHeld, table, QString::number(feature), attribute, text);
    return value;
}

XsdTypedValue::Type XsdTypedValue::typeOf(const QString &valueType)
{
    static const Type types[] = {Text, Integer, Decimal, Real, Boolean, Date, DateTime, Time};
    return types[static_cast<int>(ruleOf(valueType).group)];
}

class XsdTypedFeaturesPrivate
{
public:
    explicit XsdTypedFeaturesPrivate(const XsdTables &tables)
        : schema(tables)
    {
    }

    // The schema's table of a table a document describes, and where each attribute of the
    // description stands among its attributes.
    struct Mapping
    {
        XsdElement declared;
        QVector<int> positions;
    };

    Mapping mappingOf(const XsdElement &described) const
    {
        Mapping mapping{schema.tableByName(described.name), {}};
        if (mapping.declared.name.isEmpty())
            throw failure(messages::TableNotInSchema, described.name);
        for (const XsdAttribute &attribute : described.complexType.attributes)
            mapping.positions.append(positionOf(mapping.declared, attribute));
        return mapping;
    }

    const XsdTables schema;
    XsdGmlGeometry geometries;

private:
    // A geometry standing in the feature itself is unnamed in a document's description.
    static int positionOf(const XsdElement &table, const XsdAttribute &described)
    {
        const QList<XsdAttribute> &attributes = table.complexType.attributes;
        const bool plain = described.kind == XsdAttribute::Plain;
        for (int i = 0; i < attributes.size(); ++i) {
            const XsdAttribute &attribute = attributes.at(i);
            if ((attribute.kind == XsdAttribute::Plain) != plain)
                continue;
            if (attribute.name == described.name
                || (described.name.isEmpty() && attribute.kind == XsdAttribute::Geometry))
                return i;
        }
        throw failure(
            messages::AttributeNotInSchema, table.name, described.name.isEmpty() ? GeometryAttribute : described.name);
    }
};

XsdTypedFeatures::XsdTypedFeatures(const XsdTables &schema)
    : d(std::make_unique<XsdTypedFeaturesPrivate>(schema))
{
}

XsdTypedFeatures::~XsdTypedFeatures() = default;

QList<XsdTypedFeature> XsdTypedFeatures::typed(const XsdTableData &data)
{
    const XsdTypedFeaturesPrivate::Mapping mapping = d->mappingOf(data.tableInfo());
    const QList<XsdAttribute> &declared = mapping.declared.complexType.attributes;
    QStringList names;
    for (const XsdAttribute &attribute : declared)
        names.append(attribute.name);
    const QString &table = data.tableInfo().name;
    QList<XsdTypedFeature> features;
    for (const XsdFeatureData &feature : data.featureData()) {
        XsdTypedFeature typed{table, feature.id, names, QVector<XsdTypedValue>(declared.size())};
        for (int i = 0; i < mapping.positions.size(); ++i) {
            const int at = mapping.positions.at(i);
            const XsdAttribute &attribute = declared.at(at);
            const QString &text = feature.values.at(i);
            if (attribute.kind == XsdAttribute::Plain) {
                typed.values[at] = XsdTypedValue::of(attribute.valueType, text, table, feature.id, attribute.name);
            } else if (!text.isEmpty()) {
                typed.values[at].type = XsdTypedValue::Geometry;
                typed.values[at].geometry = d->geometries.toWkb(text, table, feature.id, attribute.name);
            }
        }
        features.append(typed);
    }
    return features;
}

} // namespace pelmak
