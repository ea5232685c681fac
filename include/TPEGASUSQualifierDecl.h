// TPEGASUSQualifierDecl: the declaration of one qualifier in the plug-in's
// namespace: its name (kept as given), its type and array flag (those of its
// default value), its scope and its flavor.
//
// Made by TPEGASUSNamespace::AllocateQualifierDecl and by class
// initialisation, and kept in the namespace's qualifier-declaration
// registry.  A plain holder: nothing here talks to the server.
//
// Ownership: always held by a boost::shared_ptr (AddToNamespace needs
// shared_from_this).  Refers to its namespace weakly, so a declaration that
// qualifiers still hold may outlive the namespace (GetNamespace is then
// empty).
// Failure: comparisons throw what TPEGASUSNamespace::NormalizeName throws
// for an invalid name (TKTAException 25); AddToNamespace throws what the
// namespace's AddQualifierDecl throws (16 for a name declared already) and
// TKTAException 15 when the namespace is gone.
// Thread safety: none; callers serialise changes to one object.
#ifndef NQRVKTA20_TPEGASUSQUALIFIERDECL_H
#define NQRVKTA20_TPEGASUSQUALIFIERDECL_H

#include <string>

#include <boost/enable_shared_from_this.hpp>
#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include "ICIMQualifierDecl.h"

namespace NQRVKTA20 {

class TPEGASUSNamespace;

class TPEGASUSQualifierDecl : public ICIMQualifierDecl,
                              public boost::enable_shared_from_this<TPEGASUSQualifierDecl> {
public:
    TPEGASUSQualifierDecl(boost::shared_ptr<TPEGASUSNamespace> ns, std::string const& name,
                          TCIMValue const& defaultValue, ICIMQualifierDecl::EScope scope,
                          ICIMQualifierDecl::EFlavor flavor);
    ~TPEGASUSQualifierDecl() override;

    // Does nothing.
    void Validate(TCIMContext context) const override;
    // Registers the declaration with its namespace (AddQualifierDecl).
    void AddToNamespace(TCIMContext context) override;
    // Does nothing.
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
    // By the lower-cased names, byte by byte.
    bool operator==(ICIMQualifierDecl& other) const override;
    bool operator<(ICIMQualifierDecl& other) const override;
    // Changes nothing.
    ICIMQualifierDecl& operator=(ICIMQualifierDecl const& other) override;

private:
    boost::weak_ptr<TPEGASUSNamespace> fNamespace;
    std::string fName;
    TCIMValue fDefaultValue;
    EScope fScope;
    EFlavor fFlavor;
};

} // namespace NQRVKTA20

#endif
