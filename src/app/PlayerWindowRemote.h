#pragma once

#include "app/PlayerRemote.h"

class PlayerWindow;

// The main window's handlers as a remote control reaches them.
class PlayerWindowRemote final : public PlayerRemote {
public:
    explicit PlayerWindowRemote(PlayerWindow& player) : player_(player) {}

    const PlayerState& playerState() const override;
    void play() override;
    void stop() override;
    void next() override;
    void previous() override;
    void pause() override;
    void seek(int frame) override;
    void setPlayMode(PlayMode mode) override;
    void raise() override;
    void quit() override;

private:
    PlayerWindow& player_;
};
