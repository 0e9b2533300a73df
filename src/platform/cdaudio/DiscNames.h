#pragma once

#include <QString>
#include <vector>

// What a disc calls itself and its tracks: a cue sheet's TITLE and PERFORMER
// lines, or a CD's CD-Text. Any of them may be missing (empty).
struct DiscNames {
    struct Names {
        QString title;
        QString performer;
    };
    Names disc;
    std::vector<Names> tracks; // track 1 first

    // The names of a track; empty ones for a track the disc names nothing of.
    Names track(int number) const
    {
        return number >= 1 && number <= int(tracks.size()) ? tracks[size_t(number - 1)] : Names{};
    }
};
