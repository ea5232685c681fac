// The parsed form of a MOF text: source locations, literal values and one
// plain structure per kind of declaration.  The parser fills these in; the
// loader turns them into CIM objects once the qualifier declarations and
// classes they depend on are known (a literal's CIM type is decided by the
// declaration it is assigned to, not by the literal itself).
//
// Plain data: copyable, no invariants beyond those noted on the fields.
#ifndef PEGASUS_MOF_SYNTAX_H
#define PEGASUS_MOF_SYNTAX_H

#include <Pegasus/Common/CIMType.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Pegasus {
namespace Mof {

// Where something starts in the MOF text: the file as named to the user,
// 1-based line and column (columns count characters, not bytes).
struct Location
{
    std::shared_ptr<const std::string> file;
    std::uint32_t line = 0;
    std::uint32_t column = 0;

    const std::string& fileName() const;
};

// A value as written in the MOF text, before it is given a CIM type.
struct Literal
{
    enum class Kind { Null, Boolean, Integer, Real, String, Char16, Alias, Array };

    Kind kind = Kind::Null;
    bool boolean = false;
    // Integers: sign and magnitude, so that the whole uint64 and sint64
    // ranges survive until the target type is known.
    bool negative = false;
    std::uint64_t magnitude = 0;
    double real = 0.0;
    // Strings and char16 values, escapes already resolved.
    std::u16string text;
    // Alias references: the name after the '$'.
    std::string alias;
    // Array initializers: the elements, never themselves arrays.
    std::vector<Literal> elements;
    // The literal as written (for messages).
    std::string source;
    Location where;
};

// The flavor keywords given after a qualifier or in a declaration's Flavor().
struct FlavorSpec
{
    bool enableOverride = false;
    bool disableOverride = false;
    bool toSubclass = false;
    bool restricted = false;
    bool translatable = false;
    bool toInstance = false;

    bool any() const
    {
        return enableOverride || disableOverride || toSubclass || restricted
            || translatable || toInstance;
    }
};

// One qualifier in a qualifier list: Name [(value) | {values}] [: flavors].
struct QualifierSpec
{
    std::string name;
    bool hasValue = false;
    Literal value;
    FlavorSpec flavor;
    Location where;
};

// A data type, or "ClassName REF", with the array suffix if any.
struct TypeSpec
{
    CIMType type = CIMTYPE_STRING;
    std::string referenceClass;   // set only for REF
    bool isArray = false;
    std::uint32_t arraySize = 0;  // 0: variable length
};

struct PropertySpec
{
    std::vector<QualifierSpec> qualifiers;
    TypeSpec type;
    std::string name;
    bool hasDefault = false;
    Literal defaultValue;
    Location where;
};

struct ParameterSpec
{
    std::vector<QualifierSpec> qualifiers;
    TypeSpec type;
    std::string name;
    Location where;
};

struct MethodSpec
{
    std::vector<QualifierSpec> qualifiers;
    TypeSpec returnType;
    std::string name;
    std::vector<ParameterSpec> parameters;
    Location where;
};

struct ClassSpec
{
    std::vector<QualifierSpec> qualifiers;
    std::string name;
    std::string superClass;       // empty: none
    std::string alias;            // empty: none
    std::vector<PropertySpec> properties;   // references included
    std::vector<MethodSpec> methods;
    Location where;
};

struct PropertyValueSpec
{
    std::vector<QualifierSpec> qualifiers;
    std::string name;
    Literal value;
    Location where;
};

struct InstanceSpec
{
    std::vector<QualifierSpec> qualifiers;
    std::string className;
    std::string alias;            // empty: none
    std::vector<PropertyValueSpec> properties;
    Location where;
};

// Scope bits as in CIMScope (CLASS 1 ... PARAMETER 64).
struct QualifierDeclSpec
{
    std::string name;
    TypeSpec type;
    bool hasDefault = false;
    Literal defaultValue;
    std::uint32_t scope = 0;
    FlavorSpec flavor;
    Location where;
};

struct PragmaSpec
{
    std::string name;
    std::string value;            // UTF-8
    Location where;
};

}  // namespace Mof
}  // namespace Pegasus

#endif
