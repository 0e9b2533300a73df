#pragma once

#include "app/PlayerRemote.h"
#include "player/PlayerState.h"

#include <QStringList>

// Records what a remote control asked of the player; holds the state it reads.
class FakeRemote final : public PlayerRemote {
public:
    const PlayerState& playerState() const override { return state; }
    void play() override { calls << QStringLiteral("play"); }
    void stop() override { calls << QStringLiteral("stop"); }
    void next() override { calls << QStringLiteral("next"); }
    void previous() override { calls << QStringLiteral("previous"); }
    void pause() override { calls << QStringLiteral("pause"); }
    void seek(int frame) override { calls << QStringLiteral("seek %1").arg(frame); }
    void setPlayMode(PlayMode mode) override
    {
        calls << QStringLiteral("mode %1").arg(int(mode));
        state.playMode = mode;
    }
    void raise() override { calls << QStringLiteral("raise"); }
    void quit() override { calls << QStringLiteral("quit"); }

    PlayerState state;
    QStringList calls;
};
