#include "app/PlayerWindowRemote.h"

#include "app/PlayerWindow.h"

const PlayerState& PlayerWindowRemote::playerState() const
{
    return player_.state();
}

void PlayerWindowRemote::play()
{
    player_.play();
}

void PlayerWindowRemote::stop()
{
    player_.stop();
}

void PlayerWindowRemote::next()
{
    player_.fastForward();
}

void PlayerWindowRemote::previous()
{
    player_.rewind();
}

void PlayerWindowRemote::pause()
{
    player_.transport().pause();
}

void PlayerWindowRemote::seek(int frame)
{
    player_.transport().seek(frame);
}

void PlayerWindowRemote::setPlayMode(PlayMode mode)
{
    player_.transport().setPlayMode(mode);
}

void PlayerWindowRemote::raise()
{
    // A player that refused the drive never shows its window.
    if (player_.refused())
        return;
    if (player_.isMinimized())
        player_.showNormal();
    player_.show();
    player_.raise();
    player_.activateWindow();
}

void PlayerWindowRemote::quit()
{
    player_.onPowerClicked();
}
