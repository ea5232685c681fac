// Fuzz target: arbitrary bytes as the text of a CIMDateTime.  Text that is
// accepted must come back unchanged from toString() (the format has one
// spelling of each value, but for the sign of a zero offset), parse again
// to an equal value, and survive
// the arithmetic and comparisons a provider may apply to it; text that is
// refused must throw one of the documented exceptions.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <Pegasus/Common/CIMDateTime.h>
#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/String.h>

#include "FuzzText.h"

using namespace Pegasus;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    String text;
    if (!fuzzText(data, size, text))
        return 0;
    CIMDateTime value;
    try
    {
        value.set(text);
    }
    catch (const InvalidDateTimeFormatException&)
    {
        return 0;
    }
    catch (const DateTimeOutOfRangeException&)
    {
        return 0;
    }

    // The one liberty of the output: a zero UTC offset is written "+000"
    // even when it was read as "-000".
    String again = value.toString();
    String expected = text;
    if (expected.size() == 25 && expected[21] == '-' &&
        expected.subString(22) == "000")
        expected = expected.subString(0, 21) + "+000";
    if (again != expected)
        std::abort();
    CIMDateTime reparsed(again);
    if (!(reparsed == value) || !value.equal(reparsed))
        std::abort();

    // Arithmetic: out-of-range results, mixed kinds and division by zero
    // throw the library's exceptions, nothing else.
    try
    {
        CIMDateTime sum = value + value;
        (void)(sum >= value);
        CIMDateTime difference = value - value;
        (void)difference.toString();
        CIMDateTime scaled = value * 3;
        (void)(scaled / 3);
        if (value.isInterval())
            (void)(value / value);
        (void)value.toMicroSeconds();
    }
    catch (const Exception&)
    {
    }
    return 0;
}
