#include "infotipsettings.h"

#include "propmanager.h"

namespace {

constexpr const char* kTipItemDescription = "Info-Tip item";

const char* const kShownOnce[] = {"Tip::NewProj",        "Tip::PhotoBrowse", "Tip::EmailCollage",
                                  "Tip::PhotoOrganizer", "Tip::DropperShow", "Tip::PhotoSymbols"};

QString onceKey(const QString& key) { return QString::fromLatin1(CInfoTipSettings::kOncePrefix) + key; }

} // namespace

CInfoTipSettings::CInfoTipSettings(CPropManager& settings)
    : m_settings(settings)
{
    m_settings.registerProp(QString::fromLatin1(kTipsOnSetting),
                            QStringLiteral("Display helpful hints for first time users"), true,
                            CPropValue::boolean(true));
    m_settings.registerProp(QString::fromLatin1(kCompatSetting),
                            QStringLiteral("Turn off visual effects from Info-Tips"), true,
                            CPropValue::boolean(false));
    m_settings.registerProp(QString::fromLatin1(kMaxWidthSetting), QStringLiteral("Maximum width of tooltip"), true,
                            CPropValue::i32(kDefaultMaxWidth));
}

bool CInfoTipSettings::tipsOn() const
{
    return m_settings.getValue(QString::fromLatin1(kTipsOnSetting)).value_or(CPropValue::boolean(true)).toBool();
}

void CInfoTipSettings::setTipsOn(bool on)
{
    m_settings.setValue(QString::fromLatin1(kTipsOnSetting), CPropValue::boolean(on));
}

bool CInfoTipSettings::plainLook() const
{
    return m_settings.getValue(QString::fromLatin1(kCompatSetting)).value_or(CPropValue::boolean(false)).toBool();
}

void CInfoTipSettings::setPlainLook(bool plain)
{
    m_settings.setValue(QString::fromLatin1(kCompatSetting), CPropValue::boolean(plain));
}

int CInfoTipSettings::maxWidth() const
{
    const int width =
        m_settings.getValue(QString::fromLatin1(kMaxWidthSetting)).value_or(CPropValue::i32(kDefaultMaxWidth)).toInt();
    return width > 0 ? width : kDefaultMaxWidth;
}

bool CInfoTipSettings::isShownOnce(const QString& key)
{
    for (const char* once : kShownOnce) {
        if (key.compare(QLatin1String(once), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool CInfoTipSettings::mayShow(const QString& key)
{
    if (key.isEmpty() || !tipsOn())
        return false;
    m_settings.registerProp(key, QString::fromLatin1(kTipItemDescription), true, CPropValue::boolean(true));
    if (!m_settings.getValue(key).value_or(CPropValue::boolean(true)).toBool())
        return false;
    if (!isShownOnce(key))
        return true;
    m_settings.registerProp(onceKey(key), {}, true, CPropValue::boolean(false));
    return !m_settings.getValue(onceKey(key)).value_or(CPropValue::boolean(false)).toBool();
}

void CInfoTipSettings::markShown(const QString& key)
{
    if (isShownOnce(key))
        m_settings.setValue(onceKey(key), CPropValue::boolean(true));
}

void CInfoTipSettings::dismiss(const QString& key)
{
    if (!key.isEmpty())
        m_settings.setValue(key, CPropValue::boolean(false));
}

void CInfoTipSettings::resetAll()
{
    // The show-once marks stay: a tip meant for the very first time would
    // otherwise greet the user again as if the program were new.
    const QString tipPrefix = QString::fromLatin1(kTipPrefix);
    for (const QString& name : m_settings.names()) {
        if (name.startsWith(tipPrefix, Qt::CaseInsensitive))
            m_settings.setValue(name, CPropValue::boolean(true));
    }
}
