// TCIMReference: class names from object paths, namespace link, ordering.

#include <gtest/gtest.h>

#include "TCIMContext.h"
#include "TCIMReference.h"

using namespace NQRVKTA20;

namespace {

// A namespace pointer that is only compared, never used: the tests need an
// owner whose lifetime they control, not a working namespace.
boost::shared_ptr<ICIMNamespace> FakeNamespace(boost::shared_ptr<int>& owner) {
    owner.reset(new int(0));
    return boost::shared_ptr<ICIMNamespace>(owner, reinterpret_cast<ICIMNamespace*>(owner.get()));
}

}  // namespace

TEST(ReferenceClassName, FromEveryPathForm) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"//host/root/cimv2:CIM_Foo.Name=\"x\"", "CIM_Foo"},
        {"//host.example.com:5988/root/cimv2:CIM_Foo.Name=\"x\"", "CIM_Foo"},
        {"root/cimv2:CIM_Foo.Name=\"a:b.c\"", "CIM_Foo"},
        {"root/cimv2:CIM_Foo.Name=\"a:b.c\",Id=3", "CIM_Foo"},
        {"CIM_Foo.Name=\"//h/ns:Other.K=1\"", "CIM_Foo"},
        {"CIM_Foo.Key=1", "CIM_Foo"},
        {"CIM_Foo.Ref=root/x:Other.K=2", "CIM_Foo"},
        {"CIM_Foo", "CIM_Foo"},
        {"CIM_Foo=@", "CIM_Foo"},
        {"root/cimv2:CIM_Foo", "CIM_Foo"},
        {"root/cimv2:CIM_Foo=@", "CIM_Foo"},
        {"/root/cimv2:CIM_Foo.A=1", "CIM_Foo"},
        {"  CIM_Foo.Key=1", "CIM_Foo"},
        {"", ""},
        {"//hostonly", ""},
        {"root/cimv2:", ""},
    };
    for (const auto& c : cases) {
        TCIMReference ref;
        ref.SetPath(c.first);
        EXPECT_EQ(ref.GetClassName(), c.second) << c.first;
        EXPECT_EQ(ref.GetPath(), c.first);
    }
}

TEST(ReferenceNamespace, IsHeldWeakly) {
    boost::shared_ptr<int> owner;
    boost::shared_ptr<ICIMNamespace> ns = FakeNamespace(owner);
    TCIMReference ref(ns, TCIMContext());
    EXPECT_EQ(ref.GetNamespace(), ns);
    EXPECT_EQ(ref.GetPath(), "");

    const TCIMReference copy = ref;
    ns.reset();
    owner.reset();
    EXPECT_FALSE(ref.GetNamespace());
    EXPECT_FALSE(copy.GetNamespace());

    boost::shared_ptr<int> owner2;
    boost::shared_ptr<ICIMNamespace> ns2 = FakeNamespace(owner2);
    ref.SetNamespace(ns2);
    EXPECT_EQ(ref.GetNamespace(), ns2);
    EXPECT_FALSE(TCIMReference().GetNamespace());
}

TEST(ReferenceCompare, ByPathTextOnly) {
    boost::shared_ptr<int> owner;
    TCIMReference a(FakeNamespace(owner), TCIMContext()), b, c;
    a.SetPath("CIM_A.K=1");
    b.SetPath("CIM_A.K=1");
    c.SetPath("CIM_B.K=1");
    EXPECT_EQ(a, b);  // namespaces differ; paths decide
    EXPECT_NE(a, c);
    EXPECT_LT(a, c);
    EXPECT_FALSE(c < a);
    EXPECT_FALSE(a < b || b < a);
    TCIMReference upper;
    upper.SetPath("cim_a.K=1");
    EXPECT_NE(a, upper);  // exact text, letter case included
}
