/* SPDX-License-Identifier: MIT */
/* Symbol access to a firmware image: find a named symbol through the image's symbol table and
 * read or overwrite its bytes in place. libelf only parses the structure; the bytes themselves
 * move with plain lseek/read/write on the layer's own descriptor, so a store touches nothing but
 * the symbol. Every function but ElfApiInit returns 0 or one of the negative codes below. */
#ifndef PELNIX_ELFAPI_ELFAPI_H
#define PELNIX_ELFAPI_ELFAPI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
    ELFAPI_OK = 0,
    ELFAPI_ERR_PARAMETER = -1,  /* null handle or argument, or a size the value cannot hold */
    ELFAPI_ERR_STATUS = -2,     /* no image open, one still open, or an empty symbol table */
    ELFAPI_ERR_FILE_OPEN = -3,  /* the file could not be opened (or is no regular file) */
    ELFAPI_ERR_FILE_CLOSE = -4, /* closing the file failed */
    ELFAPI_ERR_FILE_READ = -5,  /* reading or parsing failed, or the symbol holds no file bytes */
    ELFAPI_ERR_FILE_WRITE = -6, /* the symbol cannot be written, or the write failed */
    ELFAPI_ERR_UNKNOWN_SYMBOL = -7,
    ELFAPI_ERR_UNSUPPORTED = -8 /* not an ELF file, or an ELF class other than 32 and 64 */
};

/* One symbol access. The caller owns the record; a read fills data. The two record names are
 * the layer's established interface, leading underscore included. */
typedef struct _ElfSymbolInfo { /* NOLINT(bugprone-reserved-identifier) */
    const char* name;           /* whole name, compared byte for byte */
    int32_t offset;             /* added to the symbol's address */
    int32_t size;               /* bytes to transfer, 0 to 8 */
    uint64_t data;              /* little-endian value of those bytes, higher bytes zero */
} _ElfSymbolInfo;               /* NOLINT(bugprone-reserved-identifier) */

/* The image's file header in the 32-bit layout; for a 64-bit image the entry point and the two
 * table offsets keep their low 32 bits. */
typedef struct _ElfHeader { /* NOLINT(bugprone-reserved-identifier) */
    unsigned char e_ident[16];
    uint16_t e_type;
    uint16_t e_machine;
    uint32_t e_version;
    uint32_t e_entry;
    uint32_t e_phoff;
    uint32_t e_shoff;
    uint32_t e_flags;
    uint16_t e_ehsize;
    uint16_t e_phentsize;
    uint16_t e_phnum;
    uint16_t e_shentsize;
    uint16_t e_shnum;
    uint16_t e_shstrndx;
} _ElfHeader; /* NOLINT(bugprone-reserved-identifier) */

typedef struct ElfApiHandle ElfApiHandle;

ElfApiHandle* ElfApiInit(void);
int32_t ElfApiEnd(ElfApiHandle* handle);
int32_t ElfApiOpen(ElfApiHandle* handle, const char* path);
int32_t ElfApiClose(ElfApiHandle* handle);
int32_t ElfApiGetElfHeader(ElfApiHandle* handle, _ElfHeader* header);
int32_t ElfApiGetSymbol(ElfApiHandle* handle, _ElfSymbolInfo* info);
int32_t ElfApiSetSymbol(ElfApiHandle* handle, _ElfSymbolInfo* info);

/* Process-wide counters of what the layer did to image files, for benchmarks and diagnostics. */
typedef struct ElfApiStatistics {
    uint64_t symbolReads;  /* successful ElfApiGetSymbol calls */
    uint64_t symbolWrites; /* successful ElfApiSetSymbol calls */
    uint64_t bytesRead;    /* symbol bytes read from image files */
    uint64_t bytesWritten; /* bytes written to image files: the layer's only writes */
} ElfApiStatistics;

void ElfApiGetStatistics(ElfApiStatistics* statistics);
void ElfApiResetStatistics(void);

#ifdef __cplusplus
}
#endif

#endif /* PELNIX_ELFAPI_ELFAPI_H */
