// Uint32Arg and Uint64Arg: unsigned integers that may be null, for the
// optional numeric arguments and results of the pull operations
// (operationTimeout, enumerationCount).  Values; default-constructed ones
// are null.
#ifndef Pegasus_UintArgs_h
#define Pegasus_UintArgs_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>
#include <Pegasus/Common/String.h>

PEGASUS_NAMESPACE_BEGIN

class PEGASUS_COMMON_LINKAGE Uint32Arg
{
public:
    Uint32Arg();
    Uint32Arg(Uint32 x);
    Uint32Arg(const Uint32Arg& x);
    ~Uint32Arg();
    Uint32Arg& operator=(const Uint32Arg& x);

    // The value; 0 when null.
    const Uint32& getValue() const;
    void setValue(Uint32 x);
    Boolean isNull() const;
    void setNullValue();
    // The value in decimal, or "NULL".
    String toString();
    // Equal when both are null, or neither is and the values are equal.
    Boolean equal(const Uint32Arg& x) const;

private:
    Uint32 _value;
    Boolean _null;
};

PEGASUS_COMMON_LINKAGE Boolean operator==(const Uint32Arg& x, const Uint32Arg& y);

class PEGASUS_COMMON_LINKAGE Uint64Arg
{
public:
    Uint64Arg();
    Uint64Arg(Uint64 x);
    Uint64Arg(const Uint64Arg& x);
    ~Uint64Arg();
    Uint64Arg& operator=(const Uint64Arg& x);

    const Uint64& getValue() const;
    void setValue(Uint64 x);
    Boolean isNull() const;
    void setNullValue();
    String toString();
    Boolean equal(const Uint64Arg& x) const;

private:
    Uint64 _value;
    Boolean _null;
};

PEGASUS_COMMON_LINKAGE Boolean operator==(const Uint64Arg& x, const Uint64Arg& y);

PEGASUS_NAMESPACE_END

#endif
