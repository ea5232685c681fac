#include "CimXmlParser.h"

#include <expat.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <random>
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

    bool find(const char* name, CimXmlTag& tag) const
    {
        std::size_t n = std::strlen(name);
        if (n >= kMaxLength)
            return false;
        for (const Entry& e : _byLength[n])
        {
            if (e.name[0] == name[0] && std::memcmp(e.name, name, n) == 0)
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

// State of one parse, reached from expat's callbacks through user data.
// Nothing may unwind through expat (a C library), so every callback catches
// and records the failure, stops the parser, and parse() rethrows it.
struct Session
{
    XML_Parser xml = nullptr;
    CimXmlEvents* events = nullptr;
    const Grammar* grammar = nullptr;
    const TagTable* tags = nullptr;
    std::uint64_t rootTags = 0;
    unsigned maxDepth = 0;
    std::vector<CimXmlTag> stack;
    bool failed = false;
    CimXmlException::Kind failureKind = CimXmlException::SYNTAX;
    std::string failure;

    void fail(CimXmlException::Kind kind, const std::string& message)
    {
        if (failed)
            return;
        failed = true;
        failureKind = kind;
        failure = "line " + std::to_string(XML_GetCurrentLineNumber(xml)) + ": " + message;
        XML_StopParser(xml, XML_FALSE);
    }

    void failFrom(const CimXmlException& e)
    {
        CString text = e.getMessage().getCString();
        fail(e.kind(), static_cast<const char*>(text));
    }

    void failFrom(const Exception& e)
    {
        CString text = e.getMessage().getCString();
        fail(CimXmlException::VALUE, static_cast<const char*>(text));
    }
};

// Runs a receiver callback, turning whatever it throws into a recorded
// failure.
template <class F>
void guarded(Session& s, F f)
{
    try
    {
        f();
    }
    catch (const CimXmlException& e)
    {
        s.failFrom(e);
    }
    catch (const Exception& e)
    {
        s.failFrom(e);
    }
    catch (const std::bad_alloc&)
    {
        s.fail(CimXmlException::SYNTAX, "out of memory");
    }
    catch (const std::exception& e)
    {
        s.fail(CimXmlException::SYNTAX, e.what());
    }
}

void XMLCALL onStart(void* data, const XML_Char* name, const XML_Char** attributes)
{
    Session& s = *static_cast<Session*>(data);
    if (s.failed)
        return;
    CimXmlTag tag;
    if (!s.tags->find(name, tag))
    {
        s.fail(CimXmlException::SYNTAX, std::string("unknown element ") + name);
        return;
    }
    if (s.stack.empty())
    {
        if (!(s.rootTags & cimXmlTagBit(tag)))
        {
            s.fail(CimXmlException::SYNTAX,
                   std::string("unexpected document element ") + name);
            return;
        }
    }
    else
    {
        CimXmlTag parent = s.stack.back();
        if (!(s.grammar->children[unsigned(parent)] & cimXmlTagBit(tag)))
        {
            s.fail(CimXmlException::SYNTAX, std::string("element ") + name +
                                                " not allowed inside " +
                                                kTagNames[unsigned(parent)]);
            return;
        }
    }
    if (s.stack.size() >= s.maxDepth)
    {
        s.fail(CimXmlException::SYNTAX, "elements nested too deeply");
        return;
    }
    s.stack.push_back(tag);
    guarded(s, [&] { s.events->startElement(tag, attributes); });
}

void XMLCALL onEnd(void* data, const XML_Char*)
{
    Session& s = *static_cast<Session*>(data);
    if (s.failed)
        return;
    CimXmlTag tag = s.stack.back();
    guarded(s, [&] { s.events->endElement(tag); });
    s.stack.pop_back();
}

void XMLCALL onText(void* data, const XML_Char* text, int size)
{
    Session& s = *static_cast<Session*>(data);
    if (s.failed || size <= 0)
        return;
    if (!s.stack.empty() && (s.grammar->textAllowed & cimXmlTagBit(s.stack.back())))
    {
        guarded(s, [&] { s.events->characters(text, std::size_t(size)); });
        return;
    }
    for (int i = 0; i < size; i++)
    {
        char c = text[i];
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
        {
            s.fail(CimXmlException::SYNTAX,
                   std::string("unexpected text inside ") +
                       (s.stack.empty() ? "document" : kTagNames[unsigned(s.stack.back())]));
            return;
        }
    }
}

// A DOCTYPE is the only way to declare entities, and entities are the
// vehicle of expansion bombs and external-file tricks.  CIM-XML never needs
// one, so any DOCTYPE ends the parse before its internal subset is read.
void XMLCALL onDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int)
{
    Session& s = *static_cast<Session*>(data);
    s.fail(CimXmlException::SYNTAX, "DOCTYPE declarations are not allowed");
}

void XMLCALL onEntityDecl(void* data, const XML_Char*, int, const XML_Char*, int,
                          const XML_Char*, const XML_Char*, const XML_Char*,
                          const XML_Char*)
{
    Session& s = *static_cast<Session*>(data);
    s.fail(CimXmlException::SYNTAX, "entity declarations are not allowed");
}

int XMLCALL onExternalEntity(XML_Parser, const XML_Char*, const XML_Char*,
                             const XML_Char*, const XML_Char*)
{
    return XML_STATUS_ERROR;
}

// An expat parser for one document.  Creating one costs allocations and a
// system call for its hash salt, which for the small documents of most
// requests is a good part of the parse: each thread keeps one parser and
// resets it between documents.  A document parsed while that one is busy
// (an embedded object, decoded from inside a callback) gets its own.
class ExpatParser
{
public:
    ExpatParser()
    {
        Cache& cache = threadCache();
        if (cache.parser && !cache.busy && !XML_ParserReset(cache.parser, nullptr))
        {
            XML_ParserFree(cache.parser);
            cache.parser = nullptr;
        }
        if (cache.parser && !cache.busy)
            _p = cache.parser;
        else
        {
            _p = XML_ParserCreate(nullptr);
            if (_p && !cache.parser)
                cache.parser = _p;
        }
        if (_p && _p == cache.parser)
        {
            cache.busy = true;
            _cached = true;
        }
        // A fresh salt for every document, as a new parser would draw:
        // from a generator seeded once per thread rather than from the
        // system each time.
        if (_p)
            XML_SetHashSalt(_p, static_cast<unsigned long>(cache.salts()));
    }
    ~ExpatParser()
    {
        if (_cached && !_grown)
            threadCache().busy = false;
        else if (_cached)
        {
            Cache& cache = threadCache();
            cache.parser = nullptr;
            cache.busy = false;
            XML_ParserFree(_p);
        }
        else if (_p)
            XML_ParserFree(_p);
    }
    // The parser has been given a large document: its buffers may have
    // grown to the size of the longest token, and a reset keeps them.  It is
    // freed after use rather than kept for the thread's next document.
    void noteLargeInput() { _grown = true; }
    ExpatParser(const ExpatParser&) = delete;
    ExpatParser& operator=(const ExpatParser&) = delete;
    XML_Parser get() const { return _p; }

private:
    struct Cache
    {
        XML_Parser parser = nullptr;
        bool busy = false;
        std::mt19937_64 salts{seed()};
        Cache() = default;
        Cache(const Cache&) = delete;
        Cache& operator=(const Cache&) = delete;
        ~Cache()
        {
            if (parser)
                XML_ParserFree(parser);
        }
    };

    static std::uint64_t seed()
    {
        try
        {
            std::random_device device;
            return (std::uint64_t(device()) << 32) ^ device();
        }
        catch (const std::exception&)
        {
            // No entropy source: expat would fall back on the clock too.
            return std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
        }
    }

    static Cache& threadCache()
    {
        thread_local Cache cache;
        return cache;
    }

    XML_Parser _p = nullptr;
    bool _cached = false;
    bool _grown = false;
};

// Documents up to this size leave the thread's parser small enough to keep
// (expat's buffer grows to the largest piece it was given and stays): every
// worker thread keeps one, so a larger document's parser is freed after it,
// which costs little beside parsing that much.
const std::size_t kKeptParserInput = std::size_t(64) << 10;

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

// Connects a session to its expat parser and the receiver of its events.
void startSession(Session& s, XML_Parser xml, CimXmlEvents& events, std::uint64_t rootTags,
                  const CimXmlLimits& limits, bool multiple = false)
{
    s.xml = xml;
    s.events = &events;
    s.grammar = &grammar(multiple);
    s.tags = &tagTable();
    s.rootTags = rootTags;
    s.maxDepth = limits.maxDepth;
    s.stack.reserve(32);

    XML_SetUserData(s.xml, &s);
    XML_SetElementHandler(s.xml, onStart, onEnd);
    XML_SetCharacterDataHandler(s.xml, onText);
    XML_SetStartDoctypeDeclHandler(s.xml, onDoctype);
    XML_SetEntityDeclHandler(s.xml, onEntityDecl);
    XML_SetExternalEntityRefHandler(s.xml, onExternalEntity);
    XML_SetParamEntityParsing(s.xml, XML_PARAM_ENTITY_PARSING_NEVER);
}

[[noreturn]] void throwTooLarge(std::size_t size, const CimXmlLimits& limits)
{
    throw CimXmlException(CimXmlException::SYNTAX,
                          String(("document too large: " + std::to_string(size) +
                                  " bytes, limit " +
                                  std::to_string(limits.maxDocumentBytes)).c_str()));
}

// Hands `size` bytes to expat (last: the document ends with them) and
// throws what the session or expat found wrong.
void parseSlices(Session& s, const char* data, std::size_t size, bool last)
{
    // XML_Parse takes an int length: feed large pieces in slices.  (Small
    // slices would spare expat's copy of the document, but cost a tenth
    // more time on large responses.)
    const std::size_t kSlice = std::size_t(1) << 28;
    std::size_t offset = 0;
    do
    {
        std::size_t n = size - offset < kSlice ? size - offset : kSlice;
        bool final = last && offset + n == size;
        XML_Status status = XML_Parse(s.xml, data + offset, int(n), final);
        if (s.failed)
            throw CimXmlException(s.failureKind, String(s.failure.c_str()));
        if (status != XML_STATUS_OK)
        {
            std::string message = "line " +
                                  std::to_string(XML_GetCurrentLineNumber(s.xml)) +
                                  ": " + XML_ErrorString(XML_GetErrorCode(s.xml));
            throw CimXmlException(CimXmlException::SYNTAX, String(message.c_str()));
        }
        offset += n;
    } while (offset < size);
}

}  // namespace

void CimXmlParser::parse(const char* data, std::size_t size, CimXmlEvents& events)
{
    if (_embeddingDepth > _limits.maxEmbeddingDepth)
        throw CimXmlException(CimXmlException::SYNTAX,
                              "embedded objects nested too deeply");
    if (size > _limits.maxDocumentBytes)
        throwTooLarge(size, _limits);

    ExpatParser parser;
    if (!parser.get())
        throw CimXmlException(CimXmlException::SYNTAX, "cannot create XML parser");

    if (size > kKeptParserInput)
        parser.noteLargeInput();
    Session s;
    startSession(s, parser.get(), events, _rootTags, _limits, _multiple);
    parseSlices(s, data, size, true);
}

struct CimXmlPushParser::State
{
    ExpatParser parser;
    Session session;
    CimXmlLimits limits;
    std::size_t fed = 0;
    bool broken = false;
};

CimXmlPushParser::CimXmlPushParser(std::uint64_t rootTags, const CimXmlLimits& limits,
                                   CimXmlEvents& events)
    : _state(new State)
{
    if (!_state->parser.get())
        throw CimXmlException(CimXmlException::SYNTAX, "cannot create XML parser");
    _state->limits = limits;
    startSession(_state->session, _state->parser.get(), events, rootTags, limits);
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
    if (st.fed > kKeptParserInput)
        st.parser.noteLargeInput();
    parseSlices(st.session, data, size, false);
    st.broken = false;
}

void CimXmlPushParser::finish()
{
    State& st = *_state;
    if (st.broken)
        throw CimXmlException(CimXmlException::SYNTAX, "the document was already rejected");
    st.broken = true;
    parseSlices(st.session, "", 0, true);
}

}  // namespace Pegasus
