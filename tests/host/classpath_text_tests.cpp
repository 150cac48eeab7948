#include "install/classpath_text.h"

#include <gtest/gtest.h>

TEST(Classpath, AnEmptyValueGetsTheAdditionAloneWithoutALeadingSeparator) {
    EXPECT_EQ(extendedClasspath("", "c:\\jdk1.1\\lib"),
              "c:\\jdk1.1\\lib\\tamrix.jar;c:\\jdk1.1\\lib\\ostrel.jar");
}

TEST(Classpath, ATextKeepsItsValueAndGetsOneSeparator) {
    EXPECT_EQ(extendedClasspath(".;%JAVA_HOME%\\lib\\classes.zip", "c:\\j"),
              ".;%JAVA_HOME%\\lib\\classes.zip;c:\\j\\tamrix.jar;c:\\j\\ostrel.jar");
    // A second run appends once more: nothing is looked up in the old text.
    EXPECT_EQ(extendedClasspath(extendedClasspath("", "c:\\j"), "c:\\j"),
              "c:\\j\\tamrix.jar;c:\\j\\ostrel.jar;c:\\j\\tamrix.jar;c:\\j\\ostrel.jar");
}

TEST(Classpath, ALongTargetIsNeverCut) {
    const std::string target = "c:\\" + std::string(400, 't');
    EXPECT_EQ(extendedClasspath("x", target), "x;" + target + "\\tamrix.jar;" + target + "\\ostrel.jar");
}

TEST(RegistryStringText, TextEndsAtTheFirstNulOrAtTheEndOfTheData) {
    EXPECT_EQ(registryStringText(std::string("a;b\0", 4)), "a;b");
    EXPECT_EQ(registryStringText(std::string("a;b\0junk", 8)), "a;b");
    EXPECT_EQ(registryStringText("unterminated"), "unterminated");
    EXPECT_EQ(registryStringText(std::string()), "");
}

TEST(IncompleteText, ListsEachFailureOnALineOfItsOwn) {
    EXPECT_EQ(incompleteInstallationText({"c:\\a\\x.jar", "c:\\b\\y.jar"}),
              "Installation of the Java Ostrel was not completed. These files could not be written:\n"
              "c:\\a\\x.jar\nc:\\b\\y.jar");
}

TEST(IncompleteText, ListsTheFirstTenThenCountsTheRest) {
    std::vector<std::string> failures;
    for (int i = 1; i <= 13; ++i)
        failures.push_back("f" + std::to_string(i));
    const std::string text = incompleteInstallationText(failures);
    EXPECT_NE(text.find("\nf10\nand 3 more"), std::string::npos) << text;
    EXPECT_EQ(text.find("f11"), std::string::npos);
    failures.resize(10);
    EXPECT_EQ(incompleteInstallationText(failures).find("more"), std::string::npos);
}
