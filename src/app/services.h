#pragma once
// The process-wide services, created in the fixed start-up order and
// destroyed in the fixed shutdown order. The application owns one set; a
// test builds its own fresh set so no test sees another's leftovers. Code
// reaches the live set through CServices::current().

#include <QString>

#include <memory>

class CNotificationBus;
class CProgress;
class CPropManager;
class CMessageCatalogue;
class CErrorMsgListener;

class CServices
{
public:
    // Creates every service in start-up order; the settings store is loaded
    // from `settingsFile` at once.
    explicit CServices(const QString& settingsFile);
    // Closes the bus first, destroys the services in shutdown order (saving
    // the settings store if it changed) and the bus last.
    ~CServices();
    CServices(const CServices&) = delete;
    CServices& operator=(const CServices&) = delete;

    // The live set, or null before start-up and after shutdown. The most
    // recently created set is the live one.
    static CServices* current();

    CNotificationBus& bus() const { return *m_bus; }
    CProgress& progress() const { return *m_progress; }
    CPropManager& settings() const { return *m_settings; }
    CMessageCatalogue& catalogue() const { return *m_catalogue; }
    const QString& settingsFile() const { return m_settingsFile; }

private:
    QString m_settingsFile;
    std::unique_ptr<CNotificationBus> m_bus;
    std::unique_ptr<CProgress> m_progress;
    std::unique_ptr<CPropManager> m_settings;
    std::unique_ptr<CMessageCatalogue> m_catalogue;
    // Shows the catalogue message named by each "ErrorMsg" broadcast.
    std::unique_ptr<CErrorMsgListener> m_errorListener;
};
