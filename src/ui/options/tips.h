// Orlith — desktop catalogue of removable media.
#pragma once

#include <QString>

#include <functional>

namespace orlith {

inline constexpr int kTipCount = 16;

// Tip k (0 to 15); a tip of two parts has them joined by "\n". Empty for any other k.
QString tipText(int k);

// The tip window's caption for tip k: "Tip of the day #" + (k + 1).
QString tipCaption(int k);

// The tip a random number r in [0, 1) picks: r * 15 rounded to the nearest whole number,
// halves to even, so 0 and 15 come up half as often as the others. Clamped to 0..15.
int tipNumberFor(double r);

// Chooses the next tip at random, never the one shown last.
class TipPicker
{
public:
    // Returns a number in [0, 1); tests script it.
    using RandomSource = std::function<double()>;

    // The last tip number before any tip is shown: no tip.
    static constexpr int kNoTip = 20;

    // An empty source uses the global generator, seeded by Qt from the system.
    explicit TipPicker(RandomSource random = {});

    // Draws until the tip differs from the last one shown, makes it the last, returns it.
    int next();
    int last() const { return m_last; }

private:
    RandomSource m_random;
    qint16 m_last = kNoTip;
};

} // namespace orlith
