// TPEGASUSQualifier: one qualifier value attached to one element of the
// plug-in's namespace (a class, or a property, method or parameter
// declaration).  Its name is its declaration's; its type and array flag are
// those of its value, which may be of any type.
//
// Ownership: always held by a boost::shared_ptr (AddToClassOrProperty needs
// shared_from_this).  Refers to its element weakly (GetClassOrProperty is
// empty once the element is gone) and holds its declaration strongly.
// Failure: comparisons throw what TPEGASUSNamespace::NormalizeName throws
// for an invalid name; AddToClassOrProperty throws what the element's
// AddQualifier throws, and TKTAException 15 when the element is gone.
// Thread safety: none; callers serialise changes to one object.
#ifndef NQRVKTA20_TPEGASUSQUALIFIER_H
#define NQRVKTA20_TPEGASUSQUALIFIER_H

#include <string>

#include <boost/enable_shared_from_this.hpp>
#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include "ICIMNamedElement.h"
#include "ICIMQualifier.h"

namespace NQRVKTA20 {

class TPEGASUSQualifier : public ICIMQualifier,
                          public boost::enable_shared_from_this<TPEGASUSQualifier> {
public:
    // The flavor is the declaration's; not propagated.  `decl` must not be
    // empty (TKTAException 15).
    TPEGASUSQualifier(boost::shared_ptr<const ICIMNamedElement> element,
                      boost::shared_ptr<const ICIMQualifierDecl> decl, TCIMValue const& value);
    // The flavor as given; not propagated.
    TPEGASUSQualifier(boost::shared_ptr<const ICIMNamedElement> element,
                      boost::shared_ptr<const ICIMQualifierDecl> decl, TCIMValue const& value,
                      ICIMQualifierDecl::EFlavor flavor);
    // A copy of `other` (declaration, value, flavor and propagated flag) for
    // the element `element`.
    TPEGASUSQualifier(boost::shared_ptr<const ICIMNamedElement> element,
                      boost::shared_ptr<const ICIMQualifier> other);
    ~TPEGASUSQualifier() override;

    // Does nothing.
    void Validate(TCIMContext context) const override;
    // Hands the qualifier to its element's AddQualifier.
    void AddToClassOrProperty(TCIMContext context) override;
    // Does nothing.
    void RemoveFromClassOrProperty(TCIMContext context) override;
    // The declaration's name, in its letter case.
    std::string const& GetName(TCIMContext context) const override;
    boost::shared_ptr<const ICIMNamedElement> GetClassOrProperty(
        TCIMContext context) const override;
    TCIMValue::TCIMType GetType(TCIMContext context) const override;
    bool IsArray(TCIMContext context) const override;
    boost::shared_ptr<const ICIMQualifierDecl> GetDeclaration(TCIMContext context) const override;
    TCIMValue const& GetValue(TCIMContext context) const override;
    // The next three clear the propagated flag.
    void SetValue(TCIMValue const& value, TCIMContext context) override;
    void SetFlavor(ICIMQualifierDecl::EFlavor flavor, TCIMContext context) override;
    void UnsetFlavor(ICIMQualifierDecl::EFlavor flavor, TCIMContext context) override;
    ICIMQualifierDecl::EFlavor GetFlavor(TCIMContext context) const override;
    // By the lower-cased names of the declarations, byte by byte; values,
    // flavors and elements take no part.
    bool operator==(ICIMQualifier& other) const override;
    bool operator<(ICIMQualifier& other) const override;
    bool GetPropagated(TCIMContext context) const override;
    // Changes nothing.
    ICIMQualifier& operator=(ICIMQualifier const& other) override;

    void SetPropagated(bool propagated) { fPropagated = propagated; }

private:
    boost::weak_ptr<const ICIMNamedElement> fElement;
    boost::shared_ptr<const ICIMQualifierDecl> fDeclaration;
    TCIMValue fValue;
    ICIMQualifierDecl::EFlavor fFlavor;
    bool fPropagated;
};

} // namespace NQRVKTA20

#endif
