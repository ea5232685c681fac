#include "CimXmlParser.h"

#include "CimXmlTokenizer.h"
#include "ShortBytes.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace Pegasus {

namespace {

const char* const kTagNames[] = {
    "CIM", "MESSAGE", "SIMPLEREQ", "SIMPLERSP",
    "IMETHODCALL", "METHODCALL", "IMETHODRESPONSE", "METHODRESPONSE",
    "IPARAMVALUE", "PARAMVALUE", "IRETURNVALUE", "RETURNVALUE", "ERROR",
    "LOCALNAMESPACEPATH", "NAMESPACE", "NAMESPACEPATH", "HOST",
    "LOCALINSTANCEPATH", "INSTANCEPATH", "LOCALCLASSPATH", "CLASSPATH",
    "CLASSNAME", "INSTANCENAME", "KEYBINDING", "KEYVALUE", "OBJECTPATH",
    "VALUE", "VALUE.ARRAY", "VALUE.NULL", "VALUE.REFERENCE", "VALUE.REFARRAY",
    "VALUE.NAMEDINSTANCE", "VALUE.OBJECT", "VALUE.OBJECTWITHPATH",
    "VALUE.OBJECTWITHLOCALPATH", "VALUE.INSTANCEWITHPATH",
    "QUALIFIER", "QUALIFIER.DECLARATION", "SCOPE",
    "PROPERTY", "PROPERTY.ARRAY", "PROPERTY.REFERENCE",
    "METHOD", "PARAMETER", "PARAMETER.ARRAY", "PARAMETER.REFERENCE",
    "PARAMETER.REFARRAY",
    "CLASS", "INSTANCE",
    "MULTIREQ", "MULTIRSP",
};
static_assert(sizeof(kTagNames) / sizeof(kTagNames[0]) == std::size_t(CimXmlTag::COUNT),
              "one name per tag");
static_assert(unsigned(CimXmlTag::COUNT) <= 64, "tag sets are 64-bit masks");

using T = CimXmlTag;

std::uint64_t bits(std::initializer_list<CimXmlTag> tags)
{
    std::uint64_t mask = 0;
    for (CimXmlTag t : tags)
        mask |= cimXmlTagBit(t);
    return mask;
}

// For each element, the elements it may contain.  This is the DSP0201
// grammar reduced to what the object model can hold; order and counts are
// checked where the content is assembled.
struct Grammar
{
    std::uint64_t children[unsigned(CimXmlTag::COUNT)] = {};
    std::uint64_t textAllowed = 0;

    // withMultiple: the grammar that also admits MULTIREQ and MULTIRSP.
    explicit Grammar(bool withMultiple = false)
    {
        auto allow = [this](CimXmlTag parent, std::initializer_list<CimXmlTag> kids) {
            children[unsigned(parent)] = bits(kids);
        };
        const auto anyPath = {T::CLASSPATH, T::LOCALCLASSPATH, T::CLASSNAME,
                              T::INSTANCEPATH, T::LOCALINSTANCEPATH, T::INSTANCENAME};
        allow(T::CIM, {T::MESSAGE});
        allow(T::MESSAGE, {T::SIMPLEREQ, T::SIMPLERSP});
        allow(T::SIMPLEREQ, {T::IMETHODCALL, T::METHODCALL});
        allow(T::SIMPLERSP, {T::IMETHODRESPONSE, T::METHODRESPONSE});
        allow(T::IMETHODCALL, {T::LOCALNAMESPACEPATH, T::IPARAMVALUE});
        allow(T::METHODCALL, {T::LOCALINSTANCEPATH, T::LOCALCLASSPATH, T::PARAMVALUE});
        allow(T::IMETHODRESPONSE, {T::ERROR, T::IRETURNVALUE, T::PARAMVALUE});
        allow(T::METHODRESPONSE, {T::ERROR, T::RETURNVALUE, T::PARAMVALUE});
        allow(T::ERROR, {T::INSTANCE});
        allow(T::IPARAMVALUE, {T::VALUE, T::VALUE_ARRAY, T::VALUE_REFERENCE,
                               T::INSTANCENAME, T::CLASSNAME, T::QUALIFIER_DECLARATION,
                               T::CLASS, T::INSTANCE, T::VALUE_NAMEDINSTANCE});
        allow(T::PARAMVALUE, {T::VALUE, T::VALUE_REFERENCE, T::VALUE_ARRAY,
                              T::VALUE_REFARRAY, T::CLASSNAME, T::INSTANCENAME,
                              T::CLASS, T::INSTANCE, T::VALUE_NAMEDINSTANCE});
        allow(T::IRETURNVALUE, {T::CLASSNAME, T::INSTANCENAME, T::VALUE,
                                T::VALUE_OBJECTWITHPATH, T::VALUE_OBJECTWITHLOCALPATH,
                                T::VALUE_OBJECT, T::OBJECTPATH, T::QUALIFIER_DECLARATION,
                                T::VALUE_ARRAY, T::VALUE_REFERENCE, T::CLASS, T::INSTANCE,
                                T::INSTANCEPATH, T::VALUE_NAMEDINSTANCE,
                                T::VALUE_INSTANCEWITHPATH});
        allow(T::RETURNVALUE, {T::VALUE, T::VALUE_REFERENCE});
        allow(T::LOCALNAMESPACEPATH, {T::NAMESPACE});
        allow(T::NAMESPACEPATH, {T::HOST, T::LOCALNAMESPACEPATH});
        allow(T::LOCALINSTANCEPATH, {T::LOCALNAMESPACEPATH, T::INSTANCENAME});
        allow(T::INSTANCEPATH, {T::NAMESPACEPATH, T::INSTANCENAME});
        allow(T::LOCALCLASSPATH, {T::LOCALNAMESPACEPATH, T::CLASSNAME});
        allow(T::CLASSPATH, {T::NAMESPACEPATH, T::CLASSNAME});
        allow(T::INSTANCENAME, {T::KEYBINDING});
        allow(T::KEYBINDING, {T::KEYVALUE, T::VALUE_REFERENCE});
        allow(T::OBJECTPATH, {T::INSTANCEPATH, T::CLASSPATH});
        allow(T::VALUE_ARRAY, {T::VALUE, T::VALUE_NULL});
        children[unsigned(T::VALUE_REFERENCE)] = bits(anyPath);
        allow(T::VALUE_REFARRAY, {T::VALUE_REFERENCE, T::VALUE_NULL});
        allow(T::VALUE_NAMEDINSTANCE, {T::INSTANCENAME, T::INSTANCE});
        allow(T::VALUE_OBJECT, {T::CLASS, T::INSTANCE});
        allow(T::VALUE_OBJECTWITHPATH, {T::CLASSPATH, T::CLASS, T::INSTANCEPATH, T::INSTANCE});
        allow(T::VALUE_INSTANCEWITHPATH, {T::INSTANCEPATH, T::INSTANCE});
        allow(T::VALUE_OBJECTWITHLOCALPATH,
              {T::LOCALCLASSPATH, T::CLASS, T::LOCALINSTANCEPATH, T::INSTANCE});
        allow(T::QUALIFIER, {T::VALUE, T::VALUE_ARRAY});
        allow(T::QUALIFIER_DECLARATION, {T::SCOPE, T::VALUE, T::VALUE_ARRAY});
        allow(T::PROPERTY, {T::QUALIFIER, T::VALUE});
        allow(T::PROPERTY_ARRAY, {T::QUALIFIER, T::VALUE_ARRAY});
        allow(T::PROPERTY_REFERENCE, {T::QUALIFIER, T::VALUE_REFERENCE});
        allow(T::METHOD, {T::QUALIFIER, T::PARAMETER, T::PARAMETER_REFERENCE,
                          T::PARAMETER_ARRAY, T::PARAMETER_REFARRAY});
        allow(T::PARAMETER, {T::QUALIFIER});
        allow(T::PARAMETER_ARRAY, {T::QUALIFIER});
        allow(T::PARAMETER_REFERENCE, {T::QUALIFIER});
        allow(T::PARAMETER_REFARRAY, {T::QUALIFIER});
        allow(T::CLASS, {T::QUALIFIER, T::PROPERTY, T::PROPERTY_ARRAY,
                         T::PROPERTY_REFERENCE, T::METHOD});
        allow(T::INSTANCE, {T::QUALIFIER, T::PROPERTY, T::PROPERTY_ARRAY,
                            T::PROPERTY_REFERENCE});
        textAllowed = bits({T::VALUE, T::KEYVALUE, T::HOST});
        if (withMultiple)
        {
            allow(T::MESSAGE, {T::SIMPLEREQ, T::SIMPLERSP, T::MULTIREQ, T::MULTIRSP});
            allow(T::MULTIREQ, {T::SIMPLEREQ});
            allow(T::MULTIRSP, {T::SIMPLERSP});
        }
    }
};

const Grammar& grammar(bool withMultiple = false)
{
    static const Grammar simple(false);
    static const Grammar multiple(true);
    return withMultiple ? multiple : simple;
}

// Element names looked up by length, then by content.  Within a length the
// elements that dominate large documents come first.
class TagTable
{
public:
    TagTable()
    {
        static const CimXmlTag kByFrequency[] = {
            T::VALUE, T::PROPERTY, T::QUALIFIER, T::PROPERTY_ARRAY, T::VALUE_ARRAY,
            T::KEYVALUE, T::KEYBINDING, T::INSTANCENAME, T::INSTANCE,
            T::VALUE_NAMEDINSTANCE, T::PROPERTY_REFERENCE, T::VALUE_REFERENCE,
        };
        bool added[unsigned(CimXmlTag::COUNT)] = {};
        for (CimXmlTag t : kByFrequency)
        {
            add(t);
            added[unsigned(t)] = true;
        }
        for (unsigned i = 0; i < unsigned(CimXmlTag::COUNT); i++)
        {
            if (!added[i])
                add(CimXmlTag(i));
        }
    }

    bool find(const char* name, std::size_t n, CimXmlTag& tag) const
    {
        if (n >= kMaxLength)
            return false;
        for (const Entry& e : _byLength[n])
        {
            if (e.name[0] == name[0] && equalBytes(e.name, name, n))
            {
                tag = e.tag;
                return true;
            }
        }
        return false;
    }

private:
    static const std::size_t kMaxLength = 32;
    struct Entry
    {
        const char* name;
        CimXmlTag tag;
    };

    void add(CimXmlTag t)
    {
        const char* name = kTagNames[unsigned(t)];
        _byLength[std::strlen(name)].push_back(Entry{name, t});
    }

    std::vector<Entry> _byLength[kMaxLength];
};

const TagTable& tagTable()
{
    static const TagTable table;
    return table;
}

// State of one parse: receives the tokenizer's tokens, checks them against
// the grammar and the limits, and hands them on to the receiver.
struct Session : CimXmlTokenSink
{
    CimXmlTokenizer tokenizer{*this};
    CimXmlEvents* events = nullptr;
    const Grammar* grammar = nullptr;
    const TagTable* tags = nullptr;
    std::uint64_t rootTags = 0;
    unsigned maxDepth = 0;
    std::vector<CimXmlTag> stack;

    [[noreturn]] void fail(CimXmlException::Kind kind, const std::string& message)
    {
        throw CimXmlException(kind, String(("line " + std::to_string(tokenizer.currentLine()) +
                                            ": " + message).c_str()));
    }

    [[noreturn]] void failFrom(const CimXmlException& e)
    {
        CString text = e.getMessage().getCString();
        fail(e.kind(), static_cast<const char*>(text));
    }

    [[noreturn]] void failFrom(const Exception& e)
    {
        CString text = e.getMessage().getCString();
        fail(CimXmlException::VALUE, static_cast<const char*>(text));
    }

    // Runs a receiver callback, turning whatever it throws into a failure
    // that names the line.
    template <class F>
    void guarded(F f)
    {
        try
        {
            f();
        }
        catch (const CimXmlException& e)
        {
            failFrom(e);
        }
        catch (const Exception& e)
        {
            failFrom(e);
        }
        catch (const std::bad_alloc&)
        {
            fail(CimXmlException::SYNTAX, "out of memory");
        }
        catch (const std::exception& e)
        {
            fail(CimXmlException::SYNTAX, e.what());
        }
    }

    bool startTag(const char* name, std::size_t nameSize, const char** attributes) override
    {
        CimXmlTag tag;
        if (!tags->find(name, nameSize, tag))
            fail(CimXmlException::SYNTAX, std::string("unknown element ") + name);
        if (stack.empty())
        {
            if (!(rootTags & cimXmlTagBit(tag)))
                fail(CimXmlException::SYNTAX, std::string("unexpected document element ") + name);
        }
        else
        {
            CimXmlTag parent = stack.back();
            if (!(grammar->children[unsigned(parent)] & cimXmlTagBit(tag)))
                fail(CimXmlException::SYNTAX, std::string("element ") + name +
                                                  " not allowed inside " +
                                                  kTagNames[unsigned(parent)]);
        }
        if (stack.size() >= maxDepth)
            fail(CimXmlException::SYNTAX, "elements nested too deeply");
        stack.push_back(tag);
        guarded([&] { events->startElement(tag, attributes); });
        // White space is all the text other elements may hold.
        return (grammar->textAllowed & cimXmlTagBit(tag)) != 0;
    }

    void endTag() override
    {
        CimXmlTag tag = stack.back();
        guarded([&] { events->endElement(tag); });
        stack.pop_back();
    }

    void text(const char* data, std::size_t size) override
    {
        if (!stack.empty() && (grammar->textAllowed & cimXmlTagBit(stack.back())))
        {
            guarded([&] { events->characters(data, size); });
            return;
        }
        for (std::size_t i = 0; i < size; i++)
        {
            char c = data[i];
            if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
                fail(CimXmlException::SYNTAX,
                     std::string("unexpected text inside ") +
                         (stack.empty() ? "document" : kTagNames[unsigned(stack.back())]));
        }
    }
};

}  // namespace

const char* cimXmlTagName(CimXmlTag tag)
{
    return unsigned(tag) < unsigned(CimXmlTag::COUNT) ? kTagNames[unsigned(tag)] : "?";
}

CimXmlParser::CimXmlParser(std::uint64_t rootTags, const CimXmlLimits& limits,
                           unsigned embeddingDepth)
    : _rootTags(rootTags), _limits(limits), _embeddingDepth(embeddingDepth)
{
}

const char* CimXmlParser::attribute(const char** attributes, const char* name)
{
    for (const char** a = attributes; *a; a += 2)
    {
        if (std::strcmp(a[0], name) == 0)
            return a[1];
    }
    return nullptr;
}

namespace {

// Connects a session to the receiver of its events.
void startSession(Session& s, CimXmlEvents& events, std::uint64_t rootTags,
                  const CimXmlLimits& limits, bool multiple = false)
{
    s.events = &events;
    s.grammar = &grammar(multiple);
    s.tags = &tagTable();
    s.rootTags = rootTags;
    s.maxDepth = limits.maxDepth;
    s.stack.reserve(32);
}

[[noreturn]] void throwTooLarge(std::size_t size, const CimXmlLimits& limits)
{
    throw CimXmlException(CimXmlException::SYNTAX,
                          String(("document too large: " + std::to_string(size) +
                                  " bytes, limit " +
                                  std::to_string(limits.maxDocumentBytes)).c_str()));
}

}  // namespace

void CimXmlParser::parse(const char* data, std::size_t size, CimXmlEvents& events)
{
    if (_embeddingDepth > _limits.maxEmbeddingDepth)
        throw CimXmlException(CimXmlException::SYNTAX,
                              "embedded objects nested too deeply");
    if (size > _limits.maxDocumentBytes)
        throwTooLarge(size, _limits);

    Session s;
    startSession(s, events, _rootTags, _limits, _multiple);
    s.tokenizer.feed(data, size, true);
}

struct CimXmlPushParser::State
{
    Session session;
    CimXmlLimits limits;
    std::size_t fed = 0;
    bool broken = false;
};

CimXmlPushParser::CimXmlPushParser(std::uint64_t rootTags, const CimXmlLimits& limits,
                                   CimXmlEvents& events)
    : _state(new State)
{
    _state->limits = limits;
    startSession(_state->session, events, rootTags, limits);
}

CimXmlPushParser::~CimXmlPushParser() {}

void CimXmlPushParser::feed(const char* data, std::size_t size)
{
    State& st = *_state;
    if (st.broken)
        throw CimXmlException(CimXmlException::SYNTAX, "the document was already rejected");
    st.broken = true;
    if (size > st.limits.maxDocumentBytes - st.fed)
        throwTooLarge(st.fed + size, st.limits);
    st.fed += size;
    st.session.tokenizer.feed(data, size, false);
    st.broken = false;
}

void CimXmlPushParser::finish()
{
    State& st = *_state;
    if (st.broken)
        throw CimXmlException(CimXmlException::SYNTAX, "the document was already rejected");
    st.broken = true;
    st.session.tokenizer.feed("", 0, true);
}

}  // namespace Pegasus
