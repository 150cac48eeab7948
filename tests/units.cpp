// The few behaviours that no run of the whole program can reach, tested on the Win32 parts directly.
#include <gtest/gtest.h>

#include "driver.h"
#include "install/file_replace.h"
#include "shell/hardening.h"

TEST(Units, APlantedDllBesideTheProgramIsNotLoadedByName) {
    char self[MAX_PATH];
    std::string beside(self, GetModuleFileNameA(nullptr, self, sizeof self));
    beside = beside.substr(0, beside.find_last_of('\\')) + "\\ostrel_planted_copy.dll";
    ASSERT_TRUE(CopyFileA(hostPathFromEnv("OSTREL_STANDIN").c_str(), beside.c_str(), FALSE)); // any module
    ASSERT_TRUE(restrictDllSearch());
    EXPECT_EQ(LoadLibraryA("ostrel_planted_copy.dll"), nullptr);
    EXPECT_NE(LoadLibraryA(beside.c_str()), nullptr); // loadable: the search refused it
}

// On the 9x family the old file moves aside first; if the new one cannot move in, the old one comes back.
TEST(Units, The9xReplacementPutsTheOldFileBackWhenTheNewOneCannotMoveIn) {
    removeTree("C:\\u");
    ASSERT_TRUE(writeFile("C:\\u\\file", "old"));
    EXPECT_FALSE(replaceFile("C:\\u\\file", "C:\\u\\missing-new", "C:\\u\\old", PlatformFamily::Win9x));
    std::string content;
    EXPECT_TRUE(readFile("C:\\u\\file", content) && content == "old") << content;
    EXPECT_EQ(GetFileAttributesA("C:\\u\\old"), INVALID_FILE_ATTRIBUTES);
    removeTree("C:\\u");
}
