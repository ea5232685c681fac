// TPEGASUSProperty: the value of one property, tied to the property's
// declaration.  A property without a value of its own reports its
// declaration's default value.  It also keeps a previous value for change
// tracking: before the first SetPrevValue, GetPrevValue answers with the
// current value and IsPrevValueDifferent is false; after it, the flag stays
// true for the object's life.
//
// Type checks.  SetValue and SetPrevValue (for a non-null value) require the
// value's type code to equal the declaration's; for references, the class
// the value refers to must be a subclass of the one the declaration's
// default value refers to.  A mismatch is logged (severity 0: "Inmem:
// SetValue: decl is type <t> but value is type <t>", "Inmem: SetValue: decl
// references type <c> but value references <c>", and the same without
// "Inmem: " and with "SetPrevValue" for the previous value) and throws
// TKTAException 14; nothing is stored.
//
// Display.  ToString, PrevValueToString and ToStringVector turn the value
// into text for users, steered by qualifiers of the declaration (names
// match without regard to case; a qualifier counts only with a non-null
// value of the type named):
//   - Values (string[]) and ValueMap (string[]) give a value map for
//     boolean and unsigned integer values: the text of the first entry whose
//     range holds the value, else the default text (ValueMap ".."), else the
//     number.  Without ValueMap, Values[i] stands for i.  ValueMap strings:
//     "N" one value; "N.." a range open upwards, closed by the next numbered
//     entry (its number - 1); "..N" the values after the previous entry up
//     to N; ".." the default.  Numbers take a base from their prefix: 0x or
//     0X hexadecimal, a leading 0 octal, otherwise decimal; leading blanks
//     and a '+' are allowed.  A map whose lengths differ, or with ".." or
//     "..N" right after an open range, is not used.
//     Choices where the rules are silent: a ValueMap string (or the part
//     after a leading "..") that holds no number - none at all, a negative
//     one, "0x" without digits, or one beyond 64 bits - contributes no
//     entry and leaves the running position alone; a number followed by
//     fewer than two further non-blank characters is a single value, not an
//     open range.  BuildValueMapEntryArray appends to the list it is given;
//     when it answers false, the list may hold part of the map.
//   - NULLDISPLAY (string): the text of a null value (else empty).
//   - BASE (uint8): the base of integer texts (TCIMValue::ToString).
//   - UNITS (string), for unsigned integers only: a long prefix ("Peta",
//     "Tera", "Giga", "Mega", "Kilo", "Milli", "Micro", "Nano") is split
//     off.  "Seconds" shows the host's interval text (TCIMDateTime
//     ToUIString); an interval longer than the host's interval type holds
//     throws its TKTAException 14; with a prefix above seconds (Kilo ... Peta)
//     the interval stays zero.  "Bytes", "Bits" and "Bytes per Second"
//     scale by 1024, "Bits per Second" by 1000: automatically while the
//     amount exceeds the divisor (up to Peta), or down to DISPLAYFIXEDUNITS
//     ("Tera", "Giga", "Mega" or "Kilo").  The amount is written with one
//     decimal, a trailing ".0" dropped, then a blank and the unit: with
//     ABBREVIATEUNITS (any non-null value) the short prefix and "B", "b",
//     "B/s" or "bps" ("1.5 KB"), otherwise the long prefix and units with
//     everything after the first character lower-cased ("1.5 Kilobytes").
//     Other units show the number as BASE gives it.
//   Qualifier lookups treat TKTAException 15 as absent and let any other
//   status through.  They use the GetQualifier form with a found flag (no
//   exception for an absent name), falling back to the plain form where an
//   element does not offer it (TKTAException 1).  Each display call looks
//   each qualifier up at most once, and only when the value needs it.
//
// Ownership: holds its declaration weakly (GetDeclaration is empty once it
// is gone).  An operation that needs a declaration or a referenced class
// that is gone throws TKTAException 15.
// Thread safety: none; one thread changes a property at a time.
#ifndef NQRVKTA20_TPEGASUSPROPERTY_H
#define NQRVKTA20_TPEGASUSPROPERTY_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include "ICIMProperty.h"

namespace NQRVKTA20 {

class ICIMPropertyDecl;

class TPEGASUSProperty : public ICIMProperty {
public:
    // One row of a value map: the values low ... high (inclusive) show
    // `text`.  A high of all bits set marks a range still open upwards.
    struct TValueMapEntry {
        uint64_t low;
        uint64_t high;
        std::string text;
    };

    // No value of its own, no previous value.
    explicit TPEGASUSProperty(boost::shared_ptr<const ICIMPropertyDecl> decl);
    // Then SetValue(value): the type checks apply and may throw.
    TPEGASUSProperty(boost::shared_ptr<const ICIMPropertyDecl> decl, TCIMValue const& value);
    // The other property's declaration, and its value when that is not
    // null; no previous value.
    explicit TPEGASUSProperty(boost::shared_ptr<const ICIMProperty> other);
    ~TPEGASUSProperty() override;
    TPEGASUSProperty(TPEGASUSProperty const&) = delete;

    TCIMValue::TCIMType GetType(TCIMContext context) const override;
    bool IsArray(TCIMContext context) const override;
    // True while the property has no value of its own.
    bool IsDefaultValue(TCIMContext context) const override;
    TCIMValue const& GetValue(TCIMContext context) const override;
    void SetValue(TCIMValue const& value, TCIMContext context) override;
    // The same answer as IsDefaultValue.
    bool GetPropagated(TCIMContext context) const override;
    boost::shared_ptr<const ICIMPropertyDecl> GetDeclaration(TCIMContext context) const override;
    // Same declaration object and equal values.
    bool operator==(ICIMProperty& other) const override;
    // By declaration object (owner order), then by value.
    bool operator<(ICIMProperty& other) const override;
    // Changes nothing.
    ICIMProperty& operator=(ICIMProperty const& other) override;
    TCIMValue const& GetPrevValue() const override;
    void SetPrevValue(TCIMValue const& value) override;
    void SetPrevValue() override;
    bool IsPrevValueDifferent() const override;
    std::string ToString() const override;
    std::string PrevValueToString() const override;
    std::vector<std::string> ToStringVector() const override;

    // One ToStringWithQualifiers text per element (one text for a
    // property that is not an array); no value maps.
    std::vector<std::string> ToStringVectorWithBase() const;
    // Null display, units and base (see Display above).
    std::string ToStringWithQualifiers(TCIMValue const& value) const;
    // value.ToString(BASE, or 10).
    std::string ToStringWithBase(TCIMValue const& value) const;
    // Appends the value map to `entries`; sets `defaultText` when there is
    // a ValueMap (cleared, then the text of ".." if any).  False when the
    // declaration has no usable value map.
    bool BuildValueMapEntryArray(std::vector<TValueMapEntry>& entries,
                                 std::string& defaultText) const;
    // The text of the first entry holding `value` (boolean or unsigned
    // integer; any other type throws TKTAException 1), else `defaultText`
    // when not empty, else value.ToString(10).
    std::string LookupInTable(TCIMValue const& value, std::vector<TValueMapEntry>& entries,
                              std::string& defaultText) const;
    // The display text of `value` (any value of the declared type) as
    // ToString gives it for the property's own value, and the element texts
    // as ToStringVector gives them: for holders that keep their value
    // elsewhere.
    std::string DisplayText(TCIMValue const& value) const;
    std::vector<std::string> DisplayTexts(TCIMValue const& value) const;

private:
    boost::shared_ptr<const ICIMPropertyDecl> LockDeclaration() const;
    // The own value, else the default value of `decl`.
    TCIMValue const& CurrentValue(ICIMPropertyDecl const& decl) const;
    // Throws (after the log line) when `value` does not fit the
    // declaration; `prefix` starts the log text.
    void CheckValue(TCIMValue const& value, std::string const& prefix) const;

    boost::weak_ptr<const ICIMPropertyDecl> fDeclaration;
    std::unique_ptr<TCIMValue> fValue;
    std::unique_ptr<TCIMValue> fPrevValue;
    bool fHasPrevValue;
};

} // namespace NQRVKTA20

#endif
