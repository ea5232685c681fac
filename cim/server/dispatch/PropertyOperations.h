// GetProperty and SetProperty (DSP0200): one property of one instance,
// read or changed through OperationExecutor with a property list naming
// that property, so that an instance provider sees getInstance or
// modifyInstance and the repository changes nothing else.
//
// Errors: CIM_ERR_NO_SUCH_PROPERTY (text: the property name) when the
// class does not declare the property, CIM_ERR_NOT_FOUND for a missing
// instance, CIM_ERR_TYPE_MISMATCH for a new value that does not convert to
// the declared type, and whatever the repository or provider throws.
#ifndef KTA_CIM_DISPATCH_PROPERTYOPERATIONS_H
#define KTA_CIM_DISPATCH_PROPERTYOPERATIONS_H

#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMValue.h>

namespace Pegasus {

class OperationExecutor;

// The property's value; a null value of the declared type when the
// instance leaves it out.
CIMValue getPropertyValue(OperationExecutor& executor,
                          const CIMNamespaceName& nameSpace,
                          const CIMObjectPath& instanceName,
                          const CIMName& propertyName);

// newValue may be untyped (a string, string array or reference, as a
// request carries it): it is converted to the declared type.  A null value
// sets the property to null.
void setPropertyValue(OperationExecutor& executor,
                      const CIMNamespaceName& nameSpace,
                      const CIMObjectPath& instanceName,
                      const CIMName& propertyName, const CIMValue& newValue);

}  // namespace Pegasus

#endif
