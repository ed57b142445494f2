// Orlith — desktop catalogue of removable media.
// Sums of sizes read from disc files. A disc file may hold any 64-bit size, so a plain sum
// can overflow (undefined, and shown as a negative total); these stop at the qint64 limits
// instead, which no real store comes near.
#pragma once

#include <QtGlobal>

#include <limits>

namespace orlith {

[[nodiscard]] inline qint64 addSizes(qint64 a, qint64 b)
{
    qint64 sum;
    if (__builtin_add_overflow(a, b, &sum))
        return a < 0 ? std::numeric_limits<qint64>::min() : std::numeric_limits<qint64>::max();
    return sum;
}

[[nodiscard]] inline qint64 multiplySize(qint64 count, qint64 size)
{
    qint64 product;
    if (__builtin_mul_overflow(count, size, &product))
        return (count < 0) != (size < 0) ? std::numeric_limits<qint64>::min()
                                         : std::numeric_limits<qint64>::max();
    return product;
}

} // namespace orlith
