// The autoexec.bat of the 9x family, made to put the bridge's jars in CLASSPATH at every start.
#include "install/config_files.h"

#include <new>
#include <string>

#include "install/line_rewrite.h"
#include "log/run_log.h"
#include "platform/file_replace.h"
#include "platform/system_text.h"

int patchAutoexec(const char *root, const char *fileName, const char *target, bool *changed) {
    if (root == nullptr || fileName == nullptr || target == nullptr)
        return 0;
    try {
        // The root brings its backslash; should one lack it, the file and its temporary still share a
        // directory.
        std::string dir = root;
        if (dir.empty() || dir.back() != '\\')
            dir += '\\';
        const std::string path = dir + fileName;
        TextFileContent content;
        // Only a file that is not there counts as empty: one that cannot be read, or that a replacement cut
        // short left under another name, must not be replaced by the added line alone.
        if (!recoverInterruptedReplacement(path))
            return 0;
        const ReadResult read = readTextFile(path, content, true);
        if (read == ReadResult::Failed)
            return 0;
        const std::string text = rewriteAutoexec(content.text, target, ansiLeadByte);
        runLog::line({path, " before:\n", content.text});
        const bool differs = read == ReadResult::Missing || text != content.text; // else it stays untouched
        content.text = text;
        const bool written = differs && replaceTextFile(path, content);
        if (!differs || written) // the log tells what the file holds, once it holds it
            runLog::line({path, " after:\n", text});
        if (changed)
            *changed = written;
        return !differs || written ? 1 : 0;
    } catch (const std::bad_alloc &) {
        return 0; // the file is replaced only after everything was built and written
    }
}
