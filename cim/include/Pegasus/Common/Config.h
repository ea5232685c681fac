// Basic configuration of the Pegasus C++ API: the fixed-width typedefs every
// other header uses, the namespace and linkage macros, and the platform
// macros.  Unlike some builds of this API, no platform macro is required on
// the command line; one that is given (e.g. PEGASUS_PLATFORM_LINUX_X86_64_GNU)
// is accepted and completed with the generic macros it implies.
#ifndef Pegasus_Config_h
#define Pegasus_Config_h

#include <cstddef>

#if defined(PEGASUS_PLATFORM_LINUX_X86_64_GNU) || \
    defined(PEGASUS_PLATFORM_LINUX_IX86_GNU) || \
    (!defined(PEGASUS_PLATFORM_LINUX_GENERIC_GNU) && defined(__linux__))
# ifndef PEGASUS_PLATFORM_LINUX_GENERIC_GNU
#  define PEGASUS_PLATFORM_LINUX_GENERIC_GNU
# endif
#endif
#if defined(PEGASUS_PLATFORM_LINUX_GENERIC_GNU) && !defined(PEGASUS_OS_LINUX)
# define PEGASUS_OS_LINUX
#endif
#if (defined(PEGASUS_OS_LINUX) || defined(__unix__)) && !defined(PEGASUS_OS_TYPE_UNIX)
# define PEGASUS_OS_TYPE_UNIX
#endif

#define PEGASUS_NAMESPACE_BEGIN namespace Pegasus {
#define PEGASUS_NAMESPACE_END }
#define PEGASUS_USING_PEGASUS using namespace Pegasus
#define PEGASUS_USING_STD using namespace std
#define PEGASUS_NAMESPACE(X) Pegasus::X
#define PEGASUS_STD(X) std::X

#define PEGASUS_EXPORT __attribute__((visibility("default")))
#define PEGASUS_IMPORT __attribute__((visibility("default")))
#define PEGASUS_HIDDEN_LINKAGE __attribute__((visibility("hidden")))

#define PEGASUS_EXPLICIT explicit
#define PEGASUS_TEMPLATE_SPECIALIZATION template <>
#define PEGASUS_64BIT_CONVERSION_WIDTH "ll"
#define PEGASUS_UINT64_LITERAL(X) ((Uint64)(X##ULL))
#define PEGASUS_SINT64_LITERAL(X) ((Sint64)(X##LL))

// Returned by every find*() of the API when nothing was found.
#define PEG_NOT_FOUND Uint32(-1)

namespace Pegasus
{
typedef bool Boolean;
typedef unsigned char Uint8;
typedef signed char Sint8;
typedef unsigned short Uint16;
typedef signed short Sint16;
typedef unsigned int Uint32;
typedef signed int Sint32;
typedef unsigned long long Uint64;
typedef long long Sint64;
typedef float Real32;
typedef double Real64;
}

#endif
