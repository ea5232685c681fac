// ICIMNamedElement: a schema element that carries qualifiers (a class, a
// property, method or parameter declaration).
//
// Qualifiers are looked up by name without regard to letter case.
// Ownership: an element owns the qualifiers added to it; AllocateQualifier
// only creates one (it is not yet part of the element).
// Failure: operations that fail throw TKTAException (28: a qualifier of the
// same name that may not be overridden differs; 1: an operation the element
// does not offer).
// Thread safety: none; callers serialise changes to one element.
#ifndef NQRVKTA20_ICIMNAMEDELEMENT_H
#define NQRVKTA20_ICIMNAMEDELEMENT_H

#include <string>

#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>

#include "ICIMQualifierDecl.h"
#include "TCIMContext.h"
#include "TCIMValue.h"

namespace NQRVKTA20 {

class ICIMQualifier;

class ICIMNamedElement {
public:
    // Receives one qualifier; returning false stops the enumeration.
    typedef boost::function<bool(boost::shared_ptr<ICIMQualifier>)> TQualifierCallback;

    virtual ~ICIMNamedElement() {}

    virtual void AddQualifier(boost::shared_ptr<ICIMQualifier> qualifier,
                              TCIMContext context) = 0;
    // A new qualifier of this element with the declaration's flavor.
    virtual boost::shared_ptr<ICIMQualifier> AllocateQualifier(
        boost::shared_ptr<const ICIMQualifierDecl> decl, TCIMValue const& value,
        TCIMContext context) const = 0;
    virtual boost::shared_ptr<ICIMQualifier> AllocateQualifier(
        boost::shared_ptr<const ICIMQualifierDecl> decl, TCIMValue const& value,
        ICIMQualifierDecl::EFlavor flavor, TCIMContext context) const = 0;
    // What an absent name gives (empty pointer or TKTAException 15) is the
    // element's choice; each implementation documents it.
    virtual boost::shared_ptr<ICIMQualifier> GetQualifier(
        std::string const& name, TCIMContext context) const = 0;
    // Calls the callback for each qualifier in ascending order of the
    // lower-cased names; stops at the first false.
    virtual void EnumerateQualifiers(TQualifierCallback const& callback,
                                     TCIMContext context) const = 0;
    // Sets `found` and returns the qualifier (empty when not found), or
    // throws TKTAException 1 where the element does not offer this form.
    virtual boost::shared_ptr<ICIMQualifier> GetQualifier(
        std::string const& name, bool& found, TCIMContext context) const = 0;

protected:
    ICIMNamedElement() = default;
    ICIMNamedElement(ICIMNamedElement const&) = default;
    ICIMNamedElement& operator=(ICIMNamedElement const&) = default;
};

} // namespace NQRVKTA20

#endif
