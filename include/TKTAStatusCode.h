#ifndef NQRVKTA20_TKTASTATUSCODE_H
#define NQRVKTA20_TKTASTATUSCODE_H

#include <cstdint>
#include <string>

namespace NQRVKTA20 {

// Host status codes carried by TKTAException, and their texts.
//
// The numeric values are part of the host contract and never change.  Every
// constant below has its own distinct text; any other number translates to
// "unknown status code N".
//
// Thread safety: all members are static and stateless; safe from any thread.
class TKTAStatusCode {
public:
    static constexpr uint32_t kSuccess = 0;
    // The operation is not offered by this object, or the value given to it
    // is of a kind it does not handle.
    static constexpr uint32_t kNotSupported = 1;
    // A file path lacks the directory part that was needed.
    static constexpr uint32_t kInvalidPath = 3;
    // No memory (buffer) could be obtained.
    static constexpr uint32_t kOutOfMemory = 4;
    // A directory could not be opened for listing.
    static constexpr uint32_t kCannotOpenDirectory = 11;
    // A value or context entry has the wrong type, or a text could not be
    // read as a value of the required type.
    static constexpr uint32_t kWrongType = 14;
    // A named declaration, qualifier or parameter does not exist.
    static constexpr uint32_t kNotFound = 15;
    // A class, qualifier declaration, property or parameter already exists.
    static constexpr uint32_t kAlreadyDefined = 16;
    // A property declaration may not be added to the class.
    static constexpr uint32_t kPropertyNotAllowed = 22;
    // A CIM name is not valid.
    static constexpr uint32_t kInvalidName = 25;
    // A qualifier may not be added to the element.
    static constexpr uint32_t kQualifierNotAllowed = 28;
    // The operation would modify a namespace or class that is read-only
    // through this interface.
    static constexpr uint32_t kReadOnly = 31;
    // The call context lacks the host repository namespace or gives it in
    // the wrong form.
    static constexpr uint32_t kInvalidRepository = 38;
    // No connection to the CIM server could be made.
    static constexpr uint32_t kConnectionFailed = 42;

    // Returns the readable text for `code`; never throws except for
    // std::bad_alloc.
    static std::string TranslateStatusCode(uint32_t code);
};

}  // namespace NQRVKTA20

#endif  // NQRVKTA20_TKTASTATUSCODE_H
