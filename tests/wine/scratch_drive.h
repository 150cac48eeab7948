// A drive of a drive-search test prefix that only tests use (see drive_search_session.sh): emptied when
// a test takes it and again when the test is done.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/handles.h"
#include "test_support.h"

class ScratchDrive {
  public:
    explicit ScratchDrive(char letter) : root_(std::string(1, letter) + ":") { clear(); }
    ~ScratchDrive() { clear(); }
    ScratchDrive(const ScratchDrive &) = delete;
    ScratchDrive &operator=(const ScratchDrive &) = delete;

    // The full path of rel below the root; "" gives the root itself ("X:\").
    std::string operator/(const std::string &rel) const { return root_ + "\\" + rel; }
    // Creates empty files, and their folders, below the root.
    void files(const std::vector<std::string> &rels) const {
        for (const std::string &rel : rels)
            EXPECT_TRUE(writeFile(*this / rel, "")) << rel;
    }
    void dirs(const std::vector<std::string> &rels) const {
        for (const std::string &rel : rels)
            EXPECT_TRUE(makeDirs(*this / rel)) << rel;
    }

  private:
    void clear() const {
        WIN32_FIND_DATAA entry;
        const UniqueFind find(FindFirstFileA((root_ + "\\*").c_str(), &entry));
        if (!find)
            return;
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(root_ + "\\" + name);
            else
                DeleteFileA((root_ + "\\" + name).c_str());
        } while (FindNextFileA(find.get(), &entry));
    }

    std::string root_;
};
