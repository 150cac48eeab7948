// Win32-free rules of the removal: what the installations wrote into awt.properties, autoexec.bat and the
// registry CLASSPATH is taken out of what these hold now, and everything else stays as it is.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/ascii_text.h"

// Lines that the installation wrote and the user changed since: they stay as the user left them, and the
// closing message lists them.
using ChangedLines = std::vector<std::string>;

// The bytes of awt.properties after the removal, from its bytes before the first installation and now. When
// the file is as the installation left it, it gets its old bytes back exactly. Otherwise each line that the
// installation wrote and that still reads so, wherever it stands now, gets back the line it replaced, or
// goes when it was added; every other line stays. Of these, a line of the same property stands for a line
// of the installation's that is not found (the user changed it) and is listed, unless it reads as the line
// replaced (put back before). The line end that the installation gave a last line that had none goes again
// when nothing follows that line any more.
std::string awtPropertiesAfterRemoval(const std::string &original, const std::string &current,
                                      ChangedLines &changed);

// The bytes of autoexec.bat after the removal the same way, for installations that added the jars of
// `targets` in turn; nothing when the installation made the file and nothing of anyone else's is in it. A
// CLASSPATH line that names none of their jars is the user's own and never listed.
std::optional<std::string> autoexecAfterRemoval(const std::optional<std::string> &original,
                                                const std::vector<std::string> &targets,
                                                const std::string &current, LeadBytePredicate isLeadByte,
                                                ChangedLines &changed);

// The text of CLASSPATH after the removal: without the entries that installations for `targets` added to
// `original`, every other entry as it is; nothing when the installation made the value and it is left
// empty.
std::optional<std::string> classpathAfterRemoval(const std::optional<std::string> &original,
                                                 const std::vector<std::string> &targets,
                                                 const std::string &current, LeadBytePredicate isLeadByte);
