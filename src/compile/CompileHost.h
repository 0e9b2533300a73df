#pragma once

#include <QString>

// What the compiler window needs from the main window: the transport, the
// script open in the editor, and the end of the window's life. The main
// window implements it; tests implement it with a fake.
class CompileHost {
public:
    virtual ~CompileHost() = default;

    // The transport's play and stop: a capture plays currentTrack
    // from its start and stops the disc when it ends.
    virtual void play() = 0;
    virtual void stop() = 0;
    // The track play plays, read at Start: the one a take times.
    virtual int currentTrack() const = 0;
    // A take of that track has become the file: offer to relate it.
    virtual void offerRelation(int track, const QString& dwdFile) = 0;
    // The disc image, cue sheet or audio file the player plays, whose tracks
    // the timing view reads for their waveform and note onsets; empty for a
    // drive, whose tracks are not read apart from playing.
    virtual QString discImagePath() const { return {}; }
    // The file the script editor has open, empty when it has none.
    virtual QString editorFileName() const = 0;
    // The compiler window is closing and will be destroyed: give the keyboard
    // focus back to the main window, empty its reference to the compiler
    // window and enable Compile and RMenuSetRhythm again.
    virtual void compilerWindowClosed() = 0;
};
