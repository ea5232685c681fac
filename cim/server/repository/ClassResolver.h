// Class definitions: checking a new definition against its namespace,
// resolving it against its superclass, and presenting a resolved class as a
// GetClass request asks for it.
//
// A resolved class holds every member a client can see: inherited
// properties and methods (propagated=true, class origin = the class that
// first defined them), the class's own members (class origin = this class,
// or for an override the origin of the overridden member), and qualifiers
// with their effective flavors, inherited ones marked propagated.
//
// All functions are pure: they read their arguments and build new objects.
#ifndef KTA_CIM_SERVER_REPOSITORY_CLASSRESOLVER_H
#define KTA_CIM_SERVER_REPOSITORY_CLASSRESOLVER_H

#include <Pegasus/Common/CIMClass.h>
#include <Pegasus/Common/CIMFlavor.h>
#include <Pegasus/Common/CIMPropertyList.h>
#include <Pegasus/Common/CIMQualifierDecl.h>

namespace Pegasus {

// What resolution needs to know about the namespace the class goes into.
class SchemaLookup
{
public:
    virtual ~SchemaLookup() {}
    // The declaration of a qualifier, or an uninitialized handle.
    virtual CIMConstQualifierDecl findQualifierDecl(const CIMName& name) const = 0;
    virtual bool classExists(const CIMName& name) const = 0;
};

class ClassResolver
{
public:
    // The definition as the client wrote it: a deep copy without the
    // members and qualifiers marked propagated (a client may send back a
    // class it got from GetClass) and without class origins.
    static CIMClass localDefinition(const CIMConstClass& definition);

    // Checks `local` (a localDefinition) and builds its resolved form.
    // superClass is the resolved superclass, uninitialized for a root class.
    // Throws CIMException(CIM_ERR_INVALID_PARAMETER) naming the element and
    // qualifier at fault when a qualifier is undeclared, used outside its
    // scope or of the wrong type, when a DisableOverride qualifier gets a
    // different value, when an override does not match an inherited member
    // of the same type, or when a reference names an unknown class.
    static CIMClass resolve(const CIMConstClass& local, const CIMConstClass& superClass,
                            const SchemaLookup& lookup);

    // The effective flavor of a qualifier written with `given` whose
    // declaration has `declared` (see the source for the rules).
    static CIMFlavor effectiveFlavor(const CIMFlavor& given, const CIMFlavor& declared);

    // A new class holding what GetClass returns from a resolved class:
    // localOnly drops inherited members and qualifiers, includeQualifiers
    // =false drops every qualifier (class, properties, methods, parameters),
    // includeClassOrigin=false clears class origins, a non-null property
    // list keeps only the properties it names.
    static CIMClass present(const CIMConstClass& resolved, Boolean localOnly,
                            Boolean includeQualifiers, Boolean includeClassOrigin,
                            const CIMPropertyList& propertyList);
};

}  // namespace Pegasus

#endif
