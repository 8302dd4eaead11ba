#include "companion/placement.h"

#include "platform/twips.h"

#include <QStringList>

#include <cmath>

std::optional<QPoint> parsePlacement(const QString& argument)
{
    const QStringList parts = argument.split(u',');
    if (parts.size() != 2)
        return std::nullopt;
    bool okX = false;
    bool okY = false;
    const double x = parts[0].trimmed().toDouble(&okX);
    const double y = parts[1].trimmed().toDouble(&okY);
    constexpr double kLimit = 1e9;
    if (!okX || !okY || !std::isfinite(x) || !std::isfinite(y) || std::abs(x) > kLimit || std::abs(y) > kLimit)
        return std::nullopt;
    return QPoint(twipsToPixels(x), twipsToPixels(y));
}

QPoint keepOnScreen(QPoint wanted, QSize size, const QRect& screen)
{
    if (screen.isEmpty())
        return wanted;
    const int x = qMax(screen.left(), qMin(wanted.x(), screen.right() + 1 - size.width()));
    const int y = qMax(screen.top(), qMin(wanted.y(), screen.bottom() + 1 - size.height()));
    return QPoint(x, y);
}
