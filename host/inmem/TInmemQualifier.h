// TInmemQualifier: an in-memory qualifier value attached to one element
// (see ICIMQualifier for the contract).
//
// Made by the elements' AllocateQualifier; must be held by a
// boost::shared_ptr (AddToClassOrProperty uses shared_from_this). Refers to
// its element weakly and holds its declaration strongly.
// Thread safety: none; callers serialise changes.
#ifndef NQRVKTA20_TINMEMQUALIFIER_H
#define NQRVKTA20_TINMEMQUALIFIER_H

#include <string>

#include <boost/enable_shared_from_this.hpp>
#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include "ICIMQualifier.h"

namespace NQRVKTA20 {

class TInmemQualifier : public ICIMQualifier,
                        public boost::enable_shared_from_this<TInmemQualifier> {
public:
    // The flavor is the declaration's. Throws TKTAException 1 when `decl`
    // is empty: a qualifier takes its name from its declaration.
    TInmemQualifier(boost::shared_ptr<const ICIMNamedElement> element,
                    boost::shared_ptr<const ICIMQualifierDecl> decl, TCIMValue const& value);
    // The same with the given flavor.
    TInmemQualifier(boost::shared_ptr<const ICIMNamedElement> element,
                    boost::shared_ptr<const ICIMQualifierDecl> decl, TCIMValue const& value,
                    ICIMQualifierDecl::EFlavor flavor);
    ~TInmemQualifier() override;

    void Validate(TCIMContext context) const override;
    // Calls the element's AddQualifier; TKTAException 15 when the element
    // is gone.
    void AddToClassOrProperty(TCIMContext context) override;
    void RemoveFromClassOrProperty(TCIMContext context) override;
    std::string const& GetName(TCIMContext context) const override;
    boost::shared_ptr<const ICIMNamedElement> GetClassOrProperty(
        TCIMContext context) const override;
    TCIMValue::TCIMType GetType(TCIMContext context) const override;
    bool IsArray(TCIMContext context) const override;
    boost::shared_ptr<const ICIMQualifierDecl> GetDeclaration(TCIMContext context) const override;
    TCIMValue const& GetValue(TCIMContext context) const override;
    void SetValue(TCIMValue const& value, TCIMContext context) override;
    void SetFlavor(ICIMQualifierDecl::EFlavor flavor, TCIMContext context) override;
    void UnsetFlavor(ICIMQualifierDecl::EFlavor flavor, TCIMContext context) override;
    ICIMQualifierDecl::EFlavor GetFlavor(TCIMContext context) const override;
    bool operator==(ICIMQualifier& other) const override;
    bool operator<(ICIMQualifier& other) const override;
    bool GetPropagated(TCIMContext context) const override;
    ICIMQualifier& operator=(ICIMQualifier const& other) override;

    void SetPropagated(bool propagated);

private:
    boost::weak_ptr<const ICIMNamedElement> fElement;
    boost::shared_ptr<const ICIMQualifierDecl> fDecl;
    TCIMValue fValue;
    ICIMQualifierDecl::EFlavor fFlavor;
    bool fPropagated;
};

} // namespace NQRVKTA20

#endif
