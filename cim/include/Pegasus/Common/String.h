// String: a UTF-16 text with value semantics, and CString, the UTF-8 copy
// that String::getCString() hands out.
//
// Text given as `const char*` is taken as UTF-8 and converted; invalid UTF-8
// throws Exception, a NULL pointer throws NullPointer.  Lengths and indexes
// count 16-bit code units.  Distinct String objects may be used from
// different threads at once; one object must not be modified concurrently.
#ifndef Pegasus_String_h
#define Pegasus_String_h

#include <atomic>
#include <iostream>
#include <vector>

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Char16.h>
#include <Pegasus/Common/Linkage.h>

PEGASUS_NAMESPACE_BEGIN

class String;

// A NUL-terminated UTF-8 copy of a String.  The pointer from
// `operator const char*` is owned by this object and valid only as long as
// it lives: taking it from a temporary (`s.getCString()` inside a larger
// expression that outlives the statement) dangles.  A default-constructed
// CString converts to a null pointer.
class PEGASUS_COMMON_LINKAGE CString
{
public:
    CString();
    CString(const CString& cstr);
    ~CString();
    CString& operator=(const CString& cstr);
    operator const char*() const { return _rep; }

private:
    friend class String;
    explicit CString(char* cstr);   // takes ownership of a new[] buffer
    char* _rep;
};

class PEGASUS_COMMON_LINKAGE String
{
public:
    static const String EMPTY;

    String();
    String(const String& str);
    String(String&& str) noexcept;
    // The first n code units of str; n > str.size() throws
    // IndexOutOfBoundsException.
    String(const String& str, Uint32 n);
    // From a NUL-terminated UTF-16 array; NULL throws NullPointer.
    String(const Char16* str);
    String(const Char16* str, Uint32 n);
    // From UTF-8; NULL throws NullPointer, malformed UTF-8 throws Exception.
    String(const char* str);
    String(const char* str, Uint32 n);
    // Concatenations.
    String(const String& s1, const String& s2);
    String(const String& s1, const char* s2);
    String(const char* s1, const String& s2);
    ~String();

    String& operator=(const String& str);
    String& operator=(String&& str) noexcept;
    String& operator=(const char* str);

    String& assign(const String& str);
    String& assign(const Char16* str);
    String& assign(const Char16* str, Uint32 n);
    String& assign(const char* str);
    String& assign(const char* str, Uint32 n);

    void clear();
    void reserveCapacity(Uint32 capacity);
    Uint32 size() const { return _rep ? _rep->size : 0; }

    // NUL-terminated; valid until the String is next modified or destroyed.
    const Char16* getChar16Data() const;
    CString getCString() const;

    // index >= size() throws IndexOutOfBoundsException.
    Char16& operator[](Uint32 index);
    const Char16 operator[](Uint32 index) const;

    String& append(const Char16& c);
    String& append(const Char16* str, Uint32 n);
    String& append(const String& str);
    String& append(const char* str);
    String& append(const char* str, Uint32 size);

    // Removes n code units from index (PEG_NOT_FOUND: to the end).
    // index + n > size() throws IndexOutOfBoundsException.
    void remove(Uint32 index, Uint32 n = PEG_NOT_FOUND);

    // Never throws: an index past the end gives an empty string, n is clipped.
    String subString(Uint32 index, Uint32 n = PEG_NOT_FOUND) const;

    // Index of the first match or PEG_NOT_FOUND.
    Uint32 find(Char16 c) const;
    Uint32 find(Uint32 startIndex, Char16 c) const;
    Uint32 find(const String& s) const;
    Uint32 find(const char* s) const;
    Uint32 reverseFind(Char16 c) const;

    // Case folding of ASCII and Latin-1 letters only (the rule by which CIM
    // names compare; see NameFolding.h in the common library).
    void toLower();
    void toUpper();

    // Appends printf-formatted text (taken as UTF-8).
    void appendPrintf(const char* format, ...)
        __attribute__((format(printf, 2, 3)));

    // <0, 0 or >0 by code unit value.
    static int compare(const String& s1, const String& s2, Uint32 n);
    static int compare(const String& s1, const String& s2);
    static int compare(const String& s1, const char* s2);
    // As compare(), with ASCII and Latin-1 letters folded to lower case.
    static int compareNoCase(const String& s1, const String& s2);

    static Boolean equal(const String& s1, const String& s2);
    static Boolean equal(const String& s1, const char* s2);
    static Boolean equalNoCase(const String& s1, const String& s2);
    static Boolean equalNoCase(const String& s1, const char* s2);

private:
    // The code units, shared by copies of a String until one of them is
    // modified (copy on write), so that copying a name costs no allocation.
    // One heap block: this header, then capacity + 1 units (the text and a
    // trailing NUL).
    struct Rep
    {
        std::atomic<Uint32> refs;
        Uint32 size;
        Uint32 capacity;
        Char16* units() { return reinterpret_cast<Char16*>(this + 1); }
    };

    static Rep* _allocate(Uint32 capacity);
    static void _release(Rep* rep);
    // Makes the rep this String's own with room for n units, keeping the
    // current text; returns the units.
    Char16* _reserve(Uint32 n);
    void _setSize(Uint32 n);
    void _appendUtf8(const char* str, size_t n);

    Rep* _rep;   // null for the empty string
};

PEGASUS_COMMON_LINKAGE Boolean operator==(const String& s1, const String& s2);
PEGASUS_COMMON_LINKAGE Boolean operator==(const String& s1, const char* s2);
PEGASUS_COMMON_LINKAGE Boolean operator==(const char* s1, const String& s2);
PEGASUS_COMMON_LINKAGE Boolean operator!=(const String& s1, const String& s2);
PEGASUS_COMMON_LINKAGE Boolean operator!=(const String& s1, const char* s2);
PEGASUS_COMMON_LINKAGE Boolean operator!=(const char* s1, const String& s2);
PEGASUS_COMMON_LINKAGE Boolean operator<(const String& s1, const String& s2);
PEGASUS_COMMON_LINKAGE Boolean operator<(const String& s1, const char* s2);
PEGASUS_COMMON_LINKAGE Boolean operator<(const char* s1, const String& s2);
PEGASUS_COMMON_LINKAGE Boolean operator<=(const String& s1, const String& s2);
PEGASUS_COMMON_LINKAGE Boolean operator<=(const String& s1, const char* s2);
PEGASUS_COMMON_LINKAGE Boolean operator<=(const char* s1, const String& s2);
PEGASUS_COMMON_LINKAGE Boolean operator>(const String& s1, const String& s2);
PEGASUS_COMMON_LINKAGE Boolean operator>(const String& s1, const char* s2);
PEGASUS_COMMON_LINKAGE Boolean operator>(const char* s1, const String& s2);
PEGASUS_COMMON_LINKAGE Boolean operator>=(const String& s1, const String& s2);
PEGASUS_COMMON_LINKAGE Boolean operator>=(const String& s1, const char* s2);
PEGASUS_COMMON_LINKAGE Boolean operator>=(const char* s1, const String& s2);

PEGASUS_COMMON_LINKAGE String operator+(const String& s1, const String& s2);
PEGASUS_COMMON_LINKAGE String operator+(const String& s1, const char* s2);
PEGASUS_COMMON_LINKAGE String operator+(const char* s1, const String& s2);

// Writes each code unit 1..0xFF as one byte (Latin-1, not UTF-8) and every
// other code unit as "\x" plus four upper-case hex digits.  Use
// getCString() for UTF-8 output.
PEGASUS_COMMON_LINKAGE std::ostream& operator<<(std::ostream& os, const String& str);

PEGASUS_NAMESPACE_END

#endif
