// A started plug-in namespace for the benchmarks: a temporary root whose
// pegasus/{bin,lib,pegSchema} point at the staged server programs, made the
// working directory (the plug-in's root) for the object's life, the
// namespace's start-up sleeps skipped, and the namespace allocated through
// the "pegasus" provider as a host does.  The destructor releases the
// namespace (which stops its server) and removes the root.
//
// A benchmark that fills the root first (vendor provider directories) or
// times the start itself makes the object with a Setup and calls start().
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
    struct Setup
    {
        // The plug-in's module directory (where it discovers providers
        // below pegasus/provider and reads the server schema) is the root
        // too, for the object's life, so that only the providers the
        // benchmark writes there are registered; otherwise it stays the
        // directory of the loaded plug-in library, whose pegasus/provider
        // holds the sample providers.
        bool moduleDirIsRoot = true;
        // Replaces TPEGASUSNamespace::SystemCalls().sleep for the object's
        // life; null: a sleep that returns at once.
        unsigned int (*sleep)(unsigned int seconds) = nullptr;
    };

    // `stagedPegasus` is the staging tree's pegasus folder; `consumer`
    // names the server's start file (keep it unique per process).  Throws
    // std::runtime_error when the tree is not staged or the namespace does
    // not connect.
    BenchNamespaceRoot(const std::string& stagedPegasus, const std::string& consumer);
    // The root made and made the working directory, the namespace not
    // started yet: fill path(), then call start().
    BenchNamespaceRoot(const std::string& stagedPegasus, const std::string& consumer,
                       const Setup& setup);
    ~BenchNamespaceRoot();

    BenchNamespaceRoot(const BenchNamespaceRoot&) = delete;
    BenchNamespaceRoot& operator=(const BenchNamespaceRoot&) = delete;

    // Allocates the namespace as a host does (AllocateNamespace: the server
    // started, the providers registered).  Throws std::runtime_error when
    // it does not connect; the object then still releases what it made.
    void start();

    const boost::shared_ptr<NQRVKTA20::TPEGASUSNamespace>& ns() const { return _namespace; }
    const std::string& path() const { return _root; }

    // Drops the provider's and this object's references to the namespace
    // and to the host's repository namespace; the namespace goes (and its
    // server stops) when nobody else holds it.  Called by the destructor.
    void release();

private:
    std::string _root;
    std::string _consumer;
    std::string _oldModuleDir;
    bool _moduleDirSet = false;
    std::filesystem::path _oldCwd;
    NQRVKTA20::TPEGASUSNamespace::TSystemCalls _oldCalls;
    boost::shared_ptr<NQRVKTA20::ICIMNamespace> _repository;
    boost::shared_ptr<NQRVKTA20::TPEGASUSNamespace> _namespace;
};

}  // namespace bench

#endif
