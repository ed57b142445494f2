// Orlith — desktop catalogue of removable media.
// libzip is loaded when an archive is first opened, not at every start: with libcrypto and
// the compressors it pulls in, linking it costs each start of either program about a
// millisecond of loading and relocation for a job most runs never do. The libzip calls the
// zip classes make are defined here under their own names and forward to the library.
#include "zip_library.h"

#include <QString>

#include <dlfcn.h>
#include <zip.h>

namespace orlith::zipglue {

namespace {

struct Library
{
    void *handle = nullptr;
    QString error;
};

const Library &library()
{
    static const Library loaded = [] {
        Library l;
        l.handle = dlopen(ORLITH_LIBZIP_SONAME, RTLD_NOW | RTLD_LOCAL);
        if (!l.handle)
            l.error = QString::fromLocal8Bit(dlerror());
        return l;
    }();
    return loaded;
}

// The library's function of that name, or null when the library could not be loaded.
template <typename Function>
Function symbol(const char *name)
{
    void *handle = library().handle;
    return handle ? reinterpret_cast<Function>(dlsym(handle, name)) : nullptr;
}

} // namespace

bool zipLibraryLoaded(QString *why)
{
    const Library &l = library();
    if (!l.handle && why)
        *why = QStringLiteral("The zip library %1 cannot be loaded: %2")
                   .arg(QLatin1String(ORLITH_LIBZIP_SONAME), l.error);
    return l.handle != nullptr;
}

} // namespace orlith::zipglue

namespace {

// Calls the library's function of that name, found once per function, or answers `failed`
// as a failing call would when the library could not be loaded.
template <auto Declared, typename Result, typename... Args>
Result forward(const char *name, Result failed, Args... args)
{
    static const auto real = orlith::zipglue::symbol<decltype(Declared)>(name);
    return real ? real(args...) : failed;
}

template <auto Declared, typename... Args>
void forwardVoid(const char *name, Args... args)
{
    static const auto real = orlith::zipglue::symbol<decltype(Declared)>(name);
    if (real)
        real(args...);
}

constexpr const char *kNotLoaded = "the zip library is not loaded";

} // namespace

// Without the library zip_open fails, so nothing else is reached.

zip_t *zip_open(const char *path, int flags, int *errorp)
{
    zip_t *za = forward<&zip_open>("zip_open", static_cast<zip_t *>(nullptr), path, flags, errorp);
    if (!za && errorp && !orlith::zipglue::zipLibraryLoaded())
        *errorp = ZIP_ER_INTERNAL;
    return za;
}

int zip_close(zip_t *za) { return forward<&zip_close>("zip_close", -1, za); }
void zip_discard(zip_t *za) { forwardVoid<&zip_discard>("zip_discard", za); }
int zip_delete(zip_t *za, zip_uint64_t index)
{
    return forward<&zip_delete>("zip_delete", -1, za, index);
}
zip_int64_t zip_dir_add(zip_t *za, const char *name, zip_flags_t flags)
{
    return forward<&zip_dir_add>("zip_dir_add", zip_int64_t(-1), za, name, flags);
}
zip_int64_t zip_file_add(zip_t *za, const char *name, zip_source_t *source, zip_flags_t flags)
{
    return forward<&zip_file_add>("zip_file_add", zip_int64_t(-1), za, name, source, flags);
}
int zip_file_set_encryption(zip_t *za, zip_uint64_t index, zip_uint16_t method,
                            const char *password)
{
    return forward<&zip_file_set_encryption>("zip_file_set_encryption", -1, za, index, method,
                                             password);
}
int zip_file_set_mtime(zip_t *za, zip_uint64_t index, time_t mtime, zip_flags_t flags)
{
    return forward<&zip_file_set_mtime>("zip_file_set_mtime", -1, za, index, mtime, flags);
}
int zip_encryption_method_supported(zip_uint16_t method, int encode)
{
    return forward<&zip_encryption_method_supported>("zip_encryption_method_supported", 0,
                                                     method, encode);
}
int zip_set_archive_comment(zip_t *za, const char *comment, zip_uint16_t length)
{
    return forward<&zip_set_archive_comment>("zip_set_archive_comment", -1, za, comment, length);
}
zip_source_t *zip_source_buffer(zip_t *za, const void *data, zip_uint64_t length, int freep)
{
    return forward<&zip_source_buffer>("zip_source_buffer", static_cast<zip_source_t *>(nullptr),
                                       za, data, length, freep);
}
zip_source_t *zip_source_file(zip_t *za, const char *path, zip_uint64_t start, zip_int64_t length)
{
    return forward<&zip_source_file>("zip_source_file", static_cast<zip_source_t *>(nullptr), za,
                                     path, start, length);
}
void zip_source_free(zip_source_t *source)
{
    forwardVoid<&zip_source_free>("zip_source_free", source);
}
zip_int64_t zip_get_num_entries(zip_t *za, zip_flags_t flags)
{
    return forward<&zip_get_num_entries>("zip_get_num_entries", zip_int64_t(-1), za, flags);
}
const char *zip_get_name(zip_t *za, zip_uint64_t index, zip_flags_t flags)
{
    return forward<&zip_get_name>("zip_get_name", static_cast<const char *>(nullptr), za, index,
                                  flags);
}
zip_int64_t zip_name_locate(zip_t *za, const char *name, zip_flags_t flags)
{
    return forward<&zip_name_locate>("zip_name_locate", zip_int64_t(-1), za, name, flags);
}
void zip_stat_init(zip_stat_t *st) { forwardVoid<&zip_stat_init>("zip_stat_init", st); }
int zip_stat_index(zip_t *za, zip_uint64_t index, zip_flags_t flags, zip_stat_t *st)
{
    return forward<&zip_stat_index>("zip_stat_index", -1, za, index, flags, st);
}
zip_file_t *zip_fopen_index(zip_t *za, zip_uint64_t index, zip_flags_t flags)
{
    return forward<&zip_fopen_index>("zip_fopen_index", static_cast<zip_file_t *>(nullptr), za,
                                     index, flags);
}
zip_file_t *zip_fopen_index_encrypted(zip_t *za, zip_uint64_t index, zip_flags_t flags,
                                      const char *password)
{
    return forward<&zip_fopen_index_encrypted>("zip_fopen_index_encrypted",
                                               static_cast<zip_file_t *>(nullptr), za, index,
                                               flags, password);
}
zip_int64_t zip_fread(zip_file_t *file, void *buffer, zip_uint64_t length)
{
    return forward<&zip_fread>("zip_fread", zip_int64_t(-1), file, buffer, length);
}
int zip_fclose(zip_file_t *file) { return forward<&zip_fclose>("zip_fclose", -1, file); }
const char *zip_strerror(zip_t *za)
{
    return forward<&zip_strerror>("zip_strerror", kNotLoaded, za);
}
const char *zip_file_strerror(zip_file_t *file)
{
    return forward<&zip_file_strerror>("zip_file_strerror", kNotLoaded, file);
}
void zip_error_init_with_code(zip_error_t *error, int code)
{
    forwardVoid<&zip_error_init_with_code>("zip_error_init_with_code", error, code);
}
const char *zip_error_strerror(zip_error_t *error)
{
    return forward<&zip_error_strerror>("zip_error_strerror", kNotLoaded, error);
}
void zip_error_fini(zip_error_t *error)
{
    forwardVoid<&zip_error_fini>("zip_error_fini", error);
}
const char *zip_libzip_version()
{
    return forward<&zip_libzip_version>("zip_libzip_version", "");
}
