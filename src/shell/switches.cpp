#include "shell/switches.h"

#include "shell/ascii_text.h"

namespace {
// The arguments of a command line: words between blanks, or in double quotes.
std::vector<std::string> arguments(const std::string &commandLine) {
    std::vector<std::string> words;
    for (std::string::size_type i = 0; i < commandLine.size();) {
        if (commandLine[i] == ' ' || commandLine[i] == '\t') {
            ++i;
            continue;
        }
        std::string word;
        for (bool quoted = false;
             i < commandLine.size() && (quoted || (commandLine[i] != ' ' && commandLine[i] != '\t')); ++i)
            commandLine[i] == '"' ? (void)(quoted = !quoted) : word.push_back(commandLine[i]);
        words.push_back(word);
    }
    return words;
}

bool isSwitch(const std::string &word, const char *name) {
    return !word.empty() && (word[0] == '/' || word[0] == '-') && sameIgnoringAsciiCase(word.substr(1), name);
}
} // namespace

Switches parseSwitches(const std::string &commandLine) {
    Switches switches;
    const std::vector<std::string> words = arguments(commandLine);
    for (std::vector<std::string>::size_type i = 1; i < words.size(); ++i) {
        const std::string &word = words[i];
        if (isSwitch(word, "remove"))
            switches.remove = true;
        else if (isSwitch(word, "quiet"))
            switches.quiet = true;
        else
            switches.unknown.push_back(word);
    }
    return switches;
}
