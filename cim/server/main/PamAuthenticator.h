// Checks user names and passwords through PAM, for HTTP Basic
// authentication.  The server uses service "wbem"; its configuration is read
// from the system's PAM directory, or from another directory (a test's own
// configuration, for example).
//
// check() may block (PAM modules may delay after a failure) and is safe to
// call from several threads at once: each call has its own PAM handle.
#ifndef KTA_CIM_SERVER_MAIN_PAMAUTHENTICATOR_H
#define KTA_CIM_SERVER_MAIN_PAMAUTHENTICATOR_H

#include <string>

namespace Pegasus {

class PamAuthenticator
{
public:
    // `configDir` empty: the system's PAM configuration (/etc/pam.d).
    explicit PamAuthenticator(std::string service = "wbem",
                              std::string configDir = std::string());

    // True when PAM authenticates `user` with `password` and accepts the
    // account (pam_authenticate, then pam_acct_mgmt).  False on any failure,
    // a missing service configuration or an empty user name included.
    bool check(const std::string& user, const std::string& password) const;

private:
    std::string _service;
    std::string _configDir;
};

}  // namespace Pegasus

#endif
