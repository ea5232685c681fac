// A started plug-in namespace for the benchmarks: a temporary root whose
// pegasus/{bin,lib,pegSchema} point at the staged server programs, made the
// working directory (the plug-in's root) for the object's life, the
// namespace's start-up sleeps skipped, and the namespace allocated through
// the "pegasus" provider as a host does.  The destructor releases the
// namespace (which stops its server) and removes the root.
#ifndef KTA_BENCH_NAMESPACE_BENCHNAMESPACEROOT_H
#define KTA_BENCH_NAMESPACE_BENCHNAMESPACEROOT_H

#include <filesystem>
#include <string>

#include <boost/shared_ptr.hpp>

#include "ICIMNamespace.h"
#include "TPEGASUSNamespace.h"

namespace bench {

class BenchNamespaceRoot
{
public:
    // `stagedPegasus` is the staging tree's pegasus folder; `consumer`
    // names the server's start file (keep it unique per process).  Throws
    // std::runtime_error when the tree is not staged or the namespace does
    // not connect.
    BenchNamespaceRoot(const std::string& stagedPegasus, const std::string& consumer);
    ~BenchNamespaceRoot();

    BenchNamespaceRoot(const BenchNamespaceRoot&) = delete;
    BenchNamespaceRoot& operator=(const BenchNamespaceRoot&) = delete;

    const boost::shared_ptr<NQRVKTA20::TPEGASUSNamespace>& ns() const { return _namespace; }
    const std::string& path() const { return _root; }

    // Drops the provider's and this object's references to the namespace
    // and to the host's repository namespace; the namespace goes (and its
    // server stops) when nobody else holds it.  Called by the destructor.
    void release();

private:
    std::string _root;
    std::filesystem::path _oldCwd;
    NQRVKTA20::TPEGASUSNamespace::TSystemCalls _oldCalls;
    boost::shared_ptr<NQRVKTA20::ICIMNamespace> _repository;
    boost::shared_ptr<NQRVKTA20::TPEGASUSNamespace> _namespace;
};

}  // namespace bench

#endif
