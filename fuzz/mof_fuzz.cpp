// Fuzz target: arbitrary bytes as a MOF file.  First the lexer alone, which
// must reach the end (or an error) taking at least one byte per token; then
// the whole compiler (lexer, parser, loader) into an in-memory target, as
// `cimmof -E` checks a file.  Includes are refused (nesting depth 0), so
// the run never reads files.  Errors are counted, not printed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include <Pegasus/Common/Exception.h>

#include "InMemoryTarget.h"
#include "MofCompiler.h"
#include "MofLexer.h"

using namespace Pegasus;
using namespace Pegasus::Mof;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);

    Lexer lexer(text);
    std::size_t tokens = 0;
    for (;;)
    {
        Token token = lexer.next();
        if (token.kind == TokenKind::End || token.kind == TokenKind::Error)
            break;
        if (++tokens > size)
            std::abort();  // a token that took no byte: the lexer is stuck
    }

    InMemoryTarget target;
    Diagnostics diagnostics(nullptr);
    CompilerOptions options;
    options.nameSpace = "root/fuzz";
    options.maxIncludeDepth = 0;
    Compiler compiler(target, diagnostics, options);
    try
    {
        compiler.start();
        compiler.compileText(text, "fuzz.mof", "/nonexistent");
        compiler.finish();
    }
    catch (const TargetError&)
    {
    }
    catch (const CIMException&)
    {
    }
    return 0;
}
