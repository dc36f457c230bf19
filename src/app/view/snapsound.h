#pragma once
// The short "pop" that marks a new snap, played from the program's own
// wave resource. Asynchronous; a pop already playing is not interrupted and
// the new one is skipped. Silent where there is no audio device: a sound
// effect that cannot play simply is not heard.

#include <QObject>

class QSoundEffect;

class CSnapSound : public QObject
{
public:
    static constexpr const char* kResource = "qrc:/sounds/pop.wav";

    explicit CSnapSound(QObject* parent = nullptr);
    ~CSnapSound() override;

    void play();
    // How many pops were asked for (heard or not): what a test can count.
    int requestCount() const { return m_requests; }

private:
    QSoundEffect* m_effect = nullptr; // made at the first pop
    int m_requests = 0;
};
