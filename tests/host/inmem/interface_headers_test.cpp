// The host's object-model interface headers: each compiles on its own,
// and the interfaces are abstract, polymorphic and derived as the host
// defines them.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <type_traits>

#include <unistd.h>

#include <gtest/gtest.h>

#include "ICIMClass.h"
#include "ICIMElement.h"
#include "ICIMIndicationFilter.h"
#include "ICIMInstance.h"
#include "ICIMMethodDecl.h"
#include "ICIMNamedElement.h"
#include "ICIMNamespace.h"
#include "ICIMParameterDecl.h"
#include "ICIMProperty.h"
#include "ICIMPropertyDecl.h"
#include "ICIMQualifier.h"
#include "ICIMQualifierDecl.h"
#include "INamespaceProvider.h"
#include "IProvider.h"

namespace NQRVKTA20 {
namespace {

template <typename T> constexpr bool IsInterface()
{
    return std::is_abstract<T>::value && std::has_virtual_destructor<T>::value;
}

static_assert(std::has_virtual_destructor<ICIMElement>::value, "ICIMElement");
static_assert(IsInterface<ICIMNamedElement>(), "ICIMNamedElement");
static_assert(IsInterface<ICIMNamespace>(), "ICIMNamespace");
static_assert(IsInterface<ICIMClass>(), "ICIMClass");
static_assert(IsInterface<ICIMInstance>(), "ICIMInstance");
static_assert(IsInterface<ICIMProperty>(), "ICIMProperty");
static_assert(IsInterface<ICIMPropertyDecl>(), "ICIMPropertyDecl");
static_assert(IsInterface<ICIMMethodDecl>(), "ICIMMethodDecl");
static_assert(IsInterface<ICIMParameterDecl>(), "ICIMParameterDecl");
static_assert(IsInterface<ICIMQualifier>(), "ICIMQualifier");
static_assert(IsInterface<ICIMQualifierDecl>(), "ICIMQualifierDecl");
static_assert(IsInterface<IProvider>(), "IProvider");
static_assert(IsInterface<INamespaceProvider>(), "INamespaceProvider");
static_assert(IsInterface<ICIMIndicationFilter>(), "ICIMIndicationFilter");

static_assert(std::is_base_of<ICIMElement, ICIMClass>::value, "class is an element");
static_assert(std::is_base_of<ICIMNamedElement, ICIMClass>::value, "class is named");
static_assert(std::is_base_of<ICIMElement, ICIMInstance>::value, "instance is an element");
static_assert(std::is_base_of<ICIMNamedElement, ICIMPropertyDecl>::value, "property decl");
static_assert(std::is_base_of<ICIMNamedElement, ICIMMethodDecl>::value, "method decl");
static_assert(std::is_base_of<ICIMNamedElement, ICIMParameterDecl>::value, "parameter decl");

// The flavor and scope values are fixed by the host.
static_assert(ICIMQualifierDecl::kFlavorEnableOverride == 1 &&
                  ICIMQualifierDecl::kFlavorToSubclass == 2 &&
                  ICIMQualifierDecl::kFlavorDefaults == 3 &&
                  ICIMQualifierDecl::kFlavorTranslatable == 4,
              "flavors");
static_assert(ICIMQualifierDecl::kScopeClass == 1 && ICIMQualifierDecl::kScopeParameter == 64 &&
                  ICIMQualifierDecl::kScopeAny == 127,
              "scopes");

class InterfaceHeader : public ::testing::TestWithParam<const char*> {};

// Compiles a file that includes only the header, with the project's
// warnings turned into errors.
TEST_P(InterfaceHeader, CompilesOnItsOwn)
{
    std::string header = GetParam();
    std::string dir = ::testing::TempDir();
    std::string source = dir + "inmem_header_" + std::to_string(getpid()) + "_" +
                         header.substr(0, header.size() - 2) + ".cpp";
    {
        std::ofstream out(source.c_str());
        out << "#include \"" << header << "\"\nint main() { return 0; }\n";
    }
    const char* cxx = std::getenv("CXX");
    std::string command = std::string(cxx && *cxx ? cxx : "c++") +
                          " -std=c++17 -fsyntax-only -Wall -Wextra -Werror -I" KTA_SOURCE_DIR
                          "/include " + source + " 2>&1";
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    int status = pclose(pipe);
    std::remove(source.c_str());
    EXPECT_EQ(status, 0) << header << ":\n" << output;
}

INSTANTIATE_TEST_SUITE_P(AllInterfaces, InterfaceHeader,
                         ::testing::Values("ICIMElement.h", "ICIMNamedElement.h",
                                           "ICIMNamespace.h", "ICIMClass.h", "ICIMInstance.h",
                                           "ICIMProperty.h", "ICIMPropertyDecl.h",
                                           "ICIMMethodDecl.h", "ICIMParameterDecl.h",
                                           "ICIMQualifier.h", "ICIMQualifierDecl.h",
                                           "IProvider.h", "INamespaceProvider.h",
                                           "ICIMIndicationFilter.h"),
                         [](::testing::TestParamInfo<const char*> const& info) {
                             std::string name = info.param;
                             return name.substr(0, name.size() - 2);
                         });

} // namespace
} // namespace NQRVKTA20
