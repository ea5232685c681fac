// Decoding speed of the enum10k response: the EnumerateInstances answer of
// a real server for 10,000 Bench_Item instances (11.7 MB of CIM-XML).
//
//   Decode_cimxml   our decoder, document -> Array<CIMInstance> with paths
//   Decode_cimxml_nofree  the same, freeing the result outside the timing
//   Decode_expat    bare expat with empty callbacks: the ceiling
//
// and of a GetClass answer (CIM_ComputerSystem with its inherited elements
// and qualifiers, 57 kB, captured from a real server), per document:
//
//   GetClass_cimxml  our decoder, document -> CIMClass
//   GetClass_cimxml_pieces/N  the same fed in pieces of N bytes, as the
//                    client decodes what it receives
//   GetClass_expat   bare expat over the same document: the floor of any
//                    expat-based client's GetClass
//
// They report MB/s of CIM-XML (and the first three instances/s).  The captures
// come from the shared folder (--shared=DIR, else the environment variable
// KTA_SHARED_DIR, else the folder the build was configured with): the
// enum10k one gzip-compressed from bench/ (or the file named by
// ENUM10K_RESPONSE), the GetClass one from wire/ (or GETCLASS_RESPONSE).
// Their HTTP headers and chunk framing are removed before timing starts.  A
// benchmark whose capture cannot be read is reported as skipped with the
// reason; the others run.
#include "CimXmlMessages.h"

#include <benchmark/benchmark.h>
#include <expat.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <stdexcept>
#include <string>
#include <utility>

using namespace Pegasus;

namespace {

std::string gunzip(const std::string& path)
{
    gzFile f = gzopen(path.c_str(), "rb");
    if (!f)
        throw std::runtime_error("cannot open " + path);
    std::string out;
    char buf[1 << 16];
    int n;
    while ((n = gzread(f, buf, sizeof buf)) > 0)
        out.append(buf, std::size_t(n));
    gzclose(f);
    if (n < 0)
        throw std::runtime_error("cannot decompress " + path);
    return out;
}

// The XML body of a captured HTTP response: headers dropped, chunks joined.
std::string httpBody(const std::string& raw)
{
    std::size_t pos = raw.find("\r\n\r\n");
    if (pos == std::string::npos)
        throw std::runtime_error("no HTTP header end");
    std::string head = raw.substr(0, pos);
    pos += 4;
    for (char& c : head)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (head.find("transfer-encoding: chunked") == std::string::npos)
        return raw.substr(pos);
    std::string body;
    for (;;)
    {
        std::size_t eol = raw.find("\r\n", pos);
        if (eol == std::string::npos)
            throw std::runtime_error("truncated chunk framing");
        std::size_t size = std::stoul(raw.substr(pos, eol - pos), nullptr, 16);
        pos = eol + 2;
        if (size == 0)
            break;
        body.append(raw, pos, size);
        pos += size + 2;
    }
    return body;
}

std::string readFile(const std::string& path)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        throw std::runtime_error("cannot open " + path);
    std::string out;
    char buf[1 << 16];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        out.append(buf, n);
    std::fclose(f);
    return out;
}

// The shared folder the captures are read from.
std::string gSharedDir = KTA_SHARED_DIR;

std::string fromEnvironment(const char* name, const std::string& fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? std::string(value) : fallback;
}

// A captured answer's XML body, read on first use, or why it could not be.
struct Document
{
    std::string body;
    std::string error;
};

template <typename Read>
Document load(Read read)
{
    Document d;
    try
    {
        d.body = read();
    }
    catch (const std::exception& e)
    {
        d.error = e.what();
    }
    return d;
}

const Document& getClassDocument()
{
    static const Document d = load([] {
        return httpBody(readFile(fromEnvironment(
            "GETCLASS_RESPONSE",
            gSharedDir + "/wire/01-GetClass-CIM_ComputerSystem-cimcli-response.txt")));
    });
    return d;
}

const Document& document()
{
    static const Document d = load([] {
        return httpBody(gunzip(fromEnvironment(
            "ENUM10K_RESPONSE", gSharedDir + "/bench/enum10k-response.http.gz")));
    });
    return d;
}

// The document's body, or null after marking the benchmark skipped.
const std::string* bodyOf(benchmark::State& state, const Document& d)
{
    if (!d.error.empty())
    {
        state.SkipWithError(d.error.c_str());
        return nullptr;
    }
    return &d.body;
}

void setCounters(benchmark::State& state, const std::string& doc, std::size_t instances)
{
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(doc.size()));
    state.counters["instances/s"] = benchmark::Counter(
        double(state.iterations()) * double(instances), benchmark::Counter::kIsRate);
}

void Decode_cimxml(benchmark::State& state)
{
    const std::string* body = bodyOf(state, document());
    if (!body)
        return;
    const std::string& doc = *body;
    std::size_t count = 0;
    for (auto _ : state)
    {
        CimXmlResponse r = CimXmlResponseDecoder::decode(doc);
        count = r.instances.size();
        benchmark::DoNotOptimize(r.instances);
    }
    if (count != 10000)
        state.SkipWithError("expected 10000 instances");
    setCounters(state, doc, count);
}

// The same, with the decoded instances freed outside the timed region: the
// cost of building the objects without the cost of throwing them away.
void Decode_cimxml_nofree(benchmark::State& state)
{
    const std::string* body = bodyOf(state, document());
    if (!body)
        return;
    const std::string& doc = *body;
    std::size_t count = 0;
    for (auto _ : state)
    {
        CimXmlResponse r = CimXmlResponseDecoder::decode(doc);
        count = r.instances.size();
        state.PauseTiming();
        {
            CimXmlResponse discard(std::move(r));
        }
        state.ResumeTiming();
    }
    if (count != 10000)
        state.SkipWithError("expected 10000 instances");
    setCounters(state, doc, count);
}

void XMLCALL noStart(void*, const XML_Char*, const XML_Char**) {}
void XMLCALL noEnd(void*, const XML_Char*) {}
void XMLCALL noText(void*, const XML_Char*, int) {}

bool parseWithExpat(const std::string& doc)
{
    XML_Parser p = XML_ParserCreate(nullptr);
    XML_SetElementHandler(p, noStart, noEnd);
    XML_SetCharacterDataHandler(p, noText);
    bool ok = XML_Parse(p, doc.data(), int(doc.size()), 1) == XML_STATUS_OK;
    XML_ParserFree(p);
    return ok;
}

void Decode_expat(benchmark::State& state)
{
    const std::string* body = bodyOf(state, document());
    if (!body)
        return;
    const std::string& doc = *body;
    for (auto _ : state)
    {
        if (!parseWithExpat(doc))
            state.SkipWithError("expat rejected the document");
    }
    setCounters(state, doc, 10000);
}

void GetClass_cimxml(benchmark::State& state)
{
    const std::string* body = bodyOf(state, getClassDocument());
    if (!body)
        return;
    const std::string& doc = *body;
    std::size_t properties = 0;
    for (auto _ : state)
    {
        CimXmlResponse r = CimXmlResponseDecoder::decode(doc);
        properties = r.classes.size() == 1 ? r.classes[0].getPropertyCount() : 0;
        benchmark::DoNotOptimize(r.classes);
    }
    if (properties == 0)
        state.SkipWithError("expected one class with properties");
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(doc.size()));
}

// The same answer fed in pieces of state.range(0) bytes, as the client
// decodes what it receives: the path of every real answer, with the work
// that pieces add (the line count kept for error messages, tails carried
// over to the next piece).
void GetClass_cimxml_pieces(benchmark::State& state)
{
    const std::string* body = bodyOf(state, getClassDocument());
    if (!body)
        return;
    const std::string& doc = *body;
    const std::size_t piece = std::size_t(state.range(0));
    std::size_t properties = 0;
    for (auto _ : state)
    {
        CimXmlResponseStream stream;
        for (std::size_t at = 0; at < doc.size(); at += piece)
            stream.feed(doc.data() + at, std::min(piece, doc.size() - at));
        CimXmlResponse r = stream.finish();
        properties = r.classes.size() == 1 ? r.classes[0].getPropertyCount() : 0;
        benchmark::DoNotOptimize(r.classes);
    }
    if (properties == 0)
        state.SkipWithError("expected one class with properties");
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(doc.size()));
}

void GetClass_expat(benchmark::State& state)
{
    const std::string* body = bodyOf(state, getClassDocument());
    if (!body)
        return;
    const std::string& doc = *body;
    for (auto _ : state)
    {
        if (!parseWithExpat(doc))
            state.SkipWithError("expat rejected the document");
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(doc.size()));
}

}  // namespace

BENCHMARK(Decode_cimxml)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(Decode_cimxml_nofree)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(Decode_expat)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(GetClass_cimxml)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(GetClass_cimxml_pieces)->Unit(benchmark::kMicrosecond)->MinTime(1.0)->Arg(4096)->Arg(65536);
BENCHMARK(GetClass_expat)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

int main(int argc, char** argv)
{
    // Our own options first; the rest belongs to Google Benchmark.
    gSharedDir = fromEnvironment("KTA_SHARED_DIR", gSharedDir);
    int kept = 1;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        if (arg.rfind("--shared=", 0) == 0)
            gSharedDir = arg.substr(9);
        else
        {
            if (arg == "--help" || arg == "-h")
                std::cout << "bench_decode_enum10k [--shared=DIR] [benchmark options]\n"
                             "  --shared=DIR  the shared folder with bench/ and wire/ (now "
                          << gSharedDir
                          << ";\n                environment KTA_SHARED_DIR)\n"
                             "  ENUM10K_RESPONSE, GETCLASS_RESPONSE: files that replace the "
                             "captures\n\n";
            argv[kept++] = argv[i];
        }
    }
    argc = kept;

    const Document& enumDoc = document();
    const Document& classDoc = getClassDocument();
    for (const auto& named : {std::make_pair("enum10k", &enumDoc),
                              std::make_pair("GetClass", &classDoc)})
    {
        if (named.second->error.empty())
            std::cout << named.first << " CIM-XML body: " << named.second->body.size()
                      << " bytes\n";
        else
            std::cerr << "decode_enum10k: " << named.first
                      << " benchmarks skipped: " << named.second->error << "\n";
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return enumDoc.error.empty() || classDoc.error.empty() ? 0 : 1;
}
