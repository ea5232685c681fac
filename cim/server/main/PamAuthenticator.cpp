#include "PamAuthenticator.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include <security/pam_appl.h>

namespace Pegasus {

namespace {

// Answers PAM's prompts: the password for a hidden prompt, the user name
// for a visible one; messages are acknowledged with empty answers.
extern "C" int answerPrompts(int count, const struct pam_message** messages,
                             struct pam_response** responses, void* data)
{
    if (count <= 0 || count > PAM_MAX_NUM_MSG)
        return PAM_CONV_ERR;
    const std::pair<const char*, const char*>* credentials =
        static_cast<const std::pair<const char*, const char*>*>(data);
    struct pam_response* answers = static_cast<struct pam_response*>(
        std::calloc(static_cast<size_t>(count), sizeof(struct pam_response)));
    if (answers == nullptr)
        return PAM_BUF_ERR;
    for (int i = 0; i < count; ++i)
    {
        const char* text = nullptr;
        switch (messages[i]->msg_style)
        {
        case PAM_PROMPT_ECHO_OFF:
            text = credentials->second;
            break;
        case PAM_PROMPT_ECHO_ON:
            text = credentials->first;
            break;
        default:
            break;
        }
        if (text != nullptr && (answers[i].resp = ::strdup(text)) == nullptr)
        {
            for (int j = 0; j < i; ++j)
                std::free(answers[j].resp);
            std::free(answers);
            return PAM_BUF_ERR;
        }
    }
    *responses = answers;
    return PAM_SUCCESS;
}

}  // namespace

PamAuthenticator::PamAuthenticator(std::string service, std::string configDir)
    : _service(std::move(service)), _configDir(std::move(configDir))
{
}

bool PamAuthenticator::check(const std::string& user,
                             const std::string& password) const
{
    if (user.empty() || user.find('\0') != std::string::npos ||
        password.find('\0') != std::string::npos)
        return false;
    std::pair<const char*, const char*> credentials(user.c_str(),
                                                    password.c_str());
    struct pam_conv conversation = {answerPrompts, &credentials};
    pam_handle_t* handle = nullptr;
    int status = ::pam_start_confdir(
        _service.c_str(), user.c_str(), &conversation,
        _configDir.empty() ? nullptr : _configDir.c_str(), &handle);
    if (status != PAM_SUCCESS)
    {
        if (handle != nullptr)
            ::pam_end(handle, status);
        return false;
    }
    status = ::pam_authenticate(handle, PAM_SILENT | PAM_DISALLOW_NULL_AUTHTOK);
    if (status == PAM_SUCCESS)
        status = ::pam_acct_mgmt(handle, PAM_SILENT | PAM_DISALLOW_NULL_AUTHTOK);
    ::pam_end(handle, status);
    return status == PAM_SUCCESS;
}

}  // namespace Pegasus
