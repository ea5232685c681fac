// CIMQualifierDecl and CIMConstQualifierDecl: the declaration of a
// qualifier in a namespace (name, type and default value, scope, flavor).
//
// Handles, with the sharing, uninitialized-use and threading rules told in
// CIMQualifier.h.
#ifndef Pegasus_CIMQualifierDecl_h
#define Pegasus_CIMQualifierDecl_h

#include <memory>

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/CIMType.h>
#include <Pegasus/Common/CIMFlavor.h>
#include <Pegasus/Common/CIMScope.h>
#include <Pegasus/Common/CIMValue.h>

PEGASUS_NAMESPACE_BEGIN

class CIMValue;
class CIMConstQualifierDecl;
class CIMQualifierDeclRep;
struct CIMHandleAccess;

class PEGASUS_COMMON_LINKAGE CIMQualifierDecl
{
public:
    // An uninitialized handle.
    CIMQualifierDecl();
    CIMQualifierDecl(const CIMQualifierDecl& x);
    // A null `name` throws UninitializedObjectException.  The flavor is
    // completed: TOSUBCLASS is added unless RESTRICTED is set (and removed
    // when it is), OVERRIDABLE is added unless DISABLEOVERRIDE is set (and
    // removed when it is).
    CIMQualifierDecl(
        const CIMName& name,
        const CIMValue& value,
        const CIMScope& scope,
        const CIMFlavor& flavor = CIMFlavor(CIMFlavor::DEFAULTS),
        Uint32 arraySize = 0);
    ~CIMQualifierDecl();
    CIMQualifierDecl& operator=(const CIMQualifierDecl& x);

    const CIMName& getName() const;
    void setName(const CIMName& name);
    CIMType getType() const;
    Boolean isArray() const;
    const CIMValue& getValue() const;
    void setValue(const CIMValue& value);
    const CIMScope& getScope() const;
    const CIMFlavor& getFlavor() const;
    // The fixed array size; 0 for variable-length arrays and scalars.
    Uint32 getArraySize() const;

    Boolean isUninitialized() const;
    // Same name (ignoring case), value, scope, flavor and array size.
    Boolean identical(const CIMConstQualifierDecl& x) const;
    CIMQualifierDecl clone() const;

private:
    explicit CIMQualifierDecl(const std::shared_ptr<CIMQualifierDeclRep>& rep);

    std::shared_ptr<CIMQualifierDeclRep> _rep;

    friend class CIMConstQualifierDecl;
    friend struct CIMHandleAccess;
};

// The read-only view of a qualifier declaration.
class PEGASUS_COMMON_LINKAGE CIMConstQualifierDecl
{
public:
    CIMConstQualifierDecl();
    CIMConstQualifierDecl(const CIMConstQualifierDecl& x);
    CIMConstQualifierDecl(const CIMQualifierDecl& x);
    CIMConstQualifierDecl(
        const CIMName& name,
        const CIMValue& value,
        const CIMScope& scope,
        const CIMFlavor& flavor = CIMFlavor(CIMFlavor::DEFAULTS),
        Uint32 arraySize = 0);
    ~CIMConstQualifierDecl();
    CIMConstQualifierDecl& operator=(const CIMConstQualifierDecl& x);
    CIMConstQualifierDecl& operator=(const CIMQualifierDecl& x);

    const CIMName& getName() const;
    CIMType getType() const;
    Boolean isArray() const;
    const CIMValue& getValue() const;
    const CIMScope& getScope() const;
    const CIMFlavor& getFlavor() const;
    Uint32 getArraySize() const;
    Boolean isUninitialized() const;
    Boolean identical(const CIMConstQualifierDecl& x) const;
    CIMQualifierDecl clone() const;

private:
    std::shared_ptr<CIMQualifierDeclRep> _rep;

    friend class CIMQualifierDecl;
    friend struct CIMHandleAccess;
};

PEGASUS_NAMESPACE_END

#endif
