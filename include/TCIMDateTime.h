#ifndef NQRVKTA20_TCIMDATETIME_H
#define NQRVKTA20_TCIMDATETIME_H

#include <cstdint>
#include <string>

namespace NQRVKTA20 {

// A CIM datetime: either a timestamp or a time interval, kept in its
// 25-character CIM text form.
//
//   timestamp  yyyymmddhhmmss.mmmmmmsutc   s is '+' or '-', utc the offset
//                                          from UTC in minutes (000-999)
//   interval   ddddddddhhmmss.mmmmmm:000
//
// Wildcards: a field may be written as asterisks to mark it not significant.
// Once a field is wildcarded, every later field up to the microseconds must
// be wildcarded too; the microseconds may be wildcarded partially, from the
// right ("12****").  The UTC offset and the interval's ":000" never take
// asterisks.
//
// Field ranges checked on parsing: month 01-12, day 01 up to the length of
// the month (leap years by the Gregorian rule), hours 00-23, minutes and
// seconds 00-59.  Years 0000-9999 and days 00000000-99999999 are all valid.
//
// Value type; distinct objects may be used from different threads freely.
class TCIMDateTime {
public:
    // The zero interval "00000000000000.000000:000".
    TCIMDateTime();
    // Parses a 25-character CIM datetime text.  Throws
    // TKTAException(kWrongType) with a detail naming the fault when the text
    // is malformed or a field is out of range.
    explicit TCIMDateTime(const std::string& text);

    // Makes this value an interval (without wildcards).  Fields above their
    // range carry into the next larger one (90 seconds become 1 minute 30
    // seconds; 1000000 microseconds 1 second).  Throws
    // TKTAException(kWrongType) if the total exceeds 99999999 days, leaving
    // the value unchanged.
    void Set(uint32_t days, uint16_t hours, uint16_t minutes, uint16_t seconds,
             uint32_t microseconds);

    bool IsInterval() const;
    bool HasWildcards() const;

    // The 25-character CIM text; parsing it gives back an equal value.
    const std::string& ToString() const { return fText; }

    // Text for users.
    //   interval:  "[N day|N days ]hh:mm:ss[.mmmmmm]" - the day part only when
    //              the days are non-zero ("1 day 01:01:01", "2 days 00:00:05",
    //              "01:01:01"), the microseconds only when non-zero.
    //   timestamp: "yyyy-mm-dd hh:mm:ss[.mmmmmm] UTC[+hh:mm|-hh:mm]" - the
    //              microseconds only when non-zero, the offset only when
    //              non-zero ("2024-03-05 14:07:09 UTC+01:00",
    //              "2024-03-05 14:07:09 UTC").
    // Wildcarded fields show their asterisks ("2024-03-05 **:**:** UTC").
    std::string ToUIString() const;

    // Equal when the CIM texts are equal: the same instant written with two
    // different UTC offsets gives two different, unequal values.
    bool operator==(const TCIMDateTime& other) const { return fText == other.fText; }
    bool operator!=(const TCIMDateTime& other) const { return fText != other.fText; }
    // A strict weak ordering consistent with ==: intervals first, by length;
    // then timestamps without wildcards, by their instant in UTC (the text
    // breaks ties); then timestamps with wildcards, by text.
    bool operator<(const TCIMDateTime& other) const;

private:
    std::string fText;
};

}  // namespace NQRVKTA20

#endif  // NQRVKTA20_TCIMDATETIME_H
