// Parser: the MOF grammar, by recursive descent, over one text.
//
// Each complete declaration is handed to a ParserSink as soon as it has
// been read, in text order, so that a sink that loads declarations sees a
// qualifier declaration before the classes that use it.  #pragma include
// is handed over like any other pragma: the sink parses the named file
// (with a Parser of its own) before this parser goes on.
//
// Syntax and lexical errors are reported to the Diagnostics with file, line
// and column; the parser then skips to the end of the declaration it was in
// and goes on, until the text ends or Diagnostics::tooManyErrors().
//
// Not thread-safe; the text must outlive the parser.
#ifndef PEGASUS_MOF_PARSER_H
#define PEGASUS_MOF_PARSER_H

#include "MofDiagnostics.h"
#include "MofLexer.h"
#include "MofSyntax.h"

#include <deque>
#include <memory>
#include <string>
#include <string_view>

namespace Pegasus {
namespace Mof {

class ParserSink
{
public:
    virtual ~ParserSink() = default;
    virtual void pragma(const PragmaSpec& pragma) = 0;
    virtual void qualifierDecl(const QualifierDeclSpec& decl) = 0;
    virtual void classDecl(const ClassSpec& decl) = 0;
    virtual void instanceDecl(const InstanceSpec& decl) = 0;
};

class Parser
{
public:
    // `fileName` names the text in messages.
    Parser(std::string_view text, std::shared_ptr<const std::string> fileName,
           ParserSink& sink, Diagnostics& diagnostics);

    // Parses the whole text.  Returns the number of syntax and lexical
    // errors found in it (errors of included files are not counted here).
    unsigned parse();

private:
    struct SyntaxError {};   // thrown after the error has been reported

    const Token& peek(std::size_t ahead = 0);
    Token take();
    Location here(const Token& token) const;
    [[noreturn]] void fail(const std::string& expected);
    void recover();

    bool isPunct(char c, std::size_t ahead = 0);
    bool isKeyword(const char* word, std::size_t ahead = 0);
    void expectPunct(char c);
    void expectKeyword(const char* word);
    std::string expectName(const char* what);

    void production();
    void pragma();
    void qualifierDecl();
    void classDecl(std::vector<QualifierSpec> qualifiers);
    void instanceDecl(std::vector<QualifierSpec> qualifiers);
    void feature(ClassSpec& cls);
    void parameter(MethodSpec& method);

    std::vector<QualifierSpec> qualifierList();
    FlavorSpec flavorList(bool inParentheses);
    bool flavorWord(FlavorSpec& flavor);
    bool dataType(CIMType& type);
    void arraySuffix(TypeSpec& type);
    Literal constant();
    Literal initializer();
    std::u16string strings();

    Lexer _lexer;
    std::shared_ptr<const std::string> _file;
    ParserSink& _sink;
    Diagnostics& _diagnostics;
    std::deque<Token> _lookahead;
    int _depth = 0;          // braces opened and not yet closed
    bool _lastWasSemicolon = false;
    unsigned _errors = 0;
};

// The CIM type named by a MOF data type keyword (any case); false if the
// word is not one.
bool dataTypeFromName(const std::string& word, CIMType& type);

}  // namespace Mof
}  // namespace Pegasus

#endif
