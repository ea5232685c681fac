// ICIMProperty: the value of one property of an instance (or a static
// property of a class), tied to the property's declaration.
//
// A property without a value of its own reports its declaration's default
// value (IsDefaultValue true). It also keeps a previous value for change
// tracking: before the first SetPrevValue, GetPrevValue answers with the
// current value and IsPrevValueDifferent is false.
// Ownership: held by boost::shared_ptr by its instance or class; whether it
// keeps its declaration alive is the implementation's choice
// (GetDeclaration yields an empty pointer once a weakly held one is gone).
// Failure: SetValue and SetPrevValue throw TKTAException 14 when the value's
// type does not match the declaration's; nothing is stored then.
// Thread safety: none; callers serialise changes to one object.
#ifndef NQRVKTA20_ICIMPROPERTY_H
#define NQRVKTA20_ICIMPROPERTY_H

#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "TCIMContext.h"
#include "TCIMValue.h"

namespace NQRVKTA20 {

class ICIMPropertyDecl;

class ICIMProperty {
public:
    virtual ~ICIMProperty() {}

    virtual TCIMValue::TCIMType GetType(TCIMContext context) const = 0;
    virtual bool IsArray(TCIMContext context) const = 0;
    virtual bool IsDefaultValue(TCIMContext context) const = 0;
    // The own value, or the declaration's default without one. The
    // reference stays valid until the value is next changed.
    virtual TCIMValue const& GetValue(TCIMContext context) const = 0;
    virtual void SetValue(TCIMValue const& value, TCIMContext context) = 0;
    virtual bool GetPropagated(TCIMContext context) const = 0;
    virtual boost::shared_ptr<const ICIMPropertyDecl> GetDeclaration(
        TCIMContext context) const = 0;
    virtual bool operator==(ICIMProperty& other) const = 0;
    virtual bool operator<(ICIMProperty& other) const = 0;
    virtual ICIMProperty& operator=(ICIMProperty const& other) = 0;
    virtual TCIMValue const& GetPrevValue() const = 0;
    virtual void SetPrevValue(TCIMValue const& value) = 0;
    // Records a default-built (null) value as the previous value.
    virtual void SetPrevValue() = 0;
    virtual bool IsPrevValueDifferent() const = 0;
    // Display texts of the current and previous values; one text per
    // element for ToStringVector.
    virtual std::string ToString() const = 0;
    virtual std::string PrevValueToString() const = 0;
    virtual std::vector<std::string> ToStringVector() const = 0;

protected:
    ICIMProperty() = default;
    ICIMProperty(ICIMProperty const&) = default;
};

inline ICIMProperty& ICIMProperty::operator=(ICIMProperty const&)
{
    return *this;
}

} // namespace NQRVKTA20

#endif
