// Recursive-descent parser for MOF.  One token of lookahead decides almost
// everything; two are needed to tell "Type Name" from "Class REF Name" in a
// class body.  Keywords are compared without regard to case and only where
// the grammar expects them, so that names such as "Association" or
// "Reference" stay usable as qualifier and property names.

#include "MofParser.h"

#include <cstring>
#include <utility>

namespace Pegasus {
namespace Mof {

namespace {

bool equalNoCase(const std::string& a, const char* b)
{
    std::size_t n = std::strlen(b);
    if (a.size() != n)
        return false;
    for (std::size_t i = 0; i < n; ++i)
    {
        char x = a[i];
        if (x >= 'A' && x <= 'Z')
            x = char(x - 'A' + 'a');
        if (x != b[i])
            return false;
    }
    return true;
}

std::string display(const Token& t)
{
    if (t.kind == TokenKind::End)
        return "<end of file>";
    std::string text(t.source);
    if (text.size() > 40)
        text = text.substr(0, 37) + "...";
    return text;
}

struct ScopeWord
{
    const char* word;
    std::uint32_t bits;
};

// Bits as in CIMScope; "qualifier" is a legal scope word that has no bit.
const ScopeWord kScopeWords[] = {
    {"class", 1}, {"association", 2}, {"indication", 4}, {"property", 8},
    {"reference", 16}, {"method", 32}, {"parameter", 64}, {"any", 127},
    {"qualifier", 0},
};

}  // namespace

bool dataTypeFromName(const std::string& word, CIMType& type)
{
    static const struct { const char* name; CIMType type; } kTypes[] = {
        {"boolean", CIMTYPE_BOOLEAN}, {"uint8", CIMTYPE_UINT8}, {"sint8", CIMTYPE_SINT8},
        {"uint16", CIMTYPE_UINT16}, {"sint16", CIMTYPE_SINT16}, {"uint32", CIMTYPE_UINT32},
        {"sint32", CIMTYPE_SINT32}, {"uint64", CIMTYPE_UINT64}, {"sint64", CIMTYPE_SINT64},
        {"real32", CIMTYPE_REAL32}, {"real64", CIMTYPE_REAL64}, {"char16", CIMTYPE_CHAR16},
        {"string", CIMTYPE_STRING}, {"datetime", CIMTYPE_DATETIME},
    };
    if (word.size() < 5 || word.size() > 8)
        return false;
    for (const auto& t : kTypes)
    {
        if (equalNoCase(word, t.name))
        {
            type = t.type;
            return true;
        }
    }
    return false;
}

Parser::Parser(std::string_view text, std::shared_ptr<const std::string> fileName,
               ParserSink& sink, Diagnostics& diagnostics)
    : _lexer(text), _file(std::move(fileName)), _sink(sink), _diagnostics(diagnostics)
{
}

Location Parser::here(const Token& token) const
{
    Location where;
    where.file = _file;
    where.line = token.line;
    where.column = token.column;
    return where;
}

const Token& Parser::peek(std::size_t ahead)
{
    while (_lookahead.size() <= ahead)
    {
        _lookahead.push_back(_lexer.next());
        const Token& t = _lookahead.back();
        if (t.kind == TokenKind::Error)
        {
            // Reported once, when first seen; the parser then fails on it
            // like on any unexpected token, without a second message.
            ++_errors;
            _diagnostics.error(Diagnostics::lexicalError(here(t), t.text));
        }
    }
    return _lookahead[ahead];
}

Token Parser::take()
{
    peek();
    Token t = std::move(_lookahead.front());
    _lookahead.pop_front();
    if (t.kind == TokenKind::Punct)
    {
        if (t.punct == '{')
            ++_depth;
        else if (t.punct == '}' && _depth > 0)
            --_depth;
    }
    _lastWasSemicolon = t.kind == TokenKind::Punct && t.punct == ';';
    return t;
}

void Parser::fail(const std::string& expected)
{
    const Token& t = peek();
    if (t.kind != TokenKind::Error)
    {
        ++_errors;
        _diagnostics.error(Diagnostics::syntaxError(here(t), display(t), expected));
    }
    throw SyntaxError();
}

void Parser::recover()
{
    // Skip to the end of the declaration that failed: the next ';' outside
    // any braces, or a #pragma at the top level.
    for (;;)
    {
        if (_diagnostics.tooManyErrors())
            return;
        const Token& t = peek();
        if (t.kind == TokenKind::End)
            return;
        if (t.kind == TokenKind::Pragma && _depth == 0)
            return;
        take();
        if (_lastWasSemicolon && _depth == 0)
            return;
    }
}

bool Parser::isPunct(char c, std::size_t ahead)
{
    const Token& t = peek(ahead);
    return t.kind == TokenKind::Punct && t.punct == c;
}

bool Parser::isKeyword(const char* word, std::size_t ahead)
{
    const Token& t = peek(ahead);
    return t.kind == TokenKind::Identifier && equalNoCase(t.text, word);
}

void Parser::expectPunct(char c)
{
    if (!isPunct(c))
        fail(std::string("'") + c + "'");
    take();
}

void Parser::expectKeyword(const char* word)
{
    if (!isKeyword(word))
        fail(std::string("'") + word + "'");
    take();
}

std::string Parser::expectName(const char* what)
{
    if (peek().kind != TokenKind::Identifier)
        fail(what);
    return take().text;
}

unsigned Parser::parse()
{
    while (peek().kind != TokenKind::End && !_diagnostics.tooManyErrors())
    {
        try
        {
            production();
        }
        catch (const SyntaxError&)
        {
            recover();
        }
    }
    return _errors;
}

void Parser::production()
{
    const Token& t = peek();
    if (t.kind == TokenKind::Pragma)
    {
        pragma();
        return;
    }
    if (isPunct('['))
    {
        std::vector<QualifierSpec> qualifiers = qualifierList();
        if (isKeyword("class"))
            classDecl(std::move(qualifiers));
        else if (isKeyword("instance"))
            instanceDecl(std::move(qualifiers));
        else
            fail("'class' or 'instance'");
        return;
    }
    if (isKeyword("class"))
        classDecl({});
    else if (isKeyword("instance"))
        instanceDecl({});
    else if (isKeyword("qualifier"))
        qualifierDecl();
    else
        fail("a class, instance or qualifier declaration, or #pragma");
}

std::u16string Parser::strings()
{
    // Adjacent string literals form one string.
    std::u16string value = take().value;
    while (peek().kind == TokenKind::String)
        value += take().value;
    return value;
}

void Parser::pragma()
{
    PragmaSpec spec;
    spec.where = here(take());
    spec.name = expectName("a pragma name");
    expectPunct('(');
    if (peek().kind == TokenKind::String)
        spec.value = utf16ToUtf8(strings());
    else if (peek().kind == TokenKind::Identifier)
        spec.value = take().text;
    else
        fail("a string");
    expectPunct(')');
    _sink.pragma(spec);
}

bool Parser::flavorWord(FlavorSpec& flavor)
{
    if (peek().kind != TokenKind::Identifier)
        return false;
    const std::string& w = peek().text;
    if (equalNoCase(w, "enableoverride"))
        flavor.enableOverride = true;
    else if (equalNoCase(w, "disableoverride"))
        flavor.disableOverride = true;
    else if (equalNoCase(w, "tosubclass"))
        flavor.toSubclass = true;
    else if (equalNoCase(w, "restricted"))
        flavor.restricted = true;
    else if (equalNoCase(w, "translatable"))
        flavor.translatable = true;
    else if (equalNoCase(w, "toinstance"))
        flavor.toInstance = true;
    else
        return false;
    take();
    return true;
}

FlavorSpec Parser::flavorList(bool inParentheses)
{
    FlavorSpec flavor;
    if (inParentheses)
    {
        expectPunct('(');
        do
        {
            if (!flavorWord(flavor))
                fail("a flavor (EnableOverride, DisableOverride, ToSubclass, Restricted, "
                     "Translatable)");
        } while (isPunct(',') && (take(), true));
        expectPunct(')');
    }
    else
    {
        // After "Qualifier :" the flavors are separated by blanks.
        if (!flavorWord(flavor))
            fail("a flavor");
        while (flavorWord(flavor))
        {
        }
    }
    return flavor;
}

std::vector<QualifierSpec> Parser::qualifierList()
{
    std::vector<QualifierSpec> list;
    expectPunct('[');
    for (;;)
    {
        QualifierSpec q;
        q.where = here(peek());
        q.name = expectName("a qualifier name");
        if (isPunct('('))
        {
            take();
            q.value = constant();
            q.hasValue = true;
            if (isPunct(','))
            {
                // Tolerated: a list in parentheses is read as an array.
                Literal array;
                array.kind = Literal::Kind::Array;
                array.where = q.value.where;
                array.elements.push_back(std::move(q.value));
                while (isPunct(','))
                {
                    take();
                    array.elements.push_back(constant());
                }
                q.value = std::move(array);
            }
            expectPunct(')');
        }
        else if (isPunct('{'))
        {
            q.value = initializer();
            q.hasValue = true;
        }
        if (isPunct(':'))
        {
            take();
            q.flavor = flavorList(false);
        }
        list.push_back(std::move(q));
        if (isPunct(','))
        {
            take();
            continue;
        }
        expectPunct(']');
        return list;
    }
}

bool Parser::dataType(CIMType& type)
{
    return peek().kind == TokenKind::Identifier && dataTypeFromName(peek().text, type);
}

void Parser::arraySuffix(TypeSpec& type)
{
    if (!isPunct('['))
        return;
    take();
    type.isArray = true;
    if (peek().kind == TokenKind::Integer)
    {
        const Token& size = peek();
        if (size.negative || size.magnitude == 0 || size.magnitude > 0xFFFFFFFFu)
            fail("a positive array size");
        type.arraySize = static_cast<std::uint32_t>(take().magnitude);
    }
    expectPunct(']');
}

Literal Parser::constant()
{
    const Token& t = peek();
    Literal lit;
    lit.where = here(t);
    lit.source = std::string(t.source);
    switch (t.kind)
    {
    case TokenKind::Integer:
        lit.kind = Literal::Kind::Integer;
        lit.negative = t.negative;
        lit.magnitude = t.magnitude;
        take();
        return lit;
    case TokenKind::Real:
        lit.kind = Literal::Kind::Real;
        lit.real = t.real;
        take();
        return lit;
    case TokenKind::String:
        lit.kind = Literal::Kind::String;
        lit.text = strings();
        return lit;
    case TokenKind::Char16:
        lit.kind = Literal::Kind::Char16;
        lit.text = t.value;
        take();
        return lit;
    case TokenKind::Alias:
        lit.kind = Literal::Kind::Alias;
        lit.alias = t.text;
        take();
        return lit;
    case TokenKind::Identifier:
        if (equalNoCase(t.text, "true") || equalNoCase(t.text, "false"))
        {
            lit.kind = Literal::Kind::Boolean;
            lit.boolean = equalNoCase(t.text, "true");
            take();
            return lit;
        }
        if (equalNoCase(t.text, "null"))
        {
            lit.kind = Literal::Kind::Null;
            take();
            return lit;
        }
        break;
    default:
        break;
    }
    fail("a value");
}

Literal Parser::initializer()
{
    if (!isPunct('{'))
        return constant();
    Literal array;
    array.kind = Literal::Kind::Array;
    array.where = here(peek());
    take();
    if (!isPunct('}'))
    {
        array.elements.push_back(constant());
        while (isPunct(','))
        {
            take();
            array.elements.push_back(constant());
        }
    }
    expectPunct('}');
    array.source = "{...}";
    return array;
}

void Parser::qualifierDecl()
{
    QualifierDeclSpec spec;
    spec.where = here(take());
    spec.name = expectName("a qualifier name");
    expectPunct(':');
    if (!dataType(spec.type.type))
        fail("a data type");
    take();
    arraySuffix(spec.type);
    if (isPunct('='))
    {
        take();
        spec.defaultValue = initializer();
        spec.hasDefault = true;
    }
    expectPunct(',');
    expectKeyword("scope");
    expectPunct('(');
    for (;;)
    {
        bool known = false;
        if (peek().kind == TokenKind::Identifier)
        {
            for (const ScopeWord& w : kScopeWords)
            {
                if (equalNoCase(peek().text, w.word))
                {
                    spec.scope |= w.bits;
                    known = true;
                    break;
                }
            }
        }
        if (!known)
            fail("a scope (Class, Association, Indication, Property, Reference, Method, "
                 "Parameter, Any)");
        take();
        if (!isPunct(','))
            break;
        take();
    }
    expectPunct(')');
    if (isPunct(','))
    {
        take();
        expectKeyword("flavor");
        spec.flavor = flavorList(true);
    }
    expectPunct(';');
    _sink.qualifierDecl(spec);
}

void Parser::classDecl(std::vector<QualifierSpec> qualifiers)
{
    ClassSpec spec;
    spec.qualifiers = std::move(qualifiers);
    spec.where = here(take());
    spec.name = expectName("a class name");
    if (isKeyword("as") && peek(1).kind == TokenKind::Alias)
    {
        take();
        spec.alias = take().text;
    }
    if (isPunct(':'))
    {
        take();
        spec.superClass = expectName("a superclass name");
    }
    expectPunct('{');
    while (!isPunct('}'))
        feature(spec);
    expectPunct('}');
    expectPunct(';');
    _sink.classDecl(spec);
}

void Parser::feature(ClassSpec& cls)
{
    std::vector<QualifierSpec> qualifiers;
    if (isPunct('['))
        qualifiers = qualifierList();
    Location where = here(peek());
    TypeSpec type;
    if (dataType(type.type))
    {
        take();
    }
    else if (peek().kind == TokenKind::Identifier && isKeyword("ref", 1))
    {
        type.type = CIMTYPE_REFERENCE;
        type.referenceClass = take().text;
        take();
    }
    else
    {
        fail("a property or method declaration (a data type, or a class name and REF)");
    }
    std::string name = expectName("a property or method name");
    if (isPunct('('))
    {
        MethodSpec method;
        method.qualifiers = std::move(qualifiers);
        method.returnType = type;
        method.name = std::move(name);
        method.where = where;
        take();
        if (!isPunct(')'))
        {
            parameter(method);
            while (isPunct(','))
            {
                take();
                parameter(method);
            }
        }
        expectPunct(')');
        expectPunct(';');
        cls.methods.push_back(std::move(method));
        return;
    }
    PropertySpec property;
    property.qualifiers = std::move(qualifiers);
    property.type = type;
    property.name = std::move(name);
    property.where = where;
    arraySuffix(property.type);
    if (isPunct('='))
    {
        take();
        property.defaultValue = initializer();
        property.hasDefault = true;
    }
    expectPunct(';');
    cls.properties.push_back(std::move(property));
}

void Parser::parameter(MethodSpec& method)
{
    ParameterSpec spec;
    if (isPunct('['))
        spec.qualifiers = qualifierList();
    spec.where = here(peek());
    if (dataType(spec.type.type))
    {
        take();
    }
    else if (peek().kind == TokenKind::Identifier && isKeyword("ref", 1))
    {
        spec.type.type = CIMTYPE_REFERENCE;
        spec.type.referenceClass = take().text;
        take();
    }
    else
    {
        fail("a parameter declaration (a data type, or a class name and REF)");
    }
    spec.name = expectName("a parameter name");
    arraySuffix(spec.type);
    if (isPunct('='))
    {
        // Parameter defaults are legal MOF but have no place in the CIM
        // object model: read and dropped.
        take();
        initializer();
    }
    method.parameters.push_back(std::move(spec));
}

void Parser::instanceDecl(std::vector<QualifierSpec> qualifiers)
{
    InstanceSpec spec;
    spec.qualifiers = std::move(qualifiers);
    spec.where = here(take());
    expectKeyword("of");
    spec.className = expectName("a class name");
    if (isKeyword("as"))
    {
        take();
        if (peek().kind != TokenKind::Alias)
            fail("an alias ($name)");
        spec.alias = take().text;
    }
    expectPunct('{');
    while (!isPunct('}'))
    {
        PropertyValueSpec value;
        if (isPunct('['))
            value.qualifiers = qualifierList();
        value.where = here(peek());
        value.name = expectName("a property name");
        expectPunct('=');
        value.value = initializer();
        expectPunct(';');
        spec.properties.push_back(std::move(value));
    }
    expectPunct('}');
    expectPunct(';');
    _sink.instanceDecl(spec);
}

}  // namespace Mof
}  // namespace Pegasus
