// ClientTarget: a MofTarget that loads a running CIM server through a
// connected CIMClient.
//
// Round trips are kept to what loading needs: one CreateClass per class
// (an existing class shows as CIM_ERR_ALREADY_EXISTS; there is no GetClass
// first), one SetQualifier per declaration, one CreateInstance per
// instance.  Qualifier declarations already in the namespace are fetched
// once (EnumerateQualifiers) and remembered.  findClass() is a GetClass
// with LocalOnly=false, IncludeQualifiers and IncludeClassOrigin.
//
// Namespaces are created the way the server expects from a MOF compiler:
// CreateInstance of __NameSpace (Name "") addressed to the new namespace
// itself; a server that does not take that form is asked in the classic
// way (the parent namespace, Name = the last element).
//
// Errors: the server's CIMException passes through; every other client
// exception (connection lost, time-out, bad response) becomes TargetError.
// The client is not owned and must stay connected while the target is used.
// Not thread-safe.
#ifndef PEGASUS_MOF_CLIENT_TARGET_H
#define PEGASUS_MOF_CLIENT_TARGET_H

#include "MofTarget.h"

#include <Pegasus/Client/CIMClient.h>

#include <map>
#include <set>
#include <string>

namespace Pegasus {
namespace Mof {

class ClientTarget : public MofTarget
{
public:
    explicit ClientTarget(CIMClient& client);

    void ensureNamespace(const CIMNamespaceName& ns) override;
    void setQualifier(const CIMNamespaceName& ns, const CIMQualifierDecl& decl) override;
    CIMQualifierDecl findQualifier(const CIMNamespaceName& ns, const CIMName& name) override;
    void createClass(const CIMNamespaceName& ns, const CIMClass& cls) override;
    void modifyClass(const CIMNamespaceName& ns, const CIMClass& cls) override;
    CIMClass findClass(const CIMNamespaceName& ns, const CIMName& name) override;
    CIMObjectPath createInstance(const CIMNamespaceName& ns, const CIMInstance& inst) override;

private:
    struct QualifierCache
    {
        bool loaded = false;
        bool complete = false;     // the enumeration worked: misses are final
        std::map<std::string, CIMQualifierDecl> decls;
        std::set<std::string> missing;
    };

    QualifierCache& cache(const CIMNamespaceName& ns);

    CIMClient& _client;
    std::map<std::string, QualifierCache> _qualifiers;
};

}  // namespace Mof
}  // namespace Pegasus

#endif
