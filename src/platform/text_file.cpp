#include "platform/text_file.h"

#include <algorithm>
#include <cstddef>

namespace {
constexpr char kCtrlZ = '\x1a';
} // namespace

TextFileContent decodeTextFile(const std::string &bytes, bool endsAtFirstCtrlZ) {
    std::size_t textEnd = endsAtFirstCtrlZ ? std::min(bytes.find(kCtrlZ), bytes.size()) : bytes.size();
    while (!endsAtFirstCtrlZ && textEnd > 0 && bytes[textEnd - 1] == kCtrlZ)
        --textEnd;
    TextFileContent content;
    content.endMarker.assign(bytes, textEnd, std::string::npos);
    content.text.reserve(textEnd);
    for (std::size_t i = 0; i < textEnd; ++i) {
        if (bytes[i] == '\r' && i + 1 < textEnd && bytes[i + 1] == '\n')
            continue; // the LF that follows stands for the whole line end
        content.text += bytes[i];
    }
    return content;
}

std::string encodeTextFile(const TextFileContent &content) {
    std::string bytes;
    bytes.reserve(content.text.size() + content.text.size() / 8 + content.endMarker.size());
    for (char c : content.text) {
        if (c == '\n')
            bytes += '\r';
        bytes += c;
    }
    bytes += content.endMarker;
    return bytes;
}
