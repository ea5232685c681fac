// libpegprovider on its own: the provider exceptions and CIMOMHandle with
// and without a server attached.
#include <CIMOMHandleBackend.h>

#include <Pegasus/Provider/CIMInstanceProvider.h>
#include <Pegasus/Provider/CIMMethodProvider.h>

#include <gtest/gtest.h>

#include <functional>

using namespace Pegasus;

namespace {

std::string str(const String& s)
{
    return std::string(static_cast<const char*>(s.getCString()));
}

struct ExceptionCase
{
    std::function<void()> raise;
    CIMStatusCode code;
};

TEST(ProviderExceptionTest, EachClassCarriesItsCodeAndTheMessageUnchanged)
{
    const ExceptionCase cases[] = {
        {[] { throw CIMOperationFailedException("m"); }, CIM_ERR_FAILED},
        {[] { throw CIMAccessDeniedException("m"); }, CIM_ERR_ACCESS_DENIED},
        {[] { throw CIMInvalidParameterException("m"); }, CIM_ERR_INVALID_PARAMETER},
        {[] { throw CIMObjectNotFoundException("m"); }, CIM_ERR_NOT_FOUND},
        {[] { throw CIMNotSupportedException("m"); }, CIM_ERR_NOT_SUPPORTED},
        {[] { throw CIMObjectAlreadyExistsException("m"); }, CIM_ERR_ALREADY_EXISTS},
        {[] { throw CIMPropertyNotFoundException("m"); }, CIM_ERR_NO_SUCH_PROPERTY},
        {[] { throw CIMMethodNotFoundException("m"); }, CIM_ERR_METHOD_NOT_FOUND},
    };
    for (const ExceptionCase& c : cases)
    {
        // Every one is caught as CIMOperationFailedException and CIMException.
        try
        {
            c.raise();
            ADD_FAILURE() << "nothing thrown";
        }
        catch (const CIMOperationFailedException& e)
        {
            EXPECT_EQ(c.code, e.getCode());
            EXPECT_EQ("m", str(e.getMessage()));
        }
    }
}

// Records what reached it and answers with fixed objects.
class RecordingBackend : public CIMOMHandleBackend
{
public:
    CIMClass getClass(const OperationContext&, const CIMNamespaceName& ns,
                      const CIMName& className, Boolean, Boolean, Boolean,
                      const CIMPropertyList&) override
    {
        lastNamespace = ns.getString();
        return CIMClass(className);
    }
    Array<CIMClass> enumerateClasses(const OperationContext&, const CIMNamespaceName&,
                                     const CIMName&, Boolean, Boolean, Boolean,
                                     Boolean) override
    {
        return Array<CIMClass>();
    }
    Array<CIMName> enumerateClassNames(const OperationContext&, const CIMNamespaceName&,
                                       const CIMName&, Boolean) override
    {
        return Array<CIMName>();
    }
    void createClass(const OperationContext&, const CIMNamespaceName&,
                     const CIMClass&) override {}
    void modifyClass(const OperationContext&, const CIMNamespaceName&,
                     const CIMClass&) override {}
    void deleteClass(const OperationContext&, const CIMNamespaceName&,
                     const CIMName&) override {}
    CIMInstance getInstance(const OperationContext&, const CIMNamespaceName&,
                            const CIMObjectPath& path, Boolean, Boolean, Boolean,
                            const CIMPropertyList& propertyList) override
    {
        lastPropertyList = propertyList.toString();
        CIMInstance i(path.getClassName());
        i.addProperty(CIMProperty("Size", Uint32(7)));
        return i;
    }
    Array<CIMInstance> enumerateInstances(const OperationContext&,
                                          const CIMNamespaceName&, const CIMName&,
                                          Boolean, Boolean, Boolean, Boolean,
                                          const CIMPropertyList&) override
    {
        return Array<CIMInstance>();
    }
    Array<CIMObjectPath> enumerateInstanceNames(const OperationContext&,
                                                const CIMNamespaceName&,
                                                const CIMName&) override
    {
        return Array<CIMObjectPath>();
    }
    CIMObjectPath createInstance(const OperationContext&, const CIMNamespaceName&,
                                 const CIMInstance&) override
    {
        return CIMObjectPath();
    }
    void modifyInstance(const OperationContext&, const CIMNamespaceName&,
                        const CIMInstance& instance, Boolean,
                        const CIMPropertyList& propertyList) override
    {
        modified = instance;
        lastPropertyList = propertyList.toString();
    }
    void deleteInstance(const OperationContext&, const CIMNamespaceName&,
                        const CIMObjectPath&) override {}
    CIMValue invokeMethod(const OperationContext&, const CIMNamespaceName&,
                          const CIMObjectPath&, const CIMName& method,
                          const Array<CIMParamValue>&,
                          Array<CIMParamValue>& out) override
    {
        out.clear();
        out.append(CIMParamValue("Out", CIMValue(Uint32(1))));
        return CIMValue(method.getString());
    }

    String lastNamespace;
    String lastPropertyList;
    CIMInstance modified;
};

TEST(CIMOMHandleTest, WithoutServerEveryUpcallFails)
{
    CIMOMHandle handle;
    try
    {
        handle.getClass(OperationContext(), "root/x", "C", false, true, false,
                        CIMPropertyList());
        FAIL() << "no exception";
    }
    catch (const CIMException& e)
    {
        EXPECT_EQ(CIM_ERR_FAILED, e.getCode());
        EXPECT_NE(0u, e.getMessage().size());
    }
}

TEST(CIMOMHandleTest, CopiesReachTheInstalledBackend)
{
    RecordingBackend backend;
    installCIMOMHandleBackend(&backend);
    CIMOMHandle original;
    CIMOMHandle copy(original);
    OperationContext context;

    EXPECT_EQ("C", str(copy.getClass(context, "root/x", "C", false, true, false,
                                     CIMPropertyList()).getClassName().getString()));
    EXPECT_EQ("root/x", str(backend.lastNamespace));

    Array<CIMParamValue> out;
    out.append(CIMParamValue("Stale", CIMValue(Uint32(9))));
    CIMValue result = copy.invokeMethod(context, "root/x", CIMObjectPath("C"),
                                        "Run", Array<CIMParamValue>(), out);
    EXPECT_EQ("Run", str(result.toString()));
    ASSERT_EQ(1u, out.size());
    EXPECT_EQ("Out", str(out[0].getParameterName()));

    // getProperty / setProperty go through getInstance / modifyInstance
    // restricted to the one property.
    CIMValue size = copy.getProperty(context, "root/x", CIMObjectPath("C.Id=\"1\""),
                                     "Size");
    EXPECT_EQ("7", str(size.toString()));
    EXPECT_EQ("Size", str(backend.lastPropertyList));
    EXPECT_THROW(copy.getProperty(context, "root/x", CIMObjectPath("C.Id=\"1\""),
                                  "Missing"),
                 CIMException);
    copy.setProperty(context, "root/x", CIMObjectPath("C.Id=\"1\""), "Label",
                     CIMValue(String("new")));
    ASSERT_FALSE(backend.modified.isUninitialized());
    EXPECT_EQ("C.Id=\"1\"", str(backend.modified.getPath().toString()));
    ASSERT_EQ(1u, backend.modified.getPropertyCount());
    EXPECT_EQ("Label", str(backend.modified.getProperty(0).getName().getString()));
    EXPECT_EQ("new", str(backend.modified.getProperty(0).getValue().toString()));
    EXPECT_EQ("Label", str(backend.lastPropertyList));

    removeCIMOMHandleBackend(&backend);
    EXPECT_THROW(copy.enumerateInstanceNames(context, "root/x", "C"), CIMException);
}

TEST(CIMOMHandleTest, RemovingAnotherBackendLeavesTheInstalledOne)
{
    RecordingBackend installed, other;
    installCIMOMHandleBackend(&installed);
    removeCIMOMHandleBackend(&other);
    CIMOMHandle handle;
    CIMClass c = handle.getClass(OperationContext(), "root/y", "D", false, true, false,
                                 CIMPropertyList());
    EXPECT_EQ("D", str(c.getClassName().getString()));
    EXPECT_EQ("root/y", str(installed.lastNamespace));
    EXPECT_EQ("", str(other.lastNamespace));
    removeCIMOMHandleBackend(&installed);
}

TEST(CIMOMHandleTest, UnsupportedUpcallsSayNotSupported)
{
    RecordingBackend backend;
    installCIMOMHandleBackend(&backend);
    CIMOMHandle handle;
    try
    {
        handle.execQuery(OperationContext(), "root/x", "WQL", "select * from C");
        FAIL() << "no exception";
    }
    catch (const CIMException& e)
    {
        EXPECT_EQ(CIM_ERR_NOT_SUPPORTED, e.getCode());
    }
    removeCIMOMHandleBackend(&backend);
}

}  // namespace
