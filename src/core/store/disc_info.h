// Orlith — desktop catalogue of removable media.
// What a disc file records of the medium itself and of where the user keeps it: one
// <disc_info …/> line after the catalog line. Readers of entries compare a line's first 11
// characters with the entry tags and skip this one; the catalog reader stops at the catalog
// line before it.
#pragma once

#include "core/store/store_result.h"

#include <QByteArray>
#include <QString>

namespace orlith {

struct DiscIdentity;

struct DiscInfo
{
    QString label;
    QString uuid;
    QString fsType;
    qint64 capacity = -1; // bytes; -1 when unknown
    qint64 free = -1;
    QString media;    // CD-R, DVD+R, … when the system told
    QString drive;    // the drive it was read in: vendor and model, when the system told
    QString location; // typed by the user: shelf, box, sleeve
    QString number;   // typed by the user: free text, "A12"

    bool isEmpty() const;
    // The fields the medium gave (not location and number).
    bool hasMedium() const;
    bool operator==(const DiscInfo &) const = default;
};

// Longest value kept, in characters: the line stays far below the readers' line limit.
inline constexpr qsizetype kMaxDiscInfoValue = 1000;

// `<disc_info label="…" … number="…"/>` without a line end; empty for an empty info. `drive`
// is written only when known, so lines of media probed without it stay as they were.
// Values are escaped (& < > " and control characters) and cut at kMaxDiscInfoValue; the
// line is encoded as one single-byte value (ISO-8859-1 when it fits, else UTF-8).
QByteArray discInfoLine(const DiscInfo &info);
// Reads a line (spaces around it allowed, line end removed); false when it is not one.
bool parseDiscInfoLine(QByteArrayView line, DiscInfo &info);

// The info line of a disc file's bytes; empty when it has none. Only the head of the file
// is looked at: the line comes before the first entry.
DiscInfo readDiscInfo(QByteArrayView discFile);
// Same, from a file; a missing or unreadable file has an empty info.
DiscInfo readDiscInfoFromFile(const QString &path);

// The disc file's bytes with its info line replaced by `info` (removed when empty), put
// right after the catalog line; every other line is kept byte for byte. False when the
// file has no catalog line.
bool replaceDiscInfo(const QByteArray &discFile, const DiscInfo &info, QByteArray &out);

// Under the store lock: the disc's location and number set, when its file is still as
// `expected` says (else discChangedMessage and nothing written). Rewrites the file whole
// through a temporary file; `written`, when given, receives the new file's identity.
StoreResult saveDiscPlace(const QString &programFolder, const QString &disc,
                          const QString &location, const QString &number,
                          const DiscIdentity &expected, DiscIdentity *written = nullptr);

// A catalogued disc a medium is, by UUID first, then by label and capacity together.
struct MediumMatch
{
    QString disc;
    QString catalog;
    bool found() const { return !disc.isEmpty(); }
};
// Looks through every disc file in cds/; `probed` holds what the medium says of itself.
MediumMatch findDiscByMedium(const QString &programFolder, const DiscInfo &probed);

} // namespace orlith
