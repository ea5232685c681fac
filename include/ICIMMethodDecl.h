// ICIMMethodDecl: the declaration of one method of a class: name, class,
// return type, parameter declarations and qualifiers.
//
// Ownership: held by boost::shared_ptr; the class owns its method
// declarations, a method owns its parameters, and a method refers to its
// class weakly (GetClass yields an empty pointer once the class is gone).
// Failure: operations that fail throw TKTAException (15: no parameter of
// that name; 16: a parameter of that name exists).
// Thread safety: none; callers serialise changes to one object.
#ifndef NQRVKTA20_ICIMMETHODDECL_H
#define NQRVKTA20_ICIMMETHODDECL_H

#include <string>

#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>

#include "ICIMNamedElement.h"
#include "TCIMContext.h"
#include "TCIMValue.h"

namespace NQRVKTA20 {

class ICIMClass;
class ICIMParameterDecl;

class ICIMMethodDecl : public ICIMNamedElement {
public:
    // Receives one parameter declaration; false stops the enumeration.
    typedef boost::function<bool(boost::shared_ptr<ICIMParameterDecl>)> TParameterDeclCallback;

    virtual ~ICIMMethodDecl() {}

    virtual void Validate(TCIMContext context) const = 0;
    // Hands the declaration to its class's AddMethodDecl, which decides.
    virtual void AddToClass(TCIMContext context) = 0;
    virtual std::string const& GetName(TCIMContext context) const = 0;
    virtual boost::shared_ptr<ICIMClass> GetClass(TCIMContext context) const = 0;
    virtual TCIMValue::TCIMType GetReturnType(TCIMContext context) const = 0;
    // A new parameter of this method; not yet part of it (see AddToMethod).
    virtual boost::shared_ptr<ICIMParameterDecl> AllocateParameterDecl(
        std::string const& name, TCIMValue::TCIMType type, TCIMContext context) = 0;
    // By name, ignoring letter case; TKTAException 15 when absent.
    virtual boost::shared_ptr<ICIMParameterDecl> GetParameterDecl(
        std::string const& name, TCIMContext context) const = 0;
    // In ascending order of the lower-cased names; stops at the first false.
    virtual void EnumerateParameterDecls(TParameterDeclCallback const& callback,
                                         TCIMContext context) const = 0;
    // Methods compare by name, ignoring letter case.
    virtual bool operator==(ICIMMethodDecl& other) const = 0;
    virtual bool operator<(ICIMMethodDecl& other) const = 0;
    virtual ICIMMethodDecl& operator=(ICIMMethodDecl const& other) = 0;

protected:
    ICIMMethodDecl() = default;
    ICIMMethodDecl(ICIMMethodDecl const&) = default;
};

inline ICIMMethodDecl& ICIMMethodDecl::operator=(ICIMMethodDecl const&)
{
    return *this;
}

} // namespace NQRVKTA20

#endif
