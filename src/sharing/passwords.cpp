#ifdef OMBRAVELLE_HAVE_LIBSECRET
// Before Qt: glib's headers use the word Qt defines as a keyword.
#include <libsecret/secret.h>
#endif

#include "passwords.h"

#include "propmanager.h"

namespace Passwords {

namespace {

#ifdef OMBRAVELLE_HAVE_LIBSECRET
const SecretSchema* schema()
{
    static const SecretSchema kSchema = {
        "com.tessary.Ombravelle.Password",
        SECRET_SCHEMA_NONE,
        {{"service", SECRET_SCHEMA_ATTRIBUTE_STRING}, {"account", SECRET_SCHEMA_ATTRIBUTE_STRING}, {nullptr, {}}},
        0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    return &kSchema;
}
#endif

} // namespace

bool keyringAvailable()
{
#ifdef OMBRAVELLE_HAVE_LIBSECRET
    // Without a session bus libsecret would try to start one.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return false;
    GError* error = nullptr;
    SecretService* service = secret_service_get_sync(SECRET_SERVICE_NONE, nullptr, &error);
    if (error)
        g_error_free(error);
    if (!service)
        return false;
    g_object_unref(service);
    return true;
#else
    return false;
#endif
}

bool save(CPropManager& settings, const QString& setting, const QString& service, const QString& account,
          const QString& password)
{
#ifdef OMBRAVELLE_HAVE_LIBSECRET
    if (keyringAvailable()) {
        const QByteArray serviceBytes = service.toUtf8();
        const QByteArray accountBytes = account.toUtf8();
        GError* error = nullptr;
        bool stored = false;
        if (password.isEmpty()) {
            secret_password_clear_sync(schema(), nullptr, &error, "service", serviceBytes.constData(), "account",
                                       accountBytes.constData(), nullptr);
            stored = !error;
        } else {
            const QByteArray label = "Tessary Ombravelle: " + serviceBytes + " " + accountBytes;
            stored = secret_password_store_sync(schema(), SECRET_COLLECTION_DEFAULT, label.constData(),
                                                password.toUtf8().constData(), nullptr, &error, "service",
                                                serviceBytes.constData(), "account", accountBytes.constData(), nullptr);
        }
        if (error)
            g_error_free(error);
        if (stored) {
            settings.setValue(setting, CPropValue::string(QString()));
            return true;
        }
    }
#endif
    settings.setValue(setting, CPropValue::string(password));
    return false;
}

QString load(const CPropManager& settings, const QString& setting, const QString& service, const QString& account)
{
#ifdef OMBRAVELLE_HAVE_LIBSECRET
    if (keyringAvailable()) {
        GError* error = nullptr;
        gchar* found = secret_password_lookup_sync(schema(), nullptr, &error, "service", service.toUtf8().constData(),
                                                   "account", account.toUtf8().constData(), nullptr);
        if (error)
            g_error_free(error);
        if (found) {
            const QString password = QString::fromUtf8(found);
            secret_password_free(found);
            return password;
        }
    }
#endif
    const std::optional<CPropValue> value = settings.getValue(setting);
    return value ? value->toString() : QString();
}

} // namespace Passwords
