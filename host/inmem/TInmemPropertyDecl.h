// TInmemPropertyDecl: an in-memory property declaration (see
// ICIMPropertyDecl for the contract).
//
// Made by TInmemClass::AllocatePropertyDecl; must be held by a
// boost::shared_ptr (AddToClass and AllocateQualifier use
// shared_from_this). Refers to its class weakly. GetQualifier of an absent
// name returns an empty pointer.
// Thread safety: none; callers serialise changes.
#ifndef NQRVKTA20_TINMEMPROPERTYDECL_H
#define NQRVKTA20_TINMEMPROPERTYDECL_H

#include <string>

#include <boost/enable_shared_from_this.hpp>
#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include "ICIMPropertyDecl.h"
#include "TInmemQualifierList.h"

namespace NQRVKTA20 {

class TInmemPropertyDecl : public ICIMPropertyDecl,
                           public boost::enable_shared_from_this<TInmemPropertyDecl> {
public:
    // The default value gives the declaration's type and array flag; a
    // null value of the wanted type (TCIMValue(kString)) declares without
    // a default.
    TInmemPropertyDecl(boost::shared_ptr<ICIMClass> cls, std::string const& name,
                       TCIMValue const& defaultValue);
    ~TInmemPropertyDecl() override;

    void AddQualifier(boost::shared_ptr<ICIMQualifier> qualifier, TCIMContext context) override;
    boost::shared_ptr<ICIMQualifier> AllocateQualifier(
        boost::shared_ptr<const ICIMQualifierDecl> decl, TCIMValue const& value,
        TCIMContext context) const override;
    // Unlike the form without a flavor, this one applies `flavor`.
    boost::shared_ptr<ICIMQualifier> AllocateQualifier(
        boost::shared_ptr<const ICIMQualifierDecl> decl, TCIMValue const& value,
        ICIMQualifierDecl::EFlavor flavor, TCIMContext context) const override;
    boost::shared_ptr<ICIMQualifier> GetQualifier(std::string const& name,
                                                  TCIMContext context) const override;
    void EnumerateQualifiers(TQualifierCallback const& callback,
                             TCIMContext context) const override;
    boost::shared_ptr<ICIMQualifier> GetQualifier(std::string const& name, bool& found,
                                                  TCIMContext context) const override;

    void Validate(TCIMContext context) const override;
    // Calls the class's AddPropertyDecl; TKTAException 15 when the class
    // is gone.
    void AddToClass(TCIMContext context) override;
    // Calls the class's RemovePropertyDecl if the class still exists.
    void RemoveFromClass(TCIMContext context) override;
    std::string const& GetName(TCIMContext context) const override;
    boost::shared_ptr<ICIMClass> GetClass(TCIMContext context) const override;
    TCIMValue::TCIMType GetType(TCIMContext context) const override;
    bool IsArray(TCIMContext context) const override;
    TCIMValue const& GetDefaultValue(TCIMContext context) const override;
    void SetDefaultValue(TCIMValue const& value, TCIMContext context) override;
    bool operator==(ICIMPropertyDecl& other) const override;
    bool operator<(ICIMPropertyDecl& other) const override;
    ICIMPropertyDecl& operator=(ICIMPropertyDecl const& other) override;

private:
    std::string fName;
    boost::weak_ptr<ICIMClass> fClass;
    TCIMValue fDefaultValue;
    TInmemQualifierList fQualifiers;
};

} // namespace NQRVKTA20

#endif
