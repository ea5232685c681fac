#include "TKTAException.h"

namespace NQRVKTA20 {

TKTAException::TKTAException(uint32_t statusCode)
    : fStatusCode(statusCode), fWhat(TKTAStatusCode::TranslateStatusCode(statusCode)) {}

TKTAException::TKTAException(uint32_t statusCode, const std::string& detail)
    : fStatusCode(statusCode), fDetail(detail),
      fWhat(TKTAStatusCode::TranslateStatusCode(statusCode)) {}

const char* TKTAException::what() const noexcept { return fWhat.c_str(); }

}  // namespace NQRVKTA20
