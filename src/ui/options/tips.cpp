// Orlith — desktop catalogue of removable media.
#include "ui/options/tips.h"

#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <cmath>

namespace orlith {

namespace {

const std::array<QString, kTipCount> &tips()
{
    static const std::array<QString, kTipCount> texts = {
        QStringLiteral("For making new catalog go to\nFile -> New -> Catalog..."),
        QStringLiteral("For making new CD/DVD go to\nFile -> New -> CD/DVD..."),
        QStringLiteral("You must decide what to search before clicking on Search button.Click on "
                       "Catalogs to search all CDs/DVDs, click on catalog name to search that "
                       "catalog, click on CD/DVD name to search it."),
        QStringLiteral("All listed files can be saved as new CD/DVD for easier access later.\n"
                       "To do this go to: Tools -> Save list..."),
        QStringLiteral("When you find your file you can open it in default application direct "
                       "from the list.\nTo do this go to: File -> Open file."),
        QStringLiteral("To find, for example, all MP3 files first click on Catalogs (to search "
                       "all CD/DVD) then enter search string \".mp3\", without quotes, and click "
                       "Search button."),
        QStringLiteral("You can easily share your files because they are saved in XML format."),
        QStringLiteral("When receive files in XML format just copy them to ProgramDirectory/cds/ "
                       "and Orlith will automaticly detect them when started next time."),
        QStringLiteral("Don't forget to archive your CDs/DVDs.That way you will have backup in "
                       "case of emergency.\nTo do this go to: Tools -> Archive..."),
        QStringLiteral("Attach CD/DVD picture to its name.\nSuggestion: Optimize picture before."),
        QStringLiteral("Export your CD/DVD to CSV, HTML, SQL, XLS and Text file."),
        QStringLiteral("Orlith status can be monitored in status bar."),
        QStringLiteral("Click on list view header to sort files ascending or descending."),
        QStringLiteral("Support Orlith just by visiting our website!\nEasiest way is through "
                       "menu: Help -> Orlith home page."),
        QStringLiteral("Enter personal notes for CDs/DVDs. Notes will be automatically saved when "
                       "you, for example, click on another CD/DVD."),
        QStringLiteral("Adjust personal colors for seven different file types.\nTo do this go "
                       "to: Tools -> Options..."),
    };
    return texts;
}

// A source that keeps returning the last tip would never let next() end; after this many
// draws the following tip is taken instead.
constexpr int kMaxDraws = 1000;

} // namespace

QString tipText(int k)
{
    if (k < 0 || k >= kTipCount)
        return {};
    return tips()[k];
}

QString tipCaption(int k)
{
    return QStringLiteral("Tip of the day #") + QString::number(k + 1);
}

int tipNumberFor(double r)
{
    if (!(r > 0.0)) // negatives and NaN too
        return 0;
    const double x = std::min(r * (kTipCount - 1), double(kTipCount - 1));
    const double whole = std::floor(x);
    const double fraction = x - whole;
    double k = whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0))
        k = whole + 1;
    return std::min(static_cast<int>(k), kTipCount - 1);
}

TipPicker::TipPicker(RandomSource random) : m_random(std::move(random))
{
    if (!m_random)
        m_random = [] { return QRandomGenerator::global()->generateDouble(); };
}

int TipPicker::next()
{
    int k = tipNumberFor(m_random());
    for (int draws = 1; k == m_last; ++draws)
        k = draws < kMaxDraws ? tipNumberFor(m_random()) : (m_last + 1) % kTipCount;
    m_last = static_cast<qint16>(k);
    return k;
}

} // namespace orlith
