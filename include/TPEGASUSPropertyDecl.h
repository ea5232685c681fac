// TPEGASUSPropertyDecl: the declaration of one property of a TPEGASUSClass:
// its name (kept as given), its class, its default value (which gives the
// type and the array flag) and its qualifiers.
//
// Made by TPEGASUSClass::AllocatePropertyDecl; part of the class once the
// class stores it (class initialisation, or AddToClass).  Names of
// qualifiers are looked up without regard to letter case.
//
// Ownership: always held by a boost::shared_ptr (AddToClass and
// AllocateQualifier need shared_from_this).  Refers to its class weakly
// (GetClass is empty once the class is gone); owns its qualifiers.
// Failure: TKTAException (15: no qualifier of that name; 28: a qualifier
// that may not be replaced differs; 25: an invalid name); AddToClass throws
// what the class's AddPropertyDecl throws, and 15 when the class is gone.
// Thread safety: none; callers serialise changes to one object.
#ifndef NQRVKTA20_TPEGASUSPROPERTYDECL_H
#define NQRVKTA20_TPEGASUSPROPERTYDECL_H

#include <string>

#include <boost/enable_shared_from_this.hpp>
#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include "ICIMPropertyDecl.h"
#include "TPEGASUSQualifierList.h"

namespace NQRVKTA20 {

class TPEGASUSClass;

class TPEGASUSPropertyDecl : public ICIMPropertyDecl,
                             public boost::enable_shared_from_this<TPEGASUSPropertyDecl> {
public:
    TPEGASUSPropertyDecl(boost::shared_ptr<TPEGASUSClass> cls, std::string const& name,
                         TCIMValue const& defaultValue);
    // Another declaration's name and default value under the class `cls`.
    // Its qualifiers are not copied: a qualifier needs its element as a
    // shared pointer, which does not exist while the constructor runs.
    TPEGASUSPropertyDecl(boost::shared_ptr<TPEGASUSClass> cls, ICIMPropertyDecl const& other);
    ~TPEGASUSPropertyDecl() override;

    // --- ICIMNamedElement -------------------------------------------------
    // See TPEGASUSQualifierList for the add rule.
    void AddQualifier(boost::shared_ptr<ICIMQualifier> qualifier, TCIMContext context) override;
    // A new TPEGASUSQualifier of this declaration with the declaration's
    // flavor (the flavor argument of the second form is not applied).
    boost::shared_ptr<ICIMQualifier> AllocateQualifier(
        boost::shared_ptr<const ICIMQualifierDecl> decl, TCIMValue const& value,
        TCIMContext context) const override;
    boost::shared_ptr<ICIMQualifier> AllocateQualifier(
        boost::shared_ptr<const ICIMQualifierDecl> decl, TCIMValue const& value,
        ICIMQualifierDecl::EFlavor flavor, TCIMContext context) const override;
    // TKTAException 15 when absent.
    boost::shared_ptr<ICIMQualifier> GetQualifier(std::string const& name,
                                                  TCIMContext context) const override;
    void EnumerateQualifiers(TQualifierCallback const& callback,
                             TCIMContext context) const override;
    // Sets `found`; empty when absent.
    boost::shared_ptr<ICIMQualifier> GetQualifier(std::string const& name, bool& found,
                                                  TCIMContext context) const override;

    // --- ICIMPropertyDecl -------------------------------------------------
    // Does nothing.
    void Validate(TCIMContext context) const override;
    // The class's AddPropertyDecl decides.
    void AddToClass(TCIMContext context) override;
    // Does nothing.
    void RemoveFromClass(TCIMContext context) override;
    std::string const& GetName(TCIMContext context) const override;
    boost::shared_ptr<ICIMClass> GetClass(TCIMContext context) const override;
    TCIMValue::TCIMType GetType(TCIMContext context) const override;
    bool IsArray(TCIMContext context) const override;
    TCIMValue const& GetDefaultValue(TCIMContext context) const override;
    void SetDefaultValue(TCIMValue const& value, TCIMContext context) override;
    // By the lower-cased names, byte by byte.
    bool operator==(ICIMPropertyDecl& other) const override;
    bool operator<(ICIMPropertyDecl& other) const override;
    // Changes nothing.
    ICIMPropertyDecl& operator=(ICIMPropertyDecl const& other) override;

    // The qualifier entry of that name and whether it was found.
    std::pair<TPEGASUSQualifierList::TMap::iterator, bool> LookupQualifier(
        std::string const& name);
    // Removes the qualifier of the same name; TKTAException 15 when absent.
    void RemoveQualifier(boost::shared_ptr<ICIMQualifier> qualifier);
    // The qualifier stored under a lower-cased name, or empty.
    boost::shared_ptr<TPEGASUSQualifier> FindQualifierNormalized(std::string const& key) const
    {
        return fQualifiers.FindNormalized(key);
    }
    // Drops every qualifier (breaks the cycles through them).
    void ClearQualifiers() { fQualifiers.Clear(); }

private:
    std::string fName;
    boost::weak_ptr<TPEGASUSClass> fClass;
    TCIMValue fDefaultValue;
    TPEGASUSQualifierList fQualifiers;
};

} // namespace NQRVKTA20

#endif
