// The providers through which WBEM clients discover the server, in its
// interoperability namespace root/PG_InterOp:
//
//   CIM_Namespace, PG_Namespace  one PG_Namespace instance per namespace
//                                the repository holds, read from the
//                                repository on every request, so that a
//                                namespace appears and disappears with the
//                                operation that creates or deletes it,
//                                whichever path that operation took;
//   CIM_ObjectManager            the one instance standing for this server.
//
// Both answer what the DMTF classes define as keys: CIM_Namespace
// SystemCreationClassName, SystemName, ObjectManagerCreationClassName,
// ObjectManagerName, CreationClassName and Name; CIM_ObjectManager
// SystemCreationClassName, SystemName, CreationClassName and Name.  The
// instances are synthesised: creating, modifying and deleting them throws
// CIMNotSupportedException (namespaces are created and deleted through
// __Namespace).
//
// The three classes need not be in the repository: interopClassDefinitions()
// gives minimal definitions that the server answers GetClass with while the
// repository has none of its own.  When a schema that defines them is
// compiled into root/PG_InterOp, the repository's definitions take over.
//
// Registered like the other built-in providers (terminate() deletes the
// object); they may be called from several threads at once.
#ifndef KTA_CIM_SERVER_MAIN_INTEROPPROVIDERS_H
#define KTA_CIM_SERVER_MAIN_INTEROPPROVIDERS_H

#include <functional>
#include <vector>

#include <Pegasus/Common/CIMClass.h>
#include <Pegasus/Provider/CIMInstanceProvider.h>

namespace Pegasus {

extern const CIMName kCimNamespaceClass;     // CIM_Namespace
extern const CIMName kPgNamespaceClass;      // PG_Namespace
extern const CIMName kCimObjectManagerClass; // CIM_ObjectManager

// What the providers read from the running server.
struct InteropSystem
{
    // This host's name: the SystemName of every instance.
    String systemName;
    // The namespaces the repository holds, in its order.
    std::function<Array<CIMNamespaceName>()> namespaces;
    // True when the repository itself defines the class in root/PG_InterOp.
    std::function<bool(const CIMName&)> classStored;
};

// The definitions of CIM_Namespace, PG_Namespace (: CIM_Namespace) and
// CIM_ObjectManager in the repository's resolved form: every property the
// instances carry, inherited ones marked propagated, class origins set.
std::vector<CIMClass> interopClassDefinitions();

// An instance provider for a class whose instances the server computes:
// getInstance finds the instance whose keys the reference names (every key
// of the instance, compared without regard to case, as they are all names),
// enumerateInstanceNames gives the paths of enumerateInstances.
class SynthesisedInstanceProvider : public CIMInstanceProvider
{
public:
    void initialize(CIMOMHandle& cimom) override;
    void terminate() override;

    // No instance with the reference's keys: CIMObjectNotFoundException.
    void getInstance(const OperationContext& context,
                     const CIMObjectPath& instanceReference,
                     const Boolean includeQualifiers,
                     const Boolean includeClassOrigin,
                     const CIMPropertyList& propertyList,
                     InstanceResponseHandler& handler) override;
    void enumerateInstances(const OperationContext& context,
                            const CIMObjectPath& classReference,
                            const Boolean includeQualifiers,
                            const Boolean includeClassOrigin,
                            const CIMPropertyList& propertyList,
                            InstanceResponseHandler& handler) override;
    void enumerateInstanceNames(const OperationContext& context,
                                const CIMObjectPath& classReference,
                                ObjectPathResponseHandler& handler) override;
    // CIMNotSupportedException.
    void modifyInstance(const OperationContext& context,
                        const CIMObjectPath& instanceReference,
                        const CIMInstance& instanceObject,
                        const Boolean includeQualifiers,
                        const CIMPropertyList& propertyList,
                        ResponseHandler& handler) override;
    void createInstance(const OperationContext& context,
                        const CIMObjectPath& instanceReference,
                        const CIMInstance& instanceObject,
                        ObjectPathResponseHandler& handler) override;
    void deleteInstance(const OperationContext& context,
                        const CIMObjectPath& instanceReference,
                        ResponseHandler& handler) override;

protected:
    // The instances, with their paths (host and namespace those of
    // `reference`), as of now.
    virtual std::vector<CIMInstance> current(
        const CIMObjectPath& reference) const = 0;

    // True when enumerations are to give nothing, because the server will
    // gather the same instances from the provider of a subclass.
    virtual bool enumeratedBySubclass() const { return false; }
};

class NamespaceProvider : public SynthesisedInstanceProvider
{
public:
    // servedClass: CIM_Namespace or PG_Namespace.  Both give PG_Namespace
    // instances; enumerations of CIM_Namespace give none when the
    // repository defines PG_Namespace (the server then asks the
    // PG_Namespace provider for them as well, which would count them twice).
    NamespaceProvider(const CIMName& servedClass, InteropSystem system);

protected:
    std::vector<CIMInstance> current(
        const CIMObjectPath& reference) const override;
    bool enumeratedBySubclass() const override;

private:
    CIMName _servedClass;
    InteropSystem _system;
};

class ObjectManagerProvider : public SynthesisedInstanceProvider
{
public:
    explicit ObjectManagerProvider(InteropSystem system);

protected:
    std::vector<CIMInstance> current(
        const CIMObjectPath& reference) const override;

private:
    InteropSystem _system;
};

}  // namespace Pegasus

#endif
