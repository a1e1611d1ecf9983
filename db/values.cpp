#include "values.h"

#include "db_error.h"

#include <QMetaType>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace db {

namespace {

const QByteArray kNaN = QByteArrayLiteral("NaN");
const QByteArray kInfinity = QByteArrayLiteral("Infinity");
const QByteArray kMinusInfinity = QByteArrayLiteral("-Infinity");

bool isSpecial(QByteArrayView d)
{
    return !d.isEmpty() && (d.back() < '0' || d.back() > '9');
}

bool same(QByteArrayView a, const QByteArray &b)
{
    return a.compare(QByteArrayView(b)) == 0;
}

// NaN above +Infinity above every number above -Infinity, as the server orders them.
int specialRank(QByteArrayView d)
{
    if (same(d, kNaN))
        return 2;
    if (same(d, kInfinity))
        return 1;
    if (same(d, kMinusInfinity))
        return -1;
    return 0;
}

// Compares two magnitudes "123.45" and "99.5" (no sign, no leading zeros).
int compareMagnitude(QByteArrayView a, QByteArrayView b)
{
    const qsizetype pa = a.indexOf('.'), pb = b.indexOf('.');
    const QByteArrayView ia = pa < 0 ? a : a.first(pa), ib = pb < 0 ? b : b.first(pb);
    if (ia.size() != ib.size())
        return ia.size() < ib.size() ? -1 : 1;
    if (const int c = ia.compare(ib); c != 0)
        return c < 0 ? -1 : 1;
    const QByteArrayView fa = pa < 0 ? QByteArrayView() : a.sliced(pa + 1);
    const QByteArrayView fb = pb < 0 ? QByteArrayView() : b.sliced(pb + 1);
    for (qsizetype i = 0; i < qMax(fa.size(), fb.size()); ++i) {
        const char ca = i < fa.size() ? fa[i] : '0', cb = i < fb.size() ? fb[i] : '0';
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return 0;
}

const bool kRegistered = [] {
    QMetaType::registerConverter<Decimal, double>(&Decimal::toDouble);
    QMetaType::registerConverter<Decimal, qlonglong>(&Decimal::toInteger);
    QMetaType::registerConverter<Decimal, int>([](const Decimal &d) { return int(d.toInteger()); });
    QMetaType::registerConverter<Decimal, QString>(&Decimal::text);
    QMetaType::registerConverter<Timestamp, QDateTime>(&Timestamp::toDateTime);
    QMetaType::registerConverter<Timestamp, QDate>(&Timestamp::date);
    QMetaType::registerConverter<Timestamp, QString>(&Timestamp::text);
    return true;
}();

} // namespace

Decimal Decimal::parse(const QString &text)
{
    const QString t = text.trimmed();
    if (t.compare(u"NaN", Qt::CaseInsensitive) == 0)
        return fromServerText(kNaN.constData(), kNaN.size());
    if (t.compare(u"Infinity", Qt::CaseInsensitive) == 0)
        return fromServerText(kInfinity.constData(), kInfinity.size());
    if (t.compare(u"-Infinity", Qt::CaseInsensitive) == 0)
        return fromServerText(kMinusInfinity.constData(), kMinusInfinity.size());
    // [+-] digits [separator digits]: at least one digit, one separator at most.
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-'))
        negative = t[i++] == u'-';
    QByteArray whole, fraction;
    bool separator = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c >= u'0' && c <= u'9') {
            (separator ? fraction : whole) += char(c.unicode());
        } else if ((c == u',' || c == u'.') && !separator) {
            separator = true;
        } else {
            whole.clear();
            fraction.clear();
            break;
        }
    }
    if (whole.isEmpty() && fraction.isEmpty())
        throw ConversionError(QStringLiteral("«%1» не является числом").arg(text));
    qsizetype lead = 0;
    while (lead + 1 < whole.size() && whole[lead] == '0')
        ++lead;
    whole.remove(0, lead);
    if (whole.isEmpty())
        whole = "0";
    const bool zero = whole == "0" && fraction.count('0') == fraction.size();
    const QByteArray digits = (negative && !zero ? QByteArray("-") : QByteArray()) + whole
        + (fraction.isEmpty() ? QByteArray() : '.' + fraction);
    Decimal d;
    d.assign(digits.constData(), digits.size());
    return d;
}

Decimal Decimal::fromDouble(double v)
{
    if (std::isnan(v))
        return fromServerText(kNaN.constData(), kNaN.size());
    if (std::isinf(v))
        return v > 0 ? fromServerText(kInfinity.constData(), kInfinity.size())
                     : fromServerText(kMinusInfinity.constData(), kMinusInfinity.size());
    // d.dddddddddddddde±x, written out without the exponent.
    const QByteArray e = QByteArray::number(std::fabs(v), 'e', 14);
    const qsizetype ePos = e.indexOf('e');
    QByteArray digits = e.left(ePos);
    digits.remove(1, 1);
    const int exponent = e.mid(ePos + 1).toInt();
    QByteArray out;
    if (exponent < 0)
        out = "0." + QByteArray(-exponent - 1, '0') + digits;
    else if (exponent + 1 >= digits.size())
        out = digits + QByteArray(exponent + 1 - digits.size(), '0');
    else
        out = digits.left(exponent + 1) + '.' + digits.mid(exponent + 1);
    return parse(QString::fromLatin1((v < 0 ? "-" : "") + out));
}

Decimal Decimal::fromInteger(qint64 v)
{
    const QByteArray digits = QByteArray::number(v);
    Decimal d;
    d.assign(digits.constData(), digits.size());
    return d;
}

bool Decimal::isServerText(const char *text, qsizetype length)
{
    const QByteArrayView t(text, length);
    if (same(t, kNaN) || same(t, kInfinity) || same(t, kMinusInfinity))
        return true;
    const char *p = text, *end = text + length;
    if (p < end && *p == '-')
        ++p;
    const char *digits = p;
    while (p < end && *p >= '0' && *p <= '9')
        ++p;
    if (p == digits)
        return false;
    if (p < end && *p == '.') {
        const char *fraction = ++p;
        while (p < end && *p >= '0' && *p <= '9')
            ++p;
        if (p == fraction)
            return false;
    }
    return p == end;
}

Decimal Decimal::fromServerText(const char *text, qsizetype length)
{
    if (!isServerText(text, length))
        throw ConversionError(QStringLiteral("«%1» не является числом в записи сервера")
                                  .arg(QString::fromLatin1(text, length)));
    Decimal d;
    d.assign(text, length);
    return d;
}

void Decimal::assign(const char *text, qsizetype length)
{
    if (length <= kSmall) {
        std::memcpy(m_small, text, size_t(length));
        m_size = qint8(length);
        m_large.clear();
    } else {
        m_large = QByteArray(text, length);
        m_size = -1;
    }
}

QString Decimal::text() const
{
    if (isSpecial(view())) {
        if (same(view(), kNaN))
            return QStringLiteral("NAN");
        return view().startsWith('-') ? QStringLiteral("-INF") : QStringLiteral("INF");
    }
    QByteArray s = serverText();
    if (s.contains('.')) {
        while (s.endsWith('0'))
            s.chop(1);
        if (s.endsWith('.'))
            s.chop(1);
        if (s == "-0")
            s = "0";
    }
    QString out = QString::fromLatin1(s);
    out.replace(u'.', u',');
    return out;
}

double Decimal::toDouble() const
{
    if (isNull())
        return 0;
    if (isSpecial(view())) {
        if (same(view(), kNaN))
            return std::numeric_limits<double>::quiet_NaN();
        return view().startsWith('-') ? -std::numeric_limits<double>::infinity()
                                      : std::numeric_limits<double>::infinity();
    }
    // Up to 15 digits and 22 places: both the digits and the power of ten are exact doubles,
    // so one division gives the correctly rounded value without parsing.
    const char *p = data();
    const char *end = p + size();
    const bool negative = *p == '-';
    if (negative)
        ++p;
    qint64 mantissa = 0;
    int digits = 0, places = -1;
    for (; p < end; ++p) {
        if (*p == '.') {
            places = 0;
            continue;
        }
        if (mantissa != 0 || *p != '0')
            ++digits;
        mantissa = mantissa * 10 + (*p - '0');
        if (places >= 0)
            ++places;
        if (digits > 15)
            break;
    }
    if (digits <= 15 && places <= 22) {
        const double v = double(mantissa) / kExactPowersOfTen[qMax(places, 0)];
        return negative ? -v : v;
    }
    return serverText().toDouble();
}

qint64 Decimal::toInteger() const
{
    if (isNull())
        return 0;
    const QByteArray digits = serverText();
    const qsizetype point = digits.indexOf('.');
    const bool whole = point < 0 || digits.mid(point + 1).count('0') == digits.size() - point - 1;
    if (whole && !isSpecial(digits)) {
        bool ok = false;
        const qint64 v = digits.left(point < 0 ? digits.size() : point).toLongLong(&ok);
        if (ok)
            return v;
    }
    return qRound64(toDouble());
}

int Decimal::compare(const Decimal &other) const
{
    const QByteArrayView a = view(), b = other.view();
    if (a.isEmpty() || b.isEmpty())
        return a.isEmpty() == b.isEmpty() ? 0 : (a.isEmpty() ? -1 : 1);
    if (isSpecial(a) || isSpecial(b)) {
        const int ra = specialRank(a), rb = specialRank(b);
        if (ra != rb)
            return ra < rb ? -1 : 1;
        if (ra != 0)
            return 0;
    }
    const bool na = a.startsWith('-'), nb = b.startsWith('-');
    if (na != nb)
        return na ? -1 : 1;
    const int c = compareMagnitude(a.sliced(na ? 1 : 0), b.sliced(nb ? 1 : 0));
    return na ? -c : c;
}

Timestamp::Timestamp(const QDate &date, qint64 microsecondsOfDay)
    : m_date(date)
    , m_micros(date.isValid() ? microsecondsOfDay : 0)
{
}

Timestamp Timestamp::fromDateTime(const QDateTime &t)
{
    if (!t.isValid())
        return Timestamp();
    return Timestamp(t.date(), qint64(t.time().msecsSinceStartOfDay()) * 1000);
}

QDateTime Timestamp::toDateTime() const
{
    if (isNull())
        return QDateTime();
    return QDateTime(m_date, QTime::fromMSecsSinceStartOfDay(int(m_micros / 1000)), Qt::UTC);
}

QByteArray Timestamp::serverText() const
{
    if (isNull())
        return QByteArray();
    const int year = m_date.year();
    const qint64 seconds = m_micros / 1000000;
    char buf[64];
    const int n = std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%06d%s",
                                year < 0 ? -year : year, m_date.month(), m_date.day(),
                                int(seconds / 3600), int(seconds / 60 % 60), int(seconds % 60),
                                int(m_micros % 1000000), year < 0 ? " BC" : "");
    return QByteArray(buf, n);
}

QString Timestamp::text() const
{
    if (isNull())
        return QString();
    return dateText(m_date) + u' '
        + QTime::fromMSecsSinceStartOfDay(int(m_micros / 1000))
              .toString(QStringLiteral("hh:mm:ss"));
}

int Timestamp::compare(const Timestamp &other) const
{
    if (isNull() || other.isNull())
        return isNull() == other.isNull() ? 0 : (isNull() ? -1 : 1);
    if (m_date != other.m_date)
        return m_date < other.m_date ? -1 : 1;
    return m_micros < other.m_micros ? -1 : (m_micros > other.m_micros ? 1 : 0);
}

QString dateText(const QDate &d)
{
    if (!d.isValid())
        return QString();
    if (d.year() > 0)
        return d.toString(QStringLiteral("dd.MM.yyyy"));
    return QStringLiteral("%1.%2.%3 до н. э.")
        .arg(d.day(), 2, 10, QLatin1Char('0'))
        .arg(d.month(), 2, 10, QLatin1Char('0'))
        .arg(-d.year(), 4, 10, QLatin1Char('0'));
}

} // namespace db
