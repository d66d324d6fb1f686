#include "historial/git.h"

#include <fstream>
#include <mutex>

namespace fs = std::filesystem;

namespace historial::detalle {

void iniciar() {
    static std::once_flag una;
    std::call_once(una, [] {
        git_libgit2_init();
        git_libgit2_opts(GIT_OPT_ENABLE_FSYNC_GITDIR, 1);
        git_libgit2_opts(GIT_OPT_SET_OWNER_VALIDATION, 0);
        // The tree of a 100,000-article directory is about 4 MB and every save starts from the last one: trees
        // are kept in the object cache whatever their size, and an object read is not hashed again (git fsck
        // checks that).
        git_libgit2_opts(GIT_OPT_SET_CACHE_OBJECT_LIMIT, GIT_OBJECT_TREE, static_cast<size_t>(64) << 20);
        git_libgit2_opts(GIT_OPT_SET_CACHE_MAX_SIZE, static_cast<ssize_t>(256) << 20);
        git_libgit2_opts(GIT_OPT_ENABLE_STRICT_HASH_VERIFICATION, 0);
    });
}

std::string ultimoError() {
    const git_error* e = git_error_last();
    return e && e->message ? std::string(e->message) : std::string("error del repositorio");
}

std::string hex(const git_oid& id) {
    char texto[GIT_OID_HEXSZ + 1];
    git_oid_tostr(texto, sizeof texto, &id);
    return texto;
}

bool crearRepositorio(const fs::path& directorio) {
    git_repository_init_options opciones = GIT_REPOSITORY_INIT_OPTIONS_INIT;
    opciones.flags = GIT_REPOSITORY_INIT_NO_REINIT;
    opciones.workdir_path = directorio.c_str();
    opciones.initial_head = "principal";
    const fs::path git = directorio / ".git";
    git_repository* repo = nullptr;
    if (git_repository_init_ext(&repo, git.c_str(), &opciones) != 0) {
        return false;
    }
    bool bien = true;
    git_config* config = nullptr;
    if (git_repository_config(&config, repo) == 0) {
        bien = git_config_set_bool(config, "core.autocrlf", 0) == 0 &&
               git_config_set_bool(config, "core.safecrlf", 0) == 0 &&
               git_config_set_string(config, "core.eol", "lf") == 0;
        git_config_free(config);
    } else {
        bien = false;
    }
    git_repository_free(repo);
    std::error_code e;
    fs::create_directories(git / "info", e);
    // Every file is binary to git: no line-end or encoding conversion, no textual diff or merge driver, no filter.
    std::ofstream atributos(git / "info" / "attributes", std::ios::binary | std::ios::trunc);
    atributos << "* -text -diff -merge -ident -filter -eol\n";
    std::ofstream excluidos(git / "info" / "exclude", std::ios::binary | std::ios::trunc);
    excluidos << "# Rewritten by the viewer on every reading: never versioned.\n"
                 "/[Uu][Ll][Tt][Ii][Mm][Oo].[Dd][Aa][Tt]\n"
                 "# The store's temporary files, present only while a file is being written.\n"
                 ".lumbre-*\n";
    return bien && atributos.good() && excluidos.good();
}

} // namespace historial::detalle
