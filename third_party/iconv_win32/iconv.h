/* The part of iconv that freexl uses, for Windows, where there is no iconv:
 * conversions from a code page or UTF-16LE into UTF-8, done by
 * MultiByteToWideChar and WideCharToMultiByte. Like iconv, a conversion
 * fails on bytes that are not text in the source encoding. */
#ifndef TABDUMP_ICONV_WIN32_H
#define TABDUMP_ICONV_WIN32_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef void *iconv_t;

/* Only "UTF-8" as `to`; `from` is "UTF-16LE", "ASCII", "MacRoman" or
 * "CP" and a code page number. (iconv_t) -1 for anything else. */
iconv_t iconv_open (const char *to, const char *from);

/* Converts all of the input at once, as freexl hands it over: a partial
 * conversion is a failure ((size_t) -1, nothing consumed). */
size_t iconv (iconv_t cd, char **inbuf, size_t *inbytesleft, char **outbuf,
	      size_t *outbytesleft);

int iconv_close (iconv_t cd);

#ifdef __cplusplus
}
#endif

#endif
