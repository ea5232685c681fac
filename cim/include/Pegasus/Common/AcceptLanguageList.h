// AcceptLanguageList: languages a receiver accepts, each with a quality
// value, kept in descending order of quality.  Value semantics.
#ifndef Pegasus_AcceptLanguageList_h
#define Pegasus_AcceptLanguageList_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>
#include <Pegasus/Common/LanguageTag.h>
#include <Pegasus/Common/Array.h>

PEGASUS_NAMESPACE_BEGIN

class PEGASUS_COMMON_LINKAGE AcceptLanguageList
{
public:
    AcceptLanguageList();
    AcceptLanguageList(const AcceptLanguageList& acceptLanguages);
    ~AcceptLanguageList();
    AcceptLanguageList& operator=(const AcceptLanguageList& acceptLanguages);

    // index >= size() throws IndexOutOfBoundsException.
    LanguageTag getLanguageTag(Uint32 index) const;
    Real32 getQualityValue(Uint32 index) const;
    // Inserts after every entry of equal or higher quality.  A quality
    // outside 0..1 throws InvalidAcceptLanguageHeader.
    void insert(const LanguageTag& languageTag, Real32 qualityValue);
    void remove(Uint32 index);
    // Index of the tag, or PEG_NOT_FOUND.
    Uint32 find(const LanguageTag& languageTag) const;
    Uint32 size() const;
    void clear();

    // Same tags with the same qualities in the same order.
    Boolean operator==(const AcceptLanguageList& acceptLanguages) const;
    Boolean operator!=(const AcceptLanguageList& acceptLanguages) const;

private:
    Array<LanguageTag> _tags;
    Array<Real32> _qualities;
};

PEGASUS_NAMESPACE_END

#endif
