#include "snapsound.h"

#include <QSoundEffect>
#include <QUrl>

CSnapSound::CSnapSound(QObject* parent)
    : QObject(parent)
{
}

CSnapSound::~CSnapSound() = default;

void CSnapSound::play()
{
    ++m_requests;
    if (!m_effect) {
        m_effect = new QSoundEffect(this);
        m_effect->setSource(QUrl(QString::fromLatin1(kResource)));
    }
    if (!m_effect->isPlaying())
        m_effect->play();
}

void CSnapSound::playStartup()
{
    ++m_startupRequests;
    if (!m_startup) {
        m_startup = new QSoundEffect(this);
        m_startup->setSource(QUrl(QString::fromLatin1(kStartupResource)));
    }
    m_startup->play();
}
