// The XML tokenizer under the CIM-XML decoder.  It reads the narrow XML
// profile CIM-XML uses, straight from the received bytes: UTF-8 only, an
// optional XML declaration, elements with attributes, character data with
// the predefined entities and character references, CDATA sections;
// comments and processing instructions are checked and skipped.  A DOCTYPE
// (and with it every entity declaration) and any other entity reference
// are refused.  It checks well-formedness as a conforming parser does: the
// encoding and the XML Char production, names, quoting, duplicate
// attributes, nesting, one root element and nothing but whitespace,
// comments and processing instructions around it.
//
// Text without references is handed over in place; decoded text, element
// names and attributes come from buffers the tokenizer reuses.  A document
// may arrive in pieces: an unfinished token at the end of a piece is kept
// and completed by the next.
//
// Errors are CimXmlException (SYNTAX) with the message "line N: ...".
#ifndef PEGASUS_CIMXML_TOKENIZER_H
#define PEGASUS_CIMXML_TOKENIZER_H

#include "CimXmlException.h"
#include "ShortBytes.h"

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

namespace Pegasus {

// Receives the tokens of a document.  Anything it throws ends the parse and
// reaches the caller of feed() unchanged.
class CimXmlTokenSink
{
public:
    virtual ~CimXmlTokenSink() {}

    // name: nameSize bytes, NUL-terminated.  attributes: NULL-terminated
    // array of name, value, name, value..., NUL-terminated texts.  Both stay
    // valid for the call only.  Returns whether the element's character
    // data is wanted when it is all white space (between child elements,
    // say); if not, such text may be dropped: what is handed over is then
    // the text that holds something else, possibly without white space
    // that a piece boundary separated from it.
    virtual bool startTag(const char* name, std::size_t nameSize,
                          const char** attributes) = 0;
    // Closes the innermost open element (the tokenizer has matched its name).
    virtual void endTag() = 0;
    // Character data, possibly in several pieces; also the whitespace
    // between elements.  Valid for the call only.
    virtual void text(const char* data, std::size_t size) = 0;
};

class CimXmlTokenizer
{
public:
    explicit CimXmlTokenizer(CimXmlTokenSink& sink) : _sink(&sink) {}
    CimXmlTokenizer(const CimXmlTokenizer&) = delete;
    CimXmlTokenizer& operator=(const CimXmlTokenizer&) = delete;

    // Tokenizes the next piece of the document; last: the document ends
    // with it.  After an exception the tokenizer accepts nothing more.
    void feed(const char* data, std::size_t size, bool last);

    // The line (from 1) where the token being delivered starts.
    unsigned long currentLine();

private:
    // Tokenizes [p, end) and returns where the unfinished tail starts.
    const char* run(const char* p, const char* end, bool last);
    const char* startTag(const char* p, const char* end, bool last);
    const char* endTag(const char* p, const char* end, bool last);
    const char* markup(const char* p, const char* end, bool last);
    const char* processingInstruction(const char* p, const char* end, bool last);
    const char* xmlDeclaration(const char* p, const char* end, bool last);
    const char* content(const char* p, const char* end, bool last);
    const char* outsideRoot(const char* p, const char* end, bool last);
    const char* cdata(const char* p, const char* end, bool last);
    // The end of the name at p; 0 when the piece ends inside it.
    const char* name(const char* p, const char* end, bool last);
    // Decodes the reference at p ('&') into `to` (room for four bytes),
    // its length into `size`; 0 when incomplete.
    const char* reference(const char* p, const char* end, bool last, char* to,
                          std::size_t& size);
    // Checks the characters of a comment or processing instruction up to
    // the terminator `close`; returns the position after it, 0 when incomplete.
    const char* skipUntil(const char* p, const char* end, bool last, const char* close,
                          bool comment);
    // A multi-byte UTF-8 character at p: its length, 0 when incomplete.
    std::size_t utf8Char(const char* p, const char* end, bool last, unsigned& cp);
    const char* incomplete(const char* tokenStart, bool last, const char* message);
    [[noreturn]] void fail(const char* at, const char* message);
    unsigned long lineAt(const char* at);
    void countLines(const char* to);

    CimXmlTokenSink* _sink;
    // The piece being tokenized, and where its line count stands.
    const char* _begin = nullptr;
    const char* _counted = nullptr;
    unsigned long _line = 1;
    unsigned long _beginLine = 1;
    const char* _token = nullptr;
    // The last token stopped at the end of the piece, unfinished.
    bool _needMore = false;
    // The unfinished tail of the previous piece, joined with the next one.
    std::string _pending;
    // Size the tail must reach before it is tried again.
    std::size_t _retryAt = 0;
    // A byte buffer whose room is kept from token to token.
    struct Bytes
    {
        std::vector<char> room;
        std::size_t size = 0;

        char* data() { return room.data(); }
        void append(const char* from, std::size_t n)
        {
            if (n > room.size() - size)
                room.resize(2 * (size + n) + 64);
            copyBytes(room.data() + size, from, n);
            size += n;
        }
        void append(char c)
        {
            if (size == room.size())
                room.resize(2 * size + 64);
            room[size++] = c;
        }
        // The one to four bytes of a decoded reference.
        void appendCharacter(const char* utf8, std::size_t n)
        {
            for (std::size_t i = 0; i < n; i++)
                append(utf8[i]);
        }
    };

    // Names of the open elements, each followed by a NUL, and their offsets.
    Bytes _names;
    std::vector<std::size_t> _nameStarts;
    // For each open element, whether its white space is handed over.
    std::vector<char> _spaceWanted;
    // Attribute texts of the current start tag (name, NUL, value, NUL...)
    // and the offsets of the names and values.
    Bytes _attributeText;
    std::vector<std::size_t> _attributeOffsets;
    std::vector<const char*> _attributes;
    // Character data as decoded, when it held references or CRs.
    Bytes _decoded;
    bool _started = false;  // past the place of an XML declaration
    bool _rootClosed = false;
};

}  // namespace Pegasus

#endif
