#include "TCIMReference.h"

namespace NQRVKTA20 {

TCIMReference::TCIMReference() {}

// The context is part of the host's calling convention only; it is not kept,
// which also spares TCIMReference from depending on the complete value type.
TCIMReference::TCIMReference(boost::shared_ptr<ICIMNamespace> nameSpace, TCIMContext)
    : fNamespace(nameSpace) {}

void TCIMReference::SetNamespace(boost::shared_ptr<ICIMNamespace> nameSpace) {
    fNamespace = nameSpace;
}

boost::shared_ptr<ICIMNamespace> TCIMReference::GetNamespace() const {
    return fNamespace.lock();
}

std::string TCIMReference::GetClassName() const {
    const std::string& path = fPath;
    size_t begin = path.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return std::string();

    // "//host/..." or "//host:port/...": the host may hold ':' and '.', so it
    // is cut off before anything else is looked at.
    if (path.compare(begin, 2, "//") == 0) {
        const size_t slash = path.find('/', begin + 2);
        if (slash == std::string::npos)
            return std::string();
        begin = slash + 1;
    }

    // Keys begin at the first '='; a key value may hold ':' and '.' (quoted
    // or not), so the namespace separator is only searched before it.  A
    // quote before any '=' cannot occur in a well-formed path, but stopping
    // there too keeps quoted text out of the search whatever the input.
    const size_t keys = path.find_first_of("=\"", begin);
    const size_t headEnd = (keys == std::string::npos) ? path.size() : keys;
    const size_t colon = path.rfind(':', headEnd == 0 ? 0 : headEnd - 1);
    if (colon != std::string::npos && colon >= begin)
        begin = colon + 1;

    size_t end = path.find_first_of(".=\"", begin);
    if (end == std::string::npos)
        end = path.size();
    while (end > begin && (path[end - 1] == ' ' || path[end - 1] == '\t'))
        --end;
    while (begin < end && (path[begin] == ' ' || path[begin] == '\t'))
        ++begin;
    return path.substr(begin, end - begin);
}

}  // namespace NQRVKTA20
