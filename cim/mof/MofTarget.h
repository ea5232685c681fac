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

#include <Pegasus/Common/Exception.h>

#include <functional>
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

    // The outcome of a queued call: null for success, else its error.
    typedef std::function<void(const CIMException* error)> Outcome;

    // Calls whose outcome is not needed at once: a target may queue them
    // and send several together.  `done` gets the outcome, in the order of
    // the calls, at the latest from flush().  A queued call is performed
    // only if every queued call before it succeeded or failed with
    // CIM_ERR_ALREADY_EXISTS; calls not performed get no outcome.  Every
    // other call of the target performs the queued calls first.  These
    // implementations perform the call at once.
    virtual void setQualifierQueued(const CIMNamespaceName& ns, const CIMQualifierDecl& decl,
                                    const Outcome& done)
    {
        now([&] { setQualifier(ns, decl); }, done);
    }
    virtual void createClassQueued(const CIMNamespaceName& ns, const CIMClass& cls,
                                   const Outcome& done)
    {
        now([&] { createClass(ns, cls); }, done);
    }
    virtual void createInstanceQueued(const CIMNamespaceName& ns, const CIMInstance& inst,
                                      const Outcome& done)
    {
        now([&] { createInstance(ns, inst); }, done);
    }

    // Performs the queued calls and delivers their outcomes.  Throws
    // TargetError.
    virtual void flush() {}

private:
    template <class Call>
    static void now(Call call, const Outcome& done)
    {
        try
        {
            call();
        }
        catch (const CIMException& e)
        {
            done(&e);
            return;
        }
        done(nullptr);
    }
};

}  // namespace Mof
}  // namespace Pegasus

#endif
