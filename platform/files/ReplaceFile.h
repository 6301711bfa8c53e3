// Whole-file replacement that readers never see half done.
#ifndef HZ_PLATFORM_REPLACEFILE_H
#define HZ_PLATFORM_REPLACEFILE_H

#include <cstdint>
#include <string>
#include <vector>

#include "platform/types/MacTypes.h"

// Writes a sibling ".<name>.tmp-<pid>-<n>", makes it durable and renames it
// over path, so readers see either the old file or the new one. A path that
// is a symbolic link keeps its link: the file it leads to is replaced.
// Temporaries left by killed processes are removed on the way.
OSErr ReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes);

// Writes all of bytes to fd, through short writes and interruptions.
OSErr WriteAllBytes(int fd, const std::vector<uint8_t>& bytes);

// Where path leads once its symbolic links are followed; path itself when it
// is not a link or its links go round in a circle.
std::string FollowLinks(const std::string& path);

#endif
