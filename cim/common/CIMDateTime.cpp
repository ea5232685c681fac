// CIMDateTime keeps its value as the microseconds that its fields encode
// (local time for a timestamp, counted from 0000-01-01 in the proleptic
// Gregorian calendar, where year 0 is a leap year), the UTC offset in
// minutes, and how many of the 20 digit positions of the text
// (yyyymmddhhmmss + mmmmmm, or dddddddd hhmmss + mmmmmm) are trailing
// wildcards.  The text is regenerated from these on demand.
#include <Pegasus/Common/CIMDateTime.h>
#include <Pegasus/Common/Exception.h>

#include "CIMObjectModelRep.h"

#include <sys/time.h>
#include <time.h>

PEGASUS_NAMESPACE_BEGIN

namespace
{
const Uint64 kSecond = 1000000ULL;
const Uint64 kMinute = 60 * kSecond;
const Uint64 kHour = 60 * kMinute;
const Uint64 kDay = 24 * kHour;
const Uint64 kMaxIntervalDays = 100000000ULL;   // exclusive
const Uint32 kDigits = 20;                      // digit positions of a text

bool isLeap(Uint64 y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

Uint32 daysInMonth(Uint64 year, Uint32 month)
{
    static const Uint32 days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return (month == 2 && isLeap(year)) ? 29 : days[month - 1];
}

// Days from 0000-01-01 to the first day of the year.
Uint64 daysBeforeYear(Uint64 y)
{
    if (y == 0)
        return 0;
    Uint64 p = y - 1;
    return 365 * y + p / 4 - p / 100 + p / 400 + 1;   // +1: year 0 is leap
}

Uint64 daysFromDate(Uint64 year, Uint32 month, Uint32 day)
{
    Uint64 days = daysBeforeYear(year);
    for (Uint32 m = 1; m < month; m++)
        days += daysInMonth(year, m);
    return days + day - 1;
}

void dateFromDays(Uint64 days, Uint64& year, Uint32& month, Uint32& day)
{
    year = days / 366;
    while (daysBeforeYear(year + 1) <= days)
        year++;
    days -= daysBeforeYear(year);
    month = 1;
    while (days >= daysInMonth(year, month))
        days -= daysInMonth(year, month++);
    day = Uint32(days) + 1;
}

// Wildcard counts that end on a field boundary; the microseconds may be
// wildcarded digit by digit.
bool validWildcardCount(Uint32 w, bool interval)
{
    if (w <= 6 || w == 8 || w == 10 || w == 12 || w == 20)
        return true;
    return !interval && (w == 14 || w == 16);
}

// Smallest unit that the wildcards leave significant, for comparisons;
// 0 when the date fields themselves are wildcarded.
Uint64 significantUnit(Uint32 w)
{
    if (w <= 6)
    {
        Uint64 u = 1;
        for (Uint32 i = 0; i < w; i++)
            u *= 10;
        return u;
    }
    switch (w)
    {
    case 8: return kMinute;
    case 10: return kHour;
    case 12: return kDay;
    default: return 0;
    }
}

Uint32 digitsOf(const char* p, Uint32 n)
{
    Uint32 v = 0;
    for (Uint32 i = 0; i < n; i++)
        v = v * 10 + Uint32(p[i] - '0');
    return v;
}

// Writes v as exactly n decimal digits (the lowest n when v is larger).
void putDigits(char* p, Uint64 v, int n)
{
    for (int i = n - 1; i >= 0; i--, v /= 10)
        p[i] = char('0' + v % 10);
}

struct Fields
{
    Uint64 yearOrDays;   // year of a timestamp, days of an interval
    Uint32 month, day, hours, minutes, seconds, microseconds;
};
}

const Uint32 CIMDateTime::WILDCARD = Uint32(-1);

CIMDateTime::CIMDateTime()
    : _usec(0), _numWildcards(0), _utcOffset(0), _isInterval(true)
{
}

CIMDateTime::CIMDateTime(const String& str) : CIMDateTime()
{
    set(str);
}

CIMDateTime::CIMDateTime(const CIMDateTime& x) = default;

CIMDateTime::CIMDateTime(Uint64 usec, Boolean isInterval)
    : _usec(usec), _numWildcards(0), _utcOffset(0), _isInterval(isInterval)
{
    if (isInterval ? usec >= kMaxIntervalDays * kDay
                   : usec >= daysBeforeYear(10000) * kDay)
        throw DateTimeOutOfRangeException(
            isInterval ? "interval is too large" : "timestamp is too large");
}

CIMDateTime::CIMDateTime(
    Uint32 year, Uint32 month, Uint32 day, Uint32 hours, Uint32 minutes,
    Uint32 seconds, Uint32 microseconds, Uint32 numSignificantMicrosecondDigits,
    Sint32 utcOffset)
    : CIMDateTime()
{
    setTimeStamp(year, month, day, hours, minutes, seconds, microseconds,
                 numSignificantMicrosecondDigits, utcOffset);
}

CIMDateTime::CIMDateTime(
    Uint32 days, Uint32 hours, Uint32 minutes, Uint32 seconds,
    Uint32 microseconds, Uint32 numSignificantMicrosecondDigits)
    : CIMDateTime()
{
    setInterval(days, hours, minutes, seconds, microseconds,
                numSignificantMicrosecondDigits);
}

CIMDateTime::~CIMDateTime() {}

CIMDateTime& CIMDateTime::operator=(const CIMDateTime& x) = default;

void CIMDateTime::clear()
{
    *this = CIMDateTime();
}

// Format errors are found over the whole text before any range check, so
// that a text that is malformed anywhere reports the format error.
void CIMDateTime::set(const String& str)
{
    if (str.size() != 25)
        throw InvalidDateTimeFormatException();
    char t[25];
    const Char16* units = str.getChar16Data();
    for (Uint32 i = 0; i < 25; i++)
    {
        Uint16 c = units[i];
        t[i] = c < 0x80 ? char(c) : '?';
    }
    _setText(t);
}

bool CIMDateTimeAccess::setText(CIMDateTime& x, const char* text, std::size_t size)
{
    if (size != 25)
        return false;
    for (std::size_t i = 0; i < 25; i++)
    {
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return false;
    }
    x._setText(text);
    return true;
}

void CIMDateTime::_setText(const char* t)
{
    if (t[14] != '.')
        throw InvalidDateTimeFormatException();
    const char sign = t[21];
    if (sign != '+' && sign != '-' && sign != ':')
        throw InvalidDateTimeFormatException();
    const bool interval = sign == ':';

    // The 20 digit positions: characters 0..13 and 15..20.
    char d[kDigits];
    for (Uint32 i = 0; i < 14; i++)
        d[i] = t[i];
    for (Uint32 i = 0; i < 6; i++)
        d[14 + i] = t[15 + i];
    Uint32 firstStar = kDigits;
    for (Uint32 i = 0; i < kDigits; i++)
    {
        if (firstStar == kDigits && d[i] == '*')
            firstStar = i;
        if (firstStar == kDigits ? (d[i] < '0' || d[i] > '9') : d[i] != '*')
            throw InvalidDateTimeFormatException();
    }
    const Uint32 w = kDigits - firstStar;
    if (!validWildcardCount(w, interval))
        throw InvalidDateTimeFormatException();
    for (Uint32 i = 22; i < 25; i++)
    {
        if (t[i] < '0' || t[i] > '9')
            throw InvalidDateTimeFormatException();
    }
    const Uint32 utc = digitsOf(t + 22, 3);
    if (interval && utc != 0)
        throw InvalidDateTimeFormatException();

    // Wildcarded digits read as '0'; month and day then get their lowest
    // legal value.
    for (Uint32 i = firstStar; i < kDigits; i++)
        d[i] = '0';
    Fields f;
    if (interval)
    {
        f.yearOrDays = digitsOf(d, 8);
        f.month = f.day = 1;
    }
    else
    {
        f.yearOrDays = digitsOf(d, 4);
        f.month = digitsOf(d + 4, 2);
        f.day = digitsOf(d + 6, 2);
        if (w >= 16)
            f.month = 1;
        if (w >= 14)
            f.day = 1;
    }
    f.hours = digitsOf(d + 8, 2);
    f.minutes = digitsOf(d + 10, 2);
    f.seconds = digitsOf(d + 12, 2);
    f.microseconds = digitsOf(d + 14, 6);

    if (!interval)
    {
        if (f.month < 1 || f.month > 12)
            throw DateTimeOutOfRangeException("illegal month number");
        if (f.day < 1 || f.day > daysInMonth(f.yearOrDays, f.month))
            throw DateTimeOutOfRangeException("illegal day number");
    }
    if (f.hours > 23)
        throw DateTimeOutOfRangeException("illegal hours number ");
    if (f.minutes > 59)
        throw DateTimeOutOfRangeException("illegal minutes number ");
    if (f.seconds > 59)
        throw DateTimeOutOfRangeException("illegal seconds number ");

    Uint64 days = interval ? f.yearOrDays
                           : daysFromDate(f.yearOrDays, f.month, f.day);
    _usec = days * kDay + f.hours * kHour + f.minutes * kMinute +
            f.seconds * kSecond + f.microseconds;
    _numWildcards = w;
    _utcOffset = sign == '-' ? -Sint32(utc) : Sint32(utc);
    _isInterval = interval;
}

namespace
{
// Wildcard count for field-wise construction: the first WILDCARD field
// wildcards itself and everything after it.  fieldWildcards[i] is the count
// when field i is the first wildcard.
Uint32 wildcardsFromFields(const Uint32* fields, const Uint32* fieldWildcards,
                           Uint32 n, Uint32 numSignificantMicrosecondDigits)
{
    for (Uint32 i = 0; i < n; i++)
    {
        if (fields[i] == CIMDateTime::WILDCARD)
            return fieldWildcards[i];
    }
    if (numSignificantMicrosecondDigits > 6)
        throw DateTimeOutOfRangeException(
            "illegal number of significant microsecond digits");
    return 6 - numSignificantMicrosecondDigits;
}

Uint32 orZero(Uint32 v)
{
    return v == CIMDateTime::WILDCARD ? 0 : v;
}
}

void CIMDateTime::setTimeStamp(
    Uint32 year, Uint32 month, Uint32 day, Uint32 hours, Uint32 minutes,
    Uint32 seconds, Uint32 microseconds, Uint32 numSignificantMicrosecondDigits,
    Sint32 utcOffset)
{
    const Uint32 fields[] = {year, month, day, hours, minutes, seconds, microseconds};
    const Uint32 counts[] = {20, 16, 14, 12, 10, 8, 6};
    Uint32 w = wildcardsFromFields(fields, counts, 7,
                                   numSignificantMicrosecondDigits);
    Uint32 y = w >= 20 ? 0 : year;
    Uint32 mo = w >= 16 ? 1 : month;
    Uint32 da = w >= 14 ? 1 : day;
    Uint32 h = w >= 12 ? 0 : hours;
    Uint32 mi = w >= 10 ? 0 : minutes;
    Uint32 s = w >= 8 ? 0 : seconds;
    Uint32 us = w >= 6 ? 0 : orZero(microseconds);
    if (y > 9999)
        throw DateTimeOutOfRangeException("illegal year number");
    if (mo < 1 || mo > 12)
        throw DateTimeOutOfRangeException("illegal month number");
    if (da < 1 || da > daysInMonth(y, mo))
        throw DateTimeOutOfRangeException("illegal day number");
    if (h > 23)
        throw DateTimeOutOfRangeException("illegal hours number ");
    if (mi > 59)
        throw DateTimeOutOfRangeException("illegal minutes number ");
    if (s > 59)
        throw DateTimeOutOfRangeException("illegal seconds number ");
    if (us > 999999)
        throw DateTimeOutOfRangeException("illegal microseconds number");
    if (utcOffset < -999 || utcOffset > 999)
        throw DateTimeOutOfRangeException("illegal utc offset");
    // Wildcarded microsecond digits do not count.
    Uint64 unit = significantUnit(w < 6 ? w : 0);
    us = Uint32(us / unit * unit);
    _usec = daysFromDate(y, mo, da) * kDay + h * kHour + mi * kMinute +
            s * kSecond + us;
    _numWildcards = w;
    _utcOffset = utcOffset;
    _isInterval = false;
}

void CIMDateTime::setInterval(
    Uint32 days, Uint32 hours, Uint32 minutes, Uint32 seconds,
    Uint32 microseconds, Uint32 numSignificantMicrosecondDigits)
{
    const Uint32 fields[] = {days, hours, minutes, seconds, microseconds};
    const Uint32 counts[] = {20, 12, 10, 8, 6};
    Uint32 w = wildcardsFromFields(fields, counts, 5,
                                   numSignificantMicrosecondDigits);
    Uint64 da = w >= 20 ? 0 : days;
    Uint32 h = w >= 12 ? 0 : hours;
    Uint32 mi = w >= 10 ? 0 : minutes;
    Uint32 s = w >= 8 ? 0 : seconds;
    Uint32 us = w >= 6 ? 0 : orZero(microseconds);
    if (da >= kMaxIntervalDays)
        throw DateTimeOutOfRangeException("illegal days number");
    if (h > 23)
        throw DateTimeOutOfRangeException("illegal hours number ");
    if (mi > 59)
        throw DateTimeOutOfRangeException("illegal minutes number ");
    if (s > 59)
        throw DateTimeOutOfRangeException("illegal seconds number ");
    if (us > 999999)
        throw DateTimeOutOfRangeException("illegal microseconds number");
    Uint64 unit = significantUnit(w < 6 ? w : 0);
    us = Uint32(us / unit * unit);
    _usec = da * kDay + h * kHour + mi * kMinute + s * kSecond + us;
    _numWildcards = w;
    _utcOffset = 0;
    _isInterval = true;
}

String CIMDateTime::toString() const
{
    Uint64 days = _usec / kDay;
    Uint64 rest = _usec % kDay;
    char text[26];
    if (_isInterval)
        putDigits(text, days, 8);
    else
    {
        Uint64 year;
        Uint32 month, day;
        dateFromDays(days, year, month, day);
        putDigits(text, year, 4);
        putDigits(text + 4, month, 2);
        putDigits(text + 6, day, 2);
    }
    putDigits(text + 8, rest / kHour, 2);
    putDigits(text + 10, rest % kHour / kMinute, 2);
    putDigits(text + 12, rest % kMinute / kSecond, 2);
    text[14] = '.';
    putDigits(text + 15, rest % kSecond, 6);
    // Wildcards replace the trailing digit positions, skipping the '.'.
    for (Uint32 i = kDigits - _numWildcards; i < kDigits; i++)
        text[i < 14 ? i : i + 1] = '*';
    text[21] = _isInterval ? ':' : (_utcOffset < 0 ? '-' : '+');
    putDigits(text + 22, Uint64(_utcOffset < 0 ? -_utcOffset : _utcOffset), 3);
    text[25] = 0;
    return String(text);
}

CIMDateTime CIMDateTime::getCurrentDateTime()
{
    struct timeval tv;
    gettimeofday(&tv, 0);
    time_t secs = tv.tv_sec;
    struct tm local;
    localtime_r(&secs, &local);
    CIMDateTime result;
    result._usec =
        daysFromDate(Uint64(local.tm_year) + 1900, Uint32(local.tm_mon) + 1,
                     Uint32(local.tm_mday)) * kDay +
        Uint64(local.tm_hour) * kHour + Uint64(local.tm_min) * kMinute +
        Uint64(local.tm_sec) * kSecond + Uint64(tv.tv_usec);
    result._utcOffset = Sint32(local.tm_gmtoff / 60);
    result._isInterval = false;
    return result;
}

namespace
{
// A timestamp's instant in UTC microseconds (may precede year 0).
Sint64 utcMicros(Uint64 usec, Sint32 utcOffset, bool interval)
{
    if (interval)
        return Sint64(usec);
    return Sint64(usec) - Sint64(utcOffset) * Sint64(kMinute);
}
}

Sint64 CIMDateTime::getDifference(CIMDateTime startTime, CIMDateTime finishTime)
{
    if (startTime._isInterval != finishTime._isInterval)
        throw InvalidDateTimeFormatException();
    return utcMicros(finishTime._usec, finishTime._utcOffset, finishTime._isInterval) -
           utcMicros(startTime._usec, startTime._utcOffset, startTime._isInterval);
}

Boolean CIMDateTime::isInterval()
{
    return _isInterval;
}

Boolean CIMDateTime::isInterval() const
{
    return _isInterval;
}

Boolean CIMDateTime::isTimeStamp() const
{
    return !_isInterval;
}

Uint64 CIMDateTime::toMicroSeconds() const
{
    Sint64 v = utcMicros(_usec, _utcOffset, _isInterval);
    return v < 0 ? 0 : Uint64(v);
}

namespace
{
// <0, 0, >0, ignoring the fields wildcarded in either value.
int compareDateTimes(Uint64 u1, Sint32 o1, Uint32 w1, Uint64 u2, Sint32 o2,
                     Uint32 w2, bool interval)
{
    Uint32 w = w1 > w2 ? w1 : w2;
    Uint64 unit = significantUnit(w);
    Sint64 a, b;
    if (unit != 0)
    {
        a = utcMicros(u1, o1, interval);
        b = utcMicros(u2, o2, interval);
        // Floor division: instants before year 0 are negative.
        Sint64 su = Sint64(unit);
        a = (a >= 0 ? a : a - su + 1) / su;
        b = (b >= 0 ? b : b - su + 1) / su;
    }
    else if (interval || w >= 20)
        return 0;
    else
    {
        // Day (or month) wildcarded: compare the written year and month.
        Uint64 y1, y2;
        Uint32 m1, m2, d1, d2;
        dateFromDays(u1 / kDay, y1, m1, d1);
        dateFromDays(u2 / kDay, y2, m2, d2);
        a = Sint64(y1) * 100 + (w >= 16 ? 0 : m1);
        b = Sint64(y2) * 100 + (w >= 16 ? 0 : m2);
    }
    return a < b ? -1 : (a > b ? 1 : 0);
}

void checkSameKind(bool i1, bool i2)
{
    if (i1 != i2)
        throw TypeMismatchException(
            "Trying to compare CIMDateTime objects of differing types");
}
}

Boolean CIMDateTime::equal(const CIMDateTime& x) const
{
    checkSameKind(_isInterval, x._isInterval);
    return compareDateTimes(_usec, _utcOffset, _numWildcards, x._usec,
                            x._utcOffset, x._numWildcards, _isInterval) == 0;
}

#define PEGASUS_DATETIME_COMPARE(OP)                                          \
    Boolean CIMDateTime::operator OP(const CIMDateTime& x) const              \
    {                                                                         \
        checkSameKind(_isInterval, x._isInterval);                            \
        return compareDateTimes(_usec, _utcOffset, _numWildcards, x._usec,    \
                                x._utcOffset, x._numWildcards,                \
                                _isInterval) OP 0;                            \
    }
PEGASUS_DATETIME_COMPARE(<)
PEGASUS_DATETIME_COMPARE(<=)
PEGASUS_DATETIME_COMPARE(>)
PEGASUS_DATETIME_COMPARE(>=)
PEGASUS_DATETIME_COMPARE(!=)
#undef PEGASUS_DATETIME_COMPARE

Boolean operator==(const CIMDateTime& x, const CIMDateTime& y)
{
    return x.equal(y);
}

namespace
{
void checkResult(Uint64 usec, bool interval)
{
    if (interval ? usec >= kMaxIntervalDays * kDay
                 : usec >= daysBeforeYear(10000) * kDay)
        throw DateTimeOutOfRangeException(
            interval ? "interval is too large" : "timestamp is too large");
}
}

CIMDateTime CIMDateTime::operator+(const CIMDateTime& x) const
{
    if (!x._isInterval)
        throw TypeMismatchException();
    CIMDateTime result(*this);
    result._usec = _usec + x._usec;
    if (result._usec < _usec)
        throw DateTimeOutOfRangeException("interval is too large");
    checkResult(result._usec, _isInterval);
    result._numWildcards = _numWildcards > x._numWildcards ? _numWildcards
                                                           : x._numWildcards;
    return result;
}

CIMDateTime& CIMDateTime::operator+=(const CIMDateTime& x)
{
    return *this = *this + x;
}

CIMDateTime CIMDateTime::operator-(const CIMDateTime& x) const
{
    if (_isInterval && !x._isInterval)
        throw TypeMismatchException();
    CIMDateTime result(*this);
    if (!_isInterval && !x._isInterval)
    {
        // The time between two timestamps is an interval.
        Sint64 diff = utcMicros(_usec, _utcOffset, false) -
                      utcMicros(x._usec, x._utcOffset, false);
        if (diff < 0)
            throw DateTimeOutOfRangeException("negative interval");
        result._usec = Uint64(diff);
        result._utcOffset = 0;
        result._isInterval = true;
    }
    else
    {
        if (x._usec > _usec)
            throw DateTimeOutOfRangeException(
                _isInterval ? "negative interval" : "timestamp before year 0");
        result._usec = _usec - x._usec;
    }
    result._numWildcards = _numWildcards > x._numWildcards ? _numWildcards
                                                           : x._numWildcards;
    return result;
}

CIMDateTime& CIMDateTime::operator-=(const CIMDateTime& x)
{
    return *this = *this - x;
}

CIMDateTime CIMDateTime::operator*(Uint64 num) const
{
    if (!_isInterval)
        throw TypeMismatchException();
    if (num != 0 && _usec > (kMaxIntervalDays * kDay) / num)
        throw DateTimeOutOfRangeException("interval is too large");
    CIMDateTime result(*this);
    result._usec = _usec * num;
    checkResult(result._usec, true);
    return result;
}

CIMDateTime& CIMDateTime::operator*=(Uint64 num)
{
    return *this = *this * num;
}

CIMDateTime CIMDateTime::operator/(Uint64 num) const
{
    if (!_isInterval)
        throw TypeMismatchException();
    if (num == 0)
        throw Exception("Can not divide CIMDateTime by zero");
    CIMDateTime result(*this);
    result._usec = _usec / num;
    return result;
}

CIMDateTime& CIMDateTime::operator/=(Uint64 num)
{
    return *this = *this / num;
}

Uint64 CIMDateTime::operator/(const CIMDateTime& x) const
{
    if (!_isInterval || !x._isInterval)
        throw TypeMismatchException();
    if (x._usec == 0)
        throw Exception("Can not divide CIMDateTime by zero");
    return _usec / x._usec;
}

PEGASUS_NAMESPACE_END
