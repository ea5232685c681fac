#include "TCIMDateTime.h"

#include <tuple>

#include "TKTAException.h"

namespace NQRVKTA20 {

namespace {

const size_t kTextLength = 25;
const char kZeroInterval[] = "00000000000000.000000:000";
const uint32_t kMaxIntervalDays = 99999999;

// The digit fields of both forms, most significant first.  Wildcards may only
// cover a trailing run of them (the microseconds partially, from the right).
struct TField {
    size_t pos;
    size_t len;
};
const TField kTimestampFields[] = {{0, 4}, {4, 2}, {6, 2}, {8, 2}, {10, 2}, {12, 2}, {15, 6}};
const TField kIntervalFields[] = {{0, 8}, {8, 2}, {10, 2}, {12, 2}, {15, 6}};

[[noreturn]] void Fail(const std::string& text, const std::string& why) {
    throw TKTAException(TKTAStatusCode::kWrongType,
                        "invalid CIM datetime \"" + text + "\": " + why);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads a field of digits; callers have checked it holds no asterisk.
uint64_t Number(const std::string& text, size_t pos, size_t len) {
    uint64_t n = 0;
    for (size_t i = pos; i < pos + len; ++i)
        n = n * 10 + static_cast<uint64_t>(text[i] - '0');
    return n;
}

bool FieldIsWild(const std::string& text, const TField& f) { return text[f.pos] == '*'; }

bool IsLeapYear(uint64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

uint64_t DaysInMonth(uint64_t year, uint64_t month) {
    static const uint64_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return (month == 2 && IsLeapYear(year)) ? 29 : kDays[month - 1];
}

// Days from 0000-03-01 based civil-calendar arithmetic; any fixed epoch will
// do since the result only orders timestamps.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe;
}

std::string Pad(uint64_t value, size_t width) {
    std::string s = std::to_string(value);
    if (s.size() < width)
        s.insert(0, width - s.size(), '0');
    return s;
}

// Checks the wildcard rule and the digits of `fields`; returns true when
// some field is wildcarded.
template <size_t N>
bool CheckDigits(const std::string& text, const TField (&fields)[N]) {
    bool wild = false;
    for (const TField& f : fields) {
        for (size_t i = f.pos; i < f.pos + f.len; ++i) {
            const char c = text[i];
            if (c == '*') {
                wild = true;
            } else if (!IsDigit(c)) {
                Fail(text, "unexpected character '" + std::string(1, c) + "' at position " +
                               std::to_string(i));
            } else if (wild) {
                Fail(text, "a digit follows an asterisk at position " + std::to_string(i));
            }
        }
        // Only the microseconds may be wildcarded partially.
        if (&f != &fields[N - 1] && text[f.pos] != '*' && text[f.pos + f.len - 1] == '*')
            Fail(text, "field at position " + std::to_string(f.pos) + " is partly wildcarded");
    }
    return wild;
}

void CheckRange(const std::string& text, const TField& f, uint64_t low, uint64_t high,
                const char* name) {
    if (FieldIsWild(text, f))
        return;
    const uint64_t n = Number(text, f.pos, f.len);
    if (n < low || n > high)
        Fail(text, std::string(name) + " " + text.substr(f.pos, f.len) + " out of range");
}

void Validate(const std::string& text) {
    if (text.size() != kTextLength)
        Fail(text, "length is " + std::to_string(text.size()) + ", not 25");
    if (text[14] != '.')
        Fail(text, "position 14 must be '.'");
    const char sign = text[21];
    if (sign == ':') {
        if (text.compare(22, 3, "000") != 0)
            Fail(text, "an interval must end in \":000\"");
        CheckDigits(text, kIntervalFields);
        CheckRange(text, kIntervalFields[1], 0, 23, "hours");
        CheckRange(text, kIntervalFields[2], 0, 59, "minutes");
        CheckRange(text, kIntervalFields[3], 0, 59, "seconds");
        return;
    }
    if (sign != '+' && sign != '-')
        Fail(text, "position 21 must be '+', '-' or ':'");
    for (size_t i = 22; i < kTextLength; ++i)
        if (!IsDigit(text[i]))
            Fail(text, "the UTC offset must be three digits");
    CheckDigits(text, kTimestampFields);
    CheckRange(text, kTimestampFields[1], 1, 12, "month");
    if (!FieldIsWild(text, kTimestampFields[2])) {
        // The trailing-wildcard rule guarantees year and month are known here.
        const uint64_t year = Number(text, 0, 4);
        const uint64_t month = Number(text, 4, 2);
        CheckRange(text, kTimestampFields[2], 1, DaysInMonth(year, month), "day");
    }
    CheckRange(text, kTimestampFields[3], 0, 23, "hours");
    CheckRange(text, kTimestampFields[4], 0, 59, "minutes");
    CheckRange(text, kTimestampFields[5], 0, 59, "seconds");
}

// Microseconds since 0000-01-01 00:00 UTC; only for wildcard-free timestamps.
int64_t Instant(const std::string& t) {
    const int64_t days = DaysFromCivil(static_cast<int64_t>(Number(t, 0, 4)),
                                       static_cast<int64_t>(Number(t, 4, 2)),
                                       static_cast<int64_t>(Number(t, 6, 2)));
    int64_t minutes = days * 1440 + static_cast<int64_t>(Number(t, 8, 2)) * 60 +
                      static_cast<int64_t>(Number(t, 10, 2));
    // Local time = UTC + offset, so UTC = local - offset.
    const int64_t offset = static_cast<int64_t>(Number(t, 22, 3));
    minutes += (t[21] == '-') ? offset : -offset;
    return (minutes * 60 + static_cast<int64_t>(Number(t, 12, 2))) * 1000000 +
           static_cast<int64_t>(Number(t, 15, 6));
}

// ".mmmmmm" unless the microseconds are all zeros or all asterisks.
std::string Fraction(const std::string& t) {
    const std::string us = t.substr(15, 6);
    if (us == "000000" || us == "******")
        return std::string();
    return "." + us;
}

}  // namespace

TCIMDateTime::TCIMDateTime() : fText(kZeroInterval) {}

TCIMDateTime::TCIMDateTime(const std::string& text) : fText(text) { Validate(fText); }

void TCIMDateTime::Set(uint32_t days, uint16_t hours, uint16_t minutes, uint16_t seconds,
                       uint32_t microseconds) {
    uint64_t total = microseconds / 1000000 + seconds;
    const uint64_t us = microseconds % 1000000;
    const uint64_t sec = total % 60;
    total = total / 60 + minutes;
    const uint64_t min = total % 60;
    total = total / 60 + hours;
    const uint64_t hrs = total % 24;
    const uint64_t dys = total / 24 + days;
    if (dys > kMaxIntervalDays)
        throw TKTAException(TKTAStatusCode::kWrongType,
                            "interval of " + std::to_string(dys) + " days exceeds 99999999 days");
    fText = Pad(dys, 8) + Pad(hrs, 2) + Pad(min, 2) + Pad(sec, 2) + "." + Pad(us, 6) + ":000";
}

bool TCIMDateTime::IsInterval() const { return fText[21] == ':'; }

bool TCIMDateTime::HasWildcards() const { return fText.find('*') != std::string::npos; }

std::string TCIMDateTime::ToUIString() const {
    const std::string& t = fText;
    const std::string clock =
        t.substr(8, 2) + ":" + t.substr(10, 2) + ":" + t.substr(12, 2) + Fraction(t);
    if (IsInterval()) {
        if (t[0] == '*')
            return clock;
        const uint64_t days = Number(t, 0, 8);
        if (days == 0)
            return clock;
        return std::to_string(days) + (days == 1 ? " day " : " days ") + clock;
    }
    std::string text = t.substr(0, 4) + "-" + t.substr(4, 2) + "-" + t.substr(6, 2) + " " + clock +
                       " UTC";
    const uint64_t offset = Number(t, 22, 3);
    if (offset != 0)
        text += std::string(1, t[21]) + Pad(offset / 60, 2) + ":" + Pad(offset % 60, 2);
    return text;
}

bool TCIMDateTime::operator<(const TCIMDateTime& other) const {
    // Rank: 0 interval, 1 timestamp without wildcards, 2 timestamp with.
    // Within rank 1 the instant leads and the text breaks ties, so values
    // equal under == (same text) are the only equivalent ones.
    const auto key = [](const TCIMDateTime& d) {
        int rank = 0;
        int64_t instant = 0;
        if (!d.IsInterval()) {
            rank = d.HasWildcards() ? 2 : 1;
            if (rank == 1)
                instant = Instant(d.fText);
        }
        return std::make_tuple(rank, instant);
    };
    const auto a = key(*this);
    const auto b = key(other);
    if (a != b)
        return a < b;
    return fText < other.fText;
}

}  // namespace NQRVKTA20
