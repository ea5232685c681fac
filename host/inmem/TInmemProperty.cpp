#include "TInmemProperty.h"

#include "ICIMClass.h"
#include "ICIMPropertyDecl.h"
#include "TKTAException.h"

namespace NQRVKTA20 {

namespace {

std::unique_ptr<TCIMValue> CopyOf(std::unique_ptr<TCIMValue> const& value)
{
    return value ? std::unique_ptr<TCIMValue>(new TCIMValue(*value)) : nullptr;
}

} // namespace

TInmemProperty::TInmemProperty(boost::shared_ptr<const ICIMPropertyDecl> decl)
    : fDecl(decl), fPrevValueSet(false)
{
    if (!fDecl)
        throw TKTAException(TKTAStatusCode::kNotFound, "property without declaration");
}

TInmemProperty::TInmemProperty(boost::shared_ptr<const ICIMPropertyDecl> decl,
                               TCIMValue const& value)
    : TInmemProperty(decl)
{
    SetValue(value, TCIMContext());
}

TInmemProperty::TInmemProperty(TInmemProperty const& other)
    : ICIMProperty(other), fDecl(other.fDecl), fValue(CopyOf(other.fValue)),
      fPrevValue(CopyOf(other.fPrevValue)), fPrevValueSet(other.fPrevValueSet)
{
}

TInmemProperty::~TInmemProperty() {}

TCIMValue TInmemProperty::Checked(TCIMValue const& value) const
{
    TCIMContext none;
    TCIMValue::TCIMType declType = fDecl->GetType(none);
    if (value.IsNull() && value.GetType() == kNone)
        return TCIMValue(declType);
    if (value.GetType() != declType)
        throw TKTAException(TKTAStatusCode::kWrongType,
                            "property " + fDecl->GetName(none) + " is declared " +
                                declType.GetName() + ", value is " +
                                value.GetType().GetName());
    if (declType == kReference) {
        boost::shared_ptr<ICIMClass> declared =
            fDecl->GetDefaultValue(none).GetReferencedClass();
        boost::shared_ptr<ICIMClass> given = value.GetReferencedClass();
        // Only a class named on both sides can be checked; an unnamed one
        // is taken on trust, as a reference read from text names none.
        if (declared && given && !given->IsSubclassOf(declared, none))
            throw TKTAException(TKTAStatusCode::kWrongType,
                                "property " + fDecl->GetName(none) + " references " +
                                    declared->GetName(none) + ", value references " +
                                    given->GetName(none));
    }
    return value;
}

TCIMValue::TCIMType TInmemProperty::GetType(TCIMContext context) const
{
    return fDecl->GetType(context);
}

bool TInmemProperty::IsArray(TCIMContext context) const
{
    return fDecl->IsArray(context);
}

bool TInmemProperty::IsDefaultValue(TCIMContext) const
{
    return !fValue;
}

TCIMValue const& TInmemProperty::GetValue(TCIMContext) const
{
    return fValue ? *fValue : fDecl->GetDefaultValue(TCIMContext());
}

void TInmemProperty::SetValue(TCIMValue const& value, TCIMContext)
{
    std::unique_ptr<TCIMValue> stored(new TCIMValue(Checked(value)));
    fValue = std::move(stored);
}

bool TInmemProperty::GetPropagated(TCIMContext context) const
{
    return IsDefaultValue(context);
}

boost::shared_ptr<const ICIMPropertyDecl> TInmemProperty::GetDeclaration(TCIMContext) const
{
    return fDecl;
}

bool TInmemProperty::operator==(ICIMProperty& other) const
{
    TCIMContext none;
    if (other.GetDeclaration(none) != fDecl)
        return false;
    return GetValue(none) == other.GetValue(none);
}

bool TInmemProperty::operator<(ICIMProperty& other) const
{
    TCIMContext none;
    boost::shared_ptr<const ICIMPropertyDecl> otherDecl = other.GetDeclaration(none);
    if (fDecl.owner_before(otherDecl))
        return true;
    if (otherDecl.owner_before(fDecl))
        return false;
    return GetValue(none) < other.GetValue(none);
}

ICIMProperty& TInmemProperty::operator=(ICIMProperty const& other)
{
    TInmemProperty const* inmem = dynamic_cast<TInmemProperty const*>(&other);
    if (inmem)
        *this = *inmem;
    return *this;
}

TInmemProperty& TInmemProperty::operator=(TInmemProperty const& other)
{
    if (this != &other) {
        fDecl = other.fDecl;
        fValue = CopyOf(other.fValue);
        fPrevValue = CopyOf(other.fPrevValue);
        fPrevValueSet = other.fPrevValueSet;
    }
    return *this;
}

TCIMValue const& TInmemProperty::GetPrevValue() const
{
    if (!fPrevValueSet)
        return GetValue(TCIMContext());
    return fPrevValue ? *fPrevValue : fDecl->GetDefaultValue(TCIMContext());
}

void TInmemProperty::SetPrevValue(TCIMValue const& value)
{
    // A null previous value of any type means "there was none" and is
    // recorded as it is.
    TCIMValue stored = value.IsNull() ? value : Checked(value);
    fPrevValue.reset(new TCIMValue(stored));
    fPrevValueSet = true;
}

void TInmemProperty::SetPrevValue()
{
    fPrevValue.reset(new TCIMValue());
    fPrevValueSet = true;
}

bool TInmemProperty::IsPrevValueDifferent() const
{
    return fPrevValueSet;
}

std::string TInmemProperty::ToString() const
{
    return GetValue(TCIMContext()).ToString(10);
}

std::string TInmemProperty::PrevValueToString() const
{
    return GetPrevValue().ToString(10);
}

std::vector<std::string> TInmemProperty::ToStringVector() const
{
    TCIMValue const& value = GetValue(TCIMContext());
    std::vector<std::string> texts;
    if (!value.IsArray()) {
        texts.push_back(value.ToString(10));
        return texts;
    }
    std::vector<TCIMValue> const& elements = value;
    for (TCIMValue const& element : elements)
        texts.push_back(element.ToString(10));
    return texts;
}

} // namespace NQRVKTA20
