#include "iconv.h"

#include <errno.h>
#include <limits.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

/* Not a real code page: the source is UTF-16LE itself. */
#define SOURCE_UTF16LE 1200u

iconv_t
iconv_open (const char *to, const char *from)
{
    unsigned long code_page = 0;
    if (to == NULL || from == NULL || strcmp (to, "UTF-8") != 0)
      {
	  errno = EINVAL;
	  return (iconv_t) - 1;
      }
    if (strcmp (from, "UTF-16LE") == 0)
	code_page = SOURCE_UTF16LE;
    else if (strcmp (from, "ASCII") == 0)
	code_page = 20127;
    else if (strcmp (from, "MacRoman") == 0)
	code_page = 10000;
    else if (strncmp (from, "CP", 2) == 0 && from[2] >= '1' && from[2] <= '9')
      {
	  char *end = NULL;
	  code_page = strtoul (from + 2, &end, 10);
	  if (*end != '\0' || code_page > 65535 || !IsValidCodePage ((UINT) code_page))
	      code_page = 0;
      }
    if (code_page == 0)
      {
	  errno = EINVAL;
	  return (iconv_t) - 1;
      }
    /* The code page is the handle: nothing to allocate. */
    return (iconv_t) (uintptr_t) code_page;
}

/* The input as UTF-16 in a new buffer (*count characters), or NULL. */
static wchar_t *
widen (UINT code_page, const char *in, size_t size, int *count)
{
    wchar_t *wide;
    if (size > INT_MAX / 2)
	return NULL;
    if (code_page == SOURCE_UTF16LE)
      {
	  if (size % 2 != 0)
	      return NULL;
	  *count = (int) (size / 2);
	  wide = malloc (size + sizeof (wchar_t));
	  if (wide != NULL)
	      memcpy (wide, in, size);
	  return wide;
      }
    *count = MultiByteToWideChar (code_page, MB_ERR_INVALID_CHARS, in, (int) size, NULL, 0);
    if (*count <= 0)
	return NULL;
    wide = malloc (((size_t) *count + 1) * sizeof (wchar_t));
    if (wide != NULL
	&& MultiByteToWideChar (code_page, MB_ERR_INVALID_CHARS, in, (int) size, wide,
				*count) != *count)
      {
	  free (wide);
	  wide = NULL;
      }
    return wide;
}

size_t
iconv (iconv_t cd, char **inbuf, size_t *inbytesleft, char **outbuf, size_t *outbytesleft)
{
    const UINT code_page = (UINT) (uintptr_t) cd;
    wchar_t *wide;
    int count = 0;
    int written;
    /* A call without input resets the state: there is none to reset. */
    if (inbuf == NULL || *inbuf == NULL || *inbytesleft == 0)
	return 0;
    wide = widen (code_page, *inbuf, *inbytesleft, &count);
    if (wide == NULL)
      {
	  errno = EILSEQ;
	  return (size_t) - 1;
      }
    written = WideCharToMultiByte (CP_UTF8, WC_ERR_INVALID_CHARS, wide, count, NULL, 0, NULL,
				   NULL);
    if (written <= 0 || (size_t) written > *outbytesleft)
      {
	  free (wide);
	  errno = written <= 0 ? EILSEQ : E2BIG;
	  return (size_t) - 1;
      }
    WideCharToMultiByte (CP_UTF8, WC_ERR_INVALID_CHARS, wide, count, *outbuf, written, NULL,
			 NULL);
    free (wide);
    *inbuf += *inbytesleft;
    *inbytesleft = 0;
    *outbuf += written;
    *outbytesleft -= (size_t) written;
    return 0;
}

int
iconv_close (iconv_t cd)
{
    (void) cd;
    return 0;
}
