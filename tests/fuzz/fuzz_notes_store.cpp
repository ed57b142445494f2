// Orlith — desktop catalogue of removable media.
// Fuzzes the notes store: a damaged "usrdisc.usr" opens and takes finds, edits and deletes.
#include "core/store/notes_store.h"
#include "fuzz_support.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace orlith;
using orlith::fuzz::check;

namespace {

// The steps come from the end of the input so that a real store file is a useful seed.
enum Step : uint8_t { Find, Update, Append, Delete, Reopen, kStepCount };

QString someText(FuzzedDataProvider &in)
{
    switch (in.ConsumeIntegralInRange<int>(0, 4)) {
    case 0:
        return {};
    case 4: {
        const std::string bytes = in.ConsumeRandomLengthString(40);
        return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    }
    case 1:
        return QStringLiteral("Disc %1").arg(in.ConsumeIntegral<uint8_t>());
    case 2:
        return QString(in.ConsumeIntegralInRange<int>(0, 2200), QChar(0x00E9));
    default:
        return QString(in.ConsumeIntegralInRange<int>(0, 1100), QChar(0x0161));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const size_t stepBytes = in.ConsumeIntegralInRange<size_t>(0, 24);
    const std::vector<uint8_t> steps = in.ConsumeBytes<uint8_t>(stepBytes);
    const std::string file = in.ConsumeRemainingBytesAsString();
    const QString path = fuzz::scratchFile("usrdisc.usr", {file.data(), qsizetype(file.size())});

    // The texts of the steps come from the step bytes themselves.
    FuzzedDataProvider args(steps.data(), steps.size());
    NotesStore store;
    check(store.open(path));
    check(store.recordCount() ==
          (qint64(file.size()) + NotesStore::kSlotSize - 1) / NotesStore::kSlotSize);

    for (uint8_t s : steps) {
        const qint32 before = store.recordCount();
        switch (Step(s % kStepCount)) {
        case Find:
            store.resetSearch();
            check(store.findRecord(someText(args)) != NotesStore::kFound ||
                  store.currentRecordNumber() >= 1);
            break;
        case Update:
            store.setRecord(someText(args), someText(args));
            (void)store.updateRecord();
            break;
        case Append: {
            store.setRecord(someText(args), someText(args));
            const bool fits = NotesStore::recordFits(store.discName(), store.notes());
            check(store.appendRecord() == fits && store.recordCount() == before + fits);
            break;
        }
        case Delete: {
            const qint32 n = args.ConsumeIntegralInRange<qint32>(0, before + 1);
            const bool exists = n == 0 ? store.currentRecordNumber() > 0 : n <= before;
            check(store.deleteRecord(n) == exists && store.recordCount() == before - exists);
            break;
        }
        case Reopen:
        case kStepCount:
            check(store.open(path) && store.recordCount() == before);
            break;
        }
    }
    store.close();
    return 0;
}
