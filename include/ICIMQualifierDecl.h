// ICIMQualifierDecl: the declaration of one qualifier in a namespace: its
// name, its type (that of its default value), where it may be used (scope)
// and how it propagates (flavor).
//
// Ownership: held by boost::shared_ptr; a namespace owns the declarations in
// its registry, and qualifiers hold their declaration strongly, so a
// declaration may outlive its namespace (GetNamespace then yields an empty
// pointer).
// Failure: operations that fail throw TKTAException.
// Thread safety: none; callers serialise changes to one object.
#ifndef NQRVKTA20_ICIMQUALIFIERDECL_H
#define NQRVKTA20_ICIMQUALIFIERDECL_H

#include <string>

#include <boost/shared_ptr.hpp>

#include "TCIMContext.h"
#include "TCIMValue.h"

namespace NQRVKTA20 {

class ICIMNamespace;

class ICIMQualifierDecl {
public:
    // Element kinds a qualifier may be used on; a bit set.
    enum EScope {
        kScopeClass = 1,
        kScopeAssociation = 2,
        kScopeIndication = 4,
        kScopeProperty = 8,
        kScopeReference = 16,
        kScopeMethod = 32,
        kScopeParameter = 64,
        kScopeAny = 127
    };

    // Qualifier flavors; a bit set (kFlavorDefaults is the first two bits).
    enum EFlavor {
        kFlavorNone = 0,
        kFlavorEnableOverride = 1,
        kFlavorToSubclass = 2,
        kFlavorDefaults = 3,
        kFlavorTranslatable = 4
    };

    virtual ~ICIMQualifierDecl() {}

    virtual void Validate(TCIMContext context) const = 0;
    // Enters the declaration into its namespace's registry; a name already
    // declared there throws TKTAException 16.
    virtual void AddToNamespace(TCIMContext context) = 0;
    virtual void RemoveQualifierDecl(TCIMContext context) = 0;
    // The name as declared (letter case kept).
    virtual std::string const& GetName(TCIMContext context) const = 0;
    // Empty when the namespace no longer exists.
    virtual boost::shared_ptr<ICIMNamespace> GetNamespace(TCIMContext context) const = 0;
    virtual TCIMValue::TCIMType GetType(TCIMContext context) const = 0;
    virtual bool IsArray(TCIMContext context) const = 0;
    virtual TCIMValue const& GetDefaultValue(TCIMContext context) const = 0;
    virtual void SetDefaultValue(TCIMValue const& value, TCIMContext context) = 0;
    virtual EScope GetScope(TCIMContext context) const = 0;
    // Sets the given flavor bits, keeping the others.
    virtual void SetFlavor(EFlavor flavor, TCIMContext context) = 0;
    // Clears the given flavor bits, keeping the others.
    virtual void UnsetFlavor(EFlavor flavor, TCIMContext context) = 0;
    virtual EFlavor GetFlavor(TCIMContext context) const = 0;
    // Declarations compare by name, without regard to letter case.
    virtual bool operator==(ICIMQualifierDecl& other) const = 0;
    virtual bool operator<(ICIMQualifierDecl& other) const = 0;
    virtual ICIMQualifierDecl& operator=(ICIMQualifierDecl const& other) = 0;

protected:
    ICIMQualifierDecl() = default;
    ICIMQualifierDecl(ICIMQualifierDecl const&) = default;
};

// Interfaces copy nothing of their own.
inline ICIMQualifierDecl& ICIMQualifierDecl::operator=(ICIMQualifierDecl const&)
{
    return *this;
}

} // namespace NQRVKTA20

#endif
