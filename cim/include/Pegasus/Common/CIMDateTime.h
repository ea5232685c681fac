// CIMDateTime: a CIM datetime value, either a timestamp
// ("yyyymmddhhmmss.mmmmmmsutc", utc = offset in minutes) or an interval
// ("ddddddddhhmmss.mmmmmm:000").  Trailing fields may be wildcarded with '*'.
// Value semantics; distinct objects may be used from different threads at
// once.
//
// Failures: texts that are not of the form above throw
// InvalidDateTimeFormatException; well-formed fields out of their range
// (month 13, hour 24, ...) throw DateTimeOutOfRangeException; mixing an
// interval and a timestamp where the operation does not allow it throws
// TypeMismatchException.
#ifndef Pegasus_CIMDateTime_h
#define Pegasus_CIMDateTime_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>
#include <Pegasus/Common/String.h>
#include <Pegasus/Common/Array.h>

PEGASUS_NAMESPACE_BEGIN

class PEGASUS_COMMON_LINKAGE CIMDateTime
{
public:
    // Passed for any field of the field-wise constructors to wildcard it
    // (and, necessarily, every field after it).
    static const Uint32 WILDCARD;

    // The zero interval "00000000000000.000000:000".
    CIMDateTime();
    CIMDateTime(const String& str);
    CIMDateTime(const CIMDateTime& x);
    // Microseconds since 0000-01-01 00:00:00 UTC (a timestamp with offset
    // +000) or the length of an interval.  A timestamp in year 10000 or
    // later, or an interval of 100000000 days or more, throws
    // DateTimeOutOfRangeException.
    CIMDateTime(Uint64 usec, Boolean isInterval);
    // A timestamp from its fields; utcOffset in minutes.
    // numSignificantMicrosecondDigits (0..6) keeps that many microsecond
    // digits and wildcards the rest.
    CIMDateTime(
        Uint32 year,
        Uint32 month,
        Uint32 day,
        Uint32 hours,
        Uint32 minutes,
        Uint32 seconds,
        Uint32 microseconds,
        Uint32 numSignificantMicrosecondDigits,
        Sint32 utcOffset);
    // An interval from its fields.
    CIMDateTime(
        Uint32 days,
        Uint32 hours,
        Uint32 minutes,
        Uint32 seconds,
        Uint32 microseconds,
        Uint32 numSignificantMicrosecondDigits);
    ~CIMDateTime();

    CIMDateTime& operator=(const CIMDateTime& x);

    void clear();
    void set(const String& str);
    void setTimeStamp(
        Uint32 year,
        Uint32 month,
        Uint32 day,
        Uint32 hours,
        Uint32 minutes,
        Uint32 seconds,
        Uint32 microseconds,
        Uint32 numSignificantMicrosecondDigits,
        Sint32 utcOffset);
    void setInterval(
        Uint32 days,
        Uint32 hours,
        Uint32 minutes,
        Uint32 seconds,
        Uint32 microseconds,
        Uint32 numSignificantMicrosecondDigits);

    // The 25-character text.
    String toString() const;

    // The current local time with the local UTC offset.
    static CIMDateTime getCurrentDateTime();

    // finish - start in microseconds, timestamps taken in UTC.  An interval
    // with a timestamp throws InvalidDateTimeFormatException.
    static Sint64 getDifference(CIMDateTime startTime, CIMDateTime finishTime);

    Boolean isInterval();
    Boolean isInterval() const;
    Boolean isTimeStamp() const;

    // Interval length, or the timestamp's microseconds since
    // 0000-01-01 00:00:00 UTC.  Wildcarded fields count as their lowest value.
    Uint64 toMicroSeconds() const;

    // Same kind and same instant (timestamps compared in UTC).  Fields
    // wildcarded in either value are ignored.  Comparing an interval with a
    // timestamp throws TypeMismatchException.
    Boolean equal(const CIMDateTime& x) const;

    // Timestamp + interval = timestamp; interval + interval = interval.
    CIMDateTime operator+(const CIMDateTime& x) const;
    CIMDateTime& operator+=(const CIMDateTime& x);
    // Timestamp - interval = timestamp; timestamp - timestamp = interval;
    // interval - interval = interval.  A negative result throws
    // DateTimeOutOfRangeException.
    CIMDateTime operator-(const CIMDateTime& x) const;
    CIMDateTime& operator-=(const CIMDateTime& x);
    // Intervals only.
    CIMDateTime operator*(Uint64 num) const;
    CIMDateTime& operator*=(Uint64 num);
    // Intervals only; division by zero throws Exception.
    CIMDateTime operator/(Uint64 num) const;
    CIMDateTime& operator/=(Uint64 num);
    // Ratio of two intervals; division by a zero interval throws Exception.
    Uint64 operator/(const CIMDateTime& x) const;

    Boolean operator<(const CIMDateTime& x) const;
    Boolean operator<=(const CIMDateTime& x) const;
    Boolean operator>(const CIMDateTime& x) const;
    Boolean operator>=(const CIMDateTime& x) const;
    Boolean operator!=(const CIMDateTime& x) const;

private:
    friend struct CIMDateTimeAccess;
    // Sets the value from the 25 characters of its text form.
    void _setText(const char* t);

    // Kept in the form the text encodes: the fields as microseconds (local
    // time for timestamps), how many trailing digits are wildcarded, and the
    // offset of a timestamp.
    Uint64 _usec;
    Uint32 _numWildcards;
    Sint32 _utcOffset;
    Boolean _isInterval;
};

PEGASUS_COMMON_LINKAGE Boolean operator==(const CIMDateTime& x, const CIMDateTime& y);

PEGASUS_NAMESPACE_END

#endif
