// Builds small in-memory models for the tests of this folder: a namespace
// with a "Key" qualifier declaration and helpers to declare properties.
#ifndef NQRVKTA20_TESTS_INMEMTESTMODEL_H
#define NQRVKTA20_TESTS_INMEMTESTMODEL_H

#include <string>

#include <boost/shared_ptr.hpp>

#include "ICIMClass.h"
#include "ICIMPropertyDecl.h"
#include "ICIMQualifier.h"
#include "TInmemNamespace.h"
#include "TKTAException.h"

namespace NQRVKTA20 {
namespace test {

inline TCIMContext NoContext()
{
    return TCIMContext();
}

// The status code of the TKTAException that `body` throws; 0 when none.
template <typename F> uint32_t StatusOf(F body)
{
    try {
        body();
    } catch (TKTAException const& e) {
        return e.GetStatusCode();
    }
    return 0;
}

struct TModel {
    boost::shared_ptr<TInmemNamespace> ns;
    boost::shared_ptr<ICIMQualifierDecl> keyDecl;
    boost::shared_ptr<ICIMQualifierDecl> associationDecl;

    TModel() : ns(new TInmemNamespace("root/test"))
    {
        keyDecl = ns->AllocateQualifierDecl("Key", TCIMValue(false),
                                            ICIMQualifierDecl::kScopeProperty,
                                            ICIMQualifierDecl::kFlavorToSubclass, NoContext());
        keyDecl->AddToNamespace(NoContext());
        associationDecl = ns->AllocateQualifierDecl("Association", TCIMValue(false),
                                                    ICIMQualifierDecl::kScopeClass,
                                                    ICIMQualifierDecl::kFlavorToSubclass,
                                                    NoContext());
        associationDecl->AddToNamespace(NoContext());
    }

    // A registered class below `parent` (none when empty).
    boost::shared_ptr<ICIMClass> Class(std::string const& name,
                                       boost::shared_ptr<ICIMClass> parent =
                                           boost::shared_ptr<ICIMClass>())
    {
        boost::shared_ptr<ICIMClass> cls = ns->AllocateClass(name, parent, NoContext());
        cls->AddToNamespace(NoContext());
        return cls;
    }

    // Declares a property whose type is that of `defaultValue`.
    boost::shared_ptr<ICIMPropertyDecl> Property(boost::shared_ptr<ICIMClass> const& cls,
                                                 std::string const& name,
                                                 TCIMValue const& defaultValue,
                                                 bool key = false)
    {
        boost::shared_ptr<ICIMPropertyDecl> decl =
            cls->AllocatePropertyDecl(name, defaultValue, NoContext());
        if (key)
            decl->AddQualifier(decl->AllocateQualifier(keyDecl, TCIMValue(true), NoContext()),
                               NoContext());
        decl->AddToClass(NoContext());
        return decl;
    }
};

} // namespace test
} // namespace NQRVKTA20

#endif
