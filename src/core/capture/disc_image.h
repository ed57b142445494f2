// Orlith — desktop catalogue of removable media.
// Disc images and archives captured as a disc of their own, without mounting.
#pragma once

#include <QString>

namespace orlith {

// A capture or update whose drive is a regular file takes it as the medium itself: an ISO
// 9660 image (.iso, or an .img that holds one; Joliet and Rock Ridge names), a zip, 7z or
// tar (plain or gz, bz2, xz, zst). Its members, read by ArchiveLister, become the disc's
// files with the image's path as their root ("/x/Holiday.iso/DCIM/1.jpg"): "Open file" then
// opens the image, and an update finds it again from the disc's paths (imageHolding). The
// kind is told by content, not by the name.
bool isImageFile(const QString &path);

// The label an image shows as a drive: its volume label (probeImage), else its file name.
QString imageLabel(const QString &path);

// The image a stored path lies in: its longest part that exists, when that is a regular
// file; empty otherwise (a folder, or nothing there).
QString imageHolding(const QString &path);

// Why an image could not be captured; `readable` says part of it could be read.
QString unreadableImageMessage(const QString &path, bool readable);

} // namespace orlith
