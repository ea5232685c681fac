// TInmemProperty: an in-memory property value tied to its declaration (see
// ICIMProperty for the contract). The holder behind TInmemInstance.
//
// Ownership: holds its declaration strongly (a property handed to the host
// stays usable after its instance is gone).
// Type rule for SetValue and SetPrevValue: the value's type code must equal
// the declaration's, else TKTAException 14 and nothing is stored. A null
// value of no type (a default-built TCIMValue) is accepted for every
// declaration and stored as a null of the declared type. For a reference
// declaration whose default value names a referenced class, a value naming
// a class that is not a subclass of it is refused with 14 as well.
// Thread safety: none; callers serialise changes.
#ifndef NQRVKTA20_TINMEMPROPERTY_H
#define NQRVKTA20_TINMEMPROPERTY_H

#include <memory>
#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "ICIMProperty.h"

namespace NQRVKTA20 {

class TInmemProperty : public ICIMProperty {
public:
    // Throws TKTAException 15 when `decl` is empty.
    explicit TInmemProperty(boost::shared_ptr<const ICIMPropertyDecl> decl);
    // As above, then SetValue(value) (which may throw 14).
    TInmemProperty(boost::shared_ptr<const ICIMPropertyDecl> decl, TCIMValue const& value);
    // Deep copy: own value, previous value and flag.
    TInmemProperty(TInmemProperty const& other);
    ~TInmemProperty() override;

    TCIMValue::TCIMType GetType(TCIMContext context) const override;
    bool IsArray(TCIMContext context) const override;
    bool IsDefaultValue(TCIMContext context) const override;
    TCIMValue const& GetValue(TCIMContext context) const override;
    void SetValue(TCIMValue const& value, TCIMContext context) override;
    // Same answer as IsDefaultValue.
    bool GetPropagated(TCIMContext context) const override;
    boost::shared_ptr<const ICIMPropertyDecl> GetDeclaration(TCIMContext context) const override;
    // Same declaration object and equal values.
    bool operator==(ICIMProperty& other) const override;
    // By declaration object (owner order), then by value.
    bool operator<(ICIMProperty& other) const override;
    // Takes over the other property's declaration and values when it is a
    // TInmemProperty; otherwise changes nothing.
    ICIMProperty& operator=(ICIMProperty const& other) override;
    TInmemProperty& operator=(TInmemProperty const& other);
    TCIMValue const& GetPrevValue() const override;
    void SetPrevValue(TCIMValue const& value) override;
    void SetPrevValue() override;
    bool IsPrevValueDifferent() const override;
    // Display texts: TCIMValue::ToString(10) of the value; ToStringVector
    // gives one text per element of an array, one text for a scalar.
    std::string ToString() const override;
    std::string PrevValueToString() const override;
    std::vector<std::string> ToStringVector() const override;

private:
    // Throws 14 unless `value` may be stored for the declaration; returns
    // the value to store (a typeless null becomes a null of the declared
    // type).
    TCIMValue Checked(TCIMValue const& value) const;

    boost::shared_ptr<const ICIMPropertyDecl> fDecl;
    std::unique_ptr<TCIMValue> fValue;
    std::unique_ptr<TCIMValue> fPrevValue;
    bool fPrevValueSet;
};

} // namespace NQRVKTA20

#endif
