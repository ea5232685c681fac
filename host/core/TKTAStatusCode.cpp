#include "TKTAStatusCode.h"

namespace NQRVKTA20 {

std::string TKTAStatusCode::TranslateStatusCode(uint32_t code) {
    switch (code) {
    case kSuccess:             return "success";
    case kNotSupported:        return "operation not supported";
    case kInvalidPath:         return "invalid path: no directory part";
    case kOutOfMemory:         return "out of memory";
    case kCannotOpenDirectory: return "cannot open directory";
    case kWrongType:           return "wrong type";
    case kNotFound:            return "not found";
    case kAlreadyDefined:      return "already defined";
    case kPropertyNotAllowed:  return "property may not be added";
    case kInvalidName:         return "invalid name";
    case kQualifierNotAllowed: return "qualifier may not be added";
    case kReadOnly:            return "modification not permitted";
    case kInvalidRepository:   return "repository namespace missing or invalid";
    case kConnectionFailed:    return "cannot connect to CIM server";
    default:                   return "unknown status code " + std::to_string(code);
    }
}

}  // namespace NQRVKTA20
