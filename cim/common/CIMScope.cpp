// CIMScope: bit operations and the fixed-order text form.
#include <Pegasus/Common/CIMScope.h>

PEGASUS_NAMESPACE_BEGIN

// Constant-initialised (constexpr constructor), so other static
// initialisers may use them regardless of the order of translation units.
const CIMScope CIMScope::NONE = CIMScope(0);
const CIMScope CIMScope::CLASS = CIMScope(1);
const CIMScope CIMScope::ASSOCIATION = CIMScope(2);
const CIMScope CIMScope::INDICATION = CIMScope(4);
const CIMScope CIMScope::PROPERTY = CIMScope(8);
const CIMScope CIMScope::REFERENCE = CIMScope(16);
const CIMScope CIMScope::METHOD = CIMScope(32);
const CIMScope CIMScope::PARAMETER = CIMScope(64);
const CIMScope CIMScope::ANY = CIMScope(127);

Boolean CIMScope::hasScope(const CIMScope& scope) const
{
    return (cimScope & scope.cimScope) == scope.cimScope;
}

void CIMScope::addScope(const CIMScope& scope)
{
    cimScope |= scope.cimScope;
}

Boolean CIMScope::equal(const CIMScope& scope) const
{
    return cimScope == scope.cimScope;
}

CIMScope CIMScope::operator+(const CIMScope& scope) const
{
    return CIMScope(cimScope | scope.cimScope);
}

String CIMScope::toString() const
{
    // ANY is spelled out bit by bit; it has no word of its own.
    static const char* const words[] = {
        "CLASS", "ASSOCIATION", "INDICATION", "PROPERTY",
        "REFERENCE", "METHOD", "PARAMETER",
    };

    String text;
    for (Uint32 i = 0; i < 7; i++)
    {
        if (cimScope & (Uint32(1) << i))
        {
            if (text.size())
                text.append(Char16(' '));
            text.append(String(words[i]));
        }
    }
    return text;
}

PEGASUS_NAMESPACE_END
