// LanguageTag: one language tag ("en", "en-US", "x-private") as used in
// Content-Language and Accept-Language lists.  Value semantics.
#ifndef Pegasus_LanguageTag_h
#define Pegasus_LanguageTag_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>
#include <Pegasus/Common/String.h>

PEGASUS_NAMESPACE_BEGIN

class PEGASUS_COMMON_LINKAGE LanguageTag
{
public:
    LanguageTag();
    // Parses the tag: subtags of 1 to 8 ASCII letters or digits separated
    // by '-', the first letters only (or "*").  A malformed tag throws
    // InvalidLanguageTag.
    LanguageTag(const String& languageTagString);
    LanguageTag(const LanguageTag& languageTag);
    ~LanguageTag();
    LanguageTag& operator=(const LanguageTag& languageTag);

    // The primary subtag, e.g. "en".
    String getLanguage() const;
    // The second subtag when it has two letters (a country code), else "".
    String getCountry() const;
    // Everything after the country (or after the language when there is no
    // country), else "".
    String getVariant() const;
    String toString() const;

    // Case-insensitive comparison of the whole tags.
    Boolean operator==(const LanguageTag& languageTag) const;
    Boolean operator!=(const LanguageTag& languageTag) const;

private:
    String _tag;
};

PEGASUS_NAMESPACE_END

#endif
