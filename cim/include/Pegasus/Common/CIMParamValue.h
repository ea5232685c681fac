// CIMParamValue: the name and value of one method parameter, as passed to
// and returned from an extrinsic method call.
//
// A handle, with the sharing, uninitialized-use and threading rules told in
// CIMQualifier.h.
#ifndef Pegasus_CIMParamValue_h
#define Pegasus_CIMParamValue_h

#include <memory>

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>
#include <Pegasus/Common/String.h>
#include <Pegasus/Common/CIMValue.h>

PEGASUS_NAMESPACE_BEGIN

class CIMParamValueRep;
struct CIMHandleAccess;

class PEGASUS_COMMON_LINKAGE CIMParamValue
{
public:
    // An uninitialized handle.
    CIMParamValue();
    CIMParamValue(const CIMParamValue& x);
    // An empty parameterName throws UninitializedObjectException.
    // isTyped = false means the value's type was not transmitted and must be
    // taken from the method's declaration.
    CIMParamValue(String parameterName, CIMValue value, Boolean isTyped = true);
    ~CIMParamValue();
    CIMParamValue& operator=(const CIMParamValue& x);

    String getParameterName() const;
    CIMValue getValue() const;
    Boolean isTyped() const;

    void setParameterName(String& parameterName);
    void setValue(CIMValue& value);
    void setIsTyped(Boolean isTyped = true);

    CIMParamValue clone() const;
    Boolean isUninitialized() const;

private:
    explicit CIMParamValue(const std::shared_ptr<CIMParamValueRep>& rep);

    std::shared_ptr<CIMParamValueRep> _rep;

    friend struct CIMHandleAccess;
};

PEGASUS_NAMESPACE_END

#endif
