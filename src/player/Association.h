#pragma once

#include <QString>
#include <optional>

class CdAudioDevice;
class FileDialogs;
class MessageBoxes;
class SettingsStore;

// Ties one track of one disc to a lyrics file. The disc is known by the
// identity text the device reports; each disc has the settings key
// "Software\OndelPlayer\RelationData\[<identity>]" with one string value
// "[<track>]" per related track holding the lyrics file's full name.
class Association {
public:
    Association(CdAudioDevice& device, MessageBoxes& boxes, SettingsStore& settings, FileDialogs& dialogs)
        : device_(device), boxes_(boxes), settings_(settings), dialogs_(dialogs)
    {
    }

    // Lets the user choose the lyrics file for a track; says why when it cannot.
    void relate(int track);
    // After a track was timed into a new lyrics file: offers to relate that
    // file to the track, unless it already is. The same key and messages as
    // relate(); nothing is asked when the disc cannot be identified.
    void offerRelation(int track, const QString& file);
    static QString offerQuestion(int track, const QString& file);
    static QString offerCaption();
    // Removes the track's association on the inserted disc; true when a value was deleted.
    bool remove(int track);
    // The related file name of a track on the inserted disc: nullopt when the
    // disc cannot be identified, an empty name when nothing is related.
    std::optional<QString> lookup(int track);

private:
    std::optional<QByteArray> identity();
    void store(const QByteArray& identity, int track, const QString& file);

    CdAudioDevice& device_;
    MessageBoxes& boxes_;
    SettingsStore& settings_;
    FileDialogs& dialogs_;
};
