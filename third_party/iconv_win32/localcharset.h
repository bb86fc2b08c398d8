/* freexl includes this beside iconv.h on Windows but calls nothing of it. */
#ifndef TABDUMP_LOCALCHARSET_WIN32_H
#define TABDUMP_LOCALCHARSET_WIN32_H
#endif
