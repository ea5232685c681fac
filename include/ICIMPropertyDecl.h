// ICIMPropertyDecl: the declaration of one property of a class: name, class,
// default value (which gives the type and the array flag) and qualifiers.
//
// Ownership: held by boost::shared_ptr; the class owns the declarations
// added to it, and a declaration refers to its class weakly (GetClass
// yields an empty pointer once the class is gone).
// Failure: operations that fail throw TKTAException.
// Thread safety: none; callers serialise changes to one object.
#ifndef NQRVKTA20_ICIMPROPERTYDECL_H
#define NQRVKTA20_ICIMPROPERTYDECL_H

#include <string>

#include <boost/shared_ptr.hpp>

#include "ICIMNamedElement.h"
#include "TCIMContext.h"
#include "TCIMValue.h"

namespace NQRVKTA20 {

class ICIMClass;

class ICIMPropertyDecl : public ICIMNamedElement {
public:
    virtual ~ICIMPropertyDecl() {}

    virtual void Validate(TCIMContext context) const = 0;
    // Hands the declaration to its class's AddPropertyDecl, which decides.
    virtual void AddToClass(TCIMContext context) = 0;
    virtual void RemoveFromClass(TCIMContext context) = 0;
    virtual std::string const& GetName(TCIMContext context) const = 0;
    virtual boost::shared_ptr<ICIMClass> GetClass(TCIMContext context) const = 0;
    virtual TCIMValue::TCIMType GetType(TCIMContext context) const = 0;
    virtual bool IsArray(TCIMContext context) const = 0;
    virtual TCIMValue const& GetDefaultValue(TCIMContext context) const = 0;
    // Replaces the default value, and with it the declaration's type.
    virtual void SetDefaultValue(TCIMValue const& value, TCIMContext context) = 0;
    // Declarations compare by name, ignoring letter case.
    virtual bool operator==(ICIMPropertyDecl& other) const = 0;
    virtual bool operator<(ICIMPropertyDecl& other) const = 0;
    virtual ICIMPropertyDecl& operator=(ICIMPropertyDecl const& other) = 0;

protected:
    ICIMPropertyDecl() = default;
    ICIMPropertyDecl(ICIMPropertyDecl const&) = default;
};

inline ICIMPropertyDecl& ICIMPropertyDecl::operator=(ICIMPropertyDecl const&)
{
    return *this;
}

} // namespace NQRVKTA20

#endif
