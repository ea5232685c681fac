#ifndef NQRVKTA20_TKTAEXCEPTION_H
#define NQRVKTA20_TKTAEXCEPTION_H

#include <cstdint>
#include <exception>
#include <string>

#include "TKTAStatusCode.h"

namespace NQRVKTA20 {

// The exception thrown through the host contract: one host status code
// (see TKTAStatusCode) and an optional detail text.
//
// what() returns the host's text for the status code alone,
// TKTAStatusCode::TranslateStatusCode(code) (for example "wrong type"),
// whatever detail was given: hosts show and log it as the code's meaning.
// The detail (for example "cannot convert string to uint32") is only
// available through GetDetail().  The text is built once, at construction,
// so what() never fails.
class TKTAException : public std::exception {
public:
    explicit TKTAException(uint32_t statusCode);
    TKTAException(uint32_t statusCode, const std::string& detail);

    uint32_t GetStatusCode() const noexcept { return fStatusCode; }
    // The detail text given at construction; empty if none.
    const std::string& GetDetail() const noexcept { return fDetail; }

    const char* what() const noexcept override;

private:
    uint32_t fStatusCode;
    std::string fDetail;
    std::string fWhat;
};

}  // namespace NQRVKTA20

#endif  // NQRVKTA20_TKTAEXCEPTION_H
