// The few behaviours that no run of the whole program can reach, tested on the Win32 parts directly.
#include <gtest/gtest.h>

#include <set>

#include "driver.h"
#include "platform/file_replace.h"
#include "platform/hardening.h"

TEST(Units, APlantedDllBesideTheProgramIsNotLoadedByName) {
    char self[MAX_PATH];
    std::string beside(self, GetModuleFileNameA(nullptr, self, sizeof self));
    beside = beside.substr(0, beside.find_last_of('\\')) + "\\ostrel_planted_copy.dll";
    ASSERT_TRUE(CopyFileA(hostPathFromEnv("OSTREL_STANDIN").c_str(), beside.c_str(), FALSE)); // any module
    ASSERT_TRUE(restrictDllSearch());
    EXPECT_EQ(LoadLibraryA("ostrel_planted_copy.dll"), nullptr);
    EXPECT_NE(LoadLibraryA(beside.c_str()), nullptr); // loadable: the search refused it
}

// A set of files is placed whole or not at all, in the way of each family: when the last file's new
// version cannot move in, the earlier ones get their old versions back, and nothing is left beside them.
TEST(Units, AFileSetIsPlacedWholeOrNotAtAll) {
    for (const PlatformFamily family : {PlatformFamily::Nt, PlatformFamily::Win9x}) {
        removeTree("C:\\u");
        ASSERT_TRUE(writeFile("C:\\u\\a.txt", "a") && writeFile("C:\\u\\d.txt", "d") &&
                    writeFile("C:\\u\\src", "new"));
        {
            FileSet files(family);
            for (const char *name : {"C:\\u\\a.txt", "C:\\u\\c.txt", "C:\\u\\d.txt"})
                EXPECT_TRUE(files.copy("C:\\u\\src", name));
            ASSERT_TRUE(DeleteFileA(temporaryBeside("C:\\u\\d.txt").c_str())); // d's new version vanishes
            EXPECT_FALSE(files.place());
            EXPECT_EQ(files.failed(), "C:\\u\\d.txt");
        }
        std::set<std::string> left;
        walkTree("C:\\u", [&](const std::string &path, DWORD) {
            std::string content;
            left.insert(path + "=" + (readFile(path, content) ? content : "?"));
        });
        EXPECT_EQ(left, (std::set<std::string>{"C:\\u\\a.txt=a", "C:\\u\\d.txt=d", "C:\\u\\src=new"}));
    }
    removeTree("C:\\u");
}
