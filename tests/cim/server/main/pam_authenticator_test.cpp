// Password checks through PAM, with a PAM configuration of the test's own:
// pam_exec hands the password to a script that knows one user, so no real
// account of the machine is involved.

#include "PamAuthenticator.h"
#include "TempHome.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace Pegasus;

namespace {

// A PAM configuration directory with service "wbem" (alice / s3cret),
// "wbem-locked" (any password, but the account is refused) and nothing
// else (no "other" either).
class PamConfig
{
public:
    PamConfig()
    {
        home.write("check-password",
                   "#!/bin/sh\n"
                   "password=$(tr -d '\\000')\n"
                   "[ \"$PAM_USER\" = alice ] && [ \"$password\" = s3cret ]\n");
        ::chmod(home.file("check-password").c_str(), 0700);
        ::mkdir(dir().c_str(), 0700);
        home.write("pam.d/wbem", "auth required pam_exec.so expose_authtok quiet " +
                                     home.file("check-password") +
                                     "\naccount required pam_permit.so\n");
        home.write("pam.d/wbem-locked",
                   "auth required pam_permit.so\naccount required pam_deny.so\n");
    }

    std::string dir() const { return home.file("pam.d"); }

    TempHome home;
};

TEST(PamAuthenticator, AcceptsOnlyWhatTheServiceAccepts)
{
    PamConfig config;
    struct Case
    {
        const char* service;
        std::string user;
        std::string password;
        bool accepted;
    };
    const Case cases[] = {
        {"wbem", "alice", "s3cret", true},
        {"wbem", "alice", "wrong", false},
        {"wbem", "alice", "", false},
        {"wbem", "bob", "s3cret", false},
        {"wbem", "", "s3cret", false},
        {"wbem", "alice", std::string("s3cret\0x", 8), false},
        {"wbem-locked", "alice", "anything", false},  // the account check counts
        {"wbem-missing", "alice", "s3cret", false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.service) + " " + c.user + "/" + c.password);
        EXPECT_EQ(c.accepted, PamAuthenticator(c.service, config.dir()).check(c.user, c.password));
    }
}

}  // namespace
