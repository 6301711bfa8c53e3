// Bridge from file specifications to the paths the other platform layers
// open.
#ifndef HZ_PLATFORM_FILESPECPATH_H
#define HZ_PLATFORM_FILESPECPATH_H

#include <string>

#include "platform/types/MacTypes.h"

// dirNFErr when the file's folder is unknown, bdNamErr when its name could not
// have come from FSMakeFSSpec. Says nothing about whether the file exists.
OSErr FSSpecToPath(const FSSpec* fileSpec, std::string* path);

// For tools given a path on the command line: registers the file's folder
// and fills fileSpec as FSMakeFSSpec would (fnfErr when only the folder exists).
OSErr PathToFSSpec(const std::string& path, FSSpec* fileSpec);

// Where FindFolder looks for the preferences folder, whether or not it
// exists; empty when there is no home folder to fall back on.
std::string PreferencesFolderPath();

// The platform's error for a failed system call.
OSErr OSErrFromErrno(int err);

#endif
