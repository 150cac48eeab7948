#include "discovery/path_pieces.h"

std::vector<std::string> splitPathVariable(const std::string &value) {
    std::vector<std::string> pieces;
    std::string::size_type pos = 0;
    while (pos < value.size()) {
        std::string::size_type end = value.find(';', pos);
        if (end == std::string::npos)
            end = value.size();
        if (end > pos)
            pieces.push_back(value.substr(pos, end - pos));
        pos = end + 1;
    }
    return pieces;
}

bool startsWithLetter(const char *text) {
    if (text == nullptr)
        return false;
    const char c = text[0];
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::optional<std::string> javaHomeBinDir(const std::string &data, bool isStringType) {
    if (!isStringType)
        return std::nullopt;
    const std::string::size_type nul = data.find('\0');
    if (nul == std::string::npos)
        return std::nullopt;
    return data.substr(0, nul) + "\\bin";
}
