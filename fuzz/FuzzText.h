// The fuzzer's bytes as a String, for the targets that parse text: false
// when they are not UTF-8 (String refuses them), which such a target skips.
#ifndef KTA_FUZZ_FUZZTEXT_H
#define KTA_FUZZ_FUZZTEXT_H

#include <cstddef>
#include <cstdint>

#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/String.h>

inline bool fuzzText(const uint8_t* data, size_t size, Pegasus::String& text)
{
    try
    {
        text.assign(size ? reinterpret_cast<const char*>(data) : "",
                    static_cast<Pegasus::Uint32>(size));
        return true;
    }
    catch (const Pegasus::Exception&)
    {
        return false;
    }
}

#endif
