// TPEGASUSProperty: default values, type checks with their log lines,
// previous values, comparisons, copying and a declaration that is gone.
#include <functional>

#include <gtest/gtest.h>

#include "TInmemClass.h"
#include "TInmemPropertyDecl.h"
#include "TKTAException.h"
#include "TPEGASUSProperty.h"

#include "../namespace/NamespaceTestSupport.h"

using namespace NQRVKTA20;

namespace {

typedef boost::shared_ptr<const ICIMPropertyDecl> TDecl;

TDecl MakeDecl(TCIMValue const& defaultValue, std::string const& name = "Size")
{
    return TDecl(new TInmemPropertyDecl(boost::shared_ptr<ICIMClass>(), name, defaultValue));
}

boost::shared_ptr<ICIMClass> MakeClass(std::string const& name,
                                       boost::shared_ptr<ICIMClass> parent = {})
{
    return boost::shared_ptr<ICIMClass>(
        new TInmemClass(boost::shared_ptr<ICIMNamespace>(), name, parent));
}

TCIMValue ReferenceTo(boost::shared_ptr<ICIMClass> cls, bool null = false)
{
    TCIMValue value = null ? TCIMValue(kReference) : TCIMValue(TCIMReference());
    value.SetReferencedClass(cls);
    return value;
}

class PegasusProperty : public ::testing::Test {
protected:
    // The severity-0 records, texts only.
    std::vector<std::string> Errors() const
    {
        std::vector<std::string> texts;
        for (nsptest::LogRecord const& record : fLog.Records())
            if (record.severity == 0)
                texts.push_back(record.text);
        return texts;
    }

    nsptest::LogCapture fLog;
    TDecl fDecl = MakeDecl(TCIMValue(7u));
};

TEST_F(PegasusProperty, ReportsTheDefaultUntilAValueIsSet)
{
    TPEGASUSProperty property(fDecl);
    EXPECT_TRUE(property.IsDefaultValue({}));
    EXPECT_TRUE(property.GetPropagated({}));
    EXPECT_EQ(TCIMValue(7u), property.GetValue({}));
    EXPECT_EQ(kUint32, property.GetType({}));
    EXPECT_FALSE(property.IsArray({}));
    EXPECT_EQ(fDecl, property.GetDeclaration({}));
    EXPECT_EQ("7", property.ToString());

    property.SetValue(TCIMValue(9u), {});
    EXPECT_FALSE(property.IsDefaultValue({}));
    EXPECT_FALSE(property.GetPropagated({}));
    EXPECT_EQ(TCIMValue(9u), property.GetValue({}));
    EXPECT_EQ(TCIMValue(7u), fDecl->GetDefaultValue({}));

    // A null of the declared type is a value of its own, too.
    property.SetValue(TCIMValue(kUint32), {});
    EXPECT_FALSE(property.IsDefaultValue({}));
    EXPECT_TRUE(property.GetValue({}).IsNull());
    EXPECT_EQ("", property.ToString());
}

TEST_F(PegasusProperty, SetValueOfAnotherTypeIsLoggedRejectedAndStoresNothing)
{
    struct Case {
        TCIMValue value;
        std::string typeName;
    };
    std::vector<Case> cases = {
        {TCIMValue(5), "sint32"},
        {TCIMValue(static_cast<unsigned long long>(5)), "uint64"},
        {TCIMValue(kString), "string"},  // null values are checked as well
        {TCIMValue(), "none"},
        {TCIMValue(kUint32, 0, {TCIMValue(5u)}), "uint32[]"},
    };
    TPEGASUSProperty property(fDecl, TCIMValue(9u));
    for (Case const& c : cases) {
        SCOPED_TRACE(c.typeName);
        EXPECT_EQ(TKTAStatusCode::kWrongType,
                  nsptest::StatusOf([&] { property.SetValue(c.value, {}); }));
        EXPECT_EQ(TCIMValue(9u), property.GetValue({}));
        ASSERT_FALSE(Errors().empty());
        EXPECT_EQ("Inmem: SetValue: decl is type uint32 but value is type " + c.typeName,
                  Errors().back());
    }
    EXPECT_EQ(cases.size(), Errors().size());
    // The constructor with a value applies the same check.
    EXPECT_EQ(TKTAStatusCode::kWrongType,
              nsptest::StatusOf([&] { TPEGASUSProperty made(fDecl, TCIMValue("x")); }));
}

TEST_F(PegasusProperty, PreviousValueFollowsTheCurrentOneUntilRecorded)
{
    TPEGASUSProperty property(fDecl);
    EXPECT_FALSE(property.IsPrevValueDifferent());
    EXPECT_EQ(TCIMValue(7u), property.GetPrevValue());
    property.SetValue(TCIMValue(9u), {});
    EXPECT_EQ(TCIMValue(9u), property.GetPrevValue());

    property.SetPrevValue(TCIMValue(3u));
    property.SetValue(TCIMValue(4u), {});
    EXPECT_TRUE(property.IsPrevValueDifferent());
    EXPECT_EQ(TCIMValue(3u), property.GetPrevValue());
    EXPECT_EQ("3", property.PrevValueToString());
    EXPECT_EQ("4", property.ToString());

    property.SetPrevValue();
    EXPECT_EQ(TCIMValue(), property.GetPrevValue());
    EXPECT_TRUE(property.IsPrevValueDifferent());
}

TEST_F(PegasusProperty, SetPrevValueTakesNullsOfAnyTypeButChecksOthers)
{
    TPEGASUSProperty property(fDecl, TCIMValue(9u));
    EXPECT_EQ(TKTAStatusCode::kWrongType,
              nsptest::StatusOf([&] { property.SetPrevValue(TCIMValue("x")); }));
    EXPECT_FALSE(property.IsPrevValueDifferent());
    EXPECT_EQ(std::vector<std::string>{"SetPrevValue: decl is type uint32 but value is type string"},
              Errors());

    for (TCIMValue const& null : {TCIMValue(kString), TCIMValue(), TCIMValue(kReference)}) {
        property.SetPrevValue(null);
        EXPECT_EQ(null, property.GetPrevValue());
    }
    EXPECT_TRUE(property.IsPrevValueDifferent());
    EXPECT_EQ(TCIMValue(9u), property.GetValue({}));
}

TEST_F(PegasusProperty, ReferenceMustPointToTheDeclaredClassOrASubclass)
{
    boost::shared_ptr<ICIMClass> base = MakeClass("Base");
    boost::shared_ptr<ICIMClass> derived = MakeClass("Derived", base);
    boost::shared_ptr<ICIMClass> other = MakeClass("Other");

    TDecl toBase = MakeDecl(ReferenceTo(base, true), "Ref");
    TPEGASUSProperty property(toBase);
    property.SetValue(ReferenceTo(derived), {});
    EXPECT_EQ(derived, property.GetValue({}).GetReferencedClass());
    property.SetValue(ReferenceTo(base), {});
    property.SetPrevValue(ReferenceTo(derived));

    EXPECT_EQ(TKTAStatusCode::kWrongType,
              nsptest::StatusOf([&] { property.SetValue(ReferenceTo(other), {}); }));
    EXPECT_EQ(base, property.GetValue({}).GetReferencedClass());
    EXPECT_EQ(TKTAStatusCode::kWrongType,
              nsptest::StatusOf([&] { property.SetPrevValue(ReferenceTo(other)); }));
    EXPECT_EQ(derived, property.GetPrevValue().GetReferencedClass());

    // The property holds its declaration weakly: keep each one alive here.
    TDecl toDerivedDecl = MakeDecl(ReferenceTo(derived, true), "Ref");
    TPEGASUSProperty toDerived(toDerivedDecl);
    EXPECT_EQ(TKTAStatusCode::kWrongType,
              nsptest::StatusOf([&] { toDerived.SetValue(ReferenceTo(base), {}); }));
    EXPECT_TRUE(toDerived.IsDefaultValue({}));

    EXPECT_EQ((std::vector<std::string>{
                  "Inmem: SetValue: decl references type Base but value references Other",
                  "SetPrevValue: decl references type Base but value references Other",
                  "Inmem: SetValue: decl references type Derived but value references Base"}),
              Errors());

    // Without a class on either side the relation cannot be decided.
    EXPECT_EQ(TKTAStatusCode::kNotFound,
              nsptest::StatusOf([&] { property.SetValue(TCIMValue(TCIMReference()), {}); }));
    TDecl unnamedDecl = MakeDecl(TCIMValue(kReference), "Ref");
    TPEGASUSProperty unnamed(unnamedDecl);
    EXPECT_EQ(TKTAStatusCode::kNotFound,
              nsptest::StatusOf([&] { unnamed.SetValue(ReferenceTo(base), {}); }));
}

TEST_F(PegasusProperty, ComparesEqualOnlyWithTheSameDeclarationObject)
{
    TDecl twin = MakeDecl(TCIMValue(7u));
    TPEGASUSProperty a(fDecl, TCIMValue(1u)), b(fDecl, TCIMValue(1u)), c(fDecl, TCIMValue(2u));
    TPEGASUSProperty d(twin, TCIMValue(1u));
    TPEGASUSProperty defaulted(fDecl), explicitSeven(fDecl, TCIMValue(7u));

    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a == c);
    EXPECT_FALSE(a == d);
    EXPECT_FALSE(d == a);
    EXPECT_TRUE(defaulted == explicitSeven);

    EXPECT_TRUE(a < c);
    EXPECT_FALSE(c < a);
    EXPECT_FALSE(a < b);
    // Different declarations order by the declaration alone, whatever the
    // values are.
    bool declFirst = fDecl.owner_before(twin);
    EXPECT_EQ(declFirst, a < d);
    EXPECT_EQ(declFirst, c < d);
    EXPECT_EQ(!declFirst, d < a);
    EXPECT_EQ(!declFirst, d < c);

    static_cast<ICIMProperty&>(a) = c;  // assignment changes nothing
    EXPECT_EQ(TCIMValue(1u), a.GetValue({}));
}

TEST_F(PegasusProperty, CopiesDeclarationAndNonNullValueOfAnotherProperty)
{
    boost::shared_ptr<TPEGASUSProperty> source(new TPEGASUSProperty(fDecl, TCIMValue(9u)));
    source->SetPrevValue(TCIMValue(1u));
    TPEGASUSProperty copy{boost::shared_ptr<const ICIMProperty>(source)};
    EXPECT_EQ(fDecl, copy.GetDeclaration({}));
    EXPECT_EQ(TCIMValue(9u), copy.GetValue({}));
    EXPECT_FALSE(copy.IsPrevValueDifferent());
    EXPECT_TRUE(copy == *source);

    // A null value (here the declaration's default) is not taken over.
    TDecl noDefault = MakeDecl(TCIMValue(kUint32));
    TPEGASUSProperty fromNull{
        boost::shared_ptr<const ICIMProperty>(new TPEGASUSProperty(noDefault))};
    EXPECT_TRUE(fromNull.IsDefaultValue({}));
    EXPECT_EQ(noDefault, fromNull.GetDeclaration({}));
}

TEST_F(PegasusProperty, DeclarationThatIsGoneIsReportedNotFound)
{
    TDecl decl = MakeDecl(TCIMValue(7u));
    TPEGASUSProperty withValue(decl, TCIMValue(9u)), without(decl);
    TPEGASUSProperty other(fDecl, TCIMValue(9u));
    decl.reset();

    EXPECT_FALSE(without.GetDeclaration({}));
    std::vector<std::function<void()>> needDeclaration = {
        [&] { without.GetType({}); },
        [&] { without.IsArray({}); },
        [&] { without.GetValue({}); },
        [&] { without.GetPrevValue(); },
        [&] { without.ToString(); },
        [&] { withValue.SetValue(TCIMValue(1u), {}); },
        [&] { withValue.SetPrevValue(TCIMValue(1u)); },
    };
    for (size_t i = 0; i < needDeclaration.size(); ++i)
        EXPECT_EQ(TKTAStatusCode::kNotFound, nsptest::StatusOf(needDeclaration[i])) << "operation " << i;

    // What does not need the declaration still works.
    EXPECT_EQ(TCIMValue(9u), withValue.GetValue({}));
    withValue.SetPrevValue(TCIMValue(kUint32));
    EXPECT_TRUE(withValue.IsPrevValueDifferent());
    EXPECT_FALSE(withValue == other);
    EXPECT_FALSE(other == withValue);
}

TEST_F(PegasusProperty, ToStringVectorGivesOneTextPerElement)
{
    TDecl arrayDecl = MakeDecl(TCIMValue(TCIMValue::TCIMType(kUint32).GetArrayType()));
    TPEGASUSProperty array(arrayDecl);
    EXPECT_TRUE(array.IsArray({}));
    EXPECT_EQ(std::vector<std::string>(), array.ToStringVector());
    array.SetValue(TCIMValue(kUint32, 0, {TCIMValue(1u), TCIMValue(kUint32), TCIMValue(3u)}), {});
    EXPECT_EQ((std::vector<std::string>{"1", "", "3"}), array.ToStringVector());

    TDecl scalarDecl = MakeDecl(TCIMValue(kUint32));
    TPEGASUSProperty scalar(scalarDecl);
    EXPECT_EQ(std::vector<std::string>{""}, scalar.ToStringVector());
    scalar.SetValue(TCIMValue(5u), {});
    EXPECT_EQ(std::vector<std::string>{"5"}, scalar.ToStringVector());
}

} // namespace
