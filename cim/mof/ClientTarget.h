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
// With useBatches(), queued calls (SetQualifier, CreateClass,
// CreateInstance) go to the server together, as multiple-operation
// requests of up to kMaxBatchCalls calls or about kMaxBatchBytes, over the
// batch client's own connection; the server stops at the first call that
// fails other than with CIM_ERR_ALREADY_EXISTS.  Every other call sends
// what is queued first, so the server sees the operations in their
// original order.  A full batch is sent from a thread of its own while the
// compiler goes on; its outcomes are delivered by the next flush() (or
// the next full batch), before anything more is sent; calls queued after
// one the server stopped at are dropped.
//
// Errors: the server's CIMException passes through; every other client
// exception (connection lost, time-out, bad response) becomes TargetError.
// The client is not owned and must stay connected while the target is used.
// Not thread-safe.
#ifndef PEGASUS_MOF_CLIENT_TARGET_H
#define PEGASUS_MOF_CLIENT_TARGET_H

#include "MofTarget.h"

#include <Pegasus/Client/CIMClient.h>

#include "CimXmlMessages.h"

#include <future>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace Pegasus {

class CimBatchClient;

namespace Mof {

class ClientTarget : public MofTarget
{
public:
    explicit ClientTarget(CIMClient& client);
    // Waits for a batch still in flight (its outcomes are dropped).
    ~ClientTarget() override;

    static const std::size_t kMaxBatchCalls = 200;
    static const std::size_t kMaxBatchBytes = 256 << 10;

    // Queued calls go through `batch` (connected to the same server as the
    // client; not owned, must outlive the target).  Null: every call goes
    // alone through the client, at once.
    void useBatches(CimBatchClient* batch);

    void ensureNamespace(const CIMNamespaceName& ns) override;
    void setQualifier(const CIMNamespaceName& ns, const CIMQualifierDecl& decl) override;
    CIMQualifierDecl findQualifier(const CIMNamespaceName& ns, const CIMName& name) override;
    void createClass(const CIMNamespaceName& ns, const CIMClass& cls) override;
    void modifyClass(const CIMNamespaceName& ns, const CIMClass& cls) override;
    CIMClass findClass(const CIMNamespaceName& ns, const CIMName& name) override;
    CIMObjectPath createInstance(const CIMNamespaceName& ns, const CIMInstance& inst) override;
    void setQualifierQueued(const CIMNamespaceName& ns, const CIMQualifierDecl& decl,
                            const Outcome& done) override;
    void createClassQueued(const CIMNamespaceName& ns, const CIMClass& cls,
                           const Outcome& done) override;
    void createInstanceQueued(const CIMNamespaceName& ns, const CIMInstance& inst,
                              const Outcome& done) override;
    void flush() override;

private:
    void queue(CimXmlRequest request, const Outcome& done);
    // Waits for the batch in flight and delivers its outcomes.
    void collect();
    void deliver(const std::vector<CimXmlResponse>& responses,
                 const std::vector<Outcome>& outcomes);

    struct QualifierCache
    {
        bool loaded = false;
        bool complete = false;     // the enumeration worked: misses are final
        std::map<std::string, CIMQualifierDecl> decls;
        std::set<std::string> missing;
    };

    QualifierCache& cache(const CIMNamespaceName& ns);

    CIMClient& _client;
    CimBatchClient* _batch = nullptr;
    std::vector<CimXmlRequest> _queued;
    std::vector<Outcome> _outcomes;
    std::size_t _queuedBytes = 0;
    std::future<std::vector<CimXmlResponse>> _inFlight;
    std::vector<CimXmlRequest> _inFlightCalls;
    std::vector<Outcome> _inFlightOutcomes;
    bool _delivering = false;
    std::map<std::string, QualifierCache> _qualifiers;
};

}  // namespace Mof
}  // namespace Pegasus

#endif
