/*
 * Peloc: finds where the data of a named export lies in a PE image file,
 * reading the file as bytes. The image is never loaded and none of its code runs.
 */
#ifndef PELOC_PELOC_H
#define PELOC_PELOC_H

#include <stdint.h>

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

#ifdef __cplusplus
}
#endif

#endif
