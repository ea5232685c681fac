// CIMEnumerationContext: the client's handle on an enumeration opened by
// one of CIMClient's open calls (openEnumerateInstances and the others),
// passed on to the pull, close and count calls.  It remembers the
// namespace of the open call and the context string the server returned.
// Not copyable: one enumeration, one handle.
#ifndef Pegasus_CIMEnumerationContext_h
#define Pegasus_CIMEnumerationContext_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/String.h>
#include <Pegasus/Client/Linkage.h>

PEGASUS_NAMESPACE_BEGIN

class CIMClientRep;

class PEGASUS_CLIENT_LINKAGE CIMEnumerationContext
{
public:
    CIMEnumerationContext();
    ~CIMEnumerationContext();

    // Forgets everything: the handle is as new.
    void clear();
    // Forgets the server's context string (the enumeration is over); the
    // namespace stays.
    void clearEnumeration();

protected:
    const CIMNamespaceName& getNameSpace() const;
    void setNameSpace(const CIMNamespaceName& nameSpace);
    // Empty when no enumeration is open.
    const String& getEnumerationContextString() const;
    void setEnumerationContextString(const String& context);

private:
    CIMEnumerationContext(const CIMEnumerationContext&);
    CIMEnumerationContext& operator=(const CIMEnumerationContext&);

    CIMNamespaceName _nameSpace;
    String _context;

    friend class CIMClientRep;
};

PEGASUS_NAMESPACE_END

#endif
