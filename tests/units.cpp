// The few behaviours that no run of the whole program can reach, tested on the Win32 parts directly.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
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

// Allocations of about this size (a copy of a long path, not the 64 KB in which files are read) fail:
// memory that runs out in the middle of a placing.
namespace {
std::size_t g_failAllocationsOf = 0;
} // namespace
void *operator new(std::size_t size) {
    const bool fails =
        g_failAllocationsOf != 0 && size >= g_failAllocationsOf && size <= 2 * g_failAllocationsOf;
    void *p = fails ? nullptr : std::malloc(size ? size : 1);
    if (p == nullptr)
        throw std::bad_alloc();
    return p;
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete" // this delete frees what this new allocated
#endif
void operator delete(void *p) noexcept {
    std::free(p);
}
void operator delete(void *p, std::size_t) noexcept {
    std::free(p);
}

// A set of files is placed whole or not at all, in the way of each family: when the last file's new
// version cannot move in, the earlier ones get their old versions back, and nothing is left beside them;
// also when memory runs out just then (noting the failed path needs it), before the placing could end.
TEST(Units, AFileSetIsPlacedWholeOrNotAtAll) {
    const std::string d = "C:\\u\\" + std::string(100, 'd') + ".txt";
    const auto expectOldVersionsOnly = [&] {
        std::set<std::string> left;
        walkTree("C:\\u", [&](const std::string &path, DWORD) {
            std::string content;
            left.insert(path + "=" + (readFile(path, content) ? content : "?"));
        });
        EXPECT_EQ(left, (std::set<std::string>{"C:\\u\\a.txt=a", d + "=d", "C:\\u\\src=new"}));
    };
    for (const PlatformFamily family : {PlatformFamily::Nt, PlatformFamily::Win9x})
        for (const bool memoryRunsOut : {false, true}) {
            removeTree("C:\\u");
            ASSERT_TRUE(writeFile("C:\\u\\a.txt", "a") && writeFile(d, "d") &&
                        writeFile("C:\\u\\src", "new"));
            {
                FileSet files(family);
                for (const std::string &name : {std::string("C:\\u\\a.txt"), std::string("C:\\u\\c.txt"), d})
                    EXPECT_TRUE(files.copy("C:\\u\\src", name));
                ASSERT_TRUE(DeleteFileA(temporaryBeside(d).c_str())); // d's new version vanishes
                if (memoryRunsOut) {
                    g_failAllocationsOf = d.size();
                    EXPECT_THROW(files.place(), std::bad_alloc); // the set goes: then all is as before
                    g_failAllocationsOf = 0;
                } else {
                    EXPECT_FALSE(files.place());
                    EXPECT_EQ(files.failed(), d);
                    expectOldVersionsOnly(); // already when place() says so
                }
            }
            expectOldVersionsOnly();
        }
    removeTree("C:\\u");
}
