// The pull operations through the dispatcher: sequences of open, pull,
// close and count; the errors the standard gives; idle timeouts on a clock
// the test moves; the limits on open contexts; answers read as they are
// sent.
#include "DispatchTestSupport.h"

#include <atomic>
#include <set>

using namespace dispatchtest;

namespace {

class FakeClock : public MonotonicClock
{
public:
    TimePoint now() const override
    {
        return TimePoint() + std::chrono::hours(1) + std::chrono::seconds(_seconds.load());
    }
    void advance(int seconds) { _seconds += seconds; }

private:
    std::atomic<long> _seconds{0};
};

// One open or pull answer.
struct Page
{
    Array<CIMInstance> instances;
    Array<CIMObjectPath> paths;
    bool endOfSequence = false;
    std::string context;
};

Page pageOf(const Result& r)
{
    Page p;
    EXPECT_TRUE(r.ok()) << r.description();
    if (!r.ok())
        return p;
    p.instances = r.response.instances;
    p.paths = r.response.instanceNames;
    EXPECT_EQ(r.response.outParameters.size(), 2u);
    for (Uint32 i = 0; i < r.response.outParameters.size(); i++)
    {
        String text;
        r.response.outParameters[i].getValue().get(text);
        if (r.response.outParameters[i].getParameterName() == "EndOfSequence")
            p.endOfSequence = str(text) == "TRUE";
        else
            p.context = str(text);
    }
    return p;
}

CimXmlRequestEncoder::PullOptions options(Uint32 max, Uint32Arg timeout = Uint32Arg())
{
    CimXmlRequestEncoder::PullOptions o;
    o.maxObjectCount = max;
    o.operationTimeout = timeout;
    return o;
}

CimXmlRequest openInstances(Uint32 max, Uint32Arg timeout = Uint32Arg())
{
    return CimXmlRequestEncoder::openEnumerateInstances("1", kTestNs, "Test_Element", true,
                                                        false, CIMPropertyList(),
                                                        options(max, timeout));
}

CimXmlRequest openPaths(Uint32 max, Uint32Arg timeout = Uint32Arg())
{
    return CimXmlRequestEncoder::openEnumerateInstancePaths("1", kTestNs, "Test_Element",
                                                            options(max, timeout));
}

CimXmlRequest pull(const std::string& context, Uint32 max, bool paths = false)
{
    return CimXmlRequestEncoder::pull("1", kTestNs, paths, String(context.c_str()), max);
}

RequestCaller tcpCaller(const char* address)
{
    RequestCaller caller;
    caller.peerAddress = address;
    return caller;
}

class PullOperationsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* id : {"s1", "s2", "s3", "s4", "s5"})
            server.repository->createInstance(kTestNs, instanceOf("Test_Stored", id, "x"));
    }

    EnumerationContexts& contexts() { return server.dispatcher->enumerationContexts(); }

    CIMStatusCode status(const CimXmlRequest& request,
                         const RequestCaller& caller = ownerCaller())
    {
        Result r = server.run(request, caller);
        return r.ok() ? CIM_ERR_SUCCESS : r.outcome.code;
    }

    Server server;
};

TEST_F(PullOperationsTest, OpenPullToTheEndThenTheContextIsGone)
{
    Page first = pageOf(server.run(openInstances(2)));
    ASSERT_EQ(first.instances.size(), 2u);
    EXPECT_FALSE(first.endOfSequence);
    ASSERT_FALSE(first.context.empty());
    EXPECT_EQ(first.context.find_first_not_of("0123456789"), std::string::npos);
    const CIMObjectPath& path = first.instances[0].getPath();
    EXPECT_EQ(path.getHost(), localHostName());
    EXPECT_EQ(path.getNameSpace(), kTestNs);
    EXPECT_EQ(path.getKeyBindings().size(), 1u);

    Page second = pageOf(server.run(pull(first.context, 2)));
    EXPECT_EQ(second.instances.size(), 2u);
    EXPECT_FALSE(second.endOfSequence);
    EXPECT_EQ(second.context, first.context);
    // One left: asked for more, the answer ends the sequence.
    Page last = pageOf(server.run(pull(first.context, 2)));
    EXPECT_EQ(last.instances.size(), 1u);
    EXPECT_TRUE(last.endOfSequence);
    EXPECT_EQ(last.context, "");

    std::set<std::string> ids;
    for (const Page* p : {&first, &second, &last})
        for (Uint32 i = 0; i < p->instances.size(); i++)
            ids.insert(str(p->instances[i].getPath().toString()));
    EXPECT_EQ(ids.size(), 5u);
    EXPECT_EQ(status(pull(first.context, 1)), CIM_ERR_INVALID_ENUMERATION_CONTEXT);
    EXPECT_EQ(contexts().size(), 0u);

    // Exactly what is left ends the sequence at once; 0 on open only opens.
    Page all = pageOf(server.run(openPaths(5)));
    EXPECT_EQ(all.paths.size(), 5u);
    EXPECT_TRUE(all.endOfSequence);
    Page none = pageOf(server.run(openPaths(0)));
    EXPECT_EQ(none.paths.size(), 0u);
    EXPECT_FALSE(none.endOfSequence);
    ASSERT_FALSE(none.context.empty());
    Result count = server.run(CimXmlRequestEncoder::enumerationCount("1", kTestNs,
                                                                     none.context.c_str()));
    ASSERT_TRUE(count.ok()) << count.description();
    EXPECT_TRUE(count.response.hasReturnValue);
    EXPECT_TRUE(count.response.returnValue.isNull());
    Page rest = pageOf(server.run(pull(none.context, 10, true)));
    EXPECT_EQ(rest.paths.size(), 5u);
    EXPECT_TRUE(rest.endOfSequence);
    EXPECT_EQ(rest.paths[0].getNameSpace(), kTestNs);
}

TEST_F(PullOperationsTest, RefusedRequestsLeaveNoContextBehind)
{
    CimXmlRequestEncoder::PullOptions filtered = options(1);
    filtered.filterQueryLanguage = "DMTF:FQL";
    filtered.filterQuery = "Id = \"s1\"";
    CimXmlRequestEncoder::PullOptions continuing = options(1);
    continuing.continueOnError = true;
    Array<CIMKeyBinding> keys;
    keys.append(CIMKeyBinding("Id", "s1", CIMKeyBinding::STRING));
    CIMObjectPath s1(String(), CIMNamespaceName(), "Test_Stored", keys);
    struct Case
    {
        const char* what;
        CimXmlRequest request;
        CIMStatusCode code;
    };
    const Case cases[] = {
        {"filter",
         CimXmlRequestEncoder::openEnumerateInstancePaths("1", kTestNs, "Test_Element", filtered),
         CIM_ERR_FILTERED_ENUMERATION_NOT_SUPPORTED},
        {"continue on error",
         CimXmlRequestEncoder::openEnumerateInstancePaths("1", kTestNs, "Test_Element",
                                                          continuing),
         CIM_ERR_CONTINUATION_ON_ERROR_NOT_SUPPORTED},
        {"no timeout", openInstances(1, Uint32Arg(0)), CIM_ERR_INVALID_OPERATION_TIMEOUT},
        {"timeout too long", openInstances(1, Uint32Arg(301)), CIM_ERR_INVALID_OPERATION_TIMEOUT},
        {"unknown class",
         CimXmlRequestEncoder::openEnumerateInstancePaths("1", kTestNs, "Test_None", options(1)),
         CIM_ERR_INVALID_CLASS},
        {"unknown context", pull("12345", 1), CIM_ERR_INVALID_ENUMERATION_CONTEXT},
        {"close unknown", CimXmlRequestEncoder::closeEnumeration("1", kTestNs, "x"),
         CIM_ERR_INVALID_ENUMERATION_CONTEXT},
        {"associators of a class",
         CimXmlRequestEncoder::openAssociatorInstancePaths(
             "1", kTestNs, CIMObjectPath(String(), CIMNamespaceName(), "Test_Stored"), CIMName(),
             CIMName(), String(), String(), options(1)),
         CIM_ERR_INVALID_PARAMETER},
        {"references with an unknown result class",
         CimXmlRequestEncoder::openReferenceInstances("1", kTestNs, s1, "Test_None", String(),
                                                      false, CIMPropertyList(), options(1)),
         CIM_ERR_INVALID_CLASS},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(status(c.request), c.code);
        EXPECT_EQ(contexts().size(), 0u);
    }
    EXPECT_EQ(status(openInstances(1, Uint32Arg(300))), CIM_ERR_SUCCESS);

    // Paths from an instance context, or another client's context: refused,
    // and the context goes on for its owner.
    Page open = pageOf(server.run(openInstances(1)));
    EXPECT_EQ(status(pull(open.context, 1, true)), CIM_ERR_INVALID_ENUMERATION_CONTEXT);
    EXPECT_EQ(status(pull(open.context, 1), tcpCaller("127.0.0.1")),
              CIM_ERR_INVALID_ENUMERATION_CONTEXT);
    EXPECT_EQ(status(CimXmlRequestEncoder::closeEnumeration("1", kTestNs, open.context.c_str()),
                     tcpCaller("127.0.0.1")),
              CIM_ERR_INVALID_ENUMERATION_CONTEXT);
    EXPECT_EQ(pageOf(server.run(pull(open.context, 1))).instances.size(), 1u);
    // Closed early: gone.
    EXPECT_EQ(status(CimXmlRequestEncoder::closeEnumeration("1", kTestNs, open.context.c_str())),
              CIM_ERR_SUCCESS);
    EXPECT_EQ(status(pull(open.context, 1)), CIM_ERR_INVALID_ENUMERATION_CONTEXT);
}

TEST_F(PullOperationsTest, IdleContextsTimeOut)
{
    FakeClock clock;
    server.useClock(clock);
    Page open = pageOf(server.run(openPaths(1, Uint32Arg(10))));
    // Each request starts the idle time again, a pull of nothing included.
    clock.advance(9);
    EXPECT_EQ(pageOf(server.run(pull(open.context, 0, true))).paths.size(), 0u);
    clock.advance(9);
    EXPECT_EQ(pageOf(server.run(pull(open.context, 1, true))).paths.size(), 1u);
    clock.advance(10);
    EXPECT_EQ(status(pull(open.context, 1, true)), CIM_ERR_INVALID_ENUMERATION_CONTEXT);

    // Without a timeout of its own a context gets the default, and the
    // sweep frees it without a request.
    pageOf(server.run(openPaths(1)));
    clock.advance(EnumerationLimits::kDefaultTimeoutSeconds - 1);
    contexts().closeExpired();
    EXPECT_EQ(contexts().size(), 1u);
    clock.advance(1);
    contexts().closeExpired();
    EXPECT_EQ(contexts().size(), 0u);
}

TEST_F(PullOperationsTest, OpenContextsAreLimitedPerClientAndInTotal)
{
    EnumerationLimits limits;
    limits.maxContexts = 3;
    limits.maxContextsPerClient = 2;
    contexts().setLimits(limits);
    RequestCaller alice = ownerCaller();
    alice.userName = "alice";
    const RequestCaller tcp = tcpCaller("10.1.2.3");
    Page a1 = pageOf(server.run(openPaths(1), alice));
    pageOf(server.run(openPaths(1), alice));
    EXPECT_EQ(status(openPaths(1), alice), CIM_ERR_SERVER_LIMITS_EXCEEDED);
    pageOf(server.run(openPaths(1), tcp));
    // Three open: nobody else gets one.
    EXPECT_EQ(status(openPaths(1), tcpCaller("10.1.2.4")), CIM_ERR_SERVER_LIMITS_EXCEEDED);
    EXPECT_EQ(contexts().size("address 10.1.2.3"), 1u);
    // A context run to its end frees its place.
    EXPECT_TRUE(pageOf(server.run(pull(a1.context, 10, true), alice)).endOfSequence);
    EXPECT_EQ(status(openPaths(1), tcpCaller("10.1.2.4")), CIM_ERR_SUCCESS);
}

TEST_F(PullOperationsTest, AnswersAreReadWhileTheyAreSentAndAbandonedOnesClose)
{
    CimXmlRequestMessage open = CimXmlRequestDecoder::decode(openInstances(4).body);
    OperationOutcome o = server.dispatcher->process(open, ownerCaller());
    ASSERT_FALSE(o.failed) << str(o.description);
    ASSERT_TRUE(o.producer);
    // Nothing read yet; then one object per piece asked for.
    EXPECT_EQ(o.body.find("VALUE.INSTANCEWITHPATH"), std::string::npos);
    std::string piece;
    EXPECT_EQ(o.producer->next(piece, 1, o.code, o.description), ResponseBodyProducer::MORE);
    EXPECT_EQ(CimXmlResponseDecoder::decode(o.body + piece + "</IRETURNVALUE>\n" +
                                            "</IMETHODRESPONSE>\n</SIMPLERSP>\n</MESSAGE>\n"
                                            "</CIM>\n")
                  .instances.size(),
              1u);
    // The client went away: the context is closed.
    EXPECT_EQ(contexts().size(), 1u);
    o.producer.reset();
    EXPECT_EQ(contexts().size(), 0u);
}

}  // namespace
