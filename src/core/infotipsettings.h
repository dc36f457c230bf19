#pragma once
// Which info-tips may be shown, kept in the settings store: the global
// switch "HelpTipsOn", the plain look "HelpTipsCompat", the wrap width
// "MaxTipWidth", one boolean per tip under its own key (false: the user
// asked never to see it again) and, for the tips meant to be seen once,
// "Once::" + the key (true once it has been on screen).
//
// A thin view on the store it is given, which must outlive it; user-
// interface thread only.

#include <QString>

class CPropManager;

class CInfoTipSettings
{
public:
    static constexpr const char* kTipsOnSetting = "HelpTipsOn";
    static constexpr const char* kCompatSetting = "HelpTipsCompat";
    static constexpr const char* kMaxWidthSetting = "MaxTipWidth";
    static constexpr int kDefaultMaxWidth = 300;
    static constexpr const char* kTipPrefix = "Tip::";
    static constexpr const char* kOncePrefix = "Once::";

    // Registers the three settings of the tips as a whole.
    explicit CInfoTipSettings(CPropManager& settings);

    bool tipsOn() const;
    void setTipsOn(bool on);
    // The plain look: no fading in and out.
    bool plainLook() const;
    void setPlainLook(bool plain);
    int maxWidth() const;

    // The program's welcome hints, posted at every new or opened project,
    // and the photo organizer's introductions are worth seeing once; hints
    // that answer what the user does or how things stand repeat until
    // dismissed.
    static bool isShownOnce(const QString& key);

    // Whether the tip may go on screen now: tips are on, the user has not
    // switched this one off and, for a show-once tip, it has not been seen.
    // Registers the tip's own setting the first time; touches nothing while
    // tips are off.
    bool mayShow(const QString& key);
    // The tip is going on screen: a show-once tip is spent.
    void markShown(const QString& key);
    // "Don't show me this again".
    void dismiss(const QString& key);
    // Brings every tip back: each tip's own setting is switched on again and
    // each show-once tip may be seen once more.
    void resetAll();

private:
    CPropManager& m_settings;
};
