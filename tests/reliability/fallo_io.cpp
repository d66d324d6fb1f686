// A failing-call shim, loaded with LD_PRELOAD: the Nth call of write, fsync, rename or close made on a file
// under one directory fails with a chosen error, as a failing disk would make it fail. Only regular files
// open for writing under LUMBRE_FALLO_DIR count (and renames into it), so reads and the toolkit's own
// descriptors are never touched.
//
// Armed from the environment at load (LUMBRE_FALLO_DIR, LUMBRE_FALLO_LLAMADA = write|fsync|rename|close,
// LUMBRE_FALLO_N, LUMBRE_FALLO_ERRNO as a number) or at run time through lumbre_fallo_armar, found with
// dlsym; lumbre_fallo_disparos tells how many calls were failed so far.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {
void lumbre_fallo_armar(const char* dir, const char* cual, long n, int error);
long lumbre_fallo_disparos(void);
ssize_t write(int fd, const void* datos, size_t n);
int fsync(int fd);
int close(int fd);
int rename(const char* desde, const char* hacia);
}

namespace {

char directorio[PATH_MAX];
char llamada[16];
long restantes = 0; // calls to let through before failing; 0 when disarmed
int numeroDeError = EIO;
long disparos = 0;

} // namespace

void lumbre_fallo_armar(const char* dir, const char* cual, long n, int error) {
    snprintf(directorio, sizeof directorio, "%s", dir ? dir : "");
    snprintf(llamada, sizeof llamada, "%s", cual ? cual : "");
    restantes = n;
    numeroDeError = error;
}

long lumbre_fallo_disparos(void) {
    return disparos;
}

namespace {

__attribute__((constructor)) void armarDesdeEntorno() {
    const char* dir = getenv("LUMBRE_FALLO_DIR");
    const char* cual = getenv("LUMBRE_FALLO_LLAMADA");
    const char* n = getenv("LUMBRE_FALLO_N");
    const char* e = getenv("LUMBRE_FALLO_ERRNO");
    if (dir && cual && n)
        lumbre_fallo_armar(dir, cual, atol(n), e ? atoi(e) : EIO);
}

int bajoDirectorio(const char* ruta) {
    const size_t n = strlen(directorio);
    return n > 0 && strncmp(ruta, directorio, n) == 0 && (ruta[n] == '/' || ruta[n] == '\0');
}

int descriptorBajoDirectorio(int fd) {
    char enlace[64], ruta[PATH_MAX];
    snprintf(enlace, sizeof enlace, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(enlace, ruta, sizeof ruta - 1);
    if (n <= 0)
        return 0;
    ruta[n] = '\0';
    struct stat st {};
    const int modo = fcntl(fd, F_GETFL);
    return bajoDirectorio(ruta) && fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && modo >= 0 &&
           (modo & O_ACCMODE) != O_RDONLY;
}

template <class F> F siguiente(const char* nombre) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, nombre));
}

} // namespace

// True when this call is the one to fail.
int toca(const char* cual, int cuenta) {
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
        real = siguiente<ssize_t (*)(int, const void*, size_t)>("write");
    if (restantes > 0 && toca("write", descriptorBajoDirectorio(fd))) {
        errno = numeroDeError;
        return -1;
    }
    return real(fd, datos, n);
}

int fsync(int fd) {
    static int (*real)(int);
    if (!real)
        real = siguiente<int (*)(int)>("fsync");
    if (restantes > 0 && toca("fsync", descriptorBajoDirectorio(fd))) {
        errno = numeroDeError;
        return -1;
    }
    return real(fd);
}

int close(int fd) {
    static int (*real)(int);
    if (!real)
        real = siguiente<int (*)(int)>("close");
    if (restantes > 0 && toca("close", descriptorBajoDirectorio(fd))) {
        // Linux frees the descriptor even when close fails.
        real(fd);
        errno = numeroDeError;
        return -1;
    }
    return real(fd);
}

int rename(const char* desde, const char* hacia) {
    static int (*real)(const char*, const char*);
    if (!real)
        real = siguiente<int (*)(const char*, const char*)>("rename");
    if (restantes > 0 && toca("rename", bajoDirectorio(hacia))) {
        errno = numeroDeError;
        return -1;
    }
    return real(desde, hacia);
}
