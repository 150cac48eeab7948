#include "verify/layout_rules.h"

#include <gtest/gtest.h>

namespace {
// Lead bytes of code page 932 (Japanese).
bool cp932Lead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

const std::string kSo = "\x83\x5C"; // a katakana whose second byte is a backslash
const std::string kA = "\x83\x41";  // a katakana whose second byte is the letter A
const std::string kBinLookalike = "\x83"
                                  "bin";

std::optional<std::string> home(const std::string &bin) {
    return homeFromBinDir(bin, noLeadBytes);
}

TEST(HomeFromBinDir, TheComponentBeforeTheFirstBinEndsTheHome) {
    EXPECT_EQ(home("c:\\jdk1.3.1\\bin"), "c:\\jdk1.3.1");
    EXPECT_EQ(home("c:\\program files\\vm\\bin\\extra"), "c:\\program files\\vm");
    EXPECT_EQ(home("c:\\bin"), "c:");
    EXPECT_EQ(home("c:\\jdk\\bin\\..\\bin"), "c:\\jdk");
    EXPECT_EQ(home("c:\\jdk\\BIN"), "c:\\jdk"); // ASCII case ignored
}

TEST(HomeFromBinDir, RepeatedSeparatorsAreNotPartOfTheHome) {
    EXPECT_EQ(home("c:\\jdk\\\\bin"), "c:\\jdk");
    EXPECT_EQ(home("c:\\\\jdk\\\\\\bin\\\\"), "c:\\\\jdk");
}

TEST(HomeFromBinDir, OnlyAWholeComponentNamedBinCounts) {
    EXPECT_EQ(home("c:\\binaries\\bin2\\x"), std::nullopt);
    EXPECT_EQ(home("c:\\jdk\\sbin"), std::nullopt);
    EXPECT_EQ(home("c:/jdk/bin"), std::nullopt); // a forward slash is part of a component
    EXPECT_EQ(home("c:\\jdk\\bin "), std::nullopt);
    EXPECT_EQ(home(""), std::nullopt);
}

TEST(HomeFromBinDir, BinAsTheFirstComponentHasNoHome) {
    EXPECT_EQ(home("bin"), std::nullopt);
    EXPECT_EQ(home("\\bin"), std::nullopt);
    EXPECT_EQ(home("bin\\jdk\\bin"), std::nullopt);
}

TEST(LowerAsciiLetters, ChangesOnlyAsciiCapitals) {
    std::string s = "C:\\JDK1.3\\Bin\\\xC4\xD6";
    lowerAsciiLetters(s, noLeadBytes);
    EXPECT_EQ(s, "c:\\jdk1.3\\bin\\\xC4\xD6");
}

TEST(DoubleByteCodePage, TrailBytesAreNeverLowerCased) {
    std::string s = "C:\\" + kA + kA + "\\JRE\\BIN";
    lowerAsciiLetters(s, cp932Lead);
    EXPECT_EQ(s, "c:\\" + kA + kA + "\\jre\\bin");
    // Byte by byte, the trail byte 0x41 would have become 0x61: another character.
    std::string naive = "C:\\" + kA;
    lowerAsciiLetters(naive, noLeadBytes);
    EXPECT_NE(naive, "c:\\" + kA);
}

TEST(DoubleByteCodePage, ATrailBackslashDoesNotSplitAComponent) {
    // "C:\ソフト\jdk\bin": the first katakana ends in 0x5C.
    const std::string soft = kSo + "\x83\x74\x83\x67";
    EXPECT_EQ(homeFromBinDir("c:\\" + soft + "\\jdk\\bin", cp932Lead), "c:\\" + soft + "\\jdk");
    // A folder named "ソ" followed by "bin" is one component, not a backslash and a "bin".
    EXPECT_EQ(homeFromBinDir("c:\\x\\" + kSo + "bin", cp932Lead), std::nullopt);
    EXPECT_EQ(homeFromBinDir("c:\\" + kSo + "\\bin", cp932Lead), "c:\\" + kSo);
    // A home that ends in such a character keeps its whole last character.
    EXPECT_EQ(homeFromBinDir("c:\\jdk" + kSo + "\\bin", cp932Lead), "c:\\jdk" + kSo);
    EXPECT_EQ(homeFromBinDir("c:\\" + kBinLookalike + "\\jre\\bin", cp932Lead),
              "c:\\" + kBinLookalike + "\\jre");
}

TEST(DoubleByteCodePage, ALeadByteAtTheVeryEndIsTakenAsItStands) {
    std::string s = "C:\\JDK\\\x83";
    lowerAsciiLetters(s, cp932Lead);
    EXPECT_EQ(s, "c:\\jdk\\\x83");
    EXPECT_EQ(homeFromBinDir("c:\\a\\bin\\\x83", cp932Lead), "c:\\a");
}

TEST(SamePath, AsciiCaseIsIgnoredAndDoubleByteCharactersCompareExactly) {
    EXPECT_TRUE(samePathIgnoringAsciiCase("C:\\JDK\\bin", "c:\\jdk\\BIN", noLeadBytes));
    EXPECT_FALSE(samePathIgnoringAsciiCase("c:\\jdk\\bin", "c:\\jdk\\bin\\", noLeadBytes));
    EXPECT_FALSE(samePathIgnoringAsciiCase("c:\\jdk1\\bin", "c:\\jdk2\\bin", noLeadBytes));
    // "ア" (0x83 0x41) and "ヂ" (0x83 0x61) differ only in a trail byte that looks like A and a.
    EXPECT_FALSE(samePathIgnoringAsciiCase("c:\\" + kA, "c:\\\x83\x61", cp932Lead));
    EXPECT_TRUE(samePathIgnoringAsciiCase("C:\\" + kA + "\\BIN", "c:\\" + kA + "\\bin", cp932Lead));
}
} // namespace
