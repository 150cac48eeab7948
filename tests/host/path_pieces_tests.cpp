#include "discovery/path_pieces.h"

#include <gtest/gtest.h>

using Pieces = std::vector<std::string>;

TEST(SplitPathVariable, RunsOfSeparatorsYieldNoEmptyPieces) {
    EXPECT_EQ(splitPathVariable("C:\\a;;C:\\b;"), (Pieces{"C:\\a", "C:\\b"}));
    EXPECT_EQ(splitPathVariable(";;;C:\\a"), (Pieces{"C:\\a"}));
    EXPECT_EQ(splitPathVariable(";;;"), Pieces{});
    EXPECT_EQ(splitPathVariable(""), Pieces{});
}

TEST(SplitPathVariable, PiecesKeepBlanksQuotesAndTrailingBackslashes) {
    EXPECT_EQ(splitPathVariable(" C:\\a ;\"C:\\b c\";C:\\d\\"),
              (Pieces{" C:\\a ", "\"C:\\b c\"", "C:\\d\\"}));
}

TEST(SplitPathVariable, KeepsOrderAndRepeats) {
    EXPECT_EQ(splitPathVariable("x;y;x"), (Pieces{"x", "y", "x"}));
}

TEST(SplitPathVariable, LongValueWithManyPiecesIsSplitWhole) {
    std::string value;
    for (int i = 0; i < 4000; ++i)
        value += "C:\\dir" + std::to_string(i) + ";";
    const Pieces pieces = splitPathVariable(value);
    ASSERT_EQ(pieces.size(), 4000u);
    EXPECT_EQ(pieces.front(), "C:\\dir0");
    EXPECT_EQ(pieces.back(), "C:\\dir3999");
}

TEST(StartsWithLetter, OnlyAsciiLettersPass) {
    EXPECT_TRUE(startsWithLetter("C:\\jdk"));
    EXPECT_TRUE(startsWithLetter("z"));
    EXPECT_TRUE(startsWithLetter("bin")); // relative, looked up from the current directory
    EXPECT_FALSE(startsWithLetter(".\\bin"));
    EXPECT_FALSE(startsWithLetter("\\\\server\\share\\bin"));
    EXPECT_FALSE(startsWithLetter("\"C:\\jdk\""));
    EXPECT_FALSE(startsWithLetter(" C:\\jdk"));
    EXPECT_FALSE(startsWithLetter("1abc"));
    EXPECT_FALSE(startsWithLetter("@x"));
    EXPECT_FALSE(startsWithLetter("[x"));
    EXPECT_FALSE(startsWithLetter("\x83\x41")); // a double-byte character
    EXPECT_FALSE(startsWithLetter(""));
    EXPECT_FALSE(startsWithLetter(nullptr));
}

TEST(JavaHomeBinDir, AppendsBinWithoutAddingOrRemovingSeparators) {
    EXPECT_EQ(javaHomeBinDir(std::string("C:\\jdk1.3\0", 10), true), "C:\\jdk1.3\\bin");
    EXPECT_EQ(javaHomeBinDir(std::string("C:\\jdk1.3\\\0", 11), true), "C:\\jdk1.3\\\\bin");
}

TEST(JavaHomeBinDir, TextEndsAtTheFirstNul) {
    EXPECT_EQ(javaHomeBinDir(std::string("C:\\a\0junk\0", 10), true), "C:\\a\\bin");
    EXPECT_EQ(javaHomeBinDir(std::string("\0", 1), true), "\\bin");
}

TEST(JavaHomeBinDir, UnterminatedOrNonStringDataIsRefused) {
    EXPECT_EQ(javaHomeBinDir("C:\\jdk", true), std::nullopt);
    EXPECT_EQ(javaHomeBinDir("", true), std::nullopt);
    EXPECT_EQ(javaHomeBinDir(std::string("C:\\jdk\0", 7), false), std::nullopt);
}

TEST(JavaHomeBinDir, VeryLongValueIsKeptWhole) {
    const std::string home(5000, 'x');
    EXPECT_EQ(javaHomeBinDir(home + '\0', true), home + "\\bin");
}
