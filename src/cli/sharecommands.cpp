#include "sharecommands.h"

#include "clisupport.h"
#include "collagedoc.h"
#include "collageshare.h"
#include "datapaths.h"
#include "messagecatalogue.h"
#include "services.h"
#include "sharesettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSslCertificate>
#include <QTextStream>

namespace {


constexpr const char* kPasswordVariable = "OMBRAVELLE_SMTP_PASSWORD";
constexpr const char* kFtpPasswordVariable = "OMBRAVELLE_FTP_PASSWORD";

const char* const kMailUsage =
    "usage: collage-cli mail PROJECT --to ADDR... [--cc ADDR...] --from ADDR [--from-name NAME]\n"
    "                        --server HOST[:PORT] [--starttls|--tls] [--user U] [--ca-file PEM]\n"
    "                        [--subject S] [--message M] [--originals] [--write-transaction FILE]\n"
    "       the password for --user comes from the environment variable OMBRAVELLE_SMTP_PASSWORD\n";
const char* const kPublishUsage =
    "usage: collage-cli publish PROJECT --folder DIR --page NAME.htm [--originals]\n"
    "       collage-cli publish PROJECT --ftp URL --page NAME.htm [--user U] [--originals]\n"
    "       the FTP password comes from the environment variable OMBRAVELLE_FTP_PASSWORD\n";
const char* const kPreviewUsage = "usage: collage-cli preview PROJECT --folder DIR [--originals] [--message M]\n";

// Words and options; an option in `lists` takes every word up to the next
// option.
struct Arguments
{
    QStringList words;
    QHash<QString, QStringList> values;
    QString problem;

    bool has(const QString& option) const { return values.contains(option); }
    QString value(const QString& option) const { return values.value(option).value(0); }
};

Arguments parse(const QStringList& args, const QSet<QString>& single, const QSet<QString>& lists,
                const QSet<QString>& flags)
{
    Arguments parsed;
    for (int i = 0; i < args.size(); ++i) {
        const QString& word = args[i];
        if (!word.startsWith(QLatin1String("--"))) {
            parsed.words << word;
        } else if (flags.contains(word)) {
            parsed.values.insert(word, {});
        } else if (single.contains(word)) {
            if (i + 1 >= args.size()) {
                parsed.problem = word + " needs a value";
                break;
            }
            parsed.values[word] = QStringList{args[++i]};
        } else if (lists.contains(word)) {
            QStringList& list = parsed.values[word];
            const qsizetype before = list.size();
            while (i + 1 < args.size() && !args[i + 1].startsWith(QLatin1String("--")))
                list << args[++i];
            if (list.size() == before) {
                parsed.problem = word + " needs at least one value";
                break;
            }
        } else {
            parsed.problem = "unknown option " + word;
            break;
        }
    }
    return parsed;
}

// "ann@example.com", or "Ann Smith <ann@example.com>".
CRecipient recipientOf(const QString& text)
{
    static const QRegularExpression kNamed(QStringLiteral("^\\s*(.*?)\\s*<([^<>]*)>\\s*$"));
    const QRegularExpressionMatch match = kNamed.match(text);
    if (match.hasMatch())
        return {match.captured(1), match.captured(2)};
    return {QString(), text.trimmed()};
}

void warnOfDroppedLinks(const CCollageShare& share, CMessageCatalogue& catalogue, QTextStream& err)
{
    if (share.droppedLinks() > 0)
        err << catalogue.text(QStringLiteral("SMTPLinkDropped")) << "\n";
}

// The catalogue's words for a result; bad input is a usage error.
int report(const CShareResult& result, CMessageCatalogue& catalogue, QTextStream& err)
{
    if (result.cancelled) {
        err << "collage-cli: cancelled\n";
        return kExitFailed;
    }
    err << catalogue.text(result.messageKey) << "\n";
    if (!result.detail.isEmpty())
        err << result.detail << "\n";
    static const QSet<QString> kBadInput = {"SMTPNoServer", "SMTPNoUserID", "BadEmail",        "SendAddrWarn",
                                            "SMTPBadSubject", "SMTPBadServer", "SMTPPublishFolder", "SMTPBadURL",
                                            "SMTPFtpOnlySupport", "SMTPNoServerName"};
    return kBadInput.contains(result.messageKey) ? kExitUsage : kExitFailed;
}

int mail(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const Arguments parsed = parse(args,
                                   {"--from", "--from-name", "--server", "--user", "--ca-file", "--subject",
                                    "--message", "--write-transaction"},
                                   {"--to", "--cc"}, {"--starttls", "--tls", "--originals"});
    QString problem = parsed.problem;
    if (problem.isEmpty() && parsed.words.size() != 1)
        problem = "give one project";
    for (const char* required : {"--to", "--from", "--server"}) {
        if (problem.isEmpty() && !parsed.has(required))
            problem = QString::fromLatin1(required) + " is required";
    }
    if (problem.isEmpty() && parsed.has("--starttls") && parsed.has("--tls"))
        problem = "give one of --starttls and --tls";
    const QByteArray password = qgetenv(kPasswordVariable);
    if (problem.isEmpty() && parsed.has("--user") && password.isEmpty())
        problem = QStringLiteral("--user needs the password in the environment variable %1").arg(kPasswordVariable);
    CMailRequest request;
    if (problem.isEmpty() && parsed.has("--ca-file")) {
        request.smtp.extraCaCertificates = QSslCertificate::fromPath(parsed.value("--ca-file"));
        if (request.smtp.extraCaCertificates.isEmpty())
            problem = "no certificate in " + parsed.value("--ca-file");
    }
    if (!problem.isEmpty()) {
        err << "collage-cli: " << problem << "\n" << kMailUsage;
        return kExitUsage;
    }

    request.server = parsed.value("--server");
    request.smtp.security = parsed.has("--tls")        ? SmtpSecurity::Tls
                          : parsed.has("--starttls")   ? SmtpSecurity::StartTls
                                                       : SmtpSecurity::Automatic;
    request.smtp.user = parsed.value("--user");
    request.smtp.password = QString::fromUtf8(password);
    request.senderAddress = parsed.value("--from");
    request.senderName = parsed.value("--from-name");
    for (const QString& to : parsed.values.value("--to"))
        request.to.push_back(recipientOf(to));
    for (const QString& cc : parsed.values.value("--cc"))
        request.cc.push_back(recipientOf(cc));
    request.includeOriginals = parsed.has("--originals");
    request.transactionCopy = parsed.has("--write-transaction")
        ? QFileInfo(parsed.value("--write-transaction")).absoluteFilePath()
        : QString();

    CliSession session;
    if (!session.open(parsed.words[0], err))
        return kExitFailed;
    CCollageShare share(session.doc);
    request.subject = parsed.has("--subject") ? parsed.value("--subject") : share.settings().subject.get();
    request.message = parsed.has("--message") ? parsed.value("--message") : share.settings().message.get();
    warnOfDroppedLinks(share, session.services.catalogue(), err);
    const CShareResult result = share.send(request);
    if (!result.success)
        return report(result, session.services.catalogue(), err);
    out << "sent to " << (request.to.size() + request.cc.size()) << " recipient(s) through " << request.server << "\n";
    return kExitOk;
}

int publish(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const Arguments parsed = parse(args, {"--folder", "--ftp", "--page", "--user"}, {}, {"--originals"});
    QString problem = parsed.problem;
    if (problem.isEmpty() && parsed.words.size() != 1)
        problem = "give one project";
    if (problem.isEmpty() && parsed.has("--folder") == parsed.has("--ftp"))
        problem = "give one of --folder and --ftp";
    if (problem.isEmpty() && !parsed.has("--page"))
        problem = "--page is required";
    if (problem.isEmpty() && parsed.has("--user") && !parsed.has("--ftp"))
        problem = "--user goes with --ftp";
    if (!problem.isEmpty()) {
        err << "collage-cli: " << problem << "\n" << kPublishUsage;
        return kExitUsage;
    }
    CliSession session;
    if (!session.open(parsed.words[0], err))
        return kExitFailed;
    // A script that names the place wants it replaced.
    CCollageShare share(session.doc, [&err](const QString& key, unsigned) {
        err << "collage-cli: replacing what was published there before\n";
        return MsgButton::Yes;
    });
    warnOfDroppedLinks(share, session.services.catalogue(), err);
    CShareResult result;
    if (parsed.has("--folder")) {
        result = share.publishToFolder(
            {QFileInfo(parsed.value("--folder")).absoluteFilePath(), parsed.value("--page"), parsed.has("--originals")});
    } else {
        CWebTarget target;
        target.server = parsed.value("--ftp");
        target.user = parsed.value("--user");
        target.password = QString::fromUtf8(qgetenv(kFtpPasswordVariable));
        target.pageName = parsed.value("--page");
        target.includeOriginals = parsed.has("--originals");
        result = share.publishToWeb(target);
    }
    if (!result.success)
        return report(result, session.services.catalogue(), err);
    out << "published: " << result.output << "\n";
    return kExitOk;
}

int preview(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const Arguments parsed = parse(args, {"--folder", "--message"}, {}, {"--originals"});
    QString problem = parsed.problem;
    if (problem.isEmpty() && parsed.words.size() != 1)
        problem = "give one project";
    if (problem.isEmpty() && !parsed.has("--folder"))
        problem = "--folder is required";
    if (!problem.isEmpty()) {
        err << "collage-cli: " << problem << "\n" << kPreviewUsage;
        return kExitUsage;
    }
    const QString folder = QFileInfo(parsed.value("--folder")).absoluteFilePath();
    CliSession session;
    if (!session.open(parsed.words[0], err))
        return kExitFailed;
    CCollageShare share(session.doc);
    warnOfDroppedLinks(share, session.services.catalogue(), err);
    const CShareResult result = share.preview(parsed.has("--originals"), parsed.value("--message"));
    if (!result.success)
        return report(result, session.services.catalogue(), err);
    if (!QDir().mkpath(folder)) {
        err << "collage-cli: cannot make the folder " << folder << "\n";
        return kExitFailed;
    }
    const QDir work(share.workingFolder());
    for (const QFileInfo& file : work.entryInfoList(QDir::Files)) {
        const QString target = QDir(folder).filePath(file.fileName());
        QFile::remove(target);
        if (!QFile::copy(file.absoluteFilePath(), target)) {
            err << "collage-cli: cannot write " << target << "\n";
            return kExitFailed;
        }
    }
    out << "preview: " << QDir(folder).filePath(QFileInfo(result.output).fileName()) << "\n";
    return kExitOk;
}

} // namespace

std::optional<int> runShareCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.isEmpty())
        return std::nullopt;
    if (args[0] == QLatin1String("mail"))
        return mail(args.mid(1), out, err);
    if (args[0] == QLatin1String("publish"))
        return publish(args.mid(1), out, err);
    if (args[0] == QLatin1String("preview"))
        return preview(args.mid(1), out, err);
    return std::nullopt;
}
