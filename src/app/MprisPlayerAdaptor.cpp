#include "app/MprisPlayerAdaptor.h"

#include "app/MprisModel.h"
#include "app/MprisService.h"

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService& service)
    : QDBusAbstractAdaptor(&service), service_(service)
{
}

QString MprisPlayerAdaptor::playbackStatus() const
{
    return service_.model().playbackStatus();
}

QString MprisPlayerAdaptor::loopStatus() const
{
    return service_.model().loopStatus();
}

void MprisPlayerAdaptor::setLoopStatus(const QString& status)
{
    service_.model().setLoopStatus(status);
    service_.publishChanges();
}

bool MprisPlayerAdaptor::shuffle() const
{
    return service_.model().shuffle();
}

void MprisPlayerAdaptor::setShuffle(bool on)
{
    service_.model().setShuffle(on);
    service_.publishChanges();
}

QVariantMap MprisPlayerAdaptor::metadata() const
{
    return service_.model().metadata();
}

double MprisPlayerAdaptor::volume() const
{
    return service_.model().volume();
}

void MprisPlayerAdaptor::setVolume(double volume)
{
    service_.model().setVolume(volume);
    service_.publishChanges();
}

qlonglong MprisPlayerAdaptor::position() const
{
    return service_.model().position();
}

bool MprisPlayerAdaptor::canGoNext() const
{
    return service_.model().canGoNext();
}

bool MprisPlayerAdaptor::canGoPrevious() const
{
    return service_.model().canGoPrevious();
}

bool MprisPlayerAdaptor::canPlay() const
{
    return service_.model().canPlay();
}

void MprisPlayerAdaptor::PlayPause()
{
    service_.model().PlayPause();
    service_.publishChanges();
}

void MprisPlayerAdaptor::Play()
{
    service_.model().Play();
    service_.publishChanges();
}

void MprisPlayerAdaptor::Pause()
{
    service_.model().Pause();
    service_.publishChanges();
}

void MprisPlayerAdaptor::Stop()
{
    service_.model().Stop();
    service_.publishChanges();
}

void MprisPlayerAdaptor::Next()
{
    service_.model().Next();
    service_.publishChanges();
}

void MprisPlayerAdaptor::Previous()
{
    service_.model().Previous();
    service_.publishChanges();
}

void MprisPlayerAdaptor::Seek(qlonglong offset)
{
    service_.model().Seek(offset);
    service_.publishChanges();
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& trackId, qlonglong position)
{
    service_.model().SetPosition(trackId, position);
    service_.publishChanges();
}
