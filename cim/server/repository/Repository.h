// The CIM server's repository: namespaces, qualifier declarations, classes
// and instances, kept in one SQLite database ("repository.db") under the
// repository directory.
//
// Thread safety: every member may be called concurrently from any number
// of threads.  Writes are serialised and each is one transaction, so a
// process killed at any moment leaves a store that reopens with every
// completed write and none of the interrupted one.  Qualifier declarations
// and the class tree are kept in memory; class bodies are read from the
// database when first asked for and a bounded number of them stays cached.
// Reads run on their own database connections and do not wait for writers.
//
// One Repository object should own a directory at a time: its in-memory
// copy of the schema does not see changes made through another object.
// Another process cannot use the store while it is open here (its attempt
// waits for the busy timeout, then fails).
//
// Errors: operations throw CIMException with the status code and text a
// client is to see.  Every operation on a namespace that does not exist
// throws CIM_ERR_INVALID_NAMESPACE (text: the namespace name), except
// createClass, createInstance and setQualifier, which create it first.
// Database failures throw Exception with the SQLite message.
//
// Objects returned are fresh copies owned by the caller; objects passed in
// are copied, never kept.
#ifndef KTA_CIM_SERVER_REPOSITORY_REPOSITORY_H
#define KTA_CIM_SERVER_REPOSITORY_REPOSITORY_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include <Pegasus/Common/Array.h>
#include <Pegasus/Common/CIMClass.h>
#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMPropertyList.h>
#include <Pegasus/Common/CIMQualifierDecl.h>

#include "SqliteStore.h"

namespace Pegasus {

// Instances (or their names) read one at a time, for answers that are sent
// while they are read.  Holds a database connection of the repository
// until destroyed, and must not outlive the repository.  Used from one
// thread at a time.
template <class T>
class ObjectCursor
{
public:
    virtual ~ObjectCursor() {}

    // Stores the next object into `object`; false when there are no more.
    // Throws as the repository's operations do.
    virtual bool next(T& object) = 0;
};

typedef ObjectCursor<CIMInstance> InstanceCursor;
typedef ObjectCursor<CIMObjectPath> InstanceNameCursor;

class Repository
{
public:
    // How much of the stored class bodies (in bytes of their stored form)
    // stays decoded in memory.
    static const std::size_t kDefaultClassCacheBytes = std::size_t(2) << 20;

    // The longest namespace, class or qualifier name, in characters (UTF-16
    // units), that the repository holds: far beyond any real name (those of
    // the CIM schema stay under 64), far below what a request can carry.
    // Creating something with a longer name fails with
    // CIM_ERR_INVALID_PARAMETER; looking one up fails as for a name that
    // does not exist, without copying or folding it.
    static const Uint32 kMaxNameLength = 4096;

    // Creates `directory` if missing and opens (or creates) repository.db
    // in it.  Throws Exception naming the path when that fails, or when the
    // store was written by a newer version.  Every statement runs through
    // `calls`.  A write that fails (a full disk, a failed commit) throws
    // Exception with SQLite's message and changes nothing.
    explicit Repository(const std::string& directory,
                        std::size_t classCacheBytes = kDefaultClassCacheBytes,
                        SqliteCalls& calls = SqliteCalls::real());
    ~Repository();
    Repository(const Repository&) = delete;
    Repository& operator=(const Repository&) = delete;

    // --- namespaces (names compare case-insensitively) ---------------------

    // In creation order.
    Array<CIMNamespaceName> enumerateNamespaces() const;
    Boolean namespaceExists(const CIMNamespaceName& nameSpace) const;
    // CIM_ERR_ALREADY_EXISTS if it exists.
    void createNamespace(const CIMNamespaceName& nameSpace);
    // Removes the namespace with its qualifier declarations.
    // CIM_ERR_NAMESPACE_NOT_EMPTY while it still holds classes.
    void deleteNamespace(const CIMNamespaceName& nameSpace);

    // --- qualifier declarations --------------------------------------------

    // CIM_ERR_NOT_FOUND (text: the qualifier name) if not declared.
    CIMQualifierDecl getQualifier(const CIMNamespaceName& nameSpace,
                                  const CIMName& qualifierName) const;
    // Creates or replaces the declaration.  Classes already defined keep
    // the flavors they were resolved with.
    void setQualifier(const CIMNamespaceName& nameSpace, const CIMQualifierDecl& qualifierDecl);
    // CIM_ERR_NOT_FOUND if not declared.
    void deleteQualifier(const CIMNamespaceName& nameSpace, const CIMName& qualifierName);
    // In declaration order.
    Array<CIMQualifierDecl> enumerateQualifiers(const CIMNamespaceName& nameSpace) const;

    // --- classes -----------------------------------------------------------

    // The resolved class: with localOnly=false inherited properties and
    // methods (propagated, class origin = defining class) and inherited
    // qualifiers (propagated, per their flavors); localOnly=true keeps only
    // what the class itself defines or overrides.  includeQualifiers=false
    // drops all qualifiers, includeClassOrigin=false all class origins, a
    // non-null propertyList the properties it does not name.
    // CIM_ERR_NOT_FOUND (text: the class name) if the class does not exist.
    CIMClass getClass(const CIMNamespaceName& nameSpace, const CIMName& className,
                      Boolean localOnly, Boolean includeQualifiers, Boolean includeClassOrigin,
                      const CIMPropertyList& propertyList) const;

    // The direct subclasses of className (every descendant with
    // deepInheritance), or with a null className the root classes (every
    // class); superclasses always come before their subclasses.
    // CIM_ERR_INVALID_CLASS if className is given and does not exist.
    Array<CIMClass> enumerateClasses(const CIMNamespaceName& nameSpace, const CIMName& className,
                                     Boolean deepInheritance, Boolean localOnly,
                                     Boolean includeQualifiers, Boolean includeClassOrigin) const;
    Array<CIMName> enumerateClassNames(const CIMNamespaceName& nameSpace, const CIMName& className,
                                       Boolean deepInheritance) const;

    // Checks and stores a new class.  CIM_ERR_ALREADY_EXISTS if it exists,
    // CIM_ERR_INVALID_SUPERCLASS if its superclass does not exist,
    // CIM_ERR_INVALID_PARAMETER (naming the qualifier or member) for an
    // undeclared qualifier, a qualifier outside its scope or of the wrong
    // type, a changed DisableOverride qualifier, an invalid override or a
    // reference to an unknown class.  Members and qualifiers marked
    // propagated in newClass are ignored.
    void createClass(const CIMNamespaceName& nameSpace, const CIMClass& newClass);

    // Replaces a class definition, checked as by createClass.
    // CIM_ERR_NOT_FOUND if it does not exist; CIM_ERR_CLASS_HAS_CHILDREN if
    // it has subclasses (they were resolved against the old definition);
    // CIM_ERR_CLASS_HAS_INSTANCES if it has instances and the change would
    // break them: a property removed or retyped, or the keys changed.
    // The superclass may change only as far as these rules allow.
    void modifyClass(const CIMNamespaceName& nameSpace, const CIMClass& modifiedClass);

    // Deletes a class that has neither subclasses nor instances.
    // CIM_ERR_NOT_FOUND if it does not exist, CIM_ERR_CLASS_HAS_CHILDREN if
    // it has subclasses (whether or not it has instances),
    // CIM_ERR_CLASS_HAS_INSTANCES if it has instances; nothing is deleted then.
    void deleteClass(const CIMNamespaceName& nameSpace, const CIMName& className);

    // --- instances ---------------------------------------------------------
    // Instance names compare with class and key names case-insensitive;
    // key values compare by their key property's type.  Returned instances
    // carry their path (class + keys, no host or namespace).  localOnly is
    // accepted for instances but, as clients expect, does not filter.

    // CIM_ERR_INVALID_CLASS if the class does not exist, CIM_ERR_NOT_FOUND
    // (text: the instance name) if the instance does not.
    CIMInstance getInstance(const CIMNamespaceName& nameSpace, const CIMObjectPath& instanceName,
                            Boolean localOnly, Boolean includeQualifiers,
                            Boolean includeClassOrigin, const CIMPropertyList& propertyList) const;

    // Instances of className and of all its subclasses, in creation order
    // per class.  With deepInheritance=false subclass instances carry only
    // the properties className defines.  CIM_ERR_INVALID_CLASS if the class
    // does not exist.
    Array<CIMInstance> enumerateInstances(const CIMNamespaceName& nameSpace,
                                          const CIMName& className, Boolean deepInheritance,
                                          Boolean localOnly, Boolean includeQualifiers,
                                          Boolean includeClassOrigin,
                                          const CIMPropertyList& propertyList) const;
    Array<CIMObjectPath> enumerateInstanceNames(const CIMNamespaceName& nameSpace,
                                                const CIMName& className) const;

    // The instances of enumerateInstances (same order, same filtering),
    // read as the cursor advances: only one is in memory at a time.  The
    // namespace and class are checked here, with the same errors.
    std::unique_ptr<InstanceCursor> openInstances(const CIMNamespaceName& nameSpace,
                                                  const CIMName& className,
                                                  Boolean deepInheritance, Boolean localOnly,
                                                  Boolean includeQualifiers,
                                                  Boolean includeClassOrigin,
                                                  const CIMPropertyList& propertyList) const;
    // The names of enumerateInstanceNames, read as the cursor advances.
    std::unique_ptr<InstanceNameCursor> openInstanceNames(const CIMNamespaceName& nameSpace,
                                                          const CIMName& className) const;

    // Stores a new instance and returns its path (class + keys).  Missing
    // properties get the class defaults.  CIM_ERR_INVALID_CLASS if the class
    // does not exist, CIM_ERR_NO_SUCH_PROPERTY for a property the class
    // lacks, CIM_ERR_TYPE_MISMATCH for a value that does not convert to the
    // declared type, CIM_ERR_INVALID_PARAMETER for a key without a value,
    // CIM_ERR_ALREADY_EXISTS if an instance with these keys exists.
    CIMObjectPath createInstance(const CIMNamespaceName& nameSpace, const CIMInstance& newInstance);

    // Changes the properties of modifiedInstance selected by propertyList
    // (all when null; a listed property it lacks is reset to the class
    // default); includeQualifiers replaces the instance qualifiers too.
    // The instance is found by its path, or by its key properties when the
    // path has no keys.  CIM_ERR_NOT_FOUND if it does not exist,
    // CIM_ERR_INVALID_PARAMETER when a key value would change; others as
    // for createInstance.
    void modifyInstance(const CIMNamespaceName& nameSpace, const CIMInstance& modifiedInstance,
                        Boolean includeQualifiers, const CIMPropertyList& propertyList);

    // CIM_ERR_NOT_FOUND if it does not exist.
    void deleteInstance(const CIMNamespaceName& nameSpace, const CIMObjectPath& instanceName);

    // --- for the operation dispatcher ----------------------------------------

    // Instances of exactly className (no subclasses), filtered as by
    // enumerateInstances.
    Array<CIMInstance> enumerateInstancesForClass(const CIMNamespaceName& nameSpace,
                                                  const CIMName& className, Boolean localOnly,
                                                  Boolean includeQualifiers,
                                                  Boolean includeClassOrigin,
                                                  const CIMPropertyList& propertyList) const;
    Array<CIMObjectPath> enumerateInstanceNamesForClass(const CIMNamespaceName& nameSpace,
                                                        const CIMName& className) const;
    // The instances of enumerateInstancesForClass, and the names of
    // enumerateInstanceNamesForClass, through cursors.
    std::unique_ptr<InstanceCursor> openInstancesForClass(const CIMNamespaceName& nameSpace,
                                                          const CIMName& className,
                                                          Boolean localOnly,
                                                          Boolean includeQualifiers,
                                                          Boolean includeClassOrigin,
                                                          const CIMPropertyList& propertyList) const;
    std::unique_ptr<InstanceNameCursor> openInstanceNamesForClass(
        const CIMNamespaceName& nameSpace, const CIMName& className) const;
    // className followed by all its descendants (superclasses first).
    // CIM_ERR_INVALID_CLASS if it does not exist.
    Array<CIMName> enumerateSubclassNames(const CIMNamespaceName& nameSpace,
                                          const CIMName& className) const;
    Boolean classExists(const CIMNamespaceName& nameSpace, const CIMName& className) const;
    // Counts the changes to classes (created, modified, deleted) and the
    // namespaces deleted, in all namespaces.  What was read of the schema
    // between two reads of an unchanged value was not changed meanwhile, so
    // a summary built from it stays valid while the value stays the same.
    std::uint64_t schemaGeneration() const;
    // True when className is superClassName or derives from it; false when
    // className does not exist.
    Boolean isSubclass(const CIMNamespaceName& nameSpace, const CIMName& className,
                       const CIMName& superClassName) const;

private:
    class Impl;
    std::unique_ptr<Impl> _impl;
};

}  // namespace Pegasus

#endif
