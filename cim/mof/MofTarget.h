// MofTarget: where compiled declarations go.  The compiler only ever talks
// to a target, so the same compiler loads a running CIM server (ClientTarget),
// an in-memory store (InMemoryTarget, for tests and for the check-only and
// XML modes), or anything else that implements these calls.
//
// Failures: a target reports what a CIM server would, by throwing
// CIMException with the server's status code (CIM_ERR_ALREADY_EXISTS for a
// class or instance that is already there, CIM_ERR_INVALID_SUPERCLASS, ...).
// A failure of the target itself (the server went away, a broken response)
// is thrown as TargetError and ends the compilation.
//
// Thread safety: none required; the compiler uses a target from one thread.
#ifndef PEGASUS_MOF_TARGET_H
#define PEGASUS_MOF_TARGET_H

#include <Pegasus/Common/CIMClass.h>
#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMQualifierDecl.h>

#include <stdexcept>

namespace Pegasus {
namespace Mof {

class TargetError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class MofTarget
{
public:
    virtual ~MofTarget() = default;

    // Makes sure the namespace exists, creating it (empty) if it does not.
    virtual void ensureNamespace(const CIMNamespaceName& ns) = 0;

    // Creates or replaces a qualifier declaration.
    virtual void setQualifier(const CIMNamespaceName& ns, const CIMQualifierDecl& decl) = 0;

    // The declaration, or an uninitialized handle if there is none (also
    // when the namespace does not exist).
    virtual CIMQualifierDecl findQualifier(const CIMNamespaceName& ns, const CIMName& name) = 0;

    virtual void createClass(const CIMNamespaceName& ns, const CIMClass& cls) = 0;
    virtual void modifyClass(const CIMNamespaceName& ns, const CIMClass& cls) = 0;

    // The class with its inherited properties and methods (each carrying
    // its class origin), or an uninitialized handle if there is none.
    virtual CIMClass findClass(const CIMNamespaceName& ns, const CIMName& name) = 0;

    // Returns the new instance's path.
    virtual CIMObjectPath createInstance(const CIMNamespaceName& ns, const CIMInstance& inst) = 0;
};

}  // namespace Mof
}  // namespace Pegasus

#endif
