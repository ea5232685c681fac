// Fuzz target: arbitrary bytes as the text form of a CIMObjectPath.  Text
// that parses must give a canonical form (toString) that parses to an equal
// path with the same canonical form; text that does not parse must throw
// MalformedObjectNameException, nothing else.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/String.h>

#include "FuzzText.h"

using namespace Pegasus;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    String text;
    if (!fuzzText(data, size, text))
        return 0;
    CIMObjectPath path;
    try
    {
        path.set(text);
    }
    catch (const MalformedObjectNameException&)
    {
        return 0;
    }

    String canonical = path.toString();
    CIMObjectPath again;
    try
    {
        again.set(canonical);
    }
    catch (const MalformedObjectNameException&)
    {
        std::abort();  // our own output must parse
    }
    if (!(again == path) || again.toString() != canonical)
        std::abort();
    return 0;
}
