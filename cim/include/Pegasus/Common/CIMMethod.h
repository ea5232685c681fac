// CIMMethod and CIMConstMethod: a method declaration of a class (name,
// return type, class origin), its qualifiers and its parameters.
//
// Handles, with the sharing, uninitialized-use and threading rules told in
// CIMQualifier.h.  Qualifiers and parameters keep the order they were
// added in; lookups by name ignore case and give PEG_NOT_FOUND when nothing
// matches; an index past the end throws IndexOutOfBoundsException.
#ifndef Pegasus_CIMMethod_h
#define Pegasus_CIMMethod_h

#include <memory>

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/CIMType.h>
#include <Pegasus/Common/CIMQualifier.h>
#include <Pegasus/Common/CIMParameter.h>

PEGASUS_NAMESPACE_BEGIN

class CIMQualifier;
class CIMConstQualifier;
class CIMParameter;
class CIMConstParameter;
class CIMConstMethod;
class CIMMethodRep;
struct CIMHandleAccess;

class PEGASUS_COMMON_LINKAGE CIMMethod
{
public:
    // An uninitialized handle.
    CIMMethod();
    CIMMethod(const CIMMethod& x);
    // `type` is the return type.  A null name throws
    // UninitializedObjectException.
    CIMMethod(
        const CIMName& name,
        CIMType type,
        const CIMName& classOrigin = CIMName(),
        Boolean propagated = false);
    ~CIMMethod();
    CIMMethod& operator=(const CIMMethod& x);

    const CIMName& getName() const;
    // Throws Exception when the method already belongs to a class.
    void setName(const CIMName& name);
    CIMType getType() const;
    void setType(CIMType type);
    const CIMName& getClassOrigin() const;
    void setClassOrigin(const CIMName& classOrigin);
    Boolean getPropagated() const;
    void setPropagated(Boolean propagated);

    // An uninitialized argument throws UninitializedObjectException, a name
    // already present AlreadyExistsException.
    CIMMethod& addQualifier(const CIMQualifier& x);
    Uint32 findQualifier(const CIMName& name) const;
    CIMQualifier getQualifier(Uint32 index);
    CIMConstQualifier getQualifier(Uint32 index) const;
    void removeQualifier(Uint32 index);
    Uint32 getQualifierCount() const;

    CIMMethod& addParameter(const CIMParameter& x);
    Uint32 findParameter(const CIMName& name) const;
    CIMParameter getParameter(Uint32 index);
    CIMConstParameter getParameter(Uint32 index) const;
    void removeParameter(Uint32 index);
    Uint32 getParameterCount() const;

    Boolean isUninitialized() const;
    // Same name (ignoring case), return type, class origin, propagated
    // flag, qualifiers and parameters.
    Boolean identical(const CIMConstMethod& x) const;
    CIMMethod clone() const;

private:
    explicit CIMMethod(const std::shared_ptr<CIMMethodRep>& rep);

    std::shared_ptr<CIMMethodRep> _rep;

    friend class CIMConstMethod;
    friend struct CIMHandleAccess;
};

// The read-only view of a method.
class PEGASUS_COMMON_LINKAGE CIMConstMethod
{
public:
    CIMConstMethod();
    CIMConstMethod(const CIMConstMethod& x);
    CIMConstMethod(const CIMMethod& x);
    CIMConstMethod(
        const CIMName& name,
        CIMType type,
        const CIMName& classOrigin = CIMName(),
        Boolean propagated = false);
    ~CIMConstMethod();
    CIMConstMethod& operator=(const CIMConstMethod& x);
    CIMConstMethod& operator=(const CIMMethod& x);

    const CIMName& getName() const;
    CIMType getType() const;
    const CIMName& getClassOrigin() const;
    Boolean getPropagated() const;
    Uint32 findQualifier(const CIMName& name) const;
    CIMConstQualifier getQualifier(Uint32 index) const;
    Uint32 getQualifierCount() const;
    Uint32 findParameter(const CIMName& name) const;
    CIMConstParameter getParameter(Uint32 index) const;
    Uint32 getParameterCount() const;
    Boolean isUninitialized() const;
    Boolean identical(const CIMConstMethod& x) const;
    CIMMethod clone() const;

private:
    std::shared_ptr<CIMMethodRep> _rep;

    friend class CIMMethod;
    friend struct CIMHandleAccess;
};

PEGASUS_NAMESPACE_END

#endif
