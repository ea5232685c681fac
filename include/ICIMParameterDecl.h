// ICIMParameterDecl: the declaration of one parameter of a method.
//
// Ownership: held by boost::shared_ptr; the method declaration owns its
// parameters, and a parameter refers to its method weakly.
// Failure: operations that fail throw TKTAException.
// Thread safety: none; callers serialise changes to one object.
#ifndef NQRVKTA20_ICIMPARAMETERDECL_H
#define NQRVKTA20_ICIMPARAMETERDECL_H

#include <string>

#include <boost/shared_ptr.hpp>

#include "ICIMNamedElement.h"
#include "TCIMContext.h"
#include "TCIMValue.h"

namespace NQRVKTA20 {

class ICIMMethodDecl;

class ICIMParameterDecl : public ICIMNamedElement {
public:
    virtual ~ICIMParameterDecl() {}

    virtual void Validate(TCIMContext context) const = 0;
    // Hands the parameter to its method, which decides (16 on a duplicate).
    virtual void AddToMethod(TCIMContext context) = 0;
    virtual std::string const& GetName(TCIMContext context) const = 0;
    // Empty when the method no longer exists.
    virtual boost::shared_ptr<ICIMMethodDecl> GetMethodDecl(TCIMContext context) const = 0;
    virtual TCIMValue::TCIMType GetType(TCIMContext context) const = 0;
    virtual bool IsArray(TCIMContext context) const = 0;
    // Parameters compare by name, ignoring letter case.
    virtual bool operator==(ICIMParameterDecl& other) const = 0;
    virtual bool operator<(ICIMParameterDecl& other) const = 0;
    virtual ICIMParameterDecl& operator=(ICIMParameterDecl const& other) = 0;

protected:
    ICIMParameterDecl() = default;
    ICIMParameterDecl(ICIMParameterDecl const&) = default;
};

inline ICIMParameterDecl& ICIMParameterDecl::operator=(ICIMParameterDecl const&)
{
    return *this;
}

} // namespace NQRVKTA20

#endif
