// The awt.properties of a 1.1 VM, made to load the bridge.
#include "install/config_files.h"

#include <new>
#include <string>

#include "install/line_rewrite.h"
#include "platform/file_replace.h"

int patchAwtProperties(const char *directory, const char *fileName, bool *changed) {
    if (changed)
        *changed = false;
    if (directory == nullptr || fileName == nullptr)
        return 0;
    try {
        const std::string path = std::string(directory) + fileName;
        TextFileContent content;
        if (!recoverInterruptedReplacement(path) || readTextFile(path, content, false) != ReadResult::Read)
            return 0;
        const std::string text = rewriteAwtProperties(content.text);
        if (text == content.text)
            return 1; // it names the bridge already: not written again (it may be read-only)
        content.text = text;
        if (!replaceTextFile(path, content))
            return 0;
        if (changed)
            *changed = true;
        return 1;
    } catch (const std::bad_alloc &) {
        return 0; // the file is replaced only after everything was built and written
    }
}
