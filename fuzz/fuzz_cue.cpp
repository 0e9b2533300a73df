// Feeds arbitrary bytes to the cue sheet reader and to the TOC reader:
// whatever either accepts must name between 1 and 99 tracks, each in a file
// it lists, with no negative offset.
#include "platform/cdaudio/CueSheet.h"
#include "platform/cdaudio/TocSheet.h"

#include <cstdlib>

// libcue's parser leaks the sheet it was building when it gives up on a
// broken one: run with fast_unwind_on_malloc=0 the leak's stack is
// malloc <- libcue internals <- cue_parse_string <- CueSheet::parse, with
// nothing of ours allocating. libcue is built without frame pointers, so the
// default (fast) unwinder stops inside it and only its library name is seen:
// that name is what is suppressed, as in tests/lsan.supp.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libcue.so\n";
}

namespace {
void check(const std::optional<CueSheet>& sheet, const QString& why)
{
    if (!sheet) {
        if (why.isEmpty())
            std::abort();
        return;
    }
    if (sheet->tracks.empty() || sheet->tracks.size() > 99)
        std::abort();
    for (const CueSheet::Track& track : sheet->tracks) {
        if (track.file < 0 || size_t(track.file) >= sheet->files.size() || track.index01 < 0 ||
            track.silentPregap < 0 || track.silentPostgap < 0)
            std::abort();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    QString why;
    const std::optional<CueSheet> sheet = CueSheet::parse(text, QStringLiteral("/nonexistent"), &why);
    check(sheet, why);
    const TocSheet::Reading reading = TocSheet::parse(text, QStringLiteral("/nonexistent"));
    check(reading.sheet, reading.error);
    return 0;
}
