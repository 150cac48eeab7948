#include "install/line_rewrite.h"

#include <gtest/gtest.h>

namespace {
const std::string kQueue = "AWT.EventQueueClass=com.zel.java.accessibility.util.EventQueueMonitor\n";
const std::string kAssist = "AWT.assistive_technologies=com.zel.java.accessibility.Ostrel\n";
const std::string kTarget = "C:\\jdk1.1.8\\lib";
const std::string kJars = ";C:\\jdk1.1.8\\lib\\tamrix.jar;C:\\jdk1.1.8\\lib\\ostrel.jar";
const std::string kAdded = "set "
                           "CLASSPATH=.;C:\\jdk1.1.8\\lib\\tamrix.jar;C:\\jdk1.1.8\\lib\\ostrel.jar;C:\\jdk1."
                           "1.8\\lib\\classes.zip\n";

std::string autoexec(const std::string &text) {
    return rewriteAutoexec(text, kTarget);
}

// ---- awt.properties

TEST(AwtProperties, MissingPropertiesAreAppendedEventQueueFirst) {
    EXPECT_EQ(rewriteAwtProperties(""), kQueue + kAssist);
    EXPECT_EQ(rewriteAwtProperties("a=1\n#c\n\nb=2\n"), "a=1\n#c\n\nb=2\n" + kQueue + kAssist);
}

TEST(AwtProperties, RecognisedLinesAreReplacedWhereTheyStand) {
    EXPECT_EQ(rewriteAwtProperties("a=1\nAWT.assistive_technologies=x.Y\nb=2\n"),
              "a=1\n" + kAssist + "b=2\n" + kQueue);
    EXPECT_EQ(rewriteAwtProperties("AWT.EventQueueClass=java.awt.EventQueue\nz=9\n"),
              kQueue + "z=9\n" + kAssist);
    EXPECT_EQ(rewriteAwtProperties("AWT.assistive_technologies=a\nAWT.EventQueueClass=b\n"),
              kAssist + kQueue);
}

TEST(AwtProperties, EveryRepeatedLineIsReplaced) {
    EXPECT_EQ(rewriteAwtProperties("AWT.EventQueueClass=a\nx\nAWT.EventQueueClass=b\n"
                                   "AWT.assistive_technologies=c\nAWT.assistive_technologies=\n"),
              kQueue + "x\n" + kQueue + kAssist + kAssist);
}

TEST(AwtProperties, CaseIsIgnored) {
    EXPECT_EQ(rewriteAwtProperties("awt.eventqueueclass=a\nAWT.ASSISTIVE_TECHNOLOGIES=b\n"),
              kQueue + kAssist);
    EXPECT_EQ(rewriteAwtProperties("aWt.EvEnTqUeUeClAsS\n"), kQueue + kAssist);
}

TEST(AwtProperties, EventQueueKeyIsComparedWithoutItsEquals) {
    // A longer key, a blank before "=", or no value at all: the first 19 characters decide.
    EXPECT_EQ(rewriteAwtProperties("AWT.EventQueueClassic=x\n"), kQueue + kAssist);
    EXPECT_EQ(rewriteAwtProperties("AWT.EventQueueClass = x\n"), kQueue + kAssist);
    EXPECT_EQ(rewriteAwtProperties("AWT.EventQueueClass"), kQueue + kAssist);
    // One character short is another key.
    EXPECT_EQ(rewriteAwtProperties("AWT.EventQueueClas=x\n"), "AWT.EventQueueClas=x\n" + kQueue + kAssist);
}

TEST(AwtProperties, AssistiveKeyNeedsItsEqualsRightAfterIt) {
    const std::string blank = "AWT.assistive_technologies = x\n";
    EXPECT_EQ(rewriteAwtProperties(blank), blank + kQueue + kAssist);
    const std::string longer = "AWT.assistive_technologies2=x\n";
    EXPECT_EQ(rewriteAwtProperties(longer), longer + kQueue + kAssist);
    EXPECT_EQ(rewriteAwtProperties("AWT.assistive_technologies"),
              "AWT.assistive_technologies\n" + kQueue + kAssist);
}

TEST(AwtProperties, NothingBeforeTheKeyIsSkipped) {
    const std::string text =
        " AWT.EventQueueClass=a\n\tAWT.assistive_technologies=b\n#AWT.EventQueueClass=c\n"
        "!AWT.assistive_technologies=d\n";
    EXPECT_EQ(rewriteAwtProperties(text), text + kQueue + kAssist);
}

TEST(AwtProperties, LongLinesAreWholeLines) {
    // A piece of 255 characters would end here, and the rest would look like a line of its own.
    const std::string carrier = "comment=" + std::string(247, 'x') + "AWT.EventQueueClass=inside\n";
    ASSERT_EQ(carrier.find("AWT."), 255u);
    EXPECT_EQ(rewriteAwtProperties(carrier + kQueue + kAssist), carrier + kQueue + kAssist);

    const std::string longValue = "AWT.assistive_technologies=" + std::string(5000, 'v') + "\n";
    EXPECT_EQ(rewriteAwtProperties(longValue), kAssist + kQueue);
    const std::string other = "k=" + std::string(100000, 'w') + "\n";
    EXPECT_EQ(rewriteAwtProperties(other), other + kQueue + kAssist);
}

TEST(AwtProperties, LastLineWithoutLineEnd) {
    // Ended before anything is added after it.
    EXPECT_EQ(rewriteAwtProperties("a=1\nb=2"), "a=1\nb=2\n" + kQueue + kAssist);
    EXPECT_EQ(rewriteAwtProperties(kQueue + "b=2"), kQueue + "b=2\n" + kAssist);
    // Left as it was when nothing is added.
    EXPECT_EQ(rewriteAwtProperties(kQueue + kAssist + "b=2"), kQueue + kAssist + "b=2");
    // A recognised last line is replaced by the whole line, line end included.
    EXPECT_EQ(rewriteAwtProperties(kQueue + "AWT.assistive_technologies=x"), kQueue + kAssist);
}

TEST(AwtProperties, OtherBytesPassThrough) {
    const std::string text = std::string("a=\r\x1a\0\xff\x83\x41\n", 8) + "\n\n";
    EXPECT_EQ(rewriteAwtProperties(text), text + kQueue + kAssist);
}

TEST(AwtProperties, ASecondRunChangesNothing) {
    for (const std::string text : {"", "a=1\nb", "AWT.eventqueueclass=x\n z\nAWT.assistive_technologies=y",
                                   "awt.assistive_technologies=q\n"}) {
        SCOPED_TRACE(text);
        const std::string once = rewriteAwtProperties(text);
        EXPECT_EQ(rewriteAwtProperties(once), once);
    }
}

// ---- autoexec.bat

TEST(Autoexec, WithoutClasspathLineTheAddedLineComesLast) {
    EXPECT_EQ(autoexec(""), kAdded);
    const std::string text = "@echo off\nset PATH=C:\\WINDOWS;C:\\BIN\nrem set CLASSPATH=old\n";
    EXPECT_EQ(autoexec(text), text + kAdded);
}

TEST(Autoexec, ClasspathLinesAreExtendedInPlace) {
    EXPECT_EQ(autoexec("@echo off\nset CLASSPATH=C:\\A.ZIP;.\nPATH C:\\\n"),
              "@echo off\nset CLASSPATH=C:\\A.ZIP;." + kJars + "\nPATH C:\\\n");
    EXPECT_EQ(autoexec("set CLASSPATH=a\nx\nset CLASSPATH=b\n"),
              "set CLASSPATH=a" + kJars + "\nx\nset CLASSPATH=b" + kJars + "\n");
}

TEST(Autoexec, AnEmptyValueGetsTheSeparatorToo) {
    EXPECT_EQ(autoexec("set CLASSPATH=\n"), "set CLASSPATH=" + kJars + "\n");
}

TEST(Autoexec, CaseIsIgnoredAndKept) {
    EXPECT_EQ(autoexec("SET CLASSPATH=X\nSet ClassPath=y\n"),
              "SET CLASSPATH=X" + kJars + "\nSet ClassPath=y" + kJars + "\n");
}

TEST(Autoexec, NothingBeforeTheCommandIsSkipped) {
    const std::string text = " set CLASSPATH=a\n@set CLASSPATH=b\nset CLASSPATH =c\nset  CLASSPATH=d\n"
                             "set CLASSPAT\nset\tCLASSPATH=e\n";
    EXPECT_EQ(autoexec(text), text + kAdded);
    // One recognised line among them is enough: nothing is added.
    EXPECT_EQ(autoexec(" set CLASSPATH=a\nset CLASSPATH=b\n"),
              " set CLASSPATH=a\nset CLASSPATH=b" + kJars + "\n");
}

TEST(Autoexec, ASecondRunExtendsOnceMore) {
    const std::string once = autoexec("set CLASSPATH=a\n");
    EXPECT_EQ(autoexec(once), "set CLASSPATH=a" + kJars + kJars + "\n");
    EXPECT_EQ(autoexec(kAdded), kAdded.substr(0, kAdded.size() - 1) + kJars + "\n");
}

TEST(Autoexec, LastLineWithoutLineEnd) {
    EXPECT_EQ(autoexec("set CLASSPATH=a"), "set CLASSPATH=a" + kJars + "\n");
    EXPECT_EQ(autoexec("@echo off"), "@echo off\n" + kAdded);
    EXPECT_EQ(autoexec("set CLASSPATH=a\necho done"), "set CLASSPATH=a" + kJars + "\necho done");
}

TEST(Autoexec, LongLinesAndTargetsAreWhole) {
    const std::string carrier = "rem " + std::string(251, 'x') + "set CLASSPATH=inside\n";
    ASSERT_EQ(carrier.find("set"), 255u);
    EXPECT_EQ(autoexec(carrier), carrier + kAdded);

    const std::string value(3000, 'c');
    EXPECT_EQ(autoexec("set CLASSPATH=" + value + "\n"), "set CLASSPATH=" + value + kJars + "\n");

    const std::string target = "C:\\" + std::string(400, 'd');
    EXPECT_EQ(rewriteAutoexec("", target), "set CLASSPATH=.;" + target + "\\tamrix.jar;" + target +
                                               "\\ostrel.jar;" + target + "\\classes.zip\n");
}

TEST(Autoexec, OnlyTheLineEndIsTakenOffBeforeTheAddition) {
    // A carriage return that was not part of a CR LF pair belongs to the value.
    EXPECT_EQ(autoexec("set CLASSPATH=a \r\n"), "set CLASSPATH=a \r" + kJars + "\n");
}

// ---- the text of a file on disk

TEST(TextFile, CrLfIsOneLineEndBothWays) {
    const TextFileContent content = decodeTextFile("a\r\nb\r\n\r\nc");
    EXPECT_EQ(content.text, "a\nb\n\nc");
    EXPECT_EQ(content.endMarker, "");
    EXPECT_EQ(encodeTextFile(content), "a\r\nb\r\n\r\nc");
    EXPECT_EQ(encodeTextFile({"x\ny\n", ""}), "x\r\ny\r\n");
}

TEST(TextFile, LoneCarriageReturnsAndLineFeeds) {
    EXPECT_EQ(decodeTextFile("a\rb\r\r\nc\n").text, "a\rb\r\nc\n");
    EXPECT_EQ(encodeTextFile(decodeTextFile("a\rb\r\r\n")), "a\rb\r\r\n");
    EXPECT_EQ(decodeTextFile("a\r").text, "a\r");
    EXPECT_EQ(encodeTextFile(decodeTextFile("a\nb\n")), "a\r\nb\r\n"); // as a text-mode write does
}

TEST(TextFile, NothingIsLostAtACtrlZ) {
    const TextFileContent inside = decodeTextFile("a\r\n\x1a\r\nb\r\n");
    EXPECT_EQ(inside.text, "a\n\x1a\nb\n");
    EXPECT_EQ(inside.endMarker, "");
    EXPECT_EQ(decodeTextFile(std::string("x\0y\x1az", 6)).text, std::string("x\0y\x1az", 6));
}

TEST(TextFile, CtrlZAtTheVeryEndStaysAfterAddedLines) {
    TextFileContent content = decodeTextFile("@echo off\r\n\x1a\x1a");
    EXPECT_EQ(content.text, "@echo off\n");
    EXPECT_EQ(content.endMarker, "\x1a\x1a");
    content.text = autoexec(content.text);
    EXPECT_EQ(encodeTextFile(content),
              "@echo off\r\nset CLASSPATH=.;C:\\jdk1.1.8\\lib\\tamrix.jar;C:\\jdk1.1.8\\lib\\ostrel.jar;"
              "C:\\jdk1.1.8\\lib\\classes.zip\r\n\x1a\x1a");

    const TextFileContent bare = decodeTextFile("\x1a");
    EXPECT_EQ(bare.text, "");
    EXPECT_EQ(bare.endMarker, "\x1a");
    EXPECT_EQ(decodeTextFile("a\r\x1a").text, "a\r");
}

TEST(TextFile, EmptyFile) {
    const TextFileContent content = decodeTextFile("");
    EXPECT_EQ(content.text, "");
    EXPECT_EQ(content.endMarker, "");
    EXPECT_EQ(encodeTextFile(content), "");
}
} // namespace
