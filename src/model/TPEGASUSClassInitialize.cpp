// TPEGASUSClass::Initialize: builds the class from its definition on the
// CIM server - qualifiers (with their declarations), property declarations,
// method declarations and their parameters.
#include "TPEGASUSClass.h"

#include <cstdio>
#include <cstdlib>

#include <boost/function.hpp>

#include <Pegasus/Client/CIMClient.h>

#include "TKTAException.h"
#include "TPEGASUSMethodDecl.h"
#include "TPEGASUSNamespace.h"
#include "TPEGASUSParameterDecl.h"
#include "TPEGASUSPropertyDecl.h"
#include "TPEGASUSQualifierDecl.h"
#include "TPEGASUSValueConversion.h"
#include "TRootObject.h"

namespace NQRVKTA20 {

namespace {

void LogLine(int severity, std::string const& text)
{
    TRootObject::GetCoreLogger()->Log(severity, text);
}

// The flavor and scope texts are compared whole: a declaration whose text
// lists several words gets the value 0.
ICIMQualifierDecl::EFlavor FlavorOf(std::string const& text)
{
    if (text == "OVERRIDABLE")
        return ICIMQualifierDecl::kFlavorNone;
    if (text == "ENABLEOVERRIDE")
        return ICIMQualifierDecl::kFlavorEnableOverride;
    if (text == "TOSUBCLASS")
        return ICIMQualifierDecl::kFlavorToSubclass;
    if (text == "RESTRICTED")
        return ICIMQualifierDecl::kFlavorNone;
    if (text == "TRANSLATABLE")
        return ICIMQualifierDecl::kFlavorTranslatable;
    if (text == "DEFAULTS")
        return ICIMQualifierDecl::kFlavorDefaults;
    return ICIMQualifierDecl::kFlavorNone;
}

ICIMQualifierDecl::EScope ScopeOf(std::string const& text)
{
    static const struct {
        const char* text;
        ICIMQualifierDecl::EScope scope;
    } kScopes[] = {{"CLASS", ICIMQualifierDecl::kScopeClass},
                   {"ASSOCIATION", ICIMQualifierDecl::kScopeAssociation},
                   {"INDICATION", ICIMQualifierDecl::kScopeIndication},
                   {"PROPERTY", ICIMQualifierDecl::kScopeProperty},
                   {"REFERENCE", ICIMQualifierDecl::kScopeReference},
                   {"METHOD", ICIMQualifierDecl::kScopeMethod},
                   {"PARAMETER", ICIMQualifierDecl::kScopeParameter},
                   {"ANY", ICIMQualifierDecl::kScopeAny}};
    for (auto const& entry : kScopes)
        if (text == entry.text)
            return entry.scope;
    return static_cast<ICIMQualifierDecl::EScope>(0);
}

} // namespace

namespace {

// Adds one server qualifier to `element` in a failure scope of its own: a
// qualifier that cannot be had or added is logged and left out.
// `failureText` builds the log text for a TKTAException from the
// qualifier's name.
void AddServerQualifier(TPEGASUSNamespace& ns, Pegasus::CIMNamespaceName const& pegNamespace,
                        boost::shared_ptr<ICIMClass> const& owner, ICIMNamedElement& element,
                        Pegasus::CIMConstQualifier const& qualifier,
                        boost::function<std::string(std::string const&)> const& failureText)
{
    std::string const qname = TPEGASUSNamespace::PegasusText(qualifier.getName().getString());
    try {
        boost::shared_ptr<ICIMQualifierDecl> decl = ns.GetQualifierDecl(qname, TCIMContext());
        if (!decl) {
            Pegasus::CIMQualifierDecl onServer =
                ns.getPegClient()->getQualifier(pegNamespace, Pegasus::CIMName(qname.c_str()));
            ICIMQualifierDecl::EFlavor const flavor =
                FlavorOf(TPEGASUSNamespace::PegasusText(onServer.getFlavor().toString()));
            ICIMQualifierDecl::EScope const scope =
                ScopeOf(TPEGASUSNamespace::PegasusText(onServer.getScope().toString()));
            TCIMValue const defaultValue(pegTypeToKTAType(onServer.getType(), false), 0);
            decl = ns.AllocateQualifierDecl(qname, defaultValue, scope, flavor, TCIMContext());
            ns.AddQualifierDecl(boost::dynamic_pointer_cast<TPEGASUSQualifierDecl>(decl));
        }
        TCIMValue value;
        pegValToKTA(qname, qualifier.getValue(), qualifier.getType(), qualifier.isArray(), value,
                    owner);
        element.AddQualifier(element.AllocateQualifier(decl, value, TCIMContext()),
                             TCIMContext());
    } catch (Pegasus::CIMException const&) {
        LogLine(3, "TPEGASUSClass::Initialize - Unable to retrieve qualifier: " + qname);
    } catch (TKTAException const& e) {
        LogLine(3, failureText(qname) + "\tdetail: " + e.what());
    }
}

} // namespace

void TPEGASUSClass::Initialize(std::string const& nsp, std::string const& timeout,
                               boost::shared_ptr<ICIMClass> parent)
{
    fPegasusNSP.reset(new Pegasus::CIMNamespaceName(nsp.c_str()));
    fPegasusNSPStr = nsp;
    fTimeout = static_cast<int32_t>(strtol(timeout.c_str(), nullptr, 10) * 1000);

    if (fSuperClass.lock())
        return;
    fSuperClass = boost::dynamic_pointer_cast<TPEGASUSClass>(parent);
    if (fName == "<root>")
        return;

    boost::shared_ptr<TPEGASUSNamespace> ns = LockNamespace();
    if (!ns || !ns->getPegClient())
        throw TKTAException(TKTAStatusCode::kConnectionFailed,
                            "no CIM client for class " + fName);
    // A definition the namespace's lookup has just read is not read again.
    boost::shared_ptr<Pegasus::CIMClass> fetched = ns->TakeFetchedClass(nsp, fName);
    Pegasus::CIMClass const onServer =
        fetched ? *fetched
                : ns->getPegClient()->getClass(*fPegasusNSP, Pegasus::CIMName(fName.c_str()),
                                               false, true, false, Pegasus::CIMPropertyList());
    boost::shared_ptr<TPEGASUSClass> self = shared_from_this();
    std::string const where = "TPEGASUSClass::Initialize " + nsp + ":" + fName;

    for (Pegasus::Uint32 i = 0; i < onServer.getQualifierCount(); ++i) {
        AddServerQualifier(*ns, *fPegasusNSP, self, *this, onServer.getQualifier(i),
                           [&where](std::string const& qname) {
                               return where + "- error when Adding Qualifiers for class: " + qname;
                           });
    }

    for (Pegasus::Uint32 i = 0; i < onServer.getPropertyCount(); ++i) {
        Pegasus::CIMConstProperty const property = onServer.getProperty(i);
        std::string const pname = TPEGASUSNamespace::PegasusText(property.getName().getString());
        std::string const key = TPEGASUSNamespace::NormalizeName(pname);
        boost::shared_ptr<ICIMPropertyDecl> pdecl =
            AllocatePropertyDecl(pname, TCIMValue(), TCIMContext());
        Pegasus::CIMType const type = property.getType();
        if (type < 15) {
            pdecl->SetDefaultValue(TCIMValue(pegTypeToKTAType(type, property.isArray()), 0),
                                   TCIMContext());
        } else {
            char text[512];
            snprintf(text, sizeof text,
                     "Not supported type of property %s in class %s: %d, default to string.",
                     pname.c_str(), fName.c_str(), static_cast<int>(type));
            LogLine(3, text);
            pdecl->SetDefaultValue(TCIMValue(pegTypeToKTAType(Pegasus::CIMTYPE_STRING, false), 0),
                                   TCIMContext());
        }
        for (Pegasus::Uint32 q = 0; q < property.getQualifierCount(); ++q) {
            AddServerQualifier(*ns, *fPegasusNSP, self, *pdecl, property.getQualifier(q),
                               [&where, &pname](std::string const& qname) {
                                   return where + " - error when Adding Qualifiers for property: " +
                                          pname + " Qualifier : " + qname;
                               });
        }
        // Two server properties whose names differ only in case: the first
        // one stays.
        fPropertyDecls.insert(TPropertyDeclMap::value_type(
            key, boost::static_pointer_cast<TPEGASUSPropertyDecl>(pdecl)));
    }

    for (Pegasus::Uint32 i = 0; i < onServer.getMethodCount(); ++i) {
        Pegasus::CIMConstMethod const method = onServer.getMethod(i);
        std::string const mname = TPEGASUSNamespace::PegasusText(method.getName().getString());
        std::string const key = TPEGASUSNamespace::NormalizeName(mname);
        boost::shared_ptr<ICIMMethodDecl> mdecl =
            AllocateMethodDecl(mname, pegTypeToKTAType(method.getType(), false), TCIMContext());
        for (Pegasus::Uint32 p = 0; p < method.getParameterCount(); ++p) {
            Pegasus::CIMConstParameter const parameter = method.getParameter(p);
            boost::shared_ptr<ICIMParameterDecl> par = mdecl->AllocateParameterDecl(
                TPEGASUSNamespace::PegasusText(parameter.getName().getString()),
                pegTypeToKTAType(parameter.getType(), false), TCIMContext());
            for (Pegasus::Uint32 q = 0; q < parameter.getQualifierCount(); ++q) {
                AddServerQualifier(*ns, *fPegasusNSP, self, *par, parameter.getQualifier(q),
                                   [&where, &mname](std::string const& qname) {
                                       return where +
                                              " - error when Adding Qualifiers for method: " +
                                              mname + " Qualifier : " + qname;
                                   });
            }
            par->AddToMethod(TCIMContext());
        }
        fMethodDecls.insert(TMethodDeclMap::value_type(
            key, boost::static_pointer_cast<TPEGASUSMethodDecl>(mdecl)));
    }
}

} // namespace NQRVKTA20
