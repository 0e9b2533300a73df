#include "app/PlayerWindowRemote.h"

#include "app/TOndelPlayer.h"

const PlayerState& PlayerWindowRemote::playerState() const
{
    return player_.state();
}

void PlayerWindowRemote::play()
{
    player_.PlayClick();
}

void PlayerWindowRemote::stop()
{
    player_.StopClick();
}

void PlayerWindowRemote::next()
{
    player_.FFClick();
}

void PlayerWindowRemote::previous()
{
    player_.RewClick();
}

void PlayerWindowRemote::setPlayMode(int mode)
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
    player_.Power1Click();
}
