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

using orlith::zipglue::symbol;

// Each call finds its function once. Without the library, zip_open fails and nothing else
// is reached; the rest still answer as a failing call would.

zip_t *zip_open(const char *path, int flags, int *errorp)
{
    static const auto real = symbol<decltype(&zip_open)>("zip_open");
    if (real)
        return real(path, flags, errorp);
    if (errorp)
        *errorp = ZIP_ER_INTERNAL;
    return nullptr;
}

int zip_close(zip_t *za)
{
    static const auto real = symbol<decltype(&zip_close)>("zip_close");
    return real ? real(za) : -1;
}

void zip_discard(zip_t *za)
{
    static const auto real = symbol<decltype(&zip_discard)>("zip_discard");
    if (real)
        real(za);
}

int zip_delete(zip_t *za, zip_uint64_t index)
{
    static const auto real = symbol<decltype(&zip_delete)>("zip_delete");
    return real ? real(za, index) : -1;
}

zip_int64_t zip_dir_add(zip_t *za, const char *name, zip_flags_t flags)
{
    static const auto real = symbol<decltype(&zip_dir_add)>("zip_dir_add");
    return real ? real(za, name, flags) : -1;
}

zip_int64_t zip_file_add(zip_t *za, const char *name, zip_source_t *source, zip_flags_t flags)
{
    static const auto real = symbol<decltype(&zip_file_add)>("zip_file_add");
    return real ? real(za, name, source, flags) : -1;
}

int zip_file_set_encryption(zip_t *za, zip_uint64_t index, zip_uint16_t method,
                            const char *password)
{
    static const auto real = symbol<decltype(&zip_file_set_encryption)>("zip_file_set_encryption");
    return real ? real(za, index, method, password) : -1;
}

int zip_file_set_mtime(zip_t *za, zip_uint64_t index, time_t mtime, zip_flags_t flags)
{
    static const auto real = symbol<decltype(&zip_file_set_mtime)>("zip_file_set_mtime");
    return real ? real(za, index, mtime, flags) : -1;
}

int zip_encryption_method_supported(zip_uint16_t method, int encode)
{
    static const auto real =
        symbol<decltype(&zip_encryption_method_supported)>("zip_encryption_method_supported");
    return real ? real(method, encode) : 0;
}

int zip_set_archive_comment(zip_t *za, const char *comment, zip_uint16_t length)
{
    static const auto real = symbol<decltype(&zip_set_archive_comment)>("zip_set_archive_comment");
    return real ? real(za, comment, length) : -1;
}

zip_source_t *zip_source_buffer(zip_t *za, const void *data, zip_uint64_t length, int freep)
{
    static const auto real = symbol<decltype(&zip_source_buffer)>("zip_source_buffer");
    return real ? real(za, data, length, freep) : nullptr;
}

zip_source_t *zip_source_file(zip_t *za, const char *path, zip_uint64_t start, zip_int64_t length)
{
    static const auto real = symbol<decltype(&zip_source_file)>("zip_source_file");
    return real ? real(za, path, start, length) : nullptr;
}

void zip_source_free(zip_source_t *source)
{
    static const auto real = symbol<decltype(&zip_source_free)>("zip_source_free");
    if (real)
        real(source);
}

zip_int64_t zip_get_num_entries(zip_t *za, zip_flags_t flags)
{
    static const auto real = symbol<decltype(&zip_get_num_entries)>("zip_get_num_entries");
    return real ? real(za, flags) : -1;
}

const char *zip_get_name(zip_t *za, zip_uint64_t index, zip_flags_t flags)
{
    static const auto real = symbol<decltype(&zip_get_name)>("zip_get_name");
    return real ? real(za, index, flags) : nullptr;
}

zip_int64_t zip_name_locate(zip_t *za, const char *name, zip_flags_t flags)
{
    static const auto real = symbol<decltype(&zip_name_locate)>("zip_name_locate");
    return real ? real(za, name, flags) : -1;
}

void zip_stat_init(zip_stat_t *st)
{
    static const auto real = symbol<decltype(&zip_stat_init)>("zip_stat_init");
    if (real)
        real(st);
}

int zip_stat_index(zip_t *za, zip_uint64_t index, zip_flags_t flags, zip_stat_t *st)
{
    static const auto real = symbol<decltype(&zip_stat_index)>("zip_stat_index");
    return real ? real(za, index, flags, st) : -1;
}

zip_file_t *zip_fopen_index(zip_t *za, zip_uint64_t index, zip_flags_t flags)
{
    static const auto real = symbol<decltype(&zip_fopen_index)>("zip_fopen_index");
    return real ? real(za, index, flags) : nullptr;
}

zip_file_t *zip_fopen_index_encrypted(zip_t *za, zip_uint64_t index, zip_flags_t flags,
                                      const char *password)
{
    static const auto real =
        symbol<decltype(&zip_fopen_index_encrypted)>("zip_fopen_index_encrypted");
    return real ? real(za, index, flags, password) : nullptr;
}

zip_int64_t zip_fread(zip_file_t *file, void *buffer, zip_uint64_t length)
{
    static const auto real = symbol<decltype(&zip_fread)>("zip_fread");
    return real ? real(file, buffer, length) : -1;
}

int zip_fclose(zip_file_t *file)
{
    static const auto real = symbol<decltype(&zip_fclose)>("zip_fclose");
    return real ? real(file) : -1;
}

const char *zip_strerror(zip_t *za)
{
    static const auto real = symbol<decltype(&zip_strerror)>("zip_strerror");
    return real ? real(za) : "the zip library is not loaded";
}

const char *zip_file_strerror(zip_file_t *file)
{
    static const auto real = symbol<decltype(&zip_file_strerror)>("zip_file_strerror");
    return real ? real(file) : "the zip library is not loaded";
}

void zip_error_init_with_code(zip_error_t *error, int code)
{
    static const auto real = symbol<decltype(&zip_error_init_with_code)>("zip_error_init_with_code");
    if (real)
        real(error, code);
}

const char *zip_error_strerror(zip_error_t *error)
{
    static const auto real = symbol<decltype(&zip_error_strerror)>("zip_error_strerror");
    return real ? real(error) : "the zip library is not loaded";
}

void zip_error_fini(zip_error_t *error)
{
    static const auto real = symbol<decltype(&zip_error_fini)>("zip_error_fini");
    if (real)
        real(error);
}

const char *zip_libzip_version()
{
    static const auto real = symbol<decltype(&zip_libzip_version)>("zip_libzip_version");
    return real ? real() : "";
}
