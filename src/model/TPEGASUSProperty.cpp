// TPEGASUSProperty: a property value tied to its declaration, with type
// checks on every value stored, a previous value for change tracking, and
// display texts steered by the declaration's qualifiers.
#include "TPEGASUSProperty.h"

#include <cctype>
#include <cstdio>
#include <limits>
#include <sstream>

#include "ICIMClass.h"
#include "ICIMPropertyDecl.h"
#include "ICIMQualifier.h"
#include "TKTAException.h"
#include "TRootObject.h"

namespace NQRVKTA20 {

namespace {

// --- Qualifier lookups ------------------------------------------------------

enum EDisplayQualifier {
    kQValues,
    kQValueMap,
    kQBase,
    kQNullDisplay,
    kQUnits,
    kQFixedUnits,
    kQAbbreviate,
    kQCount
};

std::string const& QualifierName(EDisplayQualifier which)
{
    static std::string const names[kQCount] = {"Values",      "ValueMap", "BASE",
                                               "NULLDISPLAY", "UNITS",    "DISPLAYFIXEDUNITS",
                                               "ABBREVIATEUNITS"};
    return names[which];
}

ECIMType const kStringArray = static_cast<ECIMType>(kString + kArray);

// The display qualifiers of one declaration, each looked up on first use
// and kept for the rest of one display call.
class TDisplayQualifiers {
public:
    explicit TDisplayQualifiers(ICIMPropertyDecl const& decl)
        : fDecl(decl), fLooked(0), fPlainFormOnly(false)
    {
    }
    TDisplayQualifiers(TDisplayQualifiers const&) = delete;
    TDisplayQualifiers& operator=(TDisplayQualifiers const&) = delete;

    // The qualifier's value when the qualifier exists with a non-null value
    // of `type` (any type for kNone); otherwise null.
    TCIMValue const* Usable(EDisplayQualifier which, ECIMType type)
    {
        if (!(fLooked & (1u << which))) {
            fQualifiers[which] = Find(QualifierName(which));
            fLooked |= 1u << which;
        }
        ICIMQualifier const* qualifier = fQualifiers[which].get();
        if (!qualifier)
            return nullptr;
        TCIMValue const& value = qualifier->GetValue(TCIMContext());
        if (value.IsNull() || (type != kNone && value.GetType().GetCode() != type))
            return nullptr;
        return &value;
    }

private:
    // Absent qualifiers (an empty answer or TKTAException 15) give an empty
    // pointer.  The form with a found flag comes first since it needs no
    // exception for an absent name, the common case.
    boost::shared_ptr<ICIMQualifier> Find(std::string const& name)
    {
        if (!fPlainFormOnly) {
            try {
                bool found = false;
                boost::shared_ptr<ICIMQualifier> qualifier =
                    fDecl.GetQualifier(name, found, TCIMContext());
                return found ? qualifier : boost::shared_ptr<ICIMQualifier>();
            } catch (TKTAException const& e) {
                if (e.GetStatusCode() == TKTAStatusCode::kNotFound)
                    return boost::shared_ptr<ICIMQualifier>();
                if (e.GetStatusCode() != TKTAStatusCode::kNotSupported)
                    throw;
                fPlainFormOnly = true;
            }
        }
        try {
            return fDecl.GetQualifier(name, TCIMContext());
        } catch (TKTAException const& e) {
            if (e.GetStatusCode() == TKTAStatusCode::kNotFound)
                return boost::shared_ptr<ICIMQualifier>();
            throw;
        }
    }

    ICIMPropertyDecl const& fDecl;
    unsigned fLooked;
    bool fPlainFormOnly;
    boost::shared_ptr<ICIMQualifier> fQualifiers[kQCount];
};

// --- Value maps -------------------------------------------------------------

uint64_t const kOpenHigh = std::numeric_limits<uint64_t>::max();
std::size_t const kNoText = static_cast<std::size_t>(-1);

// Types whose values a value map can show: boolean and unsigned integers.
bool IsMapType(ECIMType type)
{
    return type == kBoolean || type == kUint8 || type == kUint16 || type == kUint32 ||
           type == kUint64;
}

// The value as a value-map key; TKTAException 1 for other types.
uint64_t MapKey(TCIMValue const& value)
{
    switch (value.GetType().GetCode()) {
    case kBoolean:
        return static_cast<bool>(value) ? 1 : 0;
    case kUint8:
    case kUint16:
    case kUint32:
    case kUint64:
        return static_cast<unsigned long long>(value);
    default:
        throw TKTAException(TKTAStatusCode::kNotSupported,
                            "TPEGASUSProperty: a value map cannot show a value of type " +
                                value.GetType().GetName());
    }
}

int DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsBlank(char c)
{
    return isspace(static_cast<unsigned char>(c)) != 0;
}

// Reads an unsigned number from text[pos...] the way a stream without a
// fixed base does: blanks and a '+' first, then 0x/0X hexadecimal, a
// leading 0 octal, or decimal.  False for no digits, a '-' or more than 64
// bits; otherwise `end` is just past the last digit.
bool ReadNumber(std::string const& text, std::size_t pos, uint64_t& number, std::size_t& end)
{
    std::size_t i = pos;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (i < text.size() && text[i] == '+')
        ++i;
    if (i >= text.size() || DigitValue(text[i]) < 0 || DigitValue(text[i]) > 9)
        return false;
    unsigned base = 10;
    if (text[i] == '0') {
        base = 8;
        if (i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
            base = 16;
            i += 2;
            if (i >= text.size() || DigitValue(text[i]) < 0)
                return false;
        }
    }
    uint64_t value = 0;
    for (; i < text.size(); ++i) {
        int digit = DigitValue(text[i]);
        if (digit < 0 || static_cast<unsigned>(digit) >= base)
            break;
        if (value > (kOpenHigh - static_cast<unsigned>(digit)) / base)
            return false;
        value = value * base + static_cast<unsigned>(digit);
    }
    number = value;
    end = i;
    return true;
}

// True when the next two non-blank characters from `pos` are both '.'.
bool DotsFollow(std::string const& text, std::size_t pos)
{
    for (int dot = 0; dot < 2; ++dot) {
        while (pos < text.size() && IsBlank(text[pos]))
            ++pos;
        if (pos >= text.size() || text[pos] != '.')
            return false;
        ++pos;
    }
    return true;
}

// Builds a value map from Values and ValueMap into `entries`; `make(low,
// high, texts, i)` makes an entry for the text Values[i], `setDefault(texts,
// i)` sets the default text (kNoText clears it).  False when there is no
// usable map.
template <typename TEntry, typename TMake, typename TSetDefault>
bool FillValueMap(TDisplayQualifiers& qualifiers, std::vector<TEntry>& entries, TMake make,
                  TSetDefault setDefault)
{
    TCIMValue const* valuesQualifier = qualifiers.Usable(kQValues, kStringArray);
    if (!valuesQualifier)
        return false;
    std::vector<TCIMValue> const& texts = *valuesQualifier;
    TCIMValue const* mapQualifier = qualifiers.Usable(kQValueMap, kStringArray);
    if (!mapQualifier) {
        entries.reserve(entries.size() + texts.size());
        for (std::size_t i = 0; i < texts.size(); ++i)
            entries.push_back(make(i, i, texts, i));
        return true;
    }
    std::vector<TCIMValue> const& keys = *mapQualifier;
    if (keys.size() != texts.size())
        return false;
    entries.reserve(entries.size() + keys.size());
    setDefault(texts, kNoText);
    uint64_t next = 0;
    std::string key;
    for (std::size_t j = 0; j < keys.size(); ++j) {
        key = keys[j].ToString(10);
        bool open = !entries.empty() && entries.back().high == kOpenHigh;
        uint64_t number = 0;
        std::size_t end = 0;
        if (key.size() >= 2 && key[0] == '.' && key[1] == '.') {
            if (open)
                return false;
            if (key.size() == 2) {
                setDefault(texts, j);
            } else if (ReadNumber(key, 2, number, end)) {
                entries.push_back(make(next, number, texts, j));
                next = number + 1;
            }
            continue;
        }
        if (!ReadNumber(key, 0, number, end))
            continue;
        if (open)
            entries.back().high = number - 1;
        entries.push_back(make(number, DotsFollow(key, end) ? kOpenHigh : number, texts, j));
        next = number + 1;
    }
    return true;
}

// A value map whose texts stay in the Values qualifier until one is shown.
struct TMapRow {
    uint64_t low;
    uint64_t high;
    std::size_t text;
};

struct TValueMapRows {
    std::vector<TMapRow> rows;
    std::vector<TCIMValue> const* texts = nullptr;
    std::size_t defaultText = kNoText;
};

bool BuildRows(TDisplayQualifiers& qualifiers, TValueMapRows& map)
{
    return FillValueMap(
        qualifiers, map.rows,
        [&map](uint64_t low, uint64_t high, std::vector<TCIMValue> const& texts, std::size_t i) {
            map.texts = &texts;
            return TMapRow{low, high, i};
        },
        [&map](std::vector<TCIMValue> const& texts, std::size_t i) {
            map.texts = &texts;
            map.defaultText = i;
        });
}

std::string LookupRow(TValueMapRows const& map, TCIMValue const& value)
{
    uint64_t key = MapKey(value);
    for (TMapRow const& row : map.rows)
        if (row.low <= key && key <= row.high)
            return (*map.texts)[row.text].ToString(10);
    if (map.defaultText != kNoText) {
        std::string text = (*map.texts)[map.defaultText].ToString(10);
        if (!text.empty())
            return text;
    }
    return value.ToString(10);
}

// --- Numbers and units ------------------------------------------------------

std::string FormatWithBase(TDisplayQualifiers& qualifiers, TCIMValue const& value)
{
    uint8_t base = 10;
    // Only integers (and their arrays) have texts that depend on the base.
    ECIMType element = value.GetType().GetElementType();
    if (element >= kUint8 && element <= kSint64) {
        if (TCIMValue const* given = qualifiers.Usable(kQBase, kUint8))
            base = static_cast<unsigned char>(*given);
    }
    return value.ToString(base);
}

char const* const kLongPrefix[] = {"Peta", "Tera", "Giga",  "Mega", "Kilo",
                                   "",     "Milli", "Micro", "Nano"};
char const* const kShortPrefix[] = {"P", "T", "G", "M", "K", "", "m", "u", "n"};
int const kNoPrefix = 5;

// Sets `interval`, with days beyond the host's argument range passed as its
// largest value so that the host rejects them instead of wrapping.
void SetInterval(TCIMDateTime& interval, uint64_t days, uint64_t hours, uint64_t minutes,
                 uint64_t seconds, uint64_t microseconds)
{
    uint64_t const maxDays = std::numeric_limits<uint32_t>::max();
    interval.Set(static_cast<uint32_t>(days < maxDays ? days : maxDays),
                 static_cast<uint16_t>(hours), static_cast<uint16_t>(minutes),
                 static_cast<uint16_t>(seconds), static_cast<uint32_t>(microseconds));
}

std::string FormatInterval(uint64_t n, int prefix)
{
    TCIMDateTime interval;
    switch (prefix) {
    case kNoPrefix:
        SetInterval(interval, n / 86400, (n / 3600) % 24, (n / 60) % 60, n % 60, 0);
        break;
    case 6:  // Milli: counted in microseconds
        n *= 1000;
        [[fallthrough]];
    case 7:  // Micro
        SetInterval(interval, n / 86400000000ull, (n / 3600000000ull) % 24,
                    (n / 60000000ull) % 60, (n / 1000000ull) % 60, n % 1000000ull);
        break;
    case 8:  // Nano
        SetInterval(interval, n / 86400000000000ull, (n / 3600000000000ull) % 24,
                    (n / 60000000000ull) % 60, (n / 1000000000ull) % 60,
                    (n / 1000ull) % 1000000ull);
        break;
    default:  // Kilo ... Peta seconds: no interval is made
        break;
    }
    return interval.ToUIString();
}

std::string FormatWithQualifiers(TDisplayQualifiers& qualifiers, TCIMValue const& value)
{
    if (value.IsNull()) {
        TCIMValue const* text = qualifiers.Usable(kQNullDisplay, kString);
        return text ? static_cast<std::string>(*text) : std::string();
    }
    ECIMType type = value.GetType().GetCode();
    if (type != kUint8 && type != kUint16 && type != kUint32 && type != kUint64)
        return FormatWithBase(qualifiers, value);
    TCIMValue const* unitsQualifier = qualifiers.Usable(kQUnits, kString);
    if (!unitsQualifier)
        return FormatWithBase(qualifiers, value);
    uint64_t n = static_cast<unsigned long long>(value);

    std::string units = *unitsQualifier;
    int prefix = kNoPrefix;
    for (int i = 0; i < 9; ++i) {
        if (i == kNoPrefix)
            continue;
        std::size_t length = std::char_traits<char>::length(kLongPrefix[i]);
        if (units.compare(0, length, kLongPrefix[i]) == 0) {
            units.erase(0, length);
            prefix = i;
            break;
        }
    }

    if (units == "Seconds")
        return FormatInterval(n, prefix);
    char const* abbreviation;
    float divisor;
    if (units == "Bytes") {
        abbreviation = "B";
        divisor = 1024;
    } else if (units == "Bits") {
        abbreviation = "b";
        divisor = 1024;
    } else if (units == "Bytes per Second") {
        abbreviation = "B/s";
        divisor = 1024;
    } else if (units == "Bits per Second") {
        abbreviation = "bps";
        divisor = 1000;
    } else {
        return FormatWithBase(qualifiers, value);
    }

    // As a float through the signed type, corrected for the top bit.
    float amount = static_cast<float>(static_cast<int64_t>(n));
    if (static_cast<int64_t>(n) < 0)
        amount += 18446744073709551616.0f;

    int target = -1;
    if (TCIMValue const* fixed = qualifiers.Usable(kQFixedUnits, kString)) {
        std::string name = *fixed;
        for (int i = 1; i <= 4; ++i)
            if (name == kLongPrefix[i])
                target = i;
    }
    if (target >= 0) {
        while (target < prefix) {
            amount /= divisor;
            --prefix;
        }
    } else if (prefix > 0 && amount > divisor) {
        do {
            amount /= divisor;
            --prefix;
        } while (amount > divisor && prefix > 0);
    }

    char number[64];
    int length = snprintf(number, sizeof number, "%.1f", static_cast<double>(amount));
    if (length < 0)
        length = 0;
    if (static_cast<std::size_t>(length) >= sizeof number)
        length = sizeof number - 1;
    if (length >= 2 && number[length - 2] == '.' && number[length - 1] == '0')
        length -= 2;

    std::string text(number, static_cast<std::size_t>(length));
    text += ' ';
    if (qualifiers.Usable(kQAbbreviate, kNone)) {
        text += kShortPrefix[prefix];
        text += abbreviation;
    } else {
        std::size_t first = text.size();
        text += kLongPrefix[prefix];
        text += units;
        for (std::size_t i = first + 1; i < text.size(); ++i)
            text[i] = static_cast<char>(tolower(static_cast<unsigned char>(text[i])));
    }
    return text;
}

std::string Display(TDisplayQualifiers& qualifiers, ECIMType type, TCIMValue const& value)
{
    if (!value.IsNull() && IsMapType(type)) {
        TValueMapRows map;
        if (BuildRows(qualifiers, map))
            return LookupRow(map, value);
    }
    return FormatWithQualifiers(qualifiers, value);
}

std::vector<std::string> VectorWithQualifiers(TDisplayQualifiers& qualifiers,
                                              ICIMPropertyDecl const& decl,
                                              TCIMValue const& value)
{
    std::vector<std::string> texts;
    if (!decl.IsArray(TCIMContext())) {
        texts.push_back(FormatWithQualifiers(qualifiers, value));
        return texts;
    }
    std::vector<TCIMValue> const& elements = value;
    texts.reserve(elements.size());
    for (TCIMValue const& element : elements)
        texts.push_back(FormatWithQualifiers(qualifiers, element));
    return texts;
}

} // namespace

TPEGASUSProperty::TPEGASUSProperty(boost::shared_ptr<const ICIMPropertyDecl> decl)
    : fDeclaration(decl), fHasPrevValue(false)
{
}

TPEGASUSProperty::TPEGASUSProperty(boost::shared_ptr<const ICIMPropertyDecl> decl,
                                   TCIMValue const& value)
    : TPEGASUSProperty(decl)
{
    SetValue(value, TCIMContext());
}

TPEGASUSProperty::TPEGASUSProperty(boost::shared_ptr<const ICIMProperty> other)
    : fHasPrevValue(false)
{
    if (!other)
        throw TKTAException(TKTAStatusCode::kNotFound,
                            "TPEGASUSProperty: no property to copy from");
    fDeclaration = other->GetDeclaration(TCIMContext());
    TCIMValue const& value = other->GetValue(TCIMContext());
    if (!value.IsNull())
        SetValue(value, TCIMContext());
}

TPEGASUSProperty::~TPEGASUSProperty() {}

boost::shared_ptr<const ICIMPropertyDecl> TPEGASUSProperty::LockDeclaration() const
{
    boost::shared_ptr<const ICIMPropertyDecl> decl = fDeclaration.lock();
    if (!decl)
        throw TKTAException(TKTAStatusCode::kNotFound,
                            "TPEGASUSProperty: the property's declaration no longer exists");
    return decl;
}

void TPEGASUSProperty::CheckValue(TCIMValue const& value, std::string const& prefix) const
{
    TCIMContext none;
    boost::shared_ptr<const ICIMPropertyDecl> decl = LockDeclaration();
    TCIMValue::TCIMType declType = decl->GetType(none);
    if (declType.GetCode() != value.GetType().GetCode()) {
        std::ostringstream text;
        text << prefix << "decl is type " << declType << " but value is type "
             << value.GetType();
        TRootObject::GetCoreLogger()->Log(0, text.str());
        throw TKTAException(TKTAStatusCode::kWrongType, text.str());
    }
    if (declType.GetCode() != kReference)
        return;

    boost::shared_ptr<ICIMClass> declared = decl->GetDefaultValue(none).GetReferencedClass();
    boost::shared_ptr<ICIMClass> given = value.GetReferencedClass();
    // Without both classes the subclass relation cannot be decided.
    if (!declared)
        throw TKTAException(TKTAStatusCode::kNotFound,
                            "TPEGASUSProperty: the declaration of " + decl->GetName(none) +
                                " names no referenced class");
    if (!given)
        throw TKTAException(TKTAStatusCode::kNotFound,
                            "TPEGASUSProperty: the reference value for " + decl->GetName(none) +
                                " names no referenced class");
    if (!given->IsSubclassOf(declared, none)) {
        std::ostringstream text;
        text << prefix << "decl references type " << declared->GetName(none)
             << " but value references " << given->GetName(none);
        TRootObject::GetCoreLogger()->Log(0, text.str());
        throw TKTAException(TKTAStatusCode::kWrongType, text.str());
    }
}

TCIMValue::TCIMType TPEGASUSProperty::GetType(TCIMContext) const
{
    return LockDeclaration()->GetType(TCIMContext());
}

bool TPEGASUSProperty::IsArray(TCIMContext) const
{
    return LockDeclaration()->IsArray(TCIMContext());
}

bool TPEGASUSProperty::IsDefaultValue(TCIMContext) const
{
    return !fValue;
}

TCIMValue const& TPEGASUSProperty::GetValue(TCIMContext) const
{
    if (fValue)
        return *fValue;
    // The declaration is owned elsewhere (its class), so its default value
    // outlives the local lock.
    return LockDeclaration()->GetDefaultValue(TCIMContext());
}

void TPEGASUSProperty::SetValue(TCIMValue const& value, TCIMContext)
{
    CheckValue(value, "Inmem: SetValue: ");
    fValue.reset(new TCIMValue(value));
}

bool TPEGASUSProperty::GetPropagated(TCIMContext context) const
{
    return IsDefaultValue(context);
}

boost::shared_ptr<const ICIMPropertyDecl> TPEGASUSProperty::GetDeclaration(TCIMContext) const
{
    return fDeclaration.lock();
}

bool TPEGASUSProperty::operator==(ICIMProperty& other) const
{
    boost::shared_ptr<const ICIMPropertyDecl> mine = fDeclaration.lock();
    if (!mine || other.GetDeclaration(TCIMContext()).get() != mine.get())
        return false;
    return GetValue(TCIMContext()) == other.GetValue(TCIMContext());
}

bool TPEGASUSProperty::operator<(ICIMProperty& other) const
{
    boost::shared_ptr<const ICIMPropertyDecl> theirs = other.GetDeclaration(TCIMContext());
    if (fDeclaration.owner_before(theirs))
        return true;
    if (theirs.owner_before(fDeclaration))
        return false;
    return GetValue(TCIMContext()) < other.GetValue(TCIMContext());
}

ICIMProperty& TPEGASUSProperty::operator=(ICIMProperty const&)
{
    return *this;
}

TCIMValue const& TPEGASUSProperty::GetPrevValue() const
{
    if (!fHasPrevValue)
        return GetValue(TCIMContext());
    if (fPrevValue)
        return *fPrevValue;
    return LockDeclaration()->GetDefaultValue(TCIMContext());
}

void TPEGASUSProperty::SetPrevValue(TCIMValue const& value)
{
    // A null previous value means "there was none" and fits any type.
    if (!value.IsNull())
        CheckValue(value, "SetPrevValue: ");
    fPrevValue.reset(new TCIMValue(value));
    fHasPrevValue = true;
}

void TPEGASUSProperty::SetPrevValue()
{
    fPrevValue.reset(new TCIMValue());
    fHasPrevValue = true;
}

bool TPEGASUSProperty::IsPrevValueDifferent() const
{
    return fHasPrevValue;
}

std::string TPEGASUSProperty::ToString() const
{
    boost::shared_ptr<const ICIMPropertyDecl> decl = LockDeclaration();
    TDisplayQualifiers qualifiers(*decl);
    return Display(qualifiers, decl->GetType(TCIMContext()), CurrentValue(*decl));
}

std::string TPEGASUSProperty::PrevValueToString() const
{
    boost::shared_ptr<const ICIMPropertyDecl> decl = LockDeclaration();
    TDisplayQualifiers qualifiers(*decl);
    TCIMValue const& previous = !fHasPrevValue ? CurrentValue(*decl)
                                : fPrevValue   ? *fPrevValue
                                               : decl->GetDefaultValue(TCIMContext());
    return Display(qualifiers, decl->GetType(TCIMContext()), previous);
}

std::vector<std::string> TPEGASUSProperty::ToStringVector() const
{
    boost::shared_ptr<const ICIMPropertyDecl> decl = LockDeclaration();
    return DisplayTexts(CurrentValue(*decl));
}

std::string TPEGASUSProperty::DisplayText(TCIMValue const& value) const
{
    boost::shared_ptr<const ICIMPropertyDecl> decl = LockDeclaration();
    TDisplayQualifiers qualifiers(*decl);
    return Display(qualifiers, decl->GetType(TCIMContext()), value);
}

std::vector<std::string> TPEGASUSProperty::DisplayTexts(TCIMValue const& value) const
{
    boost::shared_ptr<const ICIMPropertyDecl> decl = LockDeclaration();
    TDisplayQualifiers qualifiers(*decl);
    TCIMValue::TCIMType type = decl->GetType(TCIMContext());
    if (!value.IsNull() && type.IsArray() && IsMapType(type.GetElementType())) {
        TValueMapRows map;
        if (BuildRows(qualifiers, map)) {
            std::vector<TCIMValue> const& elements = value;
            std::vector<std::string> texts;
            texts.reserve(elements.size());
            for (TCIMValue const& element : elements)
                texts.push_back(LookupRow(map, element));
            return texts;
        }
    }
    return VectorWithQualifiers(qualifiers, *decl, value);
}

std::vector<std::string> TPEGASUSProperty::ToStringVectorWithBase() const
{
    boost::shared_ptr<const ICIMPropertyDecl> decl = LockDeclaration();
    TDisplayQualifiers qualifiers(*decl);
    return VectorWithQualifiers(qualifiers, *decl, CurrentValue(*decl));
}

std::string TPEGASUSProperty::ToStringWithQualifiers(TCIMValue const& value) const
{
    boost::shared_ptr<const ICIMPropertyDecl> decl = LockDeclaration();
    TDisplayQualifiers qualifiers(*decl);
    return FormatWithQualifiers(qualifiers, value);
}

std::string TPEGASUSProperty::ToStringWithBase(TCIMValue const& value) const
{
    boost::shared_ptr<const ICIMPropertyDecl> decl = LockDeclaration();
    TDisplayQualifiers qualifiers(*decl);
    return FormatWithBase(qualifiers, value);
}

bool TPEGASUSProperty::BuildValueMapEntryArray(std::vector<TValueMapEntry>& entries,
                                               std::string& defaultText) const
{
    boost::shared_ptr<const ICIMPropertyDecl> decl = LockDeclaration();
    TDisplayQualifiers qualifiers(*decl);
    return FillValueMap(
        qualifiers, entries,
        [](uint64_t low, uint64_t high, std::vector<TCIMValue> const& texts, std::size_t i) {
            return TValueMapEntry{low, high, texts[i].ToString(10)};
        },
        [&defaultText](std::vector<TCIMValue> const& texts, std::size_t i) {
            if (i == kNoText)
                defaultText.clear();
            else
                defaultText = texts[i].ToString(10);
        });
}

std::string TPEGASUSProperty::LookupInTable(TCIMValue const& value,
                                            std::vector<TValueMapEntry>& entries,
                                            std::string& defaultText) const
{
    uint64_t key = MapKey(value);
    for (TValueMapEntry const& entry : entries)
        if (entry.low <= key && key <= entry.high)
            return entry.text;
    return defaultText.empty() ? value.ToString(10) : defaultText;
}

TCIMValue const& TPEGASUSProperty::CurrentValue(ICIMPropertyDecl const& decl) const
{
    return fValue ? *fValue : decl.GetDefaultValue(TCIMContext());
}

} // namespace NQRVKTA20
