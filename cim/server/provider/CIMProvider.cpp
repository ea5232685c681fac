// Constructors and destructors of the provider interfaces.  Defining them
// here gives each interface one vtable and one type_info, in this library;
// the provider manager dynamic_casts providers created in other libraries
// to these interfaces.
#include <Pegasus/Provider/CIMProvider.h>
#include <Pegasus/Provider/CIMInstanceProvider.h>
#include <Pegasus/Provider/CIMMethodProvider.h>
#include <Pegasus/Provider/CIMAssociationProvider.h>
#include <Pegasus/Provider/CIMIndicationProvider.h>
#include <Pegasus/Provider/CIMIndicationConsumerProvider.h>

PEGASUS_NAMESPACE_BEGIN

CIMProvider::CIMProvider() {}
CIMProvider::~CIMProvider() {}

CIMInstanceProvider::CIMInstanceProvider() {}
CIMInstanceProvider::~CIMInstanceProvider() {}

CIMMethodProvider::CIMMethodProvider() {}
CIMMethodProvider::~CIMMethodProvider() {}

CIMAssociationProvider::CIMAssociationProvider() {}
CIMAssociationProvider::~CIMAssociationProvider() {}

CIMIndicationProvider::CIMIndicationProvider() {}
CIMIndicationProvider::~CIMIndicationProvider() {}

CIMIndicationConsumerProvider::CIMIndicationConsumerProvider() {}
CIMIndicationConsumerProvider::~CIMIndicationConsumerProvider() {}

PEGASUS_NAMESPACE_END
