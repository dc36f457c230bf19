#include "updatecommands.h"

#include "clisupport.h"
#include "datapaths.h"
#include "messagecatalogue.h"
#include "patchdownload.h"
#include "programversion.h"
#include "propmanager.h"
#include "soapclient.h"
#include "updatecheck.h"
#include "usagelog.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <QUrl>

namespace {

constexpr const char* kUsage =
    "usage: collage-cli update check [--server URL]\n"
    "       collage-cli update download --server URL --to FILE\n";

struct UpdateOptions
{
    QString server;
    QString target;
};

bool parseOptions(const QStringList& args, UpdateOptions& options, QTextStream& err)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        QString* value = arg == u"--server" ? &options.server : arg == u"--to" ? &options.target : nullptr;
        if (value == nullptr || i + 1 >= args.size() || args[i + 1].isEmpty()) {
            err << "collage-cli update: unexpected \"" << arg << "\"\n";
            return false;
        }
        *value = args[++i];
    }
    if (!options.server.isEmpty()) {
        const QUrl url(options.server, QUrl::StrictMode);
        if (!url.isValid() || url.scheme() != u"http" || url.host().isEmpty()) {
            err << "collage-cli update: --server needs an http:// URL\n";
            return false;
        }
    }
    return true;
}

QString errorName(CSoapClient::Error error)
{
    switch (error) {
    case CSoapClient::Error::None: return QStringLiteral("none");
    case CSoapClient::Error::SendError: return QStringLiteral("send");
    case CSoapClient::Error::ServerError: return QStringLiteral("server");
    case CSoapClient::Error::SoapFault: return QStringLiteral("fault");
    case CSoapClient::Error::FaultParseError: return QStringLiteral("faultParse");
    case CSoapClient::Error::ReadError: return QStringLiteral("read");
    }
    return {};
}

// The exchange on the user's own settings: the usage log goes out and,
// once delivered, is taken out of the stored log.
UpdateCheckOutcome exchange(CSoapClient& client)
{
    CPropManager settings;
    settings.load(DataPaths::settingsFile());
    CUsageLog log(settings);
    const UpdateCheckOutcome outcome = checkForUpdate(client, log);
    settings.save(DataPaths::settingsFile());
    return outcome;
}

// What the editor would say about the outcome: the service's own message,
// else the catalogue's.
QString messageFor(const UpdateCheckOutcome& outcome, QString& key)
{
    key = !outcome.reached ? QStringLiteral("UpdateComProb")
        : outcome.info.available ? QStringLiteral("UpdateThere")
                                 : QStringLiteral("UpdateNone");
    if (outcome.reached && !outcome.info.message.isEmpty())
        return outcome.info.message;
    CMessageCatalogue catalogue;
    return catalogue.text(key);
}

int check(CSoapClient& client, QTextStream& out)
{
    const UpdateCheckOutcome outcome = exchange(client);
    QString key;
    const QString message = messageFor(outcome, key);
    QJsonObject result{
        {"state", !outcome.reached ? "failed" : outcome.info.available ? "update" : "none"},
        {"messageKey", key},
        {"message", message},
        {"error", errorName(outcome.error)},
        {"endpoint", client.endpoint().toString()},
        {"runningBuild", programVersion().build},
        {"newVersion", QJsonValue::Null},
        {"downloadSize", QJsonValue::Null},
    };
    if (outcome.reached) {
        result["newVersion"] = QJsonObject{
            {"build", outcome.serverBuild},
            {"forced", outcome.forced},
            {"patchUrl", outcome.info.patchUrl},
            {"localName", outcome.info.localName},
            {"patchParameters", outcome.info.patchParameters},
            {"message", outcome.info.message},
        };
        const qint64 size =
            outcome.info.patchUrl.isEmpty() ? -1 : CPatchDownload::announcedSize(outcome.info.patchUrl);
        if (size >= 0)
            result["downloadSize"] = double(size);
    }
    out << QJsonDocument(result).toJson(QJsonDocument::Indented);
    return outcome.reached ? kExitOk : kExitFailed;
}

int download(CSoapClient& client, const QString& target, QTextStream& err)
{
    CMessageCatalogue catalogue;
    const UpdateCheckOutcome outcome = exchange(client);
    if (!outcome.reached || outcome.info.patchUrl.isEmpty()) {
        err << catalogue.text(outcome.reached ? QStringLiteral("UpdateNone") : QStringLiteral("UpdateComProb"))
            << '\n';
        return kExitFailed;
    }
    CPatchDownload patch;
    int shownPercent = -1;
    // The editor's own progress words, a line whenever the percentage moves.
    patch.setProgress([&](CPatchDownload::Phase phase, qint64 received, qint64 expected) {
        if (phase == CPatchDownload::Phase::Connecting) {
            err << "Connecting to Tessary\n";
        } else {
            const int percent = expected > 0 ? int(received * 100 / expected) : 100;
            if (phase == CPatchDownload::Phase::Receiving && percent != shownPercent) {
                shownPercent = percent;
                err << QStringLiteral("Process is %1% complete...").arg(percent) << '\n';
            }
        }
        err.flush();
    });
    if (patch.download(outcome.info.patchUrl, target) != CPatchDownload::Result::Done) {
        err << catalogue.text(QStringLiteral("UpdateComProb")) << "\n(" << patch.failure() << ")\n";
        return kExitFailed;
    }
    err << "downloaded " << patch.received() << " bytes to " << target << '\n';
    return kExitOk;
}

} // namespace

int runUpdateCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    UpdateOptions options;
    const QString action = args.value(0);
    if ((action != u"check" && action != u"download") || !parseOptions(args.mid(1), options, err)) {
        err << kUsage;
        return kExitUsage;
    }
    if (action == u"check" && !options.target.isEmpty()) {
        err << kUsage;
        return kExitUsage;
    }
    if (action == u"download" && (options.server.isEmpty() || options.target.isEmpty())) {
        err << kUsage;
        return kExitUsage;
    }
    CSoapClient client = options.server.isEmpty() ? CSoapClient() : CSoapClient(QUrl(options.server));
    return action == u"check" ? check(client, out) : download(client, options.target, err);
}
