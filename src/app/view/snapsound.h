#pragma once
// The short "pop" that marks a new snap, played from the program's own
// wave resource, and the near-silent click played once at start-up that
// wakes the sound system, so that the first pop is not late. Asynchronous;
// a sound already playing is not interrupted and the new one is skipped.
// Silent where there is no audio device: a sound effect that cannot play
// simply is not heard.

#include <QObject>

class QSoundEffect;

class CSnapSound : public QObject
{
public:
    static constexpr const char* kResource = "qrc:/sounds/pop.wav";
    static constexpr const char* kStartupResource = "qrc:/sounds/startup.wav";

    explicit CSnapSound(QObject* parent = nullptr);
    ~CSnapSound() override;

    void play();
    void playStartup();
    // How many pops were asked for (heard or not): what a test can count.
    int requestCount() const { return m_requests; }
    int startupRequestCount() const { return m_startupRequests; }

private:
    QSoundEffect* m_effect = nullptr; // made at the first pop
    QSoundEffect* m_startup = nullptr;
    int m_requests = 0;
    int m_startupRequests = 0;
};
