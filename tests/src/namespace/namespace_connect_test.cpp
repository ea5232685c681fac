// Client creation and the connection tries, against a plain listening socket
// and against a port nobody listens on.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include <gtest/gtest.h>

#include <Pegasus/Client/CIMClient.h>

#include "TInmemNamespace.h"
#include "TKTAException.h"
#include "TPEGASUSNamespace.h"

#include "NamespaceTestSupport.h"

using namespace NQRVKTA20;

namespace {

using PegasusNamespaceConnect = nsptest::NamespaceTest;

TEST_F(PegasusNamespaceConnect, InitCreatesOneClientWithTenSecondTimeout)
{
    fNamespace->Init();
    Pegasus::CIMClient* client = fNamespace->getPegClient();
    ASSERT_NE(nullptr, client);
    EXPECT_EQ(10000u, client->getTimeout());
    client->setTimeout(1);
    fNamespace->Init();
    EXPECT_EQ(client, fNamespace->getPegClient());
    EXPECT_EQ(10000u, client->getTimeout());
}

TEST_F(PegasusNamespaceConnect, ConnectsOnceAndThenReturnsAtOnce)
{
    nsptest::Listener listener;
    fNamespace->Init();
    fNamespace->connect("127.0.0.1", listener.Port(), "", "");
    EXPECT_TRUE(fNamespace->isConnected());
    EXPECT_EQ(65535000u, fNamespace->getPegClient()->getTimeout());
    EXPECT_EQ(1u, fLog.Matching("TPEGASUSNamespace::connect enter").size());
    std::vector<nsptest::LogRecord> succeeded =
        fLog.Matching("TPEGASUSNamespace::connect succeeded ");
    ASSERT_EQ(1u, succeeded.size());
    EXPECT_EQ(3, succeeded[0].severity);

    // Connected: the client is not touched again, even for another target.
    fNamespace->getPegClient()->setTimeout(1234);
    listener.Close();
    fNamespace->connect("127.0.0.1", 1, "", "");
    EXPECT_EQ(1234u, fNamespace->getPegClient()->getTimeout());
    EXPECT_EQ(1u, fLog.Matching("TPEGASUSNamespace::connect enter").size());
}

TEST_F(PegasusNamespaceConnect, ThreeFailedTriesOneSecondApartGive42)
{
    uint16_t port;
    {
        nsptest::Listener closed;
        port = closed.Port();
    }
    fNamespace->Init();
    try {
        fNamespace->connect("127.0.0.1", port, "", "");
        ADD_FAILURE() << "connected to a closed port";
    } catch (TKTAException const& e) {
        EXPECT_EQ(42u, e.GetStatusCode());
    }
    EXPECT_EQ(std::vector<std::string>(3, "sleep 1"), nsptest::SystemCallsGuard::Trace());
    EXPECT_FALSE(fNamespace->isConnected());
    std::vector<nsptest::LogRecord> tries = fLog.Matching("TPEGASUSNamespace::connect failed: ");
    ASSERT_EQ(3u, tries.size());
    for (int i = 0; i < 3; ++i) {
        std::string const suffix = " try to reconnect " + std::to_string(i + 1);
        EXPECT_EQ(suffix, tries[i].text.substr(tries[i].text.size() - suffix.size()));
        EXPECT_EQ(3, tries[i].severity);
    }
}

} // namespace
