// InMemoryTarget: a MofTarget that keeps everything in memory and checks
// what a CIM server's repository would: the namespace exists, a class is
// not created twice and its superclass exists, an instance's class exists
// and its key properties are all set, no two instances share a path.
//
// Used by the tests, and by cimmof for -E (check only) and --xml, where it
// may read through to another target (the server) for qualifier
// declarations and classes it does not hold itself; writes never go there.
//
// Not thread-safe.
#ifndef PEGASUS_MOF_INMEMORY_TARGET_H
#define PEGASUS_MOF_INMEMORY_TARGET_H

#include "MofTarget.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace Pegasus {
namespace Mof {

class InMemoryTarget : public MofTarget
{
public:
    InMemoryTarget() = default;

    // Lookups that find nothing here are answered by `fallback` (not owned,
    // may be null, must outlive this target).
    void setFallback(MofTarget* fallback) { _fallback = fallback; }

    void ensureNamespace(const CIMNamespaceName& ns) override;
    void setQualifier(const CIMNamespaceName& ns, const CIMQualifierDecl& decl) override;
    CIMQualifierDecl findQualifier(const CIMNamespaceName& ns, const CIMName& name) override;
    void createClass(const CIMNamespaceName& ns, const CIMClass& cls) override;
    void modifyClass(const CIMNamespaceName& ns, const CIMClass& cls) override;
    CIMClass findClass(const CIMNamespaceName& ns, const CIMName& name) override;
    CIMObjectPath createInstance(const CIMNamespaceName& ns, const CIMInstance& inst) override;

    // Inspection.  Classes are returned as they were created (local
    // members only); findClass() gives the resolved form.
    bool hasNamespace(const CIMNamespaceName& ns) const;
    std::vector<CIMQualifierDecl> qualifiers(const CIMNamespaceName& ns) const;
    std::vector<CIMName> classNames(const CIMNamespaceName& ns) const;   // creation order
    CIMClass localClass(const CIMNamespaceName& ns, const CIMName& name) const;
    std::vector<CIMInstance> instances(const CIMNamespaceName& ns) const;

private:
    struct Namespace
    {
        std::map<std::string, CIMQualifierDecl> qualifiers;
        std::vector<std::string> qualifierOrder;
        std::map<std::string, CIMClass> classes;
        std::vector<std::string> classOrder;
        std::vector<CIMInstance> instances;
        std::set<std::string> instancePaths;
    };

    Namespace& existing(const CIMNamespaceName& ns);
    const Namespace* find(const CIMNamespaceName& ns) const;
    CIMClass resolve(const CIMNamespaceName& ns, const CIMName& name, unsigned depth);

    std::map<std::string, Namespace> _namespaces;
    MofTarget* _fallback = nullptr;
};

}  // namespace Mof
}  // namespace Pegasus

#endif
