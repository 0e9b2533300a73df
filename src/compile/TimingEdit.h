#pragma once

#include <QByteArray>
#include <QList>
#include <optional>

// The pieces of a take, or of a DWD file opened for correction, as the
// timing view edits them: one is selected, moves by frames or to a frame
// (never past the pieces either side of it, so the order never changes),
// and every move can be undone.
class TimingEdit {
public:
    struct Piece {
        int pressed = 0; // where the press was (latency taken off), frames in the track
        int placed = 0;  // where the piece is
        QByteArray text; // its script bytes (Shift-JIS)
    };

    void setPieces(const QList<Piece>& pieces);
    // The pieces of a DWD file's whole records; nullopt for bytes the player
    // would not read (see DwdReader::checkFile).
    static std::optional<QList<Piece>> fromDwd(const QByteArray& bytes);

    const QList<Piece>& pieces() const { return pieces_; }
    QList<int> placedFrames() const;
    // -1: none.
    int selected() const { return selected_; }
    void select(int index);
    // Tab: the next piece with text (the first after none), Shift+Tab the one before.
    void selectNext(bool backwards = false);
    // Moves the selected piece; false when nothing moved.
    bool moveSelected(int frames);
    bool moveSelectedTo(int frame);
    // Between these, the moves are one drag: one undo takes it all back.
    void beginDrag();
    void endDrag();
    bool undo();
    bool modified() const { return !undo_.isEmpty(); }
    // The first and last piece of the selected piece's line: a piece whose
    // text holds a line feed starts a line.
    std::optional<std::pair<int, int>> selectedLine() const;

private:
    struct Move {
        int index;
        int from;
    };
    QList<Piece> pieces_;
    QList<Move> undo_;
    int selected_ = -1;
    bool dragging_ = false;
    bool dragRecorded_ = false;
};
