// Shared pieces of the repository tests: a scratch directory and the
// qualifier declarations and classes of the wire captures' MOF, built in
// code.
#ifndef KTA_TESTS_REPOSITORY_TESTSUPPORT_H
#define KTA_TESTS_REPOSITORY_TESTSUPPORT_H

#include <Repository.h>

#include <Pegasus/Common/CIMFlavor.h>
#include <Pegasus/Common/CIMMethod.h>
#include <Pegasus/Common/CIMParameter.h>
#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/CIMQualifier.h>
#include <Pegasus/Common/CIMScope.h>
#include <Pegasus/Common/Exception.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace repotest {

using namespace Pegasus;

// A fresh directory under the system's temporary directory, removed again
// by the destructor.
class ScratchDir
{
public:
    ScratchDir()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kta-repo-XXXXXX").string();
        char* made = mkdtemp(&pattern[0]);
        if (!made)
            throw std::runtime_error("mkdtemp failed");
        path = made;
    }
    ~ScratchDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string path;
};

// The status code of the CIMException that f throws; CIM_ERR_SUCCESS if
// it throws none.  Other exceptions propagate and fail the test.
inline CIMStatusCode codeOf(const std::function<void()>& f, String* message = nullptr)
{
    try
    {
        f();
    }
    catch (const CIMException& e)
    {
        if (message)
            *message = e.getMessage();
        return e.getCode();
    }
    return CIM_ERR_SUCCESS;
}

inline std::string str(const String& s)
{
    return std::string(static_cast<const char*>(s.getCString()));
}

const CIMNamespaceName kNs("root/wire");

// Appends `s` as blobs of the first format held texts: a length byte, then
// the UTF-16 units, low byte first.
inline void appendText16(std::string& out, const std::u16string& s)
{
    out.push_back(char(s.size()));
    for (char16_t c : s)
    {
        out.push_back(char(c & 0xff));
        out.push_back(char(c >> 8));
    }
}

inline CIMFlavor flavor(const CIMFlavor& a, const CIMFlavor& b)
{
    CIMFlavor f = a;
    f.addFlavor(b);
    return f;
}

// The declarations of wiretest.mof plus Override, Association and MaxLen.
inline void declareQualifiers(Repository& repo, const CIMNamespaceName& ns = kNs)
{
    CIMScope classes = CIMScope::CLASS + CIMScope::ASSOCIATION + CIMScope::INDICATION;
    CIMScope members = CIMScope::PROPERTY + CIMScope::METHOD + CIMScope::PARAMETER;
    repo.setQualifier(ns, CIMQualifierDecl("Abstract", Boolean(false), classes,
                                           CIMFlavor::RESTRICTED));
    repo.setQualifier(ns, CIMQualifierDecl("Key", Boolean(false),
                                           CIMScope::PROPERTY + CIMScope::REFERENCE,
                                           flavor(CIMFlavor::DISABLEOVERRIDE, CIMFlavor::TOSUBCLASS)));
    repo.setQualifier(ns, CIMQualifierDecl("Description", CIMValue(CIMTYPE_STRING, false),
                                           CIMScope::ANY,
                                           flavor(CIMFlavor::TOSUBCLASS, CIMFlavor::TRANSLATABLE)));
    repo.setQualifier(ns, CIMQualifierDecl("In", Boolean(true), CIMScope::PARAMETER,
                                           CIMFlavor::DISABLEOVERRIDE));
    repo.setQualifier(ns, CIMQualifierDecl("Out", Boolean(false), CIMScope::PARAMETER,
                                           CIMFlavor::DISABLEOVERRIDE));
    repo.setQualifier(ns, CIMQualifierDecl("ValueMap", CIMValue(CIMTYPE_STRING, true), members));
    repo.setQualifier(ns, CIMQualifierDecl("Values", CIMValue(CIMTYPE_STRING, true), members,
                                           CIMFlavor::TRANSLATABLE));
    repo.setQualifier(ns, CIMQualifierDecl("Version", CIMValue(CIMTYPE_STRING, false), classes,
                                           flavor(CIMFlavor::RESTRICTED, CIMFlavor::TRANSLATABLE)));
    repo.setQualifier(ns, CIMQualifierDecl("Units", CIMValue(CIMTYPE_STRING, false), members,
                                           CIMFlavor::TRANSLATABLE));
    repo.setQualifier(ns, CIMQualifierDecl("MaxLen", CIMValue(CIMTYPE_UINT32, false),
                                           CIMScope::PROPERTY + CIMScope::METHOD +
                                               CIMScope::PARAMETER));
    repo.setQualifier(ns, CIMQualifierDecl("Override", CIMValue(CIMTYPE_STRING, false),
                                           CIMScope::PROPERTY + CIMScope::REFERENCE +
                                               CIMScope::METHOD,
                                           CIMFlavor::RESTRICTED));
    repo.setQualifier(ns, CIMQualifierDecl("Association", Boolean(false), CIMScope::ASSOCIATION,
                                           CIMFlavor::DISABLEOVERRIDE));
}

// [Abstract, Version("1.0.0"), Description(...)] class WT_Base { [Key,
// Description("Identifier")] string Id; };  Qualifiers without flavors, as
// a client writes them.
inline CIMClass baseClass()
{
    CIMClass c("WT_Base");
    c.addQualifier(CIMQualifier("Abstract", Boolean(true)));
    c.addQualifier(CIMQualifier("Version", String("1.0.0")));
    c.addQualifier(CIMQualifier("Description", String("Base class for wire tests")));
    CIMProperty id("Id", CIMValue(CIMTYPE_STRING, false));
    id.addQualifier(CIMQualifier("Key", Boolean(true)));
    id.addQualifier(CIMQualifier("Description", String("Identifier")));
    c.addProperty(id);
    return c;
}

// WT_Widget : WT_Base, as in wiretest.mof.
inline CIMClass widgetClass()
{
    CIMClass c("WT_Widget", "WT_Base");
    c.addQualifier(CIMQualifier("Version", String("1.0.0")));
    c.addQualifier(CIMQualifier("Description", String("Widget class")));
    c.addProperty(CIMProperty("Label", CIMValue(CIMTYPE_STRING, false)));
    CIMProperty size("Size", CIMValue(CIMTYPE_UINT32, false));
    size.addQualifier(CIMQualifier("Units", String("Bytes")));
    c.addProperty(size);
    c.addProperty(CIMProperty("Big", CIMValue(CIMTYPE_UINT64, false)));
    c.addProperty(CIMProperty("Flag", CIMValue(CIMTYPE_BOOLEAN, false)));
    c.addProperty(CIMProperty("When", CIMValue(CIMTYPE_DATETIME, false)));
    c.addProperty(CIMProperty("States", CIMValue(CIMTYPE_UINT16, true)));
    c.addProperty(CIMProperty("Tags", CIMValue(CIMTYPE_STRING, true)));
    c.addProperty(CIMProperty("Weight", CIMValue(CIMTYPE_REAL64, false)));
    c.addProperty(CIMProperty("Delta", CIMValue(Sint32(-5))));
    CIMMethod resize("Resize", CIMTYPE_UINT32);
    resize.addQualifier(CIMQualifier("Description", String("Resize the widget")));
    CIMParameter newSize("NewSize", CIMTYPE_UINT32);
    newSize.addQualifier(CIMQualifier("In", Boolean(true)));
    resize.addParameter(newSize);
    CIMParameter oldSize("OldSize", CIMTYPE_UINT32);
    oldSize.addQualifier(CIMQualifier("In", Boolean(false)));
    oldSize.addQualifier(CIMQualifier("Out", Boolean(true)));
    resize.addParameter(oldSize);
    c.addMethod(resize);
    return c;
}

inline void loadWireSchema(Repository& repo, const CIMNamespaceName& ns = kNs)
{
    declareQualifiers(repo, ns);
    repo.createClass(ns, baseClass());
    repo.createClass(ns, widgetClass());
}

inline CIMInstance widget(const char* id, Uint32 size)
{
    CIMInstance i("WT_Widget");
    i.addProperty(CIMProperty("Id", String(id)));
    i.addProperty(CIMProperty("Size", size));
    return i;
}

inline CIMObjectPath widgetPath(const char* id)
{
    Array<CIMKeyBinding> keys;
    keys.append(CIMKeyBinding("Id", String(id), CIMKeyBinding::STRING));
    return CIMObjectPath(String(), CIMNamespaceName(), "WT_Widget", keys);
}

}  // namespace repotest

#endif
