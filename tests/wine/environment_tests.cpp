// clearClasspath: what a process started afterwards inherits.
#include <gtest/gtest.h>

#include "shell/installer.h"

namespace {
// Exit code of a child that reports whether CLASSPATH is in its environment: 1 if it is, 0 if not.
DWORD childSeesClasspath() {
    char cmd[] = "cmd.exe /c if defined CLASSPATH (exit 1) else (exit 0)";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 99;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

bool classpathSetHere() {
    return GetEnvironmentVariableA("CLASSPATH", nullptr, 0) != 0;
}

TEST(ClearClasspath, AValueIsGoneForChildren) {
    ASSERT_TRUE(SetEnvironmentVariableA("CLASSPATH", "C:\\old\\classes.zip;."));
    ASSERT_EQ(childSeesClasspath(), 1u); // the probe itself works
    clearClasspath();
    EXPECT_FALSE(classpathSetHere());
    EXPECT_EQ(getenv("CLASSPATH"), nullptr);
    EXPECT_EQ(childSeesClasspath(), 0u);
}

TEST(ClearClasspath, AnEmptyValueIsGoneToo) {
    ASSERT_TRUE(SetEnvironmentVariableA("CLASSPATH", ""));
    ASSERT_TRUE(classpathSetHere());
    clearClasspath();
    EXPECT_FALSE(classpathSetHere());
    EXPECT_EQ(childSeesClasspath(), 0u);
}

TEST(ClearClasspath, AnEnvironmentWithoutItIsLeftAsItWas) {
    SetEnvironmentVariableA("CLASSPATH", nullptr);
    ASSERT_TRUE(SetEnvironmentVariableA("OSTREL_NEIGHBOUR", "kept"));
    char before[65536];
    char *block = GetEnvironmentStringsA();
    size_t len = 0;
    while (block[len] || block[len + 1])
        ++len;
    ASSERT_LT(len + 2, sizeof before);
    memcpy(before, block, len + 2);
    FreeEnvironmentStringsA(block);

    clearClasspath();

    block = GetEnvironmentStringsA();
    EXPECT_EQ(memcmp(before, block, len + 2), 0);
    FreeEnvironmentStringsA(block);
    EXPECT_EQ(childSeesClasspath(), 0u);
}
} // namespace
