// TPEGASUSMethodDecl: the declaration of one method of a TPEGASUSClass: its
// name (kept as given), its class, its return type (a scalar type code), its
// parameter declarations and its qualifiers.
//
// Made by TPEGASUSClass::AllocateMethodDecl; it makes its own parameter
// declarations (AllocateParameterDecl), which join it through their
// AddToMethod.  Parameters and qualifiers are looked up without regard to
// letter case and enumerated in ascending order of the lower-cased names.
//
// Ownership: always held by a boost::shared_ptr.  Refers to its class
// weakly; owns its parameters and qualifiers.
// Failure: TKTAException (15: no parameter or qualifier of that name; 16: a
// parameter of that name exists, after a severity-0 log line; 28: a
// qualifier that may not be replaced differs; 1: the GetQualifier form with
// a found flag; 25: an invalid name).
// Thread safety: none; callers serialise changes to one object.
#ifndef NQRVKTA20_TPEGASUSMETHODDECL_H
#define NQRVKTA20_TPEGASUSMETHODDECL_H

#include <map>
#include <string>

#include <boost/enable_shared_from_this.hpp>
#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include "ICIMMethodDecl.h"
#include "TPEGASUSQualifierList.h"

namespace NQRVKTA20 {

class TPEGASUSClass;
class TPEGASUSParameterDecl;

class TPEGASUSMethodDecl : public ICIMMethodDecl,
                           public boost::enable_shared_from_this<TPEGASUSMethodDecl> {
public:
    typedef std::map<std::string, boost::shared_ptr<TPEGASUSParameterDecl>> TParameterMap;

    TPEGASUSMethodDecl(boost::shared_ptr<TPEGASUSClass> cls, std::string const& name,
                       TCIMValue::TCIMType const& returnType);
    ~TPEGASUSMethodDecl() override;

    // --- ICIMNamedElement -------------------------------------------------
    void AddQualifier(boost::shared_ptr<ICIMQualifier> qualifier, TCIMContext context) override;
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
    // Not offered: TKTAException 1.
    boost::shared_ptr<ICIMQualifier> GetQualifier(std::string const& name, bool& found,
                                                  TCIMContext context) const override;

    // --- ICIMMethodDecl ---------------------------------------------------
    void Validate(TCIMContext context) const override;
    // Hands the declaration to its class's AddMethodDecl.
    void AddToClass(TCIMContext context) override;
    std::string const& GetName(TCIMContext context) const override;
    boost::shared_ptr<ICIMClass> GetClass(TCIMContext context) const override;
    TCIMValue::TCIMType GetReturnType(TCIMContext context) const override;
    // A new TPEGASUSParameterDecl of this method; not yet part of it.
    boost::shared_ptr<ICIMParameterDecl> AllocateParameterDecl(std::string const& name,
                                                               TCIMValue::TCIMType type,
                                                               TCIMContext context) override;
    // TKTAException 15 when absent.
    boost::shared_ptr<ICIMParameterDecl> GetParameterDecl(std::string const& name,
                                                          TCIMContext context) const override;
    void EnumerateParameterDecls(TParameterDeclCallback const& callback,
                                 TCIMContext context) const override;
    bool operator==(ICIMMethodDecl& other) const override;
    bool operator<(ICIMMethodDecl& other) const override;
    ICIMMethodDecl& operator=(ICIMMethodDecl const& other) override;

    // Adds `param` under its lower-cased name; a name present already is
    // logged ("Inmem: Attempt to add property <p> to method <m>: already
    // exists", severity 0) and throws TKTAException 16.
    void AddParameterDecl(boost::shared_ptr<TPEGASUSParameterDecl> param);
    // TKTAException 15 when absent.
    void RemoveParameterDecl(boost::shared_ptr<TPEGASUSParameterDecl> param);
    // Drops every parameter (after clearing their qualifiers) and
    // qualifier, breaking the cycles through them.
    void Clear();

private:
    TParameterMap fParameters;
    TPEGASUSQualifierList fQualifiers;
    std::string fName;
    TCIMValue::TCIMType fReturnType;
    boost::weak_ptr<TPEGASUSClass> fClass;
};

} // namespace NQRVKTA20

#endif
