// CIMParameter and CIMConstParameter: a parameter of a method declaration
// (name, type, array-ness, reference class) and its qualifiers.
//
// Handles, with the sharing, uninitialized-use and threading rules told in
// CIMQualifier.h; qualifier lookups as in CIMProperty.h.
#ifndef Pegasus_CIMParameter_h
#define Pegasus_CIMParameter_h

#include <memory>

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/CIMType.h>
#include <Pegasus/Common/CIMQualifier.h>

PEGASUS_NAMESPACE_BEGIN

class CIMQualifier;
class CIMConstQualifier;
class CIMConstParameter;
class CIMParameterRep;
struct CIMHandleAccess;

class PEGASUS_COMMON_LINKAGE CIMParameter
{
public:
    // An uninitialized handle.
    CIMParameter();
    CIMParameter(const CIMParameter& x);
    // Throws UninitializedObjectException for a null name, and
    // TypeMismatchException when arraySize is not 0 for a scalar, when a
    // reference type comes without referenceClassName, or when a
    // referenceClassName comes with a type that is not a reference.
    CIMParameter(
        const CIMName& name,
        CIMType type,
        Boolean isArray = false,
        Uint32 arraySize = 0,
        const CIMName& referenceClassName = CIMName());
    ~CIMParameter();
    CIMParameter& operator=(const CIMParameter& x);

    const CIMName& getName() const;
    // Throws Exception when the parameter already belongs to a method.
    void setName(const CIMName& name);
    Boolean isArray() const;
    Uint32 getArraySize() const;
    const CIMName& getReferenceClassName() const;
    CIMType getType() const;

    CIMParameter& addQualifier(const CIMQualifier& x);
    Uint32 findQualifier(const CIMName& name) const;
    CIMQualifier getQualifier(Uint32 index);
    CIMConstQualifier getQualifier(Uint32 index) const;
    void removeQualifier(Uint32 index);
    Uint32 getQualifierCount() const;

    Boolean isUninitialized() const;
    // Same name (ignoring case), type, array-ness and size, reference class
    // and qualifiers.
    Boolean identical(const CIMConstParameter& x) const;
    CIMParameter clone() const;

private:
    explicit CIMParameter(const std::shared_ptr<CIMParameterRep>& rep);

    std::shared_ptr<CIMParameterRep> _rep;

    friend class CIMConstParameter;
    friend struct CIMHandleAccess;
};

// The read-only view of a parameter.
class PEGASUS_COMMON_LINKAGE CIMConstParameter
{
public:
    CIMConstParameter();
    CIMConstParameter(const CIMConstParameter& x);
    CIMConstParameter(const CIMParameter& x);
    CIMConstParameter(
        const CIMName& name,
        CIMType type,
        Boolean isArray = false,
        Uint32 arraySize = 0,
        const CIMName& referenceClassName = CIMName());
    ~CIMConstParameter();
    CIMConstParameter& operator=(const CIMConstParameter& x);
    CIMConstParameter& operator=(const CIMParameter& x);

    const CIMName& getName() const;
    Boolean isArray() const;
    Uint32 getArraySize() const;
    const CIMName& getReferenceClassName() const;
    CIMType getType() const;
    Uint32 findQualifier(const CIMName& name) const;
    CIMConstQualifier getQualifier(Uint32 index) const;
    Uint32 getQualifierCount() const;
    Boolean isUninitialized() const;
    Boolean identical(const CIMConstParameter& x) const;
    CIMParameter clone() const;

private:
    std::shared_ptr<CIMParameterRep> _rep;

    friend class CIMParameter;
    friend struct CIMHandleAccess;
};

PEGASUS_NAMESPACE_END

#endif
