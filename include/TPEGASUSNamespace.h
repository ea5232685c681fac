// TPEGASUSNamespace: the CIM namespace this plug-in gives the host.  Its
// content comes from a private CIM server that the namespace starts from the
// installation below the host's working directory, configures, connects to,
// and stops again when it is destroyed.
//
// Installation layout (R = the root, the process's working directory at
// construction; M = the module directory of the library):
//   R/pegasus                 PEGASUS_HOME of every child program
//   R/pegasus/bin/{cimserver,cimconfig,cimmof}
//   R/pegasus/lib             the server's libraries
//   R/pegasus/repository      the server's repository, removed before every
//                             start and after the stop
//   R/pegasus/provider/<name> vendor provider directories
//   M/pegasus/pegSchema/PG_Internal/PG_Internal.mof,
//   M/pegasus/pegSchema/PG_InterOp/PG_InterOp.mof   loaded at start-up
//   /var/tmp/cimserverqrv_tc_<consumer>_start.conf  process id of the
//                             consumer's server, written by the server
//
// Child programs run through TOSSpecific::SpawnProcess with an environment of
// exactly three entries (PEGASUS_HOME, LD_LIBRARY_PATH, PATH; see
// GetEnvironment) and the time limit 32767; their output is logged on the
// core logger (severity 3) and their exit status is not examined.
//
// Ownership: always held by a boost::shared_ptr (children get
// shared_from_this()).  Owns its CIM client.  Keeps the host's repository
// namespace strongly and the upcall namespace weakly.  The destructor stops
// the server ("cimserver -s", 3 s, kill of a server still named in the start
// file) and removes the repository; it never throws.
//
// Failures are thrown as TKTAException with the host status codes given at
// each operation.
//
// Thread safety: none.  Start-up, the server-management steps and
// destruction run on one thread; they block it for the sleeps stated below.
#ifndef NQRVKTA20_TPEGASUSNAMESPACE_H
#define NQRVKTA20_TPEGASUSNAMESPACE_H

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/types.h>

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <boost/enable_shared_from_this.hpp>
#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include "ICIMNamespace.h"
#include "TCIMContext.h"

namespace Pegasus {
class CIMClass;
class CIMClient;
class String;
}

namespace NQRVKTA20 {

class TPEGASUSClass;
class TPEGASUSProvider;
class TPEGASUSQualifierDecl;

class TPEGASUSNamespace : public ICIMNamespace,
                          public boost::enable_shared_from_this<TPEGASUSNamespace> {
public:
    // Name patterns of the files in a provider directory.
    static const std::string kClassesExtension;        // ".classes.xml"
    static const std::string kSpecificationExtension;  // ".properties.mof"
    static const std::string kRegistrationExtension;   // ".registration.mof"

    // Reads the root (GetKTARootPath) and fixes the server program path and
    // the child environment.  The context must hold "repository": a kUint64
    // value whose number is the address of a
    // boost::shared_ptr<ICIMNamespace> owned by the caller, copied here;
    // when it is missing, of another type or zero, throws TKTAException 38.
    // An "upcall" entry of the same form is kept weakly.  `nameSpace` is not
    // kept.  No server work happens here.
    TPEGASUSNamespace(TCIMContext context, std::string nameSpace);
    ~TPEGASUSNamespace() override;

    TPEGASUSNamespace(TPEGASUSNamespace const&) = delete;
    TPEGASUSNamespace& operator=(TPEGASUSNamespace const&) = delete;

    // --- ICIMNamespace -------------------------------------------------

    // The "pegasus" provider singleton.
    boost::shared_ptr<INamespaceProvider> GetNamespaceProvider(
        TCIMContext context) const override;
    // Replaces the weakly kept upcall namespace.
    void SetUpcallNamespace(boost::shared_ptr<ICIMNamespace> upcall,
                            TCIMContext context) override;
    // Throws TKTAException 31.
    void AddUnderlyingNamespace(boost::shared_ptr<ICIMNamespace> underlying,
                                TCIMContext context) override;
    // Always an empty pointer: classes are made by the namespace itself
    // (the five-argument form).
    boost::shared_ptr<ICIMClass> AllocateClass(std::string const& name,
                                               boost::shared_ptr<ICIMClass> parent,
                                               TCIMContext context) override;
    // The class of that name, in any letter case; never throws.  "" and
    // "<root>" give the root class.  A class not registered yet is read from
    // the server namespace of the context entry "nsp" (default
    // "root/cimv2"; "timeout", default strTimeout, is handed to the class),
    // after its superclass chain, top-most first, and registered; each
    // class is read once in the namespace's life.  Empty when the namespace
    // is not connected, the name is invalid, "nsp" or "timeout" is not a
    // string, or the server cannot deliver the class or a superclass.
    boost::shared_ptr<ICIMClass> GetClass(std::string const& name,
                                          TCIMContext context) override;
    // The root class's subclasses, deep, when connected; otherwise nothing.
    void EnumerateRootClasses(TClassCallback const& callback,
                              TCIMContext context) override;
    // No providers are registered yet: the callback is never called.
    void EnumerateProviders(TProviderCallback const& callback,
                            TCIMContext context) override;
    // A new TPEGASUSQualifierDecl of this namespace; not registered.
    boost::shared_ptr<ICIMQualifierDecl> AllocateQualifierDecl(
        std::string const& name, TCIMValue const& defaultValue,
        ICIMQualifierDecl::EScope scope, ICIMQualifierDecl::EFlavor flavor,
        TCIMContext context) override;
    // The upcall namespace's declaration of that name; when there is no
    // upcall namespace, or it has none, the one registered here (any letter
    // case); else empty.
    boost::shared_ptr<ICIMQualifierDecl> GetQualifierDecl(
        std::string const& name, TCIMContext context) const override;
    // The registered declarations in order of their lower-cased names;
    // stops at the first false.
    void EnumerateQualifierDecls(TQualifierDeclCallback const& callback,
                                 TCIMContext context) const override;
    // Throws TKTAException 1.
    void Subscribe(boost::shared_ptr<ICIMIndicationFilter> filter,
                   TIndicationCallback const& callback, TCIMContext context) override;
    // The reference's class (GetClass) answers through its GetInstance;
    // empty when the class cannot be had.
    boost::shared_ptr<ICIMInstance> GetInstance(TCIMReference const& reference,
                                                TCIMContext context) const override;
    // The next three are handed to the repository namespace unchanged.
    void DeleteInstance(TCIMReference const& reference, TCIMContext context) override;
    void ModifyInstance(TCIMReference const& reference, TCIMContext properties,
                        TCIMContext context) override;
    void ExecuteQuery(TInstanceCallback const& callback, std::string& language,
                      std::string& query, TCIMContext context) override;
    // Does nothing.
    void ClearInstances() override;

    // A new TPEGASUSClass named `name`, below `parent` (the root class when
    // empty), initialised from the server namespace `nsp` with the time-out
    // text `timeout` (TPEGASUSClass::Initialize, whose exceptions pass
    // through); not registered.
    virtual boost::shared_ptr<ICIMClass> AllocateClass(std::string const& name,
                                                       std::string const& nsp,
                                                       std::string const& timeout,
                                                       boost::shared_ptr<ICIMClass> parent,
                                                       TCIMContext const& context);
    // Does nothing and returns this namespace.
    virtual ICIMNamespace& operator=(ICIMNamespace& other);

    // --- Class and qualifier-declaration registries ----------------------
    // Enter the object under its lower-cased name.  A name registered
    // already leaves the registry unchanged, logs "TPEGASUSNamespace: class
    // <name> already defined" (respectively "qualifier") at severity 3 and
    // throws TKTAException 16.
    void AddClass(boost::shared_ptr<TPEGASUSClass> cls);
    void AddQualifierDecl(boost::shared_ptr<TPEGASUSQualifierDecl> decl);
    // The artificial root class "<root>" (empty before Initialize).
    boost::shared_ptr<TPEGASUSClass> GetRootClass() const { return fRootClass; }
    std::map<std::string, boost::shared_ptr<TPEGASUSClass>> const& GetClasses() const
    {
        return fClasses;
    }
    // The definition GetClass has just read for class `name` of server
    // namespace `nsp`, handed over once to the class being built so that
    // it need not be read again; null when there is none.
    boost::shared_ptr<Pegasus::CIMClass> TakeFetchedClass(std::string const& nsp,
                                                          std::string const& name);

    // --- Start-up and connection ----------------------------------------

    // Brings up the private server.  Sets the consumer from the context
    // entry "consumer" (any type, its text; default "wexlo"), then makes up
    // to six attempts of: cleanCimserver, closeCimserver(false),
    // getAvailablePort, callCimserver, Init, connect(127.0.0.1, port).  A
    // TKTAException ends an attempt (logged at severity 0 with
    // " try to restart cimserver <n>", then 1 s of sleep); other exceptions
    // pass through.  Whether or not an attempt succeeded it then loads the
    // two server schema files with cimmof and runs preConfig; their
    // exceptions pass through.  Costs at least 4 s per attempt.
    void Initialize(TCIMContext context);
    // Creates the CIM client if there is none and sets its time-out to
    // 10000 ms.  A client failure throws TKTAException 42.
    void Init();
    // Connects the client (Init must have run).  Returns at once when
    // connected already; otherwise up to three tries, each followed on
    // failure by 1 s of sleep; after the third failure throws
    // TKTAException 42.
    void connect(std::string const& host, uint32_t port, std::string const& user,
                 std::string const& password);
    // Connects `client` in up to three tries (time-out 65535000 ms before
    // each), logging "<owner>::connect succeeded \n" or, per failed try,
    // "<owner>::connect failed: <message> try to reconnect <n>" and 1 s of
    // sleep; after the third failure throws TKTAException 42.  The
    // namespace's and the providers' clients connect this way.
    static void ConnectClient(Pegasus::CIMClient& client, std::string const& owner,
                              std::string const& host, uint32_t port, std::string const& user,
                              std::string const& password);
    // closeCimserver(true), then cleanCimserver(); exceptions pass through.
    void cleanup();

    // The system calls of start-up and shut-down that can fail or block:
    // tests replace entries to make them fail or return at once.  Each has
    // the signature and errno behaviour of the call it names.
    struct TSystemCalls {
        unsigned int (*sleep)(unsigned int seconds);
        int (*system)(const char* command);
        int (*socket)(int domain, int type, int protocol);
        int (*bind)(int fd, const sockaddr* address, socklen_t length);
        int (*close)(int fd);
        int (*kill)(pid_t pid, int signal);
        // Ends the process; a replacement may throw instead.
        void (*exit)(int status);
    };
    // The table in use (initially the real calls) and the real calls.
    static TSystemCalls& SystemCalls();
    static const TSystemCalls& RealSystemCalls();

    // Discovers the vendor providers (one per requested-class file below
    // M/pegasus/provider, in sorted path order), compiles their MOF files
    // into the server (one thread per provider when the host configuration
    // "pegasus_multi_thread" is "on") and binds each requested class to its
    // provider.  A requested-class file that cannot be read is logged and
    // skipped; a provider root that cannot be listed throws TKTAException
    // 11.
    void FindProviders();
    // Leaves the list unchanged.
    void filterProviders(std::vector<std::string>& files);
    // Does nothing.
    void undoProvidersSetup();

    // The lower-case form of a CIM name (registries are keyed by it).  The
    // name must be empty or start with "_" or a letter followed by "_",
    // letters and digits; otherwise logs "PEGASUS: CIM name '<name>' is
    // invalid" (severity 0) and throws TKTAException 25.
    static std::string NormalizeName(std::string const& name);
    // A server text as UTF-8 (empty for a null text).
    static std::string PegasusText(Pegasus::String const& text);
    // Sets `out` to the text and returns true when every character is
    // ASCII (1 to 0x7F), the case of nearly every server text; false (and
    // `out` unspecified) otherwise.  Those texts read the same in every
    // 8-bit form, so callers need no conversion for them.
    static bool PegasusAsciiText(Pegasus::String const& text, std::string& out);

    // The client (null before Init); owned by the namespace.
    Pegasus::CIMClient* getPegClient() const { return fPegClient.get(); }
    bool isConnected() const { return fConnected; }
    // The upcall namespace, or empty when none was given or it is gone.
    boost::shared_ptr<ICIMNamespace> GetUpcallNamespace() const;

    // --- Installation layout and server configuration --------------------

    // The process's working directory (empty when it cannot be read).
    static std::string GetKTARootPath();
    std::string const& GetRootPath() const { return fRootPath; }
    // R + "/pegasus/bin/cimserver".
    std::string const& GetCimserverPath() const { return fCimserverPath; }
    // The whole environment of every child: "PEGASUS_HOME=R/pegasus",
    // "LD_LIBRARY_PATH=R/pegasus/lib:R:<six provider directories>",
    // "PATH=<this process's PATH at construction>:R:R/pegasus/provider/mellanox".
    std::vector<std::string> const& GetEnvironment() const { return fEnvironment; }
    // The component using the namespace; Initialize sets it from the
    // context.  It names the start file.
    std::string const& GetConsumer() const { return fConsumer; }
    void SetConsumer(std::string const& consumer) { fConsumer = consumer; }
    // "/var/tmp/cimserverqrv_tc_" + consumer + "_start.conf".
    std::string GetStartFilePath() const;
    // The server's HTTP port: 5988 until a start attempt chooses one.
    uint16_t GetPort() const { return fPort; }

    // Runs "cimconfig -s providerDir=provider/<d1>:provider/<d2>:..." for
    // the subdirectories of R/pegasus/provider/ in listing order.  A provider
    // root that cannot be listed throws TKTAException 11.
    void callCimconfig();
    // callCimconfig, then rewrites R/pegasus/provider/lsi_mir/lsi_mr.conf and
    // removes R/pegasus/provider/brocade/libdbfaj.so unless "bcu -v" prints
    // "3.0.0".  Exceptions of callCimconfig pass through.
    void preConfig();
    // Removes R/pegasus/repository and the lsi_mir provider's repository.xml.
    void cleanCimserver();

    // --- Server process lifecycle ----------------------------------------

    // 5988 when it can be bound on 127.0.0.1, else the highest bindable port
    // from 65535 down to 1024, probed with one socket that is closed again.
    // A socket that cannot be opened throws TKTAException 42 (the system
    // error in its detail; nothing logged).  When no port is free the
    // process ends through SystemCalls().exit(1).
    uint16_t getAvailablePort();
    // Starts "cimserver httpPort=<port> enableHttpsConnection=false
    // enableAuthentication=false", then sleeps 1 s.  A program that cannot
    // be run throws TKTAException.
    void callCimserver(uint16_t port);
    // With `stop`, first runs "cimserver -s" (a program that cannot be run
    // throws TKTAException).  Then sleeps 3 s and kills a residual server.
    void closeCimserver(bool stop);
    // Kills the process named in the start file if it is a live cimserver
    // process, then removes the start file.
    void killResidualCimserver();
    // Whether "ps -e" lists `pid` on a line naming cimserver.
    bool isResidualCimserver(int pid);
    // Sends SIGKILL to `pid`.
    void teminateCimserver(int pid);

    // --- Provider files and registration ---------------------------------

    // Runs "cimmof -n <ns> -aE <mofFile>".  A program that cannot be run
    // throws TKTAException.
    void callCimmof(std::string const& ns, std::string const& mofFile);
    // Names of the subdirectories of `dir` in listing order ("." and ".."
    // left out).  Throws TKTAException 11 when `dir` cannot be listed.
    std::vector<std::string> FindSubDirs(std::string const& dir);
    // Full paths of the files one level below `root` whose names contain
    // `pattern`, sorted.  TKTAException 11 when a directory cannot be
    // listed.
    std::vector<std::string> FindXmlFiles(std::string const& root, std::string const& pattern);
    // Full paths of the files of `dir` whose names contain `pattern`, in
    // listing order.  TKTAException 11 when `dir` cannot be listed.
    std::vector<std::string> FindMofFiles(std::string const& dir, std::string const& pattern);
    // FindMofFiles of the directory part of `file`; TKTAException 3 when
    // the path has no "/".
    std::vector<std::string> BuildMofPath(std::string const& file, std::string const& pattern);
    // Builds the provider of one requested-class file and appends it to the
    // provider list (nothing when a provider of that file exists).
    void prepareRegProvider(std::string const& xmlPath);
    // Compiles the provider's property MOF files into its namespace, then
    // its registration MOF files into "root/PG_InterOp".
    void regProvider(std::string const& path, boost::shared_ptr<TPEGASUSProvider> provider);
    // Reads each requested class of the provider (GetClass), binds it to
    // the provider, hands the provider its classes and connects the
    // provider's own client.
    void finishRegProvider(std::string const& path, boost::shared_ptr<TPEGASUSProvider> provider);
    // The registered providers, in the order they were built.
    std::list<boost::shared_ptr<TPEGASUSProvider>>& GetProvidersContainer() { return fProviders; }

    // --- Requested-class files -------------------------------------------
    // Reads one requested-class file: `classes` receives its class entries
    // in document order, `information` its settings ("nsp", "timeout" and
    // "module" always present afterwards, possibly empty; "diagnosticonly"
    // when set).  A file that cannot be opened leaves both unchanged.
    // Throws TKTAException 4 when no buffer can be had for the file.
    void parseProvider(std::string const& path, std::vector<std::string>& classes,
                       std::map<std::string, std::string>& information);
    // The class name of a class entry ("Name[120]%^CDM^%"); records the
    // entry's time-out under "TimeOut" and its non-empty tag under "Tag".
    std::string filterTag4classes(std::string& entry, std::map<std::string, std::string>& tags);
private:
    boost::shared_ptr<ICIMNamespace> fRepository;
    std::string fRootPath;
    std::string fCimserverPath;
    std::vector<std::string> fEnvironment;
    std::list<boost::shared_ptr<TPEGASUSProvider>> fProviders;
    boost::weak_ptr<ICIMNamespace> fUpcallNamespace;
    bool fConnected;
    uint16_t fPort;
    std::string fHost;
    std::string fPortText;
    std::map<std::string, boost::shared_ptr<TPEGASUSClass>> fClasses;
    std::map<std::string, boost::shared_ptr<TPEGASUSQualifierDecl>> fQualifierDecls;
    // Definitions read by GetClass whose classes are being built, by server
    // namespace and lower-cased class name.
    std::map<std::string, boost::shared_ptr<Pegasus::CIMClass>> fFetchedClasses;
    std::unique_ptr<Pegasus::CIMClient> fPegClient;
    boost::shared_ptr<TPEGASUSClass> fRootClass;
    std::string fConsumer;
};

} // namespace NQRVKTA20

#endif
