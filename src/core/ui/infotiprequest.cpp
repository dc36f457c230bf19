#include "infotiprequest.h"

#include "notificationbus.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace InfoTips {

void request(CNotificationBus& bus, const QString& key, QWidget* about, int delayMs)
{
    if (!about)
        return;
    if (delayMs <= 0) {
        bus.Broadcast(QString::fromLatin1(Channel::Tip), key, about);
        return;
    }
    QTimer::singleShot(delayMs, about, [&bus, key, about] { bus.Broadcast(QString::fromLatin1(Channel::Tip), key, about); });
}

} // namespace InfoTips
