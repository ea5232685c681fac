#include "TCIMChar16.h"

#include "TKTAException.h"

namespace NQRVKTA20 {

TCIMChar16::TCIMChar16(const std::string& decimalCode) : fCode(0) {
    // Digits only: a sign, blanks or a hexadecimal prefix would hide a
    // caller that passed the character itself instead of its code.
    if (decimalCode.empty())
        throw TKTAException(TKTAStatusCode::kWrongType, "char16: empty code text");
    uint32_t code = 0;
    for (char c : decimalCode) {
        if (c < '0' || c > '9')
            throw TKTAException(TKTAStatusCode::kWrongType,
                                "char16: code text \"" + decimalCode + "\" is not a decimal number");
        code = code * 10 + static_cast<uint32_t>(c - '0');
        if (code > 0xFFFF)
            throw TKTAException(TKTAStatusCode::kWrongType,
                                "char16: code " + decimalCode + " is above 65535");
    }
    fCode = static_cast<uint16_t>(code);
}

TCIMChar16 TCIMChar16::FromUTF8(const std::string& text) {
    const auto bad = [&text]() {
        return TKTAException(TKTAStatusCode::kWrongType,
                             "char16: \"" + text + "\" is not one character up to U+FFFF");
    };
    if (text.empty())
        throw bad();
    const unsigned char lead = static_cast<unsigned char>(text[0]);
    uint32_t code;
    size_t length;
    if (lead < 0x80) {
        code = lead;
        length = 1;
    } else if ((lead & 0xE0) == 0xC0) {
        code = lead & 0x1F;
        length = 2;
    } else if ((lead & 0xF0) == 0xE0) {
        code = lead & 0x0F;
        length = 3;
    } else {
        throw bad();  // four-byte forms lie beyond U+FFFF
    }
    if (text.size() != length)
        throw bad();
    for (size_t i = 1; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if ((c & 0xC0) != 0x80)
            throw bad();
        code = (code << 6) | (c & 0x3F);
    }
    // Reject overlong encodings so every character has exactly one text.
    if ((length == 2 && code < 0x80) || (length == 3 && code < 0x800))
        throw bad();
    return TCIMChar16(static_cast<uint16_t>(code));
}

std::string TCIMChar16::ToString() const {
    uint32_t code = fCode;
    if (code == 0)
        return std::string();
    if (code >= 0xD800 && code <= 0xDFFF)
        code = 0xFFFD;
    std::string out;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

}  // namespace NQRVKTA20
