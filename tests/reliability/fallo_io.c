/* A failing-call shim, loaded with LD_PRELOAD: the Nth call of write, fsync, rename or close made on a file
 * under one directory fails with a chosen error, as a failing disk would make it fail. Only files under
 * LUMBRE_FALLO_DIR count, so the toolkit's own descriptors are never touched.
 *
 * Armed from the environment at load (LUMBRE_FALLO_DIR, LUMBRE_FALLO_LLAMADA = write|fsync|rename|close,
 * LUMBRE_FALLO_N, LUMBRE_FALLO_ERRNO as a number) or at run time through lumbre_fallo_armar, found with
 * dlsym; lumbre_fallo_disparos tells how many calls were failed so far. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static char directorio[PATH_MAX];
static char llamada[16];
static long restantes = 0; /* calls to let through before failing; 0 when disarmed */
static int numeroDeError = EIO;
static long disparos = 0;

static void armarDesdeEntorno(void) __attribute__((constructor));

void lumbre_fallo_armar(const char* dir, const char* cual, long n, int error) {
    snprintf(directorio, sizeof directorio, "%s", dir ? dir : "");
    snprintf(llamada, sizeof llamada, "%s", cual ? cual : "");
    restantes = n;
    numeroDeError = error;
}

long lumbre_fallo_disparos(void) {
    return disparos;
}

static void armarDesdeEntorno(void) {
    const char* dir = getenv("LUMBRE_FALLO_DIR");
    const char* cual = getenv("LUMBRE_FALLO_LLAMADA");
    const char* n = getenv("LUMBRE_FALLO_N");
    const char* e = getenv("LUMBRE_FALLO_ERRNO");
    if (dir && cual && n)
        lumbre_fallo_armar(dir, cual, atol(n), e ? atoi(e) : EIO);
}

static int bajoDirectorio(const char* ruta) {
    const size_t n = strlen(directorio);
    return n > 0 && strncmp(ruta, directorio, n) == 0 && (ruta[n] == '/' || ruta[n] == '\0');
}

static int descriptorBajoDirectorio(int fd) {
    char enlace[64], ruta[PATH_MAX];
    snprintf(enlace, sizeof enlace, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(enlace, ruta, sizeof ruta - 1);
    if (n <= 0)
        return 0;
    ruta[n] = '\0';
    return bajoDirectorio(ruta);
}

/* True when this call is the one to fail. */
static int toca(const char* cual, int cuenta) {
    if (restantes <= 0 || strcmp(llamada, cual) != 0 || !cuenta)
        return 0;
    if (--restantes > 0)
        return 0;
    ++disparos;
    return 1;
}

ssize_t write(int fd, const void* datos, size_t n) {
    static ssize_t (*real)(int, const void*, size_t);
    if (!real)
        real = (ssize_t(*)(int, const void*, size_t))dlsym(RTLD_NEXT, "write");
    if (restantes > 0 && toca("write", descriptorBajoDirectorio(fd))) {
        errno = numeroDeError;
        return -1;
    }
    return real(fd, datos, n);
}

int fsync(int fd) {
    static int (*real)(int);
    if (!real)
        real = (int (*)(int))dlsym(RTLD_NEXT, "fsync");
    if (restantes > 0 && toca("fsync", descriptorBajoDirectorio(fd))) {
        errno = numeroDeError;
        return -1;
    }
    return real(fd);
}

int close(int fd) {
    static int (*real)(int);
    if (!real)
        real = (int (*)(int))dlsym(RTLD_NEXT, "close");
    if (restantes > 0 && toca("close", descriptorBajoDirectorio(fd))) {
        /* Linux frees the descriptor even when close fails. */
        real(fd);
        errno = numeroDeError;
        return -1;
    }
    return real(fd);
}

int rename(const char* desde, const char* hacia) {
    static int (*real)(const char*, const char*);
    if (!real)
        real = (int (*)(const char*, const char*))dlsym(RTLD_NEXT, "rename");
    if (restantes > 0 && toca("rename", bajoDirectorio(hacia))) {
        errno = numeroDeError;
        return -1;
    }
    return real(desde, hacia);
}
