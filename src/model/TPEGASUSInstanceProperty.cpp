// TPEGASUSInstanceProperty: an instance's value holder with the plug-in's
// display formatting.
#include "TPEGASUSInstanceProperty.h"

#include "TPEGASUSProperty.h"

namespace NQRVKTA20 {

TPEGASUSInstanceProperty::TPEGASUSInstanceProperty(boost::shared_ptr<ICIMProperty> holder)
    : fHolder(holder)
{
}

TPEGASUSInstanceProperty::~TPEGASUSInstanceProperty() = default;

TCIMValue::TCIMType TPEGASUSInstanceProperty::GetType(TCIMContext context) const
{
    return fHolder->GetType(context);
}

bool TPEGASUSInstanceProperty::IsArray(TCIMContext context) const
{
    return fHolder->IsArray(context);
}

bool TPEGASUSInstanceProperty::IsDefaultValue(TCIMContext context) const
{
    return fHolder->IsDefaultValue(context);
}

TCIMValue const& TPEGASUSInstanceProperty::GetValue(TCIMContext context) const
{
    return fHolder->GetValue(context);
}

void TPEGASUSInstanceProperty::SetValue(TCIMValue const& value, TCIMContext context)
{
    fHolder->SetValue(value, context);
}

bool TPEGASUSInstanceProperty::GetPropagated(TCIMContext context) const
{
    return fHolder->GetPropagated(context);
}

boost::shared_ptr<const ICIMPropertyDecl> TPEGASUSInstanceProperty::GetDeclaration(
    TCIMContext context) const
{
    return fHolder->GetDeclaration(context);
}

bool TPEGASUSInstanceProperty::operator==(ICIMProperty& other) const
{
    return *fHolder == other;
}

bool TPEGASUSInstanceProperty::operator<(ICIMProperty& other) const
{
    return *fHolder < other;
}

ICIMProperty& TPEGASUSInstanceProperty::operator=(ICIMProperty const&)
{
    return *this;
}

TCIMValue const& TPEGASUSInstanceProperty::GetPrevValue() const
{
    return fHolder->GetPrevValue();
}

void TPEGASUSInstanceProperty::SetPrevValue(TCIMValue const& value)
{
    fHolder->SetPrevValue(value);
}

void TPEGASUSInstanceProperty::SetPrevValue()
{
    fHolder->SetPrevValue();
}

bool TPEGASUSInstanceProperty::IsPrevValueDifferent() const
{
    return fHolder->IsPrevValueDifferent();
}

std::string TPEGASUSInstanceProperty::ToString() const
{
    return TPEGASUSProperty(fHolder->GetDeclaration(TCIMContext()))
        .DisplayText(fHolder->GetValue(TCIMContext()));
}

std::string TPEGASUSInstanceProperty::PrevValueToString() const
{
    return TPEGASUSProperty(fHolder->GetDeclaration(TCIMContext()))
        .DisplayText(fHolder->GetPrevValue());
}

std::vector<std::string> TPEGASUSInstanceProperty::ToStringVector() const
{
    return TPEGASUSProperty(fHolder->GetDeclaration(TCIMContext()))
        .DisplayTexts(fHolder->GetValue(TCIMContext()));
}

} // namespace NQRVKTA20
