// Language tags and the two language lists built from them.  Only what the
// API's signatures need: parsing and validating a tag, and ordered lists.
#include <Pegasus/Common/LanguageTag.h>
#include <Pegasus/Common/ContentLanguageList.h>
#include <Pegasus/Common/AcceptLanguageList.h>
#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/InternalException.h>

PEGASUS_NAMESPACE_BEGIN

namespace
{
inline bool isAlpha(Uint16 c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

inline bool isAlnum(Uint16 c)
{
    return isAlpha(c) || (c >= '0' && c <= '9');
}

// Subtags of 1..8 letters or digits separated by '-'; the first letters
// only.  "*" alone is the wildcard of Accept-Language.
bool validTag(const String& tag)
{
    Uint32 n = tag.size();
    if (n == 1 && tag[0] == '*')
        return true;
    Uint32 start = 0;
    bool first = true;
    for (Uint32 i = 0; i <= n; i++)
    {
        if (i == n || tag[i] == '-')
        {
            Uint32 len = i - start;
            if (len < 1 || len > 8)
                return false;
            start = i + 1;
            first = false;
            continue;
        }
        if (first ? !isAlpha(tag[i]) : !isAlnum(tag[i]))
            return false;
    }
    return true;
}
}

// ------------------------------------------------------------- LanguageTag

LanguageTag::LanguageTag() {}

LanguageTag::LanguageTag(const String& languageTagString)
    : _tag(languageTagString)
{
    if (!validTag(_tag))
        throw InvalidLanguageTag(languageTagString);
}

LanguageTag::LanguageTag(const LanguageTag& languageTag) : _tag(languageTag._tag) {}

LanguageTag::~LanguageTag() {}

LanguageTag& LanguageTag::operator=(const LanguageTag& languageTag)
{
    _tag = languageTag._tag;
    return *this;
}

String LanguageTag::getLanguage() const
{
    Uint32 dash = _tag.find(Char16('-'));
    return _tag.subString(0, dash);
}

String LanguageTag::getCountry() const
{
    Uint32 dash = _tag.find(Char16('-'));
    if (dash == PEG_NOT_FOUND)
        return String();
    Uint32 next = _tag.find(dash + 1, Char16('-'));
    String second = _tag.subString(
        dash + 1, next == PEG_NOT_FOUND ? PEG_NOT_FOUND : next - dash - 1);
    return second.size() == 2 ? second : String();
}

String LanguageTag::getVariant() const
{
    Uint32 dash = _tag.find(Char16('-'));
    if (dash == PEG_NOT_FOUND)
        return String();
    if (getCountry().size() == 0)
        return _tag.subString(dash + 1);
    Uint32 next = _tag.find(dash + 1, Char16('-'));
    return next == PEG_NOT_FOUND ? String() : _tag.subString(next + 1);
}

String LanguageTag::toString() const
{
    return _tag;
}

Boolean LanguageTag::operator==(const LanguageTag& languageTag) const
{
    return String::equalNoCase(_tag, languageTag._tag);
}

Boolean LanguageTag::operator!=(const LanguageTag& languageTag) const
{
    return !(*this == languageTag);
}

// ----------------------------------------------------- ContentLanguageList

ContentLanguageList::ContentLanguageList() {}

ContentLanguageList::ContentLanguageList(const ContentLanguageList& x)
    : _tags(x._tags) {}

ContentLanguageList::~ContentLanguageList() {}

ContentLanguageList& ContentLanguageList::operator=(const ContentLanguageList& x)
{
    _tags = x._tags;
    return *this;
}

LanguageTag ContentLanguageList::getLanguageTag(Uint32 index) const
{
    return _tags[index];
}

void ContentLanguageList::append(const LanguageTag& languageTag)
{
    _tags.append(languageTag);
}

void ContentLanguageList::remove(Uint32 index)
{
    _tags.remove(index);
}

Uint32 ContentLanguageList::find(const LanguageTag& languageTag) const
{
    for (Uint32 i = 0; i < _tags.size(); i++)
    {
        if (_tags[i] == languageTag)
            return i;
    }
    return PEG_NOT_FOUND;
}

Uint32 ContentLanguageList::size() const
{
    return _tags.size();
}

void ContentLanguageList::clear()
{
    _tags.clear();
}

Boolean ContentLanguageList::operator==(const ContentLanguageList& x) const
{
    if (_tags.size() != x._tags.size())
        return false;
    for (Uint32 i = 0; i < _tags.size(); i++)
    {
        if (_tags[i] != x._tags[i])
            return false;
    }
    return true;
}

Boolean ContentLanguageList::operator!=(const ContentLanguageList& x) const
{
    return !(*this == x);
}

// ------------------------------------------------------ AcceptLanguageList

AcceptLanguageList::AcceptLanguageList() {}

AcceptLanguageList::AcceptLanguageList(const AcceptLanguageList& x)
    : _tags(x._tags), _qualities(x._qualities) {}

AcceptLanguageList::~AcceptLanguageList() {}

AcceptLanguageList& AcceptLanguageList::operator=(const AcceptLanguageList& x)
{
    _tags = x._tags;
    _qualities = x._qualities;
    return *this;
}

LanguageTag AcceptLanguageList::getLanguageTag(Uint32 index) const
{
    return _tags[index];
}

Real32 AcceptLanguageList::getQualityValue(Uint32 index) const
{
    return _qualities[index];
}

void AcceptLanguageList::insert(const LanguageTag& languageTag, Real32 qualityValue)
{
    if (!(qualityValue >= 0.0f && qualityValue <= 1.0f))
    {
        String text;
        text.appendPrintf("%g", double(qualityValue));
        throw InvalidAcceptLanguageHeader(text);
    }
    // Stable: equal qualities keep their insertion order.
    Uint32 i = 0;
    while (i < _qualities.size() && _qualities[i] >= qualityValue)
        i++;
    _tags.insert(i, languageTag);
    _qualities.insert(i, qualityValue);
}

void AcceptLanguageList::remove(Uint32 index)
{
    _tags.remove(index);
    _qualities.remove(index);
}

Uint32 AcceptLanguageList::find(const LanguageTag& languageTag) const
{
    for (Uint32 i = 0; i < _tags.size(); i++)
    {
        if (_tags[i] == languageTag)
            return i;
    }
    return PEG_NOT_FOUND;
}

Uint32 AcceptLanguageList::size() const
{
    return _tags.size();
}

void AcceptLanguageList::clear()
{
    _tags.clear();
    _qualities.clear();
}

Boolean AcceptLanguageList::operator==(const AcceptLanguageList& x) const
{
    if (_tags.size() != x._tags.size())
        return false;
    for (Uint32 i = 0; i < _tags.size(); i++)
    {
        if (_tags[i] != x._tags[i] || _qualities[i] != x._qualities[i])
            return false;
    }
    return true;
}

Boolean AcceptLanguageList::operator!=(const AcceptLanguageList& x) const
{
    return !(*this == x);
}

PEGASUS_NAMESPACE_END
