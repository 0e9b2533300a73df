#include "DiscSourceFactory.h"

#include "SimulatedDisc.h"

std::unique_ptr<DiscSource> DiscSourceFactory::create(const QString& source, const Clock& clock, QString* error)
{
    if (source.isEmpty())
        return SimulatedDisc::create(QString(), clock, error);
    if (source.startsWith(QLatin1String("sim:")))
        return SimulatedDisc::create(source.mid(4), clock, error);
    if (error)
        *error = QStringLiteral("unsupported disc source \"%1\"").arg(source);
    return nullptr;
}
