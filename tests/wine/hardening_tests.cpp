// The DLL search restriction: a DLL planted beside the program is not loaded by its bare name.
#include <gtest/gtest.h>

#include <string>

#include "shell/hardening.h"
#include "test_support.h"

TEST(DllSearch, PlantedDllBesideTheProgramIsNotLoadedByName) {
    const std::string planted = hostPathFromEnv("OSTREL_PLANTED");
    ASSERT_FALSE(planted.empty()) << "OSTREL_PLANTED names the planted DLL";

    // Plant it beside this program, where an unrestricted search looks first.
    char self[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, self, sizeof self), 0u);
    std::string dir(self);
    dir.resize(dir.find_last_of('\\'));
    const std::string beside = dir + "\\ostrel_planted_copy.dll";
    ASSERT_TRUE(CopyFileA(planted.c_str(), beside.c_str(), FALSE));

    ASSERT_TRUE(restrictDllSearch());
    SetLastError(0xdeadbeef);
    HMODULE byName = LoadLibraryA("ostrel_planted_copy.dll");
    EXPECT_EQ(byName, nullptr);
    EXPECT_NE(GetLastError(), 0xdeadbeefu);

    // The DLL itself is loadable: by its full path it loads, so the refusal above came from the search.
    HMODULE byPath = LoadLibraryA(beside.c_str());
    EXPECT_NE(byPath, nullptr);
    if (byPath)
        FreeLibrary(byPath);
    if (byName)
        FreeLibrary(byName);
    DeleteFileA(beside.c_str());
}
