// TXmlParser: the host's SAX-style XML parser base class, on expat.
//
// A subclass overrides the callbacks it needs and calls Parse with a whole
// document; Parse calls the callbacks in document order on the calling
// thread and returns when the document is done or broken.
//
// What it accepts: a well-formed document of at most kMaxInputBytes bytes
// whose elements nest at most kMaxDepth deep.  A document type declaration
// may be present, but nothing outside the document is ever loaded (no
// external DTD, no external entities) and entity declarations are refused,
// so no entity can expand; a reference to an entity other than the five
// predefined ones is refused too.  Empty elements (<a/>) are reported as a
// start followed by an end.
//
// Errors: malformed XML, a refused construct or a broken limit calls
// FatalError once with a message (expat's own text for malformed XML, for
// example "not well-formed (invalid token)"), while GetCurLine() and
// GetCurColumn() give the position of the fault, and Parse returns false.
// FatalError is also free for subclasses to call for their own grammar
// errors; those calls do not change Parse's result.
//
// An exception thrown by a callback stops the parse and leaves Parse as it
// was thrown (the expat parser is released first); no FatalError is made.
//
// Thread safety: one object is used by one thread at a time; different
// objects may parse at the same time.
#ifndef NQRVKTA20_TXMLPARSER_H
#define NQRVKTA20_TXMLPARSER_H

#include <cstddef>
#include <exception>
#include <map>
#include <string>

struct XML_ParserStruct;

namespace NQRVKTA20 {

class TXmlParser {
public:
    static constexpr std::size_t kMaxInputBytes = 16u * 1024u * 1024u;
    static constexpr unsigned kMaxDepth = 256;

    TXmlParser();
    virtual ~TXmlParser();

    TXmlParser(const TXmlParser&) = delete;
    TXmlParser& operator=(const TXmlParser&) = delete;

    // Callbacks; the defaults do nothing except FatalError, which logs
    // "TXmlParser line N: message" at severity 0 on the core logger.

    // An element starts; `attributes` maps each attribute's name to its
    // value (entity and character references resolved).
    virtual void StartElement(const char* name,
                              std::map<std::string, std::string>& attributes);
    virtual void EndElement(const char* name);
    // A processing instruction other than the XML declaration; `data` is
    // "" when there is none.
    virtual void processingInstruction(const char* target, const char* data);
    // A piece of character data, NOT terminated: `length` bytes of UTF-8.
    // One run of text may arrive in several pieces.
    virtual void characters(const char* text, unsigned int length);
    // A notation declared in the document type declaration; an identifier
    // that is not given is passed as "".
    virtual void notationDecl(const char* name, const char* systemId,
                              const char* publicId);
    virtual void FatalError(const char* message);

    // Helpers (virtual so that subclasses may refine them).

    // Reads processing-instruction data written as pseudo-attributes,
    // name="value" or name='value' separated by blanks (as in
    // <?xml-stylesheet href="a.xsl" type="text/xsl"?>), into `pairs`
    // (a repeated name keeps its last value).  Returns false when the data
    // has another form; the pairs read before the fault are kept.
    virtual bool ParseJSSP(const std::string& data,
                           std::map<std::string, std::string>& pairs) const;

    // The character data `text` (`length` bytes, not terminated) without
    // leading and trailing XML white space (space, tab, CR, LF); "" for a
    // null text.
    virtual std::string ParseCharData(const char* text,
                                      unsigned int length) const;

    // Looks `name` up in `attributes` (exact comparison).  Returns true
    // and sets `value` when found; returns false and leaves `value` alone
    // otherwise.
    virtual bool GetAttributeNValue(
        const std::map<std::string, std::string>& attributes,
        const std::string& name, std::string& value) const;

    // Parses the terminated document `text` (not modified; null counts as
    // an empty document).  Returns true when the whole document was read
    // without an error of its own (see Errors above).  May be called again
    // for another document.
    bool Parse(char* text);

    // The line (from 1) and column (from 0) being parsed: inside a callback
    // the position of the event, after a failed Parse the fault, after a
    // successful one the end of the document; 0 before any parse.
    unsigned long GetCurLine() const;
    unsigned long GetCurColumn() const;

private:
    friend struct TXmlParserCallbacks;

    void Stop(const std::string& reason);

    XML_ParserStruct* fParser;
    unsigned fDepth;
    std::string fStopReason;
    std::exception_ptr fCallbackError;
    unsigned long fLine;
    unsigned long fColumn;
};

} // namespace NQRVKTA20

#endif
