// CIMFlavor: bit operations and the fixed-order text form.
#include <Pegasus/Common/CIMFlavor.h>

PEGASUS_NAMESPACE_BEGIN

// Constant-initialised (constexpr constructor), so other static
// initialisers may use them regardless of the order of translation units.
const CIMFlavor CIMFlavor::NONE = CIMFlavor(0);
const CIMFlavor CIMFlavor::OVERRIDABLE = CIMFlavor(1);
const CIMFlavor CIMFlavor::ENABLEOVERRIDE = CIMFlavor(1);
const CIMFlavor CIMFlavor::TOSUBCLASS = CIMFlavor(2);
const CIMFlavor CIMFlavor::TOSUBELEMENTS = CIMFlavor(2);
const CIMFlavor CIMFlavor::TOINSTANCE = CIMFlavor(4);
const CIMFlavor CIMFlavor::TRANSLATABLE = CIMFlavor(8);
const CIMFlavor CIMFlavor::DISABLEOVERRIDE = CIMFlavor(16);
const CIMFlavor CIMFlavor::RESTRICTED = CIMFlavor(32);
const CIMFlavor CIMFlavor::DEFAULTS = CIMFlavor(3);

void CIMFlavor::addFlavor(const CIMFlavor& flavor)
{
    cimFlavor |= flavor.cimFlavor;
}

void CIMFlavor::removeFlavor(const CIMFlavor& flavor)
{
    cimFlavor &= ~flavor.cimFlavor;
}

Boolean CIMFlavor::hasFlavor(const CIMFlavor& flavor) const
{
    return (cimFlavor & flavor.cimFlavor) == flavor.cimFlavor;
}

Boolean CIMFlavor::equal(const CIMFlavor& flavor) const
{
    return cimFlavor == flavor.cimFlavor;
}

CIMFlavor CIMFlavor::operator+(const CIMFlavor& flavor) const
{
    return CIMFlavor(cimFlavor | flavor.cimFlavor);
}

String CIMFlavor::toString() const
{
    // One word per bit; the aliases and DEFAULTS have no word of their own.
    static const struct
    {
        Uint32 bit;
        const char* word;
    } words[] = {
        {1, "OVERRIDABLE"},
        {2, "TOSUBCLASS"},
        {4, "TOINSTANCE"},
        {8, "TRANSLATABLE"},
        {16, "DISABLEOVERRIDE"},
        {32, "RESTRICTED"},
    };

    String text;
    for (const auto& w : words)
    {
        if (cimFlavor & w.bit)
        {
            if (text.size())
                text.append(Char16(' '));
            text.append(String(w.word));
        }
    }
    return text;
}

PEGASUS_NAMESPACE_END
