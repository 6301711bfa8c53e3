/* Resource Manager subset over ordinary files: the whole file is laid out as
 * a classic resource fork (big-endian header, data section, resource map).
 * Open files form a chain searched from the current file down to the first
 * one opened. Resource data is copied into handles on request; changes stay
 * in memory until UpdateResFile or CloseResFile, which replace the file in
 * one step, so a failed save leaves the previous file as it was.
 * C-compatible; ResError reports the last call of this thread. */
#ifndef HZ_PLATFORM_RESOURCES_H
#define HZ_PLATFORM_RESOURCES_H

#include "platform/types/MacTypes.h"

#ifdef __cplusplus
extern "C" {
#endif

enum { fsCurPerm = 0, fsRdPerm = 1, fsWrPerm = 2, fsRdWrPerm = 3 };

enum { rmvResFailed = -196, resAttrErr = -198 };

/* Script code for FSpCreateResFile; recorded nowhere here. */
enum { smSystemScript = -1 };

/* Resource attribute bits as GetResAttrs reports them. */
enum { resChanged = 0x02 };

/* Writes an empty resource file. dupFNErr if the file exists already: an
 * existing file is never replaced. Plain files have no place for the creator
 * and type codes, so they are accepted and not kept. */
void FSpCreateResFile(const FSSpec* fileSpec, OSType creator, OSType fileType, int16_t scriptTag);

/* Opens the file on top of the chain and makes it current; -1 on failure
 * (fnfErr, permErr, or mapReadErr for a file that is not a well-formed
 * resource file, which is then left untouched). Opening a file that is open already
 * gives its existing reference number and leaves the current file as it is.
 * fsCurPerm opens for writing when the file may be written. */
int16_t FSpOpenResFile(const FSSpec* fileSpec, int8_t permission);

/* 0 stands for the system file, which holds nothing here. */
void UseResFile(int16_t refNum);
int16_t CurResFile(void);
OSErr ResError(void);

/* The current file only; nil with resNotFound when absent. Asking twice
 * gives the same handle until it is released or detached. */
Handle Get1Resource(ResType theType, int16_t theID);
/* The current file, then each file opened before it. */
Handle GetResource(ResType theType, int16_t theID);

/* Adds theData to the current file as a new resource, marked changed.
 * addResFailed for a nil handle, one that is a resource already, or a
 * type and ID the file holds already; wPrErr for a file opened read-only. */
void AddResource(Handle theData, ResType theType, int16_t theID, ConstStr255Param name);
/* Takes the resource out of its file's map; the caller then owns the handle. */
void RemoveResource(Handle theResource);
/* Marks a resource's handle contents to be written by the next update. */
void ChangedResource(Handle theResource);
/* The caller keeps the handle; the resource stays in the file. resAttrErr
 * while the resource has changes not yet written. */
void DetachResource(Handle theResource);
/* Disposes of the handle; the next request reads the data again. A resource
 * with changes not yet written is kept (resAttrErr). */
void ReleaseResource(Handle theResource);

void GetResInfo(Handle theResource, int16_t* theID, ResType* theType, Str255 name);
int16_t GetResAttrs(Handle theResource);

/* Writes the file if anything changed since it was opened or last written. */
void UpdateResFile(int16_t refNum);
/* Writes pending changes, disposes of the file's resource handles and takes
 * it out of the chain. The next file down becomes current if this one was. */
void CloseResFile(int16_t refNum);

/* Item index (from 1) of the 'STR#' list strListID found along the chain;
 * an empty string when the list or the item is missing. */
void GetIndString(Str255 theString, int16_t strListID, int16_t index);

#ifdef __cplusplus
}
#endif

#endif
