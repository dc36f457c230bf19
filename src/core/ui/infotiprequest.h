#pragma once
// Asking for an info-tip about a widget of any of the program's windows:
// the tip's key goes out on the bus's "Tip" channel with the widget as the
// parameter, and the tip window shows it beside the widget while the
// widget's window is the active one. A delay runs on a timer of the
// widget's, so nothing is posted about a widget that has gone meanwhile.

class CNotificationBus;
class QString;
class QWidget;

namespace InfoTips {

void request(CNotificationBus& bus, const QString& key, QWidget* about, int delayMs = 0);

} // namespace InfoTips
