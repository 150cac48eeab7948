// The awt.properties of a 1.1 VM, made to load the bridge.
#include "install/config_files.h"

#include <new>
#include <string>

#include "install/file_replace.h"
#include "install/line_rewrite.h"

int patchAwtProperties(const char *directory, const char *fileName) {
    if (directory == nullptr || fileName == nullptr)
        return 0;
    try {
        const std::string dir = directory;
        const std::string path = dir + fileName;
        TextFileContent content;
        if (readTextFile(path, content, false) != ReadResult::Read)
            return 0;
        content.text = rewriteAwtProperties(content.text);
        return replaceTextFile(path, content) ? 1 : 0;
    } catch (const std::bad_alloc &) {
        return 0; // the file is replaced only after everything was built and written
    }
}
