#include "platform/long_names.h"

namespace {
bool startsWithDriveRoot(const std::string &path) {
    const char c = path.empty() ? '\0' : path[0];
    return ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) && path.compare(1, 2, ":\\") == 0;
}

// The end of the component that starts at i: the next backslash that is a whole character, not the second
// byte of a double-byte one.
std::string::size_type componentEnd(const std::string &path, std::string::size_type i,
                                    LeadBytePredicate isLeadByte) {
    while (i < path.size() && path[i] != '\\')
        i += charLength(path, i, isLeadByte);
    return i;
}
} // namespace

std::string longForm(const std::string &fullPath, LeadBytePredicate isLeadByte,
                     const LongNameLookup &nameOf) {
    if (!startsWithDriveRoot(fullPath))
        return fullPath;
    // result keeps the empty components as written; lookup leaves them out, so that no doubled backslash
    // reaches the file system.
    std::string result = fullPath.substr(0, 2), lookup = result;
    std::string::size_type pos = 2; // the backslash before the next component
    while (pos < fullPath.size()) {
        const std::string::size_type end = componentEnd(fullPath, pos + 1, isLeadByte);
        const std::string component = fullPath.substr(pos + 1, end - pos - 1);
        std::string name;
        if (!component.empty()) {
            if (component == "." || component == ".." || component.find_first_of("*?") != std::string::npos)
                break;
            const std::optional<std::string> found = nameOf(lookup + '\\' + component);
            if (!found || found->empty())
                break;
            name = *found;
            lookup += '\\' + name;
        }
        result += '\\' + name;
        pos = end;
    }
    return result + fullPath.substr(pos);
}
