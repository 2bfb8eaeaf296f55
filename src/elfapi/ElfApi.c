/* SPDX-License-Identifier: MIT */
#include "elfapi/ElfApi.h"

#include <errno.h>
#include <fcntl.h>
#include <gelf.h>
#include <libelf.h>
#include <limits.h>
#include <stdatomic.h>
#include <stdbool.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

struct ElfApiHandle {
    bool fileOpen; /* a zero-filled handle is closed, although descriptor 0 is a valid number */
    int fd;
    Elf* elf;
    Elf_Scn* symtab;
    GElf_Ehdr ehdr;
    GElf_Shdr symtabHdr;
};

/* Relaxed atomics: counters only, but a handle per thread must not make them a data race. */
static _Atomic(uint64_t) g_symbolReads;
static _Atomic(uint64_t) g_symbolWrites;
static _Atomic(uint64_t) g_bytesRead;
static _Atomic(uint64_t) g_bytesWritten;

static void Count(_Atomic(uint64_t)* counter, uint64_t amount) {
    atomic_fetch_add_explicit(counter, amount, memory_order_relaxed);
}

ElfApiHandle* ElfApiInit(void) {
    if (elf_version(EV_CURRENT) == EV_NONE) {
        return NULL;
    }
    return calloc(1, sizeof(ElfApiHandle));
}

static int32_t CloseImage(ElfApiHandle* handle) {
    if (!handle->fileOpen) {
        return ELFAPI_OK;
    }
    if (handle->elf != NULL) {
        elf_end(handle->elf);
        handle->elf = NULL;
        handle->symtab = NULL;
        memset(&handle->ehdr, 0, sizeof handle->ehdr);
        memset(&handle->symtabHdr, 0, sizeof handle->symtabHdr);
    }
    /* Linux releases the descriptor even when close reports an error; closing it again later
     * could close a descriptor that meanwhile belongs to someone else. */
    const int rc = close(handle->fd);
    handle->fileOpen = false;
    handle->fd = -1;
    return rc == 0 ? ELFAPI_OK : ELFAPI_ERR_FILE_CLOSE;
}

int32_t ElfApiEnd(ElfApiHandle* handle) {
    if (handle == NULL) {
        return ELFAPI_ERR_PARAMETER;
    }
    const int32_t rc = CloseImage(handle);
    if (rc != ELFAPI_OK) {
        return rc;
    }
    free(handle);
    return ELFAPI_OK;
}

int32_t ElfApiClose(ElfApiHandle* handle) {
    if (handle == NULL) {
        return ELFAPI_ERR_PARAMETER;
    }
    return CloseImage(handle);
}

static int32_t FailOpen(ElfApiHandle* handle, int32_t code) {
    CloseImage(handle);
    return code;
}

int32_t ElfApiOpen(ElfApiHandle* handle, const char* path) {
    if (handle == NULL || path == NULL) {
        return ELFAPI_ERR_PARAMETER;
    }
    const int32_t rc = CloseImage(handle);
    if (rc != ELFAPI_OK) {
        return rc;
    }
    if (handle->fileOpen) {
        return ELFAPI_ERR_STATUS;
    }

    /* O_NONBLOCK keeps a FIFO or a device from stalling the open; such files are refused below. */
    const int fd = open(path, O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return ELFAPI_ERR_FILE_OPEN;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        /* Only a regular file has a size that libelf can read to the end. */
        close(fd);
        return ELFAPI_ERR_FILE_OPEN;
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags != -1) {
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
    handle->fd = fd;
    handle->fileOpen = true;

    handle->elf = elf_begin(fd, ELF_C_READ, NULL);
    if (handle->elf == NULL) {
        return FailOpen(handle, ELFAPI_ERR_FILE_READ);
    }
    if (gelf_getehdr(handle->elf, &handle->ehdr) == NULL) {
        return FailOpen(handle, ELFAPI_ERR_UNSUPPORTED);
    }

    Elf_Scn* scn = NULL;
    while ((scn = elf_nextscn(handle->elf, scn)) != NULL) {
        if (gelf_getshdr(scn, &handle->symtabHdr) == NULL) {
            return FailOpen(handle, ELFAPI_ERR_FILE_READ);
        }
        if (handle->symtabHdr.sh_type == SHT_SYMTAB) {
            handle->symtab = scn;
            return ELFAPI_OK;
        }
    }
    return FailOpen(handle, ELFAPI_ERR_FILE_READ);
}

int32_t ElfApiGetElfHeader(ElfApiHandle* handle, _ElfHeader* header) {
    if (handle == NULL || header == NULL) {
        return ELFAPI_ERR_PARAMETER;
    }
    if (handle->elf == NULL) {
        return ELFAPI_ERR_STATUS;
    }
    const GElf_Ehdr* e = &handle->ehdr;
    memcpy(header->e_ident, e->e_ident, sizeof header->e_ident);
    header->e_type = e->e_type;
    header->e_machine = e->e_machine;
    header->e_version = e->e_version;
    header->e_entry = (uint32_t)e->e_entry;
    header->e_phoff = (uint32_t)e->e_phoff;
    header->e_shoff = (uint32_t)e->e_shoff;
    header->e_flags = e->e_flags;
    header->e_ehsize = e->e_ehsize;
    header->e_phentsize = e->e_phentsize;
    header->e_phnum = e->e_phnum;
    header->e_shentsize = e->e_shentsize;
    header->e_shnum = e->e_shnum;
    header->e_shstrndx = e->e_shstrndx;
    return ELFAPI_OK;
}

static bool ValidRequest(const ElfApiHandle* handle, const _ElfSymbolInfo* info) {
    /* The value holds at most 8 bytes; a larger or negative size would run past it. */
    return handle != NULL && info != NULL && info->name != NULL && info->size >= 0 && info->size <= 8;
}

/* Finds the first symbol named info->name whose section can be fetched, and the file position of
 * its bytes. The first match decides, even when it has no bytes in the file: a firmware image
 * whose parameter sits in .bss is not one we may patch. */
static int32_t LocateSymbol(ElfApiHandle* handle, const _ElfSymbolInfo* info, int32_t noBytesCode,
                            off_t* position) {
    if (handle->elf == NULL) {
        return ELFAPI_ERR_STATUS;
    }
    const uint64_t entrySize = handle->symtabHdr.sh_entsize;
    const uint64_t tableSize = handle->symtabHdr.sh_size;
    if (entrySize == 0 || tableSize == 0) {
        return ELFAPI_ERR_STATUS;
    }
    const uint64_t entries = tableSize / entrySize;

    Elf_Data* data = NULL;
    while ((data = elf_getdata(handle->symtab, data)) != NULL) {
        for (uint64_t i = 1; i < entries && i <= INT_MAX; ++i) {
            GElf_Sym sym;
            /* Fails only past the end of the block's bytes, and so for every later index: a
             * damaged sh_size must not turn into billions of futile look-ups. */
            if (gelf_getsym(data, (int)i, &sym) == NULL) {
                break;
            }
            const char* name = elf_strptr(handle->elf, handle->symtabHdr.sh_link, sym.st_name);
            /* Section and file symbols have an empty name; they never stand for a variable. */
            if (name == NULL || name[0] == '\0' || strcmp(name, info->name) != 0) {
                continue;
            }

            Elf_Scn* scn = elf_getscn(handle->elf, sym.st_shndx);
            GElf_Shdr shdr;
            if (scn == NULL || gelf_getshdr(scn, &shdr) == NULL) {
                continue;
            }
            if (shdr.sh_type != SHT_PROGBITS) {
                return noBytesCode;
            }

            /* The symbol's address mapped into the file, whatever address space the section is
             * linked to (AVR data lives at 0x800000 and up). */
            const uint32_t pos = (uint32_t)info->offset + (uint32_t)sym.st_value + (uint32_t)shdr.sh_offset -
                                 (uint32_t)shdr.sh_addr;

            /* A damaged or hostile image may place a symbol outside its section, or a section
             * beyond the end of the file; touching those bytes would patch an unrelated part of
             * the image or extend the file. */
            struct stat st;
            if (fstat(handle->fd, &st) != 0) {
                return noBytesCode;
            }
            const uint64_t sectionStart = shdr.sh_offset;
            if (shdr.sh_size > UINT64_MAX - sectionStart) {
                return noBytesCode;
            }
            const uint64_t sectionEnd = sectionStart + shdr.sh_size;
            const uint64_t end = (uint64_t)pos + (uint64_t)info->size;
            if (pos < sectionStart || end > sectionEnd || end > (uint64_t)st.st_size) {
                return noBytesCode;
            }
            *position = (off_t)pos;
            return ELFAPI_OK;
        }
    }
    return ELFAPI_ERR_UNKNOWN_SYMBOL;
}

/* What a read and a write of a symbol begin with: the request checked, the symbol found and
 * the file positioned at its bytes. noBytesCode is the failure for a symbol without bytes in the
 * file. */
static int32_t SeekSymbol(ElfApiHandle* handle, const _ElfSymbolInfo* info, int32_t noBytesCode) {
    if (!ValidRequest(handle, info)) {
        return ELFAPI_ERR_PARAMETER;
    }
    off_t position = 0;
    const int32_t rc = LocateSymbol(handle, info, noBytesCode, &position);
    if (rc != ELFAPI_OK) {
        return rc;
    }
    if (lseek(handle->fd, position, SEEK_SET) == (off_t)-1) {
        return ELFAPI_ERR_FILE_READ;
    }
    return ELFAPI_OK;
}

int32_t ElfApiGetSymbol(ElfApiHandle* handle, _ElfSymbolInfo* info) {
    const int32_t rc = SeekSymbol(handle, info, ELFAPI_ERR_FILE_READ);
    if (rc != ELFAPI_OK) {
        return rc;
    }
    unsigned char buffer[8] = {0};
    size_t done = 0;
    while (done < (size_t)info->size) {
        const ssize_t n = read(handle->fd, buffer + done, (size_t)info->size - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return ELFAPI_ERR_FILE_READ;
        }
        if (n == 0) {
            break; /* the bytes not read stay zero */
        }
        done += (size_t)n;
    }
    if (handle->ehdr.e_ident[EI_DATA] != ELFDATA2LSB) {
        return ELFAPI_ERR_FILE_READ;
    }

    uint64_t value = 0;
    for (int i = 7; i >= 0; --i) {
        value = (value << 8) | buffer[i];
    }
    info->data = value;
    Count(&g_symbolReads, 1);
    Count(&g_bytesRead, done);
    return ELFAPI_OK;
}

int32_t ElfApiSetSymbol(ElfApiHandle* handle, _ElfSymbolInfo* info) {
    const int32_t rc = SeekSymbol(handle, info, ELFAPI_ERR_FILE_WRITE);
    if (rc != ELFAPI_OK) {
        return rc;
    }
    if (handle->ehdr.e_ident[EI_DATA] != ELFDATA2LSB) {
        return ELFAPI_ERR_FILE_WRITE;
    }

    unsigned char buffer[8];
    for (int i = 0; i < 8; ++i) {
        buffer[i] = (unsigned char)(info->data >> (8 * i));
    }
    size_t done = 0;
    while (done < (size_t)info->size) {
        const ssize_t n = write(handle->fd, buffer + done, (size_t)info->size - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        /* A write that stops short (a full disk) leaves the value half stored: that is a failure,
         * never a success. */
        if (n <= 0) {
            Count(&g_bytesWritten, done);
            return ELFAPI_ERR_FILE_WRITE;
        }
        done += (size_t)n;
    }
    Count(&g_symbolWrites, 1);
    Count(&g_bytesWritten, done);
    return ELFAPI_OK;
}

void ElfApiGetStatistics(ElfApiStatistics* statistics) {
    if (statistics == NULL) {
        return;
    }
    statistics->symbolReads = atomic_load_explicit(&g_symbolReads, memory_order_relaxed);
    statistics->symbolWrites = atomic_load_explicit(&g_symbolWrites, memory_order_relaxed);
    statistics->bytesRead = atomic_load_explicit(&g_bytesRead, memory_order_relaxed);
    statistics->bytesWritten = atomic_load_explicit(&g_bytesWritten, memory_order_relaxed);
}

void ElfApiResetStatistics(void) {
    atomic_store_explicit(&g_symbolReads, 0, memory_order_relaxed);
    atomic_store_explicit(&g_symbolWrites, 0, memory_order_relaxed);
    atomic_store_explicit(&g_bytesRead, 0, memory_order_relaxed);
    atomic_store_explicit(&g_bytesWritten, 0, memory_order_relaxed);
}
