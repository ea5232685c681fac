// CIMParamValue.
#include <Pegasus/Common/CIMParamValue.h>

#include "CIMObjectModelRep.h"

PEGASUS_NAMESPACE_BEGIN

CIMParamValue::CIMParamValue() {}

CIMParamValue::CIMParamValue(const CIMParamValue& x) : _rep(x._rep) {}

CIMParamValue::CIMParamValue(
    String parameterName, CIMValue value, Boolean isTyped)
{
    if (parameterName.size() == 0)
        throw UninitializedObjectException();
    auto rep = std::make_shared<CIMParamValueRep>();
    rep->parameterName = parameterName;
    rep->value = value;
    rep->isTyped = isTyped;
    _rep = rep;
}

CIMParamValue::CIMParamValue(const std::shared_ptr<CIMParamValueRep>& rep)
    : _rep(rep)
{
}

CIMParamValue::~CIMParamValue() {}

CIMParamValue& CIMParamValue::operator=(const CIMParamValue& x)
{
    _rep = x._rep;
    return *this;
}

String CIMParamValue::getParameterName() const
{
    return checkedRep(_rep)->parameterName;
}

CIMValue CIMParamValue::getValue() const
{
    return checkedRep(_rep)->value;
}

Boolean CIMParamValue::isTyped() const
{
    return checkedRep(_rep)->isTyped;
}

void CIMParamValue::setParameterName(String& parameterName)
{
    checkedRep(_rep)->parameterName = parameterName;
}

void CIMParamValue::setValue(CIMValue& value)
{
    checkedRep(_rep)->value = value;
}

void CIMParamValue::setIsTyped(Boolean isTyped)
{
    checkedRep(_rep)->isTyped = isTyped;
}

CIMParamValue CIMParamValue::clone() const
{
    // The value is a value type, so copying the fields is a deep copy.
    return CIMParamValue(
        std::make_shared<CIMParamValueRep>(*checkedRep(_rep)));
}

Boolean CIMParamValue::isUninitialized() const
{
    return !_rep;
}

PEGASUS_NAMESPACE_END
