// TPEGASUSNamespace: reading requested-class files and splitting their
// class entries.
#include "TPEGASUSNamespace.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>

#include "TKTAException.h"
#include "TOSSpecific.h"
#include "TPEGASUSRequestedClassParser.h"
#include "TRootObject.h"

namespace NQRVKTA20 {

void TPEGASUSNamespace::parseProvider(std::string const& path, std::vector<std::string>& classes,
                                      std::map<std::string, std::string>& information)
{
    // The parser refuses a document larger than its limit without looking
    // at it, so reading one byte beyond the limit is enough for it to say
    // so; the buffer stays bounded whatever the file's size.
    uint64_t const limit = TXmlParser::kMaxInputBytes + 1;
    uint64_t size = TOSSpecific::GetFileSize(path);
    if (size > limit)
        size = limit;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[static_cast<std::size_t>(size) + 1]);
    if (!buffer)
        throw TKTAException(TKTAStatusCode::kOutOfMemory, path);

    FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr)
        return;
    std::size_t length = std::fread(buffer.get(), 1, static_cast<std::size_t>(size), file);
    std::fclose(file);
    buffer[length] = '\0';

    {
        TPEGASUSRequestedClassParser parser;
        parser.Parse(buffer.get());
        classes = parser.GetRequestedClassData();
        information = parser.GetRequestedProInfoData();
    }

    std::string message = "TPEGASUSNamespace::parseClasses collected for Class info = ";
    for (std::string const& entry : classes)
        message += entry + " , ";
    message += "\n";
    message += "NSP = " + information["nsp"] + "\n";
    message += "Default timeout = " + information["timeout"] + "\n";
    message += "Module name = " + information["module"] + "\n";
    TRootObject::GetCoreLogger()->Log(3, message);
}

std::string TPEGASUSNamespace::filterTag4classes(std::string& entry,
                                                 std::map<std::string, std::string>& tags)
{
    std::string::size_type const timeoutOpen = entry.find("[");
    std::string::size_type const timeoutClose = entry.find("]");
    std::string::size_type const tagOpen = entry.find("%^");
    std::string::size_type const tagClose = entry.find("^%");

    // npos when neither is there: the whole entry.
    std::string const name = entry.substr(0, std::min(timeoutOpen, tagOpen));

    if (timeoutOpen != std::string::npos && timeoutClose != std::string::npos) {
        std::string::size_type const start = timeoutOpen + 1;
        tags["TimeOut"] = timeoutClose >= start ? entry.substr(start, timeoutClose - start)
                                                : entry.substr(start);
    }

    if (tagOpen == std::string::npos || tagClose == std::string::npos)
        return name;

    // A closing mark before (or overlapping) the opening one gives the rest
    // of the entry.
    std::string::size_type const start = tagOpen + 2;
    std::string const tag =
        tagClose >= start ? entry.substr(start, tagClose - start) : entry.substr(start);
    if (tag == "CDM")
        TRootObject::GetCoreLogger()->Log(
            3, "TPEGASUSNamespace::filterTag4classes find one CDM class: " + name);
    if (!tag.empty())
        tags["Tag"] = tag;
    return name;
}

} // namespace NQRVKTA20
