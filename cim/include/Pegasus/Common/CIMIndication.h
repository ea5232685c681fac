// CIMIndication: an indication delivered by an indication provider.  It is
// an instance of an indication class and is used exactly like a
// CIMInstance (a handle sharing its representation on copy).
#ifndef Pegasus_CIMIndication_h
#define Pegasus_CIMIndication_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>
#include <Pegasus/Common/CIMInstance.h>

PEGASUS_NAMESPACE_BEGIN

class PEGASUS_COMMON_LINKAGE CIMIndication : public CIMInstance
{
public:
    // An uninitialized handle.
    CIMIndication() {}
    // Shares the instance's representation.
    CIMIndication(const CIMInstance& instance) : CIMInstance(instance) {}
};

PEGASUS_NAMESPACE_END

#endif
