// Loader: turns parsed declarations into CIM objects and hands them to a
// MofTarget.
//
// What it checks before anything reaches the target: every qualifier is
// declared (in the target namespace or earlier in this compilation), is
// allowed where it is used (its declaration's scope) and has a value of the
// declared type; values fit the types they are assigned to; instance
// properties exist in their class; aliases are defined before use.  The
// qualifier's flavor is the declaration's, adjusted by any flavor given
// where the qualifier is used.
//
// Errors are reported to the Diagnostics (one line each, with the location);
// the loader hooks itself into them (Diagnostics::setBeforeMessage) for as
// long as it exists;
// after the first error of any kind nothing more is written to the target,
// but declarations are still checked so that further errors are reported.
// A class or instance that already exists is a warning, not an error (a
// class is modified instead when LoaderOptions::allowClassUpdate is set).
// TargetError thrown by the target (the server went away) is not caught
// here.
//
// Not thread-safe.
#ifndef PEGASUS_MOF_LOADER_H
#define PEGASUS_MOF_LOADER_H

#include "MofDiagnostics.h"
#include "MofSyntax.h"
#include "MofTarget.h"

#include <Pegasus/Common/CIMName.h>

#include "NameFolding.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace Pegasus {
namespace Mof {

struct LoaderOptions
{
    bool allowClassUpdate = false;     // cimmof -uc
    bool allowExperimental = false;    // -aE (with -uc)
    bool allowVersionChange = false;   // -aV (with -uc)
};

class Loader
{
public:
    Loader(MofTarget& target, Diagnostics& diagnostics, LoaderOptions options = LoaderOptions());
    ~Loader();
    Loader(const Loader&) = delete;
    Loader& operator=(const Loader&) = delete;

    // Instances are handed to the target as queued calls
    // (MofTarget::createInstanceQueued) when nothing else depends on their
    // outcome; the target performs them before any other call, and before
    // any message reaches the diagnostics, so that both the server and the
    // messages see everything in the order of the MOF.  finish() performs
    // what is still queued; call it when the compilation is over.  Throws
    // TargetError.
    void finish();

    // Switches the namespace that later declarations go to, creating it in
    // the target (while writing).  Throws CIMException if that fails.
    void setNamespace(const CIMNamespaceName& ns);
    const CIMNamespaceName& currentNamespace() const { return _ns; }

    void qualifierDecl(const QualifierDeclSpec& spec);
    void classDecl(const ClassSpec& spec);
    void instanceDecl(const InstanceSpec& spec);

    // False once any error has been reported.
    bool writing() const { return _diagnostics.errorCount() == 0; }

private:
    struct Failure
    {
        std::string message;
        Location where;
    };

    CIMClass buildClass(const ClassSpec& spec);
    CIMInstance buildInstance(const InstanceSpec& spec, CIMClass& cls);
    CIMQualifier qualifier(const QualifierSpec& spec, std::uint32_t scope, const char* element);
    void addQualifiers(const std::vector<QualifierSpec>& specs, std::uint32_t scope,
                       const char* element, const std::function<void(const CIMQualifier&)>& add);
    CIMQualifierDecl declaration(const std::string& name);
    CIMClass classFor(const std::string& name);
    void updateClass(const CIMClass& cls, const Location& where);
    // Reports the failure of a CreateInstance; true when it is only a
    // warning (the instance already exists).
    bool instanceFailed(const CIMException& e, const std::string& className,
                        const Location& where);
    bool lookupAlias(const std::string& alias, CIMObjectPath& path) const;
    void defineAlias(const std::string& alias, const CIMObjectPath& path, const Location& where);
    void report(const Failure& failure);
    // writing(), once the queued calls are performed: checked before every
    // call whose outcome the loader waits for.
    bool mayWrite();

    MofTarget& _target;
    Diagnostics& _diagnostics;
    LoaderOptions _options;
    CIMNamespaceName _ns;
    std::string _nsKey;
    // Declarations made in this compilation, by lower-case "ns:name"; they
    // are known even when nothing is written (after an error, or when
    // checking only).
    std::map<std::string, CIMQualifierDecl> _declared;
    // Classes as the target returned them (with inherited members), for
    // typing instance properties; by lower-case "ns:name".
    std::map<std::string, CIMClass> _classes;
    std::map<std::string, CIMObjectPath> _aliases;
};

}  // namespace Mof
}  // namespace Pegasus

#endif
