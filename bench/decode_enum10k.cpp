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
//   GetClass_expat   bare expat over the same document: the floor of any
//                    expat-based client's GetClass
//
// They report MB/s of CIM-XML (and the first three instances/s).  The capture is read
// gzip-compressed from the shared bench folder (or from the file named by
// the environment variable ENUM10K_RESPONSE), and its HTTP headers and chunk
// framing are removed before timing starts.
#include "CimXmlMessages.h"

#include <benchmark/benchmark.h>
#include <expat.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <stdexcept>
#include <string>

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

const std::string& getClassDocument()
{
    static const std::string doc = httpBody(readFile(
        std::string(KTA_SHARED_DIR) + "/wire/01-GetClass-CIM_ComputerSystem-cimcli-response.txt"));
    return doc;
}

const std::string& document()
{
    static const std::string doc = [] {
        const char* env = std::getenv("ENUM10K_RESPONSE");
        std::string path = env ? env : std::string(KTA_SHARED_DIR) + "/bench/enum10k-response.http.gz";
        return httpBody(gunzip(path));
    }();
    return doc;
}

void setCounters(benchmark::State& state, std::size_t instances)
{
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(document().size()));
    state.counters["instances/s"] = benchmark::Counter(
        double(state.iterations()) * double(instances), benchmark::Counter::kIsRate);
}

void Decode_cimxml(benchmark::State& state)
{
    const std::string& doc = document();
    std::size_t count = 0;
    for (auto _ : state)
    {
        CimXmlResponse r = CimXmlResponseDecoder::decode(doc);
        count = r.instances.size();
        benchmark::DoNotOptimize(r.instances);
    }
    if (count != 10000)
        state.SkipWithError("expected 10000 instances");
    setCounters(state, count);
}

// The same, with the decoded instances freed outside the timed region: the
// cost of building the objects without the cost of throwing them away.
void Decode_cimxml_nofree(benchmark::State& state)
{
    const std::string& doc = document();
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
    setCounters(state, count);
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
    const std::string& doc = document();
    for (auto _ : state)
    {
        if (!parseWithExpat(doc))
            state.SkipWithError("expat rejected the document");
    }
    setCounters(state, 10000);
}

void GetClass_cimxml(benchmark::State& state)
{
    const std::string& doc = getClassDocument();
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

void GetClass_expat(benchmark::State& state)
{
    const std::string& doc = getClassDocument();
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
BENCHMARK(GetClass_expat)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

int main(int argc, char** argv)
{
    try
    {
        std::cout << "enum10k CIM-XML body: " << document().size() << " bytes\n";
        std::cout << "GetClass CIM-XML body: " << getClassDocument().size() << " bytes\n";
    }
    catch (const std::exception& e)
    {
        std::cerr << "decode_enum10k: " << e.what() << "\n";
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
