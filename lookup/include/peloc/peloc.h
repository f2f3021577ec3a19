/*
 * Peloc: finds where the data of a named export lies in a PE image file,
 * reading the file as bytes. The image is never loaded and none of its code runs.
 */
#ifndef PELOC_PELOC_H
#define PELOC_PELOC_H

#include <stdint.h>

/* The interface this header declares: 1.0 has GetOffset, 1.1 adds GetOffsets. */
#define PELOC_VERSION_MAJOR 1
#define PELOC_VERSION_MINOR 1

#if defined(_WIN32)
#  define PELOC_CALL __stdcall
#  if defined(PELOC_BUILDING)
#    define PELOC_API __declspec(dllexport)
#  else
#    define PELOC_API __declspec(dllimport)
#  endif
#else
#  define PELOC_CALL
#  if defined(PELOC_BUILDING)
#    define PELOC_API __attribute__((visibility("default")))
#  else
#    define PELOC_API
#  endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

/*
 * Returns the file offset at which the data of the export `exportName` of the
 * PE image `path` begins, or 0 when the file cannot be read, is no PE image,
 * has no export of that name (compared byte for byte, case-sensitive), or when
 * any address involved lies outside the image's sections or the file.
 *
 * `path` is zero-terminated text in the platform's file-name encoding (the ANSI
 * code page on Windows, UTF-8 on Linux). Keeps no state; safe to call from many
 * threads at once. Everything it opens is released before it returns.
 */
typedef uint32_t(PELOC_CALL* PelocGetOffsetFn)(const char* path, const char* exportName);
PELOC_API uint32_t PELOC_CALL GetOffset(const char* path, const char* exportName);

/*
 * Since 1.1. Reads `length` bytes (1 to 2^30) at byte `offset` of an image
 * file the caller has open into `into`, for GetOffsets. Returns how many it
 * read, fewer than `length` only at the end of the file, or -1 when they
 * cannot be read. `file` is PelocImage's, handed over as it is.
 */
typedef int32_t(PELOC_CALL* PelocReadFn)(void* file, uint64_t offset, void* into, uint32_t length);

/*
 * Since 1.1. An image file as a caller of GetOffsets already holds it: the
 * file's size, the bytes it has read from the file's start (the whole file,
 * or a first part of it), and how to read the rest.
 */
typedef struct PelocImage {
  uint64_t size;         /* the file's size in bytes */
  const void* head;      /* its first headSize bytes; may be null when headSize is 0 */
  uint64_t headSize;     /* 0 to size; size when the caller holds the whole file */
  PelocReadFn read;      /* reads bytes past the head; may be null when headSize is size */
  void* file;            /* handed to `read` as it is (a descriptor, a handle, a stream) */
} PelocImage;

/*
 * Since 1.1. Looks up `count` export names of one PE image at once, reading
 * the file once: offsets[i] receives what GetOffset gives for exportNames[i]
 * (0 when not found, and for a null name). Returns how many were found.
 *
 * The image is the file at `path`, opened, read and closed within the call
 * as GetOffset opens it, when `image` is null; otherwise the file `image`
 * describes: its head where the caller holds it, the rest through its
 * `read`, and `path` is not used. Each name is answered by the same rules as
 * GetOffset's, on those bytes. Keeps no state; safe to call from many
 * threads at once; `read` is called only during the call, on its thread.
 */
PELOC_API uint32_t PELOC_CALL GetOffsets(const char* path, const PelocImage* image, const char* const* exportNames,
                                         uint32_t count, uint32_t* offsets);
typedef uint32_t(PELOC_CALL* PelocGetOffsetsFn)(const char* path, const PelocImage* image,
                                                const char* const* exportNames, uint32_t count, uint32_t* offsets);

#ifdef __cplusplus
}
#endif

#endif
