// The rules that need no Win32, one table each: PATH pieces, JavaHome values, the tester's answer, the
// layout of a VM's folders in single- and double-byte code pages, the line edits of the two text files,
// and the CLASSPATH text. Built natively, under AddressSanitizer and UBSan.
#include <gtest/gtest.h>

#include "discovery/path_pieces.h"
#include "install/classpath_text.h"
#include "install/line_rewrite.h"
#include "verify/layout_rules.h"
#include "verify/tester_answer.h"

namespace {
using Strings = std::vector<std::string>;
const std::string Q = "AWT.EventQueueClass=com.zel.java.accessibility.util.EventQueueMonitor\n";
const std::string A = "AWT.assistive_technologies=com.zel.java.accessibility.Ostrel\n";
const std::string J = ";C:\\T\\tamrix.jar;C:\\T\\ostrel.jar"; // the jars of the 1.1 target C:\T
const std::string ADDED = "set CLASSPATH=.;C:\\T\\tamrix.jar;C:\\T\\ostrel.jar;C:\\T\\classes.zip\n";

// Code page 932: lead bytes 0x81-0x9F and 0xE0-0xFC; a trail byte may be a backslash or a capital.
bool cp932(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
bool singleByte(unsigned char) {
    return false;
}
} // namespace

TEST(Rules, PathPieces) {
    const std::vector<std::pair<std::string, Strings>> split = {
        {"C:\\a;;C:\\b;", {"C:\\a", "C:\\b"}},
        {";;", {}},
        {" C:\\a ;\"C:\\b\";C:\\c\\", {" C:\\a ", "\"C:\\b\"", "C:\\c\\"}}};
    for (const auto &row : split)
        EXPECT_EQ(splitPathVariable(row.first), row.second) << row.first;
    for (const char *yes : {"C:\\", "z", "jdk\\bin"})
        EXPECT_TRUE(startsWithLetter(yes)) << yes;
    for (const char *no : {".\\bin", "\\\\server\\share", "\"C:\\a\"", " C:\\a", "", "1:\\", "\x83\x41"})
        EXPECT_FALSE(startsWithLetter(no)) << no;
    EXPECT_FALSE(startsWithLetter(nullptr));
}

TEST(Rules, JavaHomeValues) {
    EXPECT_EQ(javaHomeBinDir(std::string("C:\\jdk\0", 7), true), "C:\\jdk\\bin");
    EXPECT_EQ(javaHomeBinDir(std::string("C:\\jdk\\\0junk", 11), true), "C:\\jdk\\\\bin");
    EXPECT_EQ(javaHomeBinDir(std::string("\0", 1), true), "\\bin");
    EXPECT_EQ(javaHomeBinDir("C:\\jdk", true), std::nullopt); // no terminator: perhaps cut short
    EXPECT_EQ(javaHomeBinDir(std::string("C:\\jdk\0", 7), false), std::nullopt);
}

TEST(Rules, TesterAnswers) {
    struct Row {
        std::uint32_t code;
        bool answered;
        int compatible, isJava11, isJava14;
    };
    const Row rows[] = {{14, true, 1, 0, 1},
                        {6, true, 1, 0, 0},
                        {2, true, 1, 1, 0},
                        {4, true, 0, 0, 0},
                        {1, true, 0, 1, 0},
                        {18, true, 1, 1, 0},
                        {256, true, 0, 1, 0},
                        {15, true, 1, 0, 1},
                        {3, true, 1, 1, 0},
                        {7, true, 1, 0, 0},
                        {5, true, 0, 0, 0},
                        {0, false, 0, 0, 0},
                        {0xFFFFFFFFu, false, 0, 0, 0},
                        {0x80000002u, false, 0, 0, 0}};
    for (const Row &r : rows) {
        const TesterAnswer a = decodeTesterExitCode(r.code);
        EXPECT_EQ(std::make_tuple(a.answered, a.compatible, a.isJava11, a.isJava14),
                  std::make_tuple(r.answered, r.compatible, r.isJava11, r.isJava14))
            << r.code;
    }
}

TEST(Rules, HomeFolders) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> rows = {
        {"c:\\jdk1.3.1\\bin", "c:\\jdk1.3.1"},
        {"c:\\jdk\\\\bin", "c:\\jdk"},
        {"c:\\program files\\vm\\bin\\extra", "c:\\program files\\vm"},
        {"c:\\bin", "c:"},
        {"C:\\JDK\\BIN", "C:\\JDK"},
        {"c:\\jdk\\bin\\..\\bin", "c:\\jdk"},
        {"c:\\binaries\\bin2\\x", std::nullopt},
        {"c:/jdk/bin", std::nullopt},
        {"bin\\x", std::nullopt},
        {"\x83\\bin\\bin", "\x83\\bin"}, // the first "bin" follows a character whose second byte is "\"
    };
    for (const auto &row : rows)
        EXPECT_EQ(homeFromBinDir(row.first, cp932), row.second) << row.first;
    EXPECT_EQ(homeFromBinDir("\x83\\bin\\bin", singleByte), "\x83");
}

TEST(Rules, CaseAndRepeatsOfPaths) {
    std::string path = "C:\\JDK\x83\x41\\\x83\\BIN";
    lowerAsciiLetters(path, cp932);
    EXPECT_EQ(path, "c:\\jdk\x83\x41\\\x83\\bin"); // a trail byte that looks like "A" stays
    EXPECT_TRUE(samePathIgnoringAsciiCase("C:\\Jdk\\BIN", "c:\\jdk\\bin", cp932));
    EXPECT_FALSE(samePathIgnoringAsciiCase("c:\\\x83\x41", "c:\\\x83\x61", cp932));
    EXPECT_FALSE(samePathIgnoringAsciiCase("c:\\jdk", "c:\\jdk\\", cp932));
}

TEST(Rules, AwtPropertiesLines) {
    const std::string blank = "AWT.assistive_technologies = x\n", skipped = " AWT.EventQueueClass=a\n#x\n";
    const std::string carrier = "comment=" + std::string(247, 'x') + "AWT.EventQueueClass=inside\n";
    const Strings rows[] = {
        {"", Q + A},
        {"a=1\n#c\n\nb=2\n", "a=1\n#c\n\nb=2\n" + Q + A},
        {"a=1\nAWT.assistive_technologies=x.Y\nb=2\n", "a=1\n" + A + "b=2\n" + Q},
        {"awt.eventqueueclass=a\nx\nAWT.EventQueueClassic = b\nAWT.ASSISTIVE_TECHNOLOGIES=",
         Q + "x\n" + Q + A},
        {"AWT.EventQueueClas=x\n", "AWT.EventQueueClas=x\n" + Q + A},
        {blank, blank + Q + A},
        {skipped, skipped + Q + A},
        {carrier, carrier + Q + A},
        {"a=1\nb=2", "a=1\nb=2\n" + Q + A},
        {Q + A + "b=2", Q + A + "b=2"},
        {std::string("a=\r\x1a\0\xff\x83\x41\n", 9), std::string("a=\r\x1a\0\xff\x83\x41\n", 9) + Q + A},
    };
    for (const Strings &row : rows) {
        EXPECT_EQ(rewriteAwtProperties(row[0]), row[1]) << row[0];
        EXPECT_EQ(rewriteAwtProperties(row[1]), row[1]) << "a second run changes " << row[1];
    }
}

TEST(Rules, AutoexecLines) {
    const std::string odd = " set CLASSPATH=a\n@set CLASSPATH=b\nset CLASSPATH =c\nset\tCLASSPATH=e\n";
    const std::string value(3000, 'c');
    const Strings rows[] = {
        {"", ADDED},
        {"@echo off\nrem set CLASSPATH=old\n", "@echo off\nrem set CLASSPATH=old\n" + ADDED},
        {"set CLASSPATH=a\nx\nSet ClassPath=b\n", "set CLASSPATH=a" + J + "\nx\nSet ClassPath=b" + J + "\n"},
        {"set CLASSPATH=\n", "set CLASSPATH=" + J + "\n"},
        {odd, odd + ADDED},
        {"set CLASSPATH=a", "set CLASSPATH=a" + J + "\n"},
        {"@echo off", "@echo off\n" + ADDED},
        {"set CLASSPATH=a \r\n", "set CLASSPATH=a \r" + J + "\n"},
        {"set CLASSPATH=" + value + "\n", "set CLASSPATH=" + value + J + "\n"},
    };
    for (const Strings &row : rows)
        EXPECT_EQ(rewriteAutoexec(row[0], "C:\\T"), row[1]) << row[0];
}

TEST(Rules, TextOfFiles) {
    const Strings rows[] = {// bytes on disk, text, end marker
                            {"a\r\nb\r\n\r\nc", "a\nb\n\nc", ""},
                            {"a\rb\r\r\nc\r\n", "a\rb\r\nc\n", ""},
                            {"a\r\n\x1a\x1a", "a\n", "\x1a\x1a"},
                            {"a\x1a\r\nb", "a\x1a\nb", ""}};
    for (const Strings &row : rows) {
        const TextFileContent content = decodeTextFile(row[0]);
        EXPECT_EQ(Strings({content.text, content.endMarker}), Strings({row[1], row[2]})) << row[0];
        EXPECT_EQ(encodeTextFile(content), row[0]);
    }
}

TEST(Rules, ClasspathText) {
    EXPECT_EQ(extendedClasspath("", "C:\\T"), "C:\\T\\tamrix.jar;C:\\T\\ostrel.jar");
    EXPECT_EQ(extendedClasspath("%X%;.", "C:\\T"), "%X%;.;C:\\T\\tamrix.jar;C:\\T\\ostrel.jar");
    EXPECT_EQ(registryStringText(std::string("a;b\0junk", 8)), "a;b");
    EXPECT_EQ(registryStringText("unterminated"), "unterminated");
    Strings failed;
    std::string listed =
        "Installation of the Java Ostrel was not completed. These files could not be written:";
    for (int i = 1; i <= 12; ++i)
        failed.push_back("f" + std::to_string(i));
    for (int i = 1; i <= 10; ++i)
        listed += "\nf" + std::to_string(i);
    EXPECT_EQ(incompleteInstallationText(failed), listed + "\nand 2 more");
    failed.resize(10);
    EXPECT_EQ(incompleteInstallationText(failed), listed);
}
