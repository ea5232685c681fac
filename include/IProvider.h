// IProvider: one provider of a namespace as the host's inventory sees it:
// its names and the classes it serves.
//
// Ownership: held by boost::shared_ptr by its namespace (and by the classes
// it serves, where the implementation says so).
// Failure: operations that fail throw TKTAException.
// Thread safety: the host may enumerate different providers on different
// threads at once; one provider is used by one thread at a time.
#ifndef NQRVKTA20_IPROVIDER_H
#define NQRVKTA20_IPROVIDER_H

#include <string>

#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>

#include "TCIMContext.h"

namespace NQRVKTA20 {

class ICIMClass;
class ICIMNamespace;

class IProvider {
public:
    // Receives one provided class; false stops the enumeration.
    typedef boost::function<bool(boost::shared_ptr<ICIMClass>)> TClassCallback;

    virtual ~IProvider() {}

    virtual std::string GetName(TCIMContext context) const = 0;
    virtual std::string GetModuleName(TCIMContext context) const = 0;
    virtual std::string GetDescription(TCIMContext context) const = 0;
    virtual boost::shared_ptr<ICIMNamespace> GetNamespace(TCIMContext context) const = 0;
    virtual void EnumerateClassesProvided(TClassCallback const& callback,
                                          TCIMContext context) = 0;
    virtual IProvider& operator=(IProvider const& other) = 0;

protected:
    IProvider() = default;
    IProvider(IProvider const&) = default;
};

inline IProvider& IProvider::operator=(IProvider const&)
{
    return *this;
}

} // namespace NQRVKTA20

#endif
