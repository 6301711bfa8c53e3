/* File Manager and Folder Manager subset: named folders and file
 * FSSpec records over ordinary paths. A folder is known by the pair
 * (volume, directory ID) that FindFolder hands out; file names are taken
 * byte for byte. C-compatible. */
#ifndef HZ_PLATFORM_FILES_H
#define HZ_PLATFORM_FILES_H

#include "platform/types/MacTypes.h"

#ifdef __cplusplus
extern "C" {
#endif

enum { bdNamErr = -37, dupFNErr = -48, permErr = -54, nsvErr = -35, dirNFErr = -120 };

enum { kOnSystemDisk = -32768, kOnAppropriateDisk = -32767 };

enum { kDontCreateFolder = 0, kCreateFolder = 1 };

/* 'pref' */
enum { kPreferencesFolderType = 0x70726566 };

/* The preferences folder is $XDG_CONFIG_HOME, or $HOME/.config when that is
 * unset, empty or relative. fnfErr when it does not exist and createFolder
 * is false. */
OSErr FindFolder(int16_t vRefNum, OSType folderType, Boolean createFolder, int16_t* foundVRefNum,
                 int32_t* foundDirID);

/* Fills *fileSpec even when the file does not exist yet (fnfErr), so the caller
 * can create it. dirNFErr for a folder FindFolder never handed out or that
 * has gone; bdNamErr for a name that is empty, longer than 63 bytes, holds
 * '/' or NUL, or is "." or "..". */
OSErr FSMakeFSSpec(int16_t vRefNum, int32_t dirID, ConstStr255Param fileName, FSSpec* fileSpec);

#ifdef __cplusplus
}
#endif

#endif
