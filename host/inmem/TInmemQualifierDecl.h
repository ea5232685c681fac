// TInmemQualifierDecl: an in-memory qualifier declaration of a
// TInmemNamespace (see ICIMQualifierDecl for the contract).
//
// Made by TInmemNamespace::AllocateQualifierDecl; must be held by a
// boost::shared_ptr (AddToNamespace uses shared_from_this). Refers to its
// namespace weakly.
// Thread safety: none; callers serialise changes.
#ifndef NQRVKTA20_TINMEMQUALIFIERDECL_H
#define NQRVKTA20_TINMEMQUALIFIERDECL_H

#include <string>

#include <boost/enable_shared_from_this.hpp>
#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include "ICIMQualifierDecl.h"

namespace NQRVKTA20 {

class TInmemQualifierDecl : public ICIMQualifierDecl,
                            public boost::enable_shared_from_this<TInmemQualifierDecl> {
public:
    TInmemQualifierDecl(boost::shared_ptr<ICIMNamespace> nameSpace, std::string const& name,
                        TCIMValue const& defaultValue, EScope scope, EFlavor flavor);
    ~TInmemQualifierDecl() override;

    void Validate(TCIMContext context) const override;
    // Registers with the namespace (TInmemNamespace::AddQualifierDecl):
    // TKTAException 16 when the name is declared there already, 15 when
    // the namespace is gone, 1 when it is not a TInmemNamespace.
    void AddToNamespace(TCIMContext context) override;
    // Removes the declaration from its namespace's registry if it is there.
    void RemoveQualifierDecl(TCIMContext context) override;
    std::string const& GetName(TCIMContext context) const override;
    boost::shared_ptr<ICIMNamespace> GetNamespace(TCIMContext context) const override;
    TCIMValue::TCIMType GetType(TCIMContext context) const override;
    bool IsArray(TCIMContext context) const override;
    TCIMValue const& GetDefaultValue(TCIMContext context) const override;
    void SetDefaultValue(TCIMValue const& value, TCIMContext context) override;
    EScope GetScope(TCIMContext context) const override;
    void SetFlavor(EFlavor flavor, TCIMContext context) override;
    void UnsetFlavor(EFlavor flavor, TCIMContext context) override;
    EFlavor GetFlavor(TCIMContext context) const override;
    bool operator==(ICIMQualifierDecl& other) const override;
    bool operator<(ICIMQualifierDecl& other) const override;
    ICIMQualifierDecl& operator=(ICIMQualifierDecl const& other) override;

private:
    boost::weak_ptr<ICIMNamespace> fNamespace;
    std::string fName;
    TCIMValue fDefaultValue;
    EScope fScope;
    EFlavor fFlavor;
};

} // namespace NQRVKTA20

#endif
