// TInmemInstance and its property holder: names, type checks, object
// paths, identity and copying.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ICIMProperty.h"
#include "InmemTestModel.h"
#include "TInmemInstance.h"
#include "TInmemObjectPath.h"
#include "TKTAException.h"

namespace NQRVKTA20 {
namespace {

using test::NoContext;
using test::StatusOf;

class InmemInstance : public ::testing::Test {
protected:
    void SetUp() override
    {
        widget = model.Class("Test_Widget");
        model.Property(widget, "Name", TCIMValue(kString), true);
        model.Property(widget, "Id", TCIMValue(kUint32), true);
        model.Property(widget, "Size", TCIMValue(static_cast<unsigned long long>(7)));
        model.Property(widget, "Enabled", TCIMValue(kBoolean));
    }

    boost::shared_ptr<TInmemInstance> Widget(std::string const& name, unsigned int id)
    {
        boost::shared_ptr<TInmemInstance> instance(new TInmemInstance(widget, 3));
        instance->SetPropertyValue("Name", TCIMValue(name), NoContext());
        instance->SetPropertyValue("Id", TCIMValue(id), NoContext());
        return instance;
    }

    test::TModel model;
    boost::shared_ptr<ICIMClass> widget;
};

TEST_F(InmemInstance, PropertyNamesIgnoreLetterCase)
{
    boost::shared_ptr<TInmemInstance> w = Widget("a", 1);
    w->SetPropertyValue("SIZE", TCIMValue(static_cast<unsigned long long>(42)), NoContext());
    boost::shared_ptr<ICIMProperty> size = w->GetProperty("size", NoContext());
    EXPECT_EQ(size->GetValue(NoContext()), TCIMValue(static_cast<unsigned long long>(42)));
    EXPECT_EQ(size, w->GetProperty("Size", NoContext())) << "one holder per property";
    EXPECT_FALSE(size->IsDefaultValue(NoContext()));
    EXPECT_EQ(w->GetKind(), 3);
}

TEST_F(InmemInstance, UnsetPropertyReportsDeclarationDefault)
{
    boost::shared_ptr<TInmemInstance> w = Widget("a", 1);
    boost::shared_ptr<ICIMProperty> size = w->GetProperty("Size", NoContext());
    EXPECT_TRUE(size->IsDefaultValue(NoContext()));
    EXPECT_EQ(size->GetValue(NoContext()), TCIMValue(static_cast<unsigned long long>(7)));
    EXPECT_TRUE(w->GetProperty("Enabled", NoContext())->GetValue(NoContext()).IsNull());
}

// Holders are made together for every declared property: each must stay
// usable after its instance is gone, and a property the class declares
// later must still get one.
TEST_F(InmemInstance, HoldersOutliveTheInstanceAndLaterDeclarationsAreFound)
{
    boost::shared_ptr<ICIMProperty> name;
    {
        boost::shared_ptr<TInmemInstance> w = Widget("kept", 1);
        name = w->GetProperty("Name", NoContext());
        model.Property(widget, "Color", TCIMValue(kString));
        w->SetPropertyValue("color", TCIMValue(std::string("red")), NoContext());
        EXPECT_EQ(w->GetProperty("COLOR", NoContext())->GetValue(NoContext()),
                  TCIMValue(std::string("red")));
        std::vector<std::string> seen;
        w->EnumerateProperties(
            [&seen](boost::shared_ptr<ICIMProperty> p) {
                seen.push_back(p->GetDeclaration(NoContext())->GetName(NoContext()));
                return true;
            },
            NoContext());
        EXPECT_EQ(seen, (std::vector<std::string>{"Color", "Enabled", "Id", "Name", "Size"}));
    }
    EXPECT_EQ(name->GetValue(NoContext()), TCIMValue(std::string("kept")));
}

TEST_F(InmemInstance, UnknownNameThrows15)
{
    boost::shared_ptr<TInmemInstance> w = Widget("a", 1);
    EXPECT_EQ(StatusOf([&] { w->SetPropertyValue("Colour", TCIMValue("red"), NoContext()); }),
              15u);
    EXPECT_EQ(StatusOf([&] { w->GetProperty("Colour", NoContext()); }), 15u);
}

TEST_F(InmemInstance, WrongTypeThrows14AndKeepsTheValue)
{
    boost::shared_ptr<TInmemInstance> w = Widget("a", 1);
    struct Case {
        const char* property;
        TCIMValue value;
    } const cases[] = {
        {"Id", TCIMValue(static_cast<unsigned long long>(1))}, // uint64 for uint32
        {"Id", TCIMValue("1")},
        {"Name", TCIMValue(1)},
        {"Enabled", TCIMValue(kString)},                        // typed null of another type
        {"Size", TCIMValue(kUint64, 0u, std::vector<TCIMValue>())}, // array for a scalar
    };
    for (Case const& c : cases) {
        TCIMValue before = w->GetProperty(c.property, NoContext())->GetValue(NoContext());
        EXPECT_EQ(StatusOf([&] { w->SetPropertyValue(c.property, c.value, NoContext()); }), 14u)
            << c.property << " <- " << c.value.GetType();
        EXPECT_EQ(w->GetProperty(c.property, NoContext())->GetValue(NoContext()), before);
    }
}

TEST_F(InmemInstance, TypelessNullBecomesNullOfDeclaredType)
{
    boost::shared_ptr<TInmemInstance> w = Widget("a", 1);
    w->SetPropertyValue("Size", TCIMValue(), NoContext());
    TCIMValue const& value = w->GetProperty("Size", NoContext())->GetValue(NoContext());
    EXPECT_TRUE(value.IsNull());
    EXPECT_EQ(value.GetType(), kUint64);
}

TEST_F(InmemInstance, ReferenceNamesKeysInCaseInsensitiveOrder)
{
    boost::shared_ptr<ICIMClass> cls = model.Class("Test_Order");
    model.Property(cls, "beta", TCIMValue(kSint32), true);
    model.Property(cls, "Alpha", TCIMValue(kString), true);
    model.Property(cls, "GAMMA", TCIMValue(kBoolean), true);
    model.Property(cls, "Other", TCIMValue(kString));
    TInmemInstance instance(cls, 0);
    instance.SetPropertyValue("gamma", TCIMValue(true), NoContext());
    instance.SetPropertyValue("BETA", TCIMValue(-5), NoContext());
    instance.SetPropertyValue("alpha", TCIMValue("x"), NoContext());
    instance.SetPropertyValue("Other", TCIMValue("not a key"), NoContext());
    TCIMReference reference = instance.GetReference(NoContext());
    EXPECT_EQ(reference.GetPath(), "Test_Order.Alpha=\"x\",beta=-5,GAMMA=TRUE");
    EXPECT_EQ(reference.GetClassName(), "Test_Order");
    EXPECT_EQ(reference.GetNamespace(), model.ns);
    EXPECT_EQ(instance.BuildPath(NoContext()).GetPath(), reference.GetPath());
}

TEST_F(InmemInstance, ReferenceEscapesQuotesAndBackslashes)
{
    EXPECT_EQ(Widget("say \"hi\" \\o/", 2)->GetPathText(),
              "Test_Widget.Id=2,Name=\"say \\\"hi\\\" \\\\o/\"");
}

TEST(InmemObjectPath, FormatsEachKindOfKey)
{
    struct Case {
        TInmemKeyBindings keys;
        const char* expected;
    } const cases[] = {
        {{}, "C"},
        {{{"K", TCIMValue(kString)}}, "C.K="},
        {{{"K", TCIMValue("")}}, "C.K=\"\""},
        {{{"K", TCIMValue(static_cast<unsigned char>(255))}}, "C.K=255"},
        {{{"K", TCIMValue(false)}}, "C.K=FALSE"},
        {{{"b", TCIMValue(1)}, {"A", TCIMValue(2)}, {"a", TCIMValue(3)}}, "C.A=2,a=3,b=1"},
        {{{"K", TCIMValue("back\\slash")}}, "C.K=\"back\\\\slash\""},
    };
    for (Case const& c : cases)
        EXPECT_EQ(InmemFormatObjectPath("C", c.keys), c.expected);
}

TEST_F(InmemInstance, KeylessClassPathIsTheClassName)
{
    boost::shared_ptr<ICIMClass> single = model.Class("Test_Singleton");
    model.Property(single, "Value", TCIMValue(kString));
    EXPECT_EQ(TInmemInstance(single, 0).GetPathText(), "Test_Singleton");
}

TEST_F(InmemInstance, EqualityAndOrderFollowThePath)
{
    boost::shared_ptr<TInmemInstance> a1 = Widget("a", 1);
    boost::shared_ptr<TInmemInstance> a1too = Widget("a", 1);
    a1too->SetPropertyValue("Size", TCIMValue(static_cast<unsigned long long>(9)), NoContext());
    boost::shared_ptr<TInmemInstance> a2 = Widget("a", 2);
    boost::shared_ptr<TInmemInstance> b1 = Widget("b", 1);

    EXPECT_TRUE(*a1 == *a1too) << "non-key properties take no part";
    EXPECT_FALSE(*a1 < *a1too);
    EXPECT_FALSE(*a1too < *a1);
    std::vector<boost::shared_ptr<TInmemInstance>> all = {a1, a2, b1};
    for (auto const& x : all)
        for (auto const& y : all) {
            bool equal = *x == *y;
            EXPECT_EQ(equal, x == y);
            EXPECT_EQ(equal, !(*x < *y) && !(*y < *x)) << x->GetPathText() << " / "
                                                        << y->GetPathText();
            if (*x < *y) {
                EXPECT_FALSE(*y < *x);
            }
        }
}

TEST_F(InmemInstance, EnumeratePropertiesVisitsDeclaredInNameOrderAndStops)
{
    boost::shared_ptr<TInmemInstance> w = Widget("a", 1);
    std::vector<std::string> seen;
    w->EnumerateProperties(
        [&seen](boost::shared_ptr<ICIMProperty> p) {
            seen.push_back(p->GetDeclaration(NoContext())->GetName(NoContext()));
            return true;
        },
        NoContext());
    EXPECT_EQ(seen, (std::vector<std::string>{"Enabled", "Id", "Name", "Size"}));
    int calls = 0;
    w->EnumerateProperties([&calls](boost::shared_ptr<ICIMProperty>) { return ++calls < 2; },
                           NoContext());
    EXPECT_EQ(calls, 2);
}

TEST_F(InmemInstance, ModifyInstanceIsAllOrNothing)
{
    boost::shared_ptr<TInmemInstance> target = Widget("a", 1);
    boost::shared_ptr<TInmemInstance> source = Widget("a", 1);
    source->SetPropertyValue("Size", TCIMValue(static_cast<unsigned long long>(100)), NoContext());
    target->ModifyInstance(source, NoContext());
    EXPECT_EQ(target->GetProperty("Size", NoContext())->GetValue(NoContext()),
              TCIMValue(static_cast<unsigned long long>(100)));

    // A source of another class whose second property is unknown here.
    boost::shared_ptr<ICIMClass> other = model.Class("Test_Other");
    model.Property(other, "Size", TCIMValue(kUint64));
    model.Property(other, "Zzz", TCIMValue(kString));
    boost::shared_ptr<TInmemInstance> foreign(new TInmemInstance(other, 0));
    foreign->SetPropertyValue("Size", TCIMValue(static_cast<unsigned long long>(5)), NoContext());
    foreign->SetPropertyValue("Zzz", TCIMValue("z"), NoContext());
    EXPECT_EQ(StatusOf([&] { target->ModifyInstance(foreign, NoContext()); }), 15u);
    EXPECT_EQ(target->GetProperty("Size", NoContext())->GetValue(NoContext()),
              TCIMValue(static_cast<unsigned long long>(100)));
}

TEST_F(InmemInstance, ValidateNeedsEveryKey)
{
    boost::shared_ptr<TInmemInstance> w(new TInmemInstance(widget, 0));
    w->SetPropertyValue("Name", TCIMValue("a"), NoContext());
    EXPECT_EQ(StatusOf([&] { w->Validate(NoContext()); }), 15u);
    w->SetPropertyValue("Id", TCIMValue(1u), NoContext());
    EXPECT_EQ(StatusOf([&] { w->Validate(NoContext()); }), 0u);
}

TEST_F(InmemInstance, AssignmentCopiesDeeply)
{
    boost::shared_ptr<TInmemInstance> original = Widget("a", 1);
    TInmemInstance copy(widget, 0);
    static_cast<ICIMInstance&>(copy) = *original;
    copy.SetPropertyValue("Name", TCIMValue("changed"), NoContext());
    EXPECT_EQ(original->GetPathText(), "Test_Widget.Id=1,Name=\"a\"");
    EXPECT_EQ(copy.GetPathText(), "Test_Widget.Id=1,Name=\"changed\"");
    EXPECT_EQ(copy.GetKind(), 3);
}

TEST_F(InmemInstance, SubclassInstancesUseInheritedDeclarations)
{
    boost::shared_ptr<ICIMClass> gadget = model.Class("Test_Gadget", widget);
    model.Property(gadget, "Extra", TCIMValue(kReal64));
    boost::shared_ptr<TInmemInstance> g(new TInmemInstance(gadget, 0));
    g->SetPropertyValue("name", TCIMValue("g"), NoContext());
    g->SetPropertyValue("ID", TCIMValue(4u), NoContext());
    g->SetPropertyValue("extra", TCIMValue(1.5), NoContext());
    EXPECT_EQ(g->GetPathText(), "Test_Gadget.Id=4,Name=\"g\"");
}

TEST_F(InmemInstance, RegisteredInstancesAreFoundThroughTheNamespace)
{
    boost::shared_ptr<TInmemInstance> w = Widget("a", 1);
    w->AddToNamespace(NoContext());
    TCIMReference reference = w->GetReference(NoContext());
    EXPECT_EQ(model.ns->GetInstance(reference, NoContext()), w);

    TCIMContext changes;
    changes["SIZE"] = TCIMValue(static_cast<unsigned long long>(8));
    model.ns->ModifyInstance(reference, changes, NoContext());
    EXPECT_EQ(w->GetProperty("Size", NoContext())->GetValue(NoContext()),
              TCIMValue(static_cast<unsigned long long>(8)));

    model.ns->DeleteInstance(reference, NoContext());
    EXPECT_FALSE(model.ns->GetInstance(reference, NoContext()));
    EXPECT_EQ(StatusOf([&] { model.ns->DeleteInstance(reference, NoContext()); }), 15u);
}

TEST_F(InmemInstance, PreviousValueTracking)
{
    boost::shared_ptr<ICIMProperty> size = Widget("a", 1)->GetProperty("Size", NoContext());
    size->SetValue(TCIMValue(static_cast<unsigned long long>(1)), NoContext());
    EXPECT_FALSE(size->IsPrevValueDifferent());
    EXPECT_EQ(size->GetPrevValue(), size->GetValue(NoContext()));
    EXPECT_EQ(StatusOf([&] { size->SetPrevValue(TCIMValue("x")); }), 14u);
    EXPECT_FALSE(size->IsPrevValueDifferent()) << "a refused value records nothing";
    size->SetPrevValue(TCIMValue(kString)); // a null of any type is accepted
    EXPECT_TRUE(size->IsPrevValueDifferent());
    size->SetPrevValue();
    EXPECT_EQ(size->GetPrevValue(), TCIMValue());
    EXPECT_EQ(size->ToString(), "1");
}

} // namespace
} // namespace NQRVKTA20
