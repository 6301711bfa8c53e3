// Temporary files and folders that a process names after itself
// ("<prefix><pid>..."),
// left behind when it was killed before it could rename or remove them.
#ifndef HZ_PLATFORM_LEFTOVERS_H
#define HZ_PLATFORM_LEFTOVERS_H

#include <string>

// Removes the plain files in `folder` named `prefix`, a process ID and
// anything after it, whose process is gone. Files of running processes (this
// one included) and every other name are kept.
void RemoveLeftovers(const std::string& folder, const std::string& prefix);
// The same for folders of this user named so, with all they hold (links
// inside are removed, never followed).
void RemoveLeftoverFolders(const std::string& folder, const std::string& prefix);

#endif
