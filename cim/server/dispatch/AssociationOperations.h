// AssociationOperations: the association operations of DSP0200
// (Associators, AssociatorNames, References, ReferenceNames), producing
// their results one at a time through a cursor.
//
// Instance level (objectName has key bindings): the association instances
// whose reference properties hold objectName are those of the repository
// and of instance providers, read class by class for every association
// class whose references can point at objectName's class, and those an
// association provider registered for such a class delivers.  A reference
// matches objectName when the classes are the same or one derives from
// the other, the key values are equal as the repository compares them,
// and any namespace it names is the request's; hosts are ignored.
// Associators gives the objects the other references of those
// associations point at, each once, read through OperationExecutor (so
// from the repository or an instance provider); a reference to an object
// that does not exist is skipped.  References gives the association
// instances themselves.
//
// Class level (objectName has no keys): answered from the schema alone.
// The association classes are those with a reference property declared
// for objectName's class or one of its superclasses; Associators gives the
// classes their other references are declared for, References the
// association classes, each once.
//
// Filters as DSP0200 defines them: assocClass (Associators) keeps the
// associations of that class or a subclass; resultClass keeps results of
// that class or a subclass (for References, the associations); role names
// the reference that points at objectName, resultRole (Associators) the one
// that points at the result; names compare case-insensitively.
// includeQualifiers, includeClassOrigin and propertyList shape the objects.
//
// Every result carries its full path: this server's host, the namespace,
// then class (and keys).
//
// Errors found before the first result are thrown when the cursor is
// opened: CIM_ERR_INVALID_NAMESPACE for a namespace that does not exist,
// CIM_ERR_INVALID_CLASS (text: the class name) for an assocClass or
// resultClass that does not exist, CIM_ERR_INVALID_PARAMETER for an
// objectName whose class does not exist, CIM_ERR_NOT_FOUND for an
// instance of a repository class that does not exist.  Providers' failures
// come from next().
//
// The association classes of a namespace and their references are read
// from the schema once and kept until the repository's schema changes
// (Repository::schemaGeneration), so that an operation does not read every
// class of a large schema.
//
// Thread-safe.  A cursor holds a reference to this object and the
// executor and must not outlive them; it is used from one thread at a
// time.
#ifndef KTA_CIM_DISPATCH_ASSOCIATIONOPERATIONS_H
#define KTA_CIM_DISPATCH_ASSOCIATIONOPERATIONS_H

#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/CIMObject.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMPropertyList.h>
#include <Pegasus/Common/String.h>

#include "Repository.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace Pegasus {

class OperationExecutor;

// The parameters of one association operation.
struct AssociationQuery
{
    enum Kind
    {
        ASSOCIATORS,   // Associators, AssociatorNames
        REFERENCES     // References, ReferenceNames
    };

    Kind kind = ASSOCIATORS;
    CIMNamespaceName nameSpace;
    CIMObjectPath objectName;        // instance path (keys) or class path
    CIMName assocClass;              // ASSOCIATORS only; null: any
    CIMName resultClass;             // null: any
    String role;                     // empty: any
    String resultRole;               // ASSOCIATORS only; empty: any
    Boolean includeQualifiers = false;
    Boolean includeClassOrigin = false;
    CIMPropertyList propertyList;    // null: all properties
};

typedef ObjectCursor<CIMObject> AssociationObjectCursor;
typedef ObjectCursor<CIMObjectPath> AssociationNameCursor;

class AssociationOperations
{
public:
    explicit AssociationOperations(OperationExecutor& executor);

    // Associators / References: instances (instance level) or classes
    // (class level), each with its full path in getPath().
    std::unique_ptr<AssociationObjectCursor> openObjects(
        const AssociationQuery& query);

    // AssociatorNames / ReferenceNames: the full paths alone.  Objects are
    // not read (includeQualifiers, includeClassOrigin and propertyList are
    // ignored).
    std::unique_ptr<AssociationNameCursor> openNames(
        const AssociationQuery& query);

    struct Schema;

private:
    // The association classes of the namespace, from the cache or read now.
    std::shared_ptr<const Schema> schemaOf(const CIMNamespaceName& nameSpace);

    OperationExecutor& _executor;
    std::mutex _mutex;
    std::uint64_t _generation = 0;   // of every entry in _schemas
    std::map<std::string, std::shared_ptr<const Schema>> _schemas;
};

}  // namespace Pegasus

#endif
