// TPEGASUSProperty: a property value tied to its declaration, with type
// checks on every value stored and a previous value for change tracking.
#include "TPEGASUSProperty.h"

#include <sstream>

#include "ICIMClass.h"
#include "ICIMPropertyDecl.h"
#include "TKTAException.h"
#include "TRootObject.h"

namespace NQRVKTA20 {

TPEGASUSProperty::TPEGASUSProperty(boost::shared_ptr<const ICIMPropertyDecl> decl)
    : fDeclaration(decl), fHasPrevValue(false)
{
}

TPEGASUSProperty::TPEGASUSProperty(boost::shared_ptr<const ICIMPropertyDecl> decl,
                                   TCIMValue const& value)
    : TPEGASUSProperty(decl)
{
    SetValue(value, TCIMContext());
}

TPEGASUSProperty::TPEGASUSProperty(boost::shared_ptr<const ICIMProperty> other)
    : fHasPrevValue(false)
{
    if (!other)
        throw TKTAException(TKTAStatusCode::kNotFound,
                            "TPEGASUSProperty: no property to copy from");
    fDeclaration = other->GetDeclaration(TCIMContext());
    TCIMValue const& value = other->GetValue(TCIMContext());
    if (!value.IsNull())
        SetValue(value, TCIMContext());
}

TPEGASUSProperty::~TPEGASUSProperty() {}

boost::shared_ptr<const ICIMPropertyDecl> TPEGASUSProperty::LockDeclaration() const
{
    boost::shared_ptr<const ICIMPropertyDecl> decl = fDeclaration.lock();
    if (!decl)
        throw TKTAException(TKTAStatusCode::kNotFound,
                            "TPEGASUSProperty: the property's declaration no longer exists");
    return decl;
}

void TPEGASUSProperty::CheckValue(TCIMValue const& value, std::string const& prefix) const
{
    TCIMContext none;
    boost::shared_ptr<const ICIMPropertyDecl> decl = LockDeclaration();
    TCIMValue::TCIMType declType = decl->GetType(none);
    if (declType.GetCode() != value.GetType().GetCode()) {
        std::ostringstream text;
        text << prefix << "decl is type " << declType << " but value is type "
             << value.GetType();
        TRootObject::GetCoreLogger()->Log(0, text.str());
        throw TKTAException(TKTAStatusCode::kWrongType, text.str());
    }
    if (declType.GetCode() != kReference)
        return;

    boost::shared_ptr<ICIMClass> declared = decl->GetDefaultValue(none).GetReferencedClass();
    boost::shared_ptr<ICIMClass> given = value.GetReferencedClass();
    // Without both classes the subclass relation cannot be decided.
    if (!declared)
        throw TKTAException(TKTAStatusCode::kNotFound,
                            "TPEGASUSProperty: the declaration of " + decl->GetName(none) +
                                " names no referenced class");
    if (!given)
        throw TKTAException(TKTAStatusCode::kNotFound,
                            "TPEGASUSProperty: the reference value for " + decl->GetName(none) +
                                " names no referenced class");
    if (!given->IsSubclassOf(declared, none)) {
        std::ostringstream text;
        text << prefix << "decl references type " << declared->GetName(none)
             << " but value references " << given->GetName(none);
        TRootObject::GetCoreLogger()->Log(0, text.str());
        throw TKTAException(TKTAStatusCode::kWrongType, text.str());
    }
}

TCIMValue::TCIMType TPEGASUSProperty::GetType(TCIMContext) const
{
    return LockDeclaration()->GetType(TCIMContext());
}

bool TPEGASUSProperty::IsArray(TCIMContext) const
{
    return LockDeclaration()->IsArray(TCIMContext());
}

bool TPEGASUSProperty::IsDefaultValue(TCIMContext) const
{
    return !fValue;
}

TCIMValue const& TPEGASUSProperty::GetValue(TCIMContext) const
{
    if (fValue)
        return *fValue;
    // The declaration is owned elsewhere (its class), so its default value
    // outlives the local lock.
    return LockDeclaration()->GetDefaultValue(TCIMContext());
}

void TPEGASUSProperty::SetValue(TCIMValue const& value, TCIMContext)
{
    CheckValue(value, "Inmem: SetValue: ");
    fValue.reset(new TCIMValue(value));
}

bool TPEGASUSProperty::GetPropagated(TCIMContext context) const
{
    return IsDefaultValue(context);
}

boost::shared_ptr<const ICIMPropertyDecl> TPEGASUSProperty::GetDeclaration(TCIMContext) const
{
    return fDeclaration.lock();
}

bool TPEGASUSProperty::operator==(ICIMProperty& other) const
{
    boost::shared_ptr<const ICIMPropertyDecl> mine = fDeclaration.lock();
    if (!mine || other.GetDeclaration(TCIMContext()).get() != mine.get())
        return false;
    return GetValue(TCIMContext()) == other.GetValue(TCIMContext());
}

bool TPEGASUSProperty::operator<(ICIMProperty& other) const
{
    boost::shared_ptr<const ICIMPropertyDecl> theirs = other.GetDeclaration(TCIMContext());
    if (fDeclaration.owner_before(theirs))
        return true;
    if (theirs.owner_before(fDeclaration))
        return false;
    return GetValue(TCIMContext()) < other.GetValue(TCIMContext());
}

ICIMProperty& TPEGASUSProperty::operator=(ICIMProperty const&)
{
    return *this;
}

TCIMValue const& TPEGASUSProperty::GetPrevValue() const
{
    if (!fHasPrevValue)
        return GetValue(TCIMContext());
    if (fPrevValue)
        return *fPrevValue;
    return LockDeclaration()->GetDefaultValue(TCIMContext());
}

void TPEGASUSProperty::SetPrevValue(TCIMValue const& value)
{
    // A null previous value means "there was none" and fits any type.
    if (!value.IsNull())
        CheckValue(value, "SetPrevValue: ");
    fPrevValue.reset(new TCIMValue(value));
    fHasPrevValue = true;
}

void TPEGASUSProperty::SetPrevValue()
{
    fPrevValue.reset(new TCIMValue());
    fHasPrevValue = true;
}

bool TPEGASUSProperty::IsPrevValueDifferent() const
{
    return fHasPrevValue;
}

std::string TPEGASUSProperty::ToString() const
{
    return GetValue(TCIMContext()).ToString(10);
}

std::string TPEGASUSProperty::PrevValueToString() const
{
    return GetPrevValue().ToString(10);
}

std::vector<std::string> TPEGASUSProperty::ToStringVector() const
{
    TCIMValue const& value = GetValue(TCIMContext());
    std::vector<std::string> texts;
    if (!value.IsArray()) {
        // A scalar, null or not, gives one text (empty for null).
        texts.push_back(value.ToString(10));
        return texts;
    }
    // An array gives one text per element; a null array has none.
    std::vector<TCIMValue> const& elements = value;
    for (TCIMValue const& element : elements)
        texts.push_back(element.ToString(10));
    return texts;
}

} // namespace NQRVKTA20
