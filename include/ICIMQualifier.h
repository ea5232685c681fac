// ICIMQualifier: one qualifier value attached to one element (a class or a
// property, method or parameter declaration).
//
// Ownership: held by boost::shared_ptr; the element's qualifier list owns
// it; the qualifier refers to its element weakly (GetClassOrProperty yields
// an empty pointer once the element is gone) and holds its declaration
// strongly. Its name is its declaration's name.
// Failure: operations that fail throw TKTAException.
// Thread safety: none; callers serialise changes to one object.
#ifndef NQRVKTA20_ICIMQUALIFIER_H
#define NQRVKTA20_ICIMQUALIFIER_H

#include <string>

#include <boost/shared_ptr.hpp>

#include "ICIMQualifierDecl.h"
#include "TCIMContext.h"
#include "TCIMValue.h"

namespace NQRVKTA20 {

class ICIMNamedElement;

class ICIMQualifier {
public:
    virtual ~ICIMQualifier() {}

    virtual void Validate(TCIMContext context) const = 0;
    // Adds the qualifier to its element (the element's AddQualifier decides).
    virtual void AddToClassOrProperty(TCIMContext context) = 0;
    virtual void RemoveFromClassOrProperty(TCIMContext context) = 0;
    virtual std::string const& GetName(TCIMContext context) const = 0;
    virtual boost::shared_ptr<const ICIMNamedElement> GetClassOrProperty(
        TCIMContext context) const = 0;
    virtual TCIMValue::TCIMType GetType(TCIMContext context) const = 0;
    virtual bool IsArray(TCIMContext context) const = 0;
    virtual boost::shared_ptr<const ICIMQualifierDecl> GetDeclaration(
        TCIMContext context) const = 0;
    virtual TCIMValue const& GetValue(TCIMContext context) const = 0;
    virtual void SetValue(TCIMValue const& value, TCIMContext context) = 0;
    virtual void SetFlavor(ICIMQualifierDecl::EFlavor flavor, TCIMContext context) = 0;
    virtual void UnsetFlavor(ICIMQualifierDecl::EFlavor flavor, TCIMContext context) = 0;
    virtual ICIMQualifierDecl::EFlavor GetFlavor(TCIMContext context) const = 0;
    // Qualifiers compare by their declarations' names, ignoring letter case.
    virtual bool operator==(ICIMQualifier& other) const = 0;
    virtual bool operator<(ICIMQualifier& other) const = 0;
    // True when the qualifier was copied from a propagated one and not
    // changed since.
    virtual bool GetPropagated(TCIMContext context) const = 0;
    virtual ICIMQualifier& operator=(ICIMQualifier const& other) = 0;

protected:
    ICIMQualifier() = default;
    ICIMQualifier(ICIMQualifier const&) = default;
};

inline ICIMQualifier& ICIMQualifier::operator=(ICIMQualifier const&)
{
    return *this;
}

} // namespace NQRVKTA20

#endif
