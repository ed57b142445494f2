// Orlith — desktop catalogue of removable media.
#pragma once

#include <QString>
#include <QStringList>

namespace orlith {

// The one outcome of everything that can fail in an ordinary way: empty error means
// success. The error names the operation and the path, ready to show the user. `warnings`
// name parts skipped after the change itself was made (a picture that could not be moved, a
// notes record that could not be updated).
struct [[nodiscard]] StoreResult
{
    QString error;
    QStringList warnings = {};

    bool ok() const { return error.isEmpty(); }
    explicit operator bool() const { return ok(); }

    static StoreResult success() { return {}; }
    static StoreResult failure(QString message) { return {std::move(message), {}}; }
};

// A StoreResult that carries what the operation produced, valid when it succeeded.
template <typename T> struct [[nodiscard]] StoreValue : StoreResult
{
    T value{};

    static StoreValue success(T v)
    {
        StoreValue r;
        r.value = std::move(v);
        return r;
    }
    static StoreValue failure(QString message)
    {
        StoreValue r;
        r.error = std::move(message);
        return r;
    }
};

} // namespace orlith
