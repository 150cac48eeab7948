#include "platform/ascii_text.h"

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string::size_type charLength(const std::string &s, std::string::size_type i,
                                  LeadBytePredicate isLeadByte) {
    return (isLeadByte && isLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
}

void lowerAsciiLetters(std::string &text, LeadBytePredicate isLeadByte) {
    for (std::string::size_type i = 0; i < text.size(); i += charLength(text, i, isLeadByte))
        if (charLength(text, i, isLeadByte) == 1)
            text[i] = asciiLower(text[i]);
}

bool sameIgnoringAsciiCase(const std::string &a, const std::string &b, LeadBytePredicate isLeadByte) {
    if (a.size() != b.size())
        return false;
    for (std::string::size_type i = 0; i < a.size(); i += charLength(a, i, isLeadByte)) {
        const bool doubleByte = charLength(a, i, isLeadByte) == 2;
        if (doubleByte ? a.compare(i, 2, b, i, 2) != 0 : asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

bool startsWithIgnoringAsciiCase(const std::string &text, std::string::size_type pos, const char *prefix) {
    for (std::string::size_type i = 0; prefix[i] != '\0'; ++i)
        if (pos + i >= text.size() || asciiLower(text[pos + i]) != asciiLower(prefix[i]))
            return false;
    return true;
}

DecimalText::DecimalText(long long n) {
    unsigned long long rest =
        n < 0 ? 0ull - static_cast<unsigned long long>(n) : static_cast<unsigned long long>(n);
    do
        digits_[--start_] = static_cast<char>('0' + rest % 10);
    while ((rest /= 10) != 0);
    if (n < 0)
        digits_[--start_] = '-';
}

std::string decimal(long long n) {
    return std::string(DecimalText(n));
}

std::vector<std::string> splitAt(const std::string &text, char separator) {
    std::vector<std::string> pieces(1);
    for (char c : text) {
        if (c == separator)
            pieces.emplace_back();
        else
            pieces.back().push_back(c);
    }
    return pieces;
}
