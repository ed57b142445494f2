// Orlith — desktop catalogue of removable media.
#pragma once

#include <QString>

namespace orlith {

// Outcome of an operation on the store: empty error means success. The error names the
// operation and the path, ready to show the user.
struct [[nodiscard]] StoreResult
{
    QString error;

    bool ok() const { return error.isEmpty(); }
    explicit operator bool() const { return ok(); }

    static StoreResult success() { return {}; }
    static StoreResult failure(QString message) { return {std::move(message)}; }
};

} // namespace orlith
