#include "platform/cdaudio/DiscIdentity.h"

#include "platform/cdaudio/DiscSource.h"

#include <discid/discid.h>

QByteArray DiscIdentity::fromToc(const DiscToc& toc)
{
    const int count = toc.trackCount();
    if (count < 1 || count > 99)
        return {};
    int offsets[100] = {};
    offsets[0] = toc.leadOut;
    for (int t = 1; t <= count; ++t)
        offsets[t] = toc.trackStart(t);
    DiscId* disc = discid_new();
    QByteArray id;
    if (discid_put(disc, 1, count, offsets))
        id = QByteArray(discid_get_id(disc));
    discid_free(disc);
    return id;
}

QByteArray DiscIdentity::of(const DiscSource& source)
{
    const QByteArray fixed = source.fixedIdentity();
    return fixed.isEmpty() ? fromToc(source.toc()) : fixed;
}
