// TPEGASUSParameterDecl: the declaration of one parameter of a
// TPEGASUSMethodDecl: its name (kept as given), its method, its type (a
// scalar type code) and its qualifiers.  A parameter never reports itself an
// array.
//
// Ownership: always held by a boost::shared_ptr.  Refers to its method
// weakly; owns its qualifiers.
// Failure: TKTAException (15: removal of an absent qualifier; 28: a
// qualifier that may not be replaced differs; 1: the GetQualifier form with
// a found flag; 25: an invalid name); AddToMethod throws what the method's
// AddParameterDecl throws, and 15 when the method is gone.
// Thread safety: none; callers serialise changes to one object.
#ifndef NQRVKTA20_TPEGASUSPARAMETERDECL_H
#define NQRVKTA20_TPEGASUSPARAMETERDECL_H

#include <string>

#include <boost/enable_shared_from_this.hpp>
#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include "ICIMParameterDecl.h"
#include "TPEGASUSQualifierList.h"

namespace NQRVKTA20 {

class TPEGASUSMethodDecl;

class TPEGASUSParameterDecl : public ICIMParameterDecl,
                              public boost::enable_shared_from_this<TPEGASUSParameterDecl> {
public:
    TPEGASUSParameterDecl(boost::shared_ptr<TPEGASUSMethodDecl> method, std::string const& name,
                          TCIMValue::TCIMType const& type);
    ~TPEGASUSParameterDecl() override;

    // --- ICIMNamedElement -------------------------------------------------
    void AddQualifier(boost::shared_ptr<ICIMQualifier> qualifier, TCIMContext context) override;
    boost::shared_ptr<ICIMQualifier> AllocateQualifier(
        boost::shared_ptr<const ICIMQualifierDecl> decl, TCIMValue const& value,
        TCIMContext context) const override;
    boost::shared_ptr<ICIMQualifier> AllocateQualifier(
        boost::shared_ptr<const ICIMQualifierDecl> decl, TCIMValue const& value,
        ICIMQualifierDecl::EFlavor flavor, TCIMContext context) const override;
    // Empty when absent.
    boost::shared_ptr<ICIMQualifier> GetQualifier(std::string const& name,
                                                  TCIMContext context) const override;
    void EnumerateQualifiers(TQualifierCallback const& callback,
                             TCIMContext context) const override;
    // Not offered: TKTAException 1.
    boost::shared_ptr<ICIMQualifier> GetQualifier(std::string const& name, bool& found,
                                                  TCIMContext context) const override;

    // --- ICIMParameterDecl ------------------------------------------------
    void Validate(TCIMContext context) const override;
    // The method's AddParameterDecl decides.
    void AddToMethod(TCIMContext context) override;
    std::string const& GetName(TCIMContext context) const override;
    boost::shared_ptr<ICIMMethodDecl> GetMethodDecl(TCIMContext context) const override;
    TCIMValue::TCIMType GetType(TCIMContext context) const override;
    // Always false.
    bool IsArray(TCIMContext context) const override;
    bool operator==(ICIMParameterDecl& other) const override;
    bool operator<(ICIMParameterDecl& other) const override;
    ICIMParameterDecl& operator=(ICIMParameterDecl const& other) override;

    std::pair<TPEGASUSQualifierList::TMap::iterator, bool> LookupQual(std::string const& name);
    // TKTAException 15 when absent.
    void RemoveQualifier(boost::shared_ptr<ICIMQualifier> qualifier);
    void ClearQualifiers() { fQualifiers.Clear(); }

private:
    boost::weak_ptr<TPEGASUSMethodDecl> fMethod;
    std::string fName;
    TCIMValue fArrayMarker;
    TCIMValue::TCIMType fType;
    TPEGASUSQualifierList fQualifiers;
};

} // namespace NQRVKTA20

#endif
