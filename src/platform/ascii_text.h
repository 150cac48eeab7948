// ASCII case in text of the machine's ANSI code page, free of Win32; shared by discovery, verification
// and installation. In a double-byte code page a character may take two bytes whose second looks like a
// backslash or an ASCII capital; isLeadByte tells which bytes begin such a character (null: none do).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

using LeadBytePredicate = bool (*)(unsigned char);

char asciiLower(char c);

// Lower-cases the ASCII letters A to Z, leaving every double-byte character untouched.
void lowerAsciiLetters(std::string &text, LeadBytePredicate isLeadByte);

// True when the texts are equal with ASCII case ignored; double-byte characters compare exactly.
bool sameIgnoringAsciiCase(const std::string &a, const std::string &b,
                           LeadBytePredicate isLeadByte = nullptr);

// True when text at pos begins with the ASCII prefix, ASCII case ignored. Bytes of other scripts never
// equal an ASCII letter, so double-byte text cannot match by accident.
bool startsWithIgnoringAsciiCase(const std::string &text, std::string::size_type pos, const char *prefix);

// The pieces of a text between the separators, empty ones too ("a;;b": "a", "", "b"). The separator is an
// ASCII punctuation character, which no double-byte character holds as its second byte.
std::vector<std::string> splitAt(const std::string &text, char separator);

// Length in bytes of the character that starts at i: two for a lead byte followed by a trail byte.
std::string::size_type charLength(const std::string &s, std::string::size_type i,
                                  LeadBytePredicate isLeadByte);

// A number in decimal digits, "-" before a negative one: std::to_string would bring a whole printf into the
// program. DecimalText holds them in place, for a text built where memory may have run out.
class DecimalText {
  public:
    explicit DecimalText(long long n);
    operator std::string_view() const { return {digits_ + start_, sizeof digits_ - start_}; }

  private:
    char digits_[24];
    std::size_t start_ = sizeof digits_;
};
std::string decimal(long long n);
