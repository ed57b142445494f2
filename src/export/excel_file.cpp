// Orlith — desktop catalogue of removable media.
#include "excel_file.h"

#include <QSaveFile>

namespace orlith {

ExcelFile::ExcelFile() = default;
ExcelFile::~ExcelFile() = default;

ExcelFile::Status ExcelFile::CreateFile(const QString &) { return kOk; }
ExcelFile::Status ExcelFile::CloseFile() { return kOk; }
ExcelFile::Status ExcelFile::InsertHorizPageBreak(qint32) { return kOk; }
ExcelFile::Status ExcelFile::WriteValue(qint32, qint32, qint32, qint32, qint32, qint32,
                                        const QVariant &, qint32)
{
    return kOk;
}
ExcelFile::Status ExcelFile::SetMargin(qint32, double) { return kOk; }
ExcelFile::Status ExcelFile::SetColumnWidth(qint32, qint32, qint16) { return kOk; }
ExcelFile::Status ExcelFile::SetFont(const QString &, qint16, qint32) { return kOk; }
ExcelFile::Status ExcelFile::SetHeader(const QString &) { return kOk; }
ExcelFile::Status ExcelFile::SetFooter(const QString &) { return kOk; }
ExcelFile::Status ExcelFile::SetFilePassword(const QString &) { return kOk; }
void ExcelFile::PrintGridLines(bool) {}
void ExcelFile::ProtectSpreadsheet(bool) {}
ExcelFile::Status ExcelFile::WriteDefaultFormats() { return kOk; }
ExcelFile::Status ExcelFile::SetDefaultRowHeight(qint16) { return kOk; }
ExcelFile::Status ExcelFile::SetRowHeight(qint32, qint16) { return kOk; }
QByteArray ExcelFile::MKI(qint16) { return {}; }
bool ExcelFile::isOpen() const { return m_file != nullptr; }
ExcelFile::Status ExcelFile::writeRecord(quint16, const QByteArray &) { return kOk; }
ExcelFile::Status ExcelFile::fail(Status status, const QString &) { return status; }

} // namespace orlith
