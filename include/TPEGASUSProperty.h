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
// Display.  ToString, PrevValueToString and ToStringVector give the plain
// value texts (TCIMValue::ToString; one text per array element).
//
// Ownership: holds its declaration weakly (GetDeclaration is empty once it
// is gone).  An operation that needs a declaration or a referenced class
// that is gone throws TKTAException 15.
// Thread safety: none; one thread changes a property at a time.
#ifndef NQRVKTA20_TPEGASUSPROPERTY_H
#define NQRVKTA20_TPEGASUSPROPERTY_H

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

private:
    boost::shared_ptr<const ICIMPropertyDecl> LockDeclaration() const;
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
