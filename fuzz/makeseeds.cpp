// Writes the fuzz targets' first corpora into OUT/<target>/: files saved by
// the program itself (a project with frames, photos, undo steps and a
// template; the photo database; the settings; picture records) and the
// texts the peers send (update-service answers, mail-server replies,
// updater command lines) or the user imports (address books, mail
// program preferences).
#include "archive.h"
#include "collagedoc.h"
#include "framecommands.h"
#include "frameops.h"
#include "fuzzsupport.h"
#include "imagerecord.h"
#include "messagecatalogue.h"
#include "myphotos.h"
#include "picinfo.h"
#include "picinfomanager.h"
#include "propmanager.h"
#include "selection.h"
#include "services.h"
#include "thumbstore.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <cstdio>

namespace {

QString g_out;

void seed(const QString& target, const QString& name, const QByteArray& content)
{
    QDir().mkpath(g_out + "/" + target);
    QFile file(g_out + "/" + target + "/" + name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
        std::abort();
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        std::abort();
    return file.readAll();
}

QImage picture(int width, int height, QColor colour, bool alpha = false)
{
    QImage image(width, height, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    image.fill(alpha ? Qt::transparent : Qt::white);
    QPainter painter(&image);
    painter.setBrush(colour);
    painter.drawEllipse(QRect(width / 4, height / 4, width / 2, height / 2));
    return image;
}

class NoQuestions : public CFrameCommandQuestions
{
public:
    std::optional<CSplitCounts> askSplit() override { return CSplitCounts{2, 1}; }
    bool askMerge() override { return true; }
};

void projectAndDatabaseSeeds()
{
    const QString home = Fuzz::scratchFolder() + "/seeds";
    QDir().mkpath(home);
    QStringList photoPaths;
    const QColor colours[] = {Qt::red, Qt::darkGreen, Qt::blue};
    for (int i = 0; i < 3; ++i) {
        const QString path = home + QString("/photo%1.%2").arg(i).arg(i == 2 ? "jpg" : "png");
        picture(48 + 16 * i, 32 + 8 * i, colours[i]).save(path);
        photoPaths << path;
    }
    {
        CServices services(home + "/Settings.DAT", home + "/photodb");
        services.catalogue().setMessageBox([](const QString&, const QString&, unsigned) { return MsgButton::Ok; });
        CCollageDoc doc(services.docServices());
        doc.releaseUpdates();
        doc.newDocument();
        doc.saveDocument(home + "/empty.Collage");
        seed("project", "empty.Collage", fileBytes(home + "/empty.Collage"));

        doc.newDocument();
        doc.setDescription(QStringLiteral("Seeds \u00e9t\u00e9"));
        CFrameOps operations(services.frames());
        for (int i = 0; i < photoPaths.size(); ++i) {
            CPicInfo* frame = operations.createFrame({1.0f + 3.0f * i, 1.0f, 2.5f, 2.0f});
            frame->setPhoto(services.photos().FindPhoto(photoPaths[i], true));
        }
        operations.createFrame({2.0f, 5.0f, 1.0f, 1.0f});
        services.selection().SelectAll();
        NoQuestions questions;
        CFrameCommands commands(doc, questions);
        commands.spinRight();
        commands.swapDimensions();
        commands.split(CSplitCounts{2, 1});
        doc.undoCommand();
        doc.saveDocument(home + "/frames.Collage");
        seed("project", "frames.Collage", fileBytes(home + "/frames.Collage"));
        doc.setFlags(doc.flags() | CCollageDoc::TemplateFlag);
        doc.saveDocument(home + "/template.Collage");
        seed("project", "template.Collage", fileBytes(home + "/template.Collage"));

        services.photos().AddMoment(QStringLiteral("Summer"), photoPaths.mid(0, 2), COleDate::fromDateTime(QDateTime(QDate(2020, 7, 1), QTime(12, 0))));
        services.photos().AddMoment(QStringLiteral("Winter"), photoPaths.mid(2), COleDate());
        services.photos().Save();
        seed("collection", "Collection.DAT", fileBytes(services.photos().collectionPath()));
        seed("moments", "Moments.DAT", fileBytes(services.photos().momentsPath()));

        services.settings().setValue("FuzzText", CPropValue::string(QStringLiteral("text")));
        services.settings().setValue("FuzzFlag", CPropValue::boolean(true));
        services.settings().setValue("FuzzNumber", CPropValue::i32(-7));
        services.settings().setValue("FuzzScale", CPropValue::f32(1.5f));
        services.settings().setValue("FuzzByte", CPropValue::byte(200));
        services.settings().save(home + "/Settings-seed.DAT");
        seed("settings", "Settings.DAT", fileBytes(home + "/Settings-seed.DAT"));
    }
    QDir(home).removeRecursively();
}

void imageRecordSeeds()
{
    const struct { const char* name; QImage image; bool png; } records[] = {
        {"jpeg.rec", picture(40, 30, Qt::red), false},
        {"png.rec", picture(20, 20, Qt::blue), true},
        {"alpha.rec", picture(16, 24, Qt::green, true), false},
        {"none.rec", QImage(), false},
    };
    for (const auto& record : records) {
        QByteArray bytes;
        {
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            CArchive ar(&buffer, CArchive::Mode::Store);
            ImageRecord::write(ar, record.image, ImageRecord::kDefaultJpegQuality, record.png);
        }
        seed("imagerecord", record.name, bytes);
    }
}

void textSeeds()
{
    QFile catalogue(CMessageCatalogue::kResourcePath);
    if (!catalogue.open(QIODevice::ReadOnly))
        std::abort();
    seed("catalogue", "messages.txt", catalogue.readAll());
    seed("catalogue", "small.txt", "{BEGIN}Key\r\n  Two\r\nlines  \r\n{END}\n{begin} other\nx{END}{BEGIN}");

    const QByteArray envelope = "<?xml version='1.0' encoding='UTF-8'?>"
                                "<e:Envelope xmlns:e=\"http://schemas.xmlsoap.org/soap/envelope/\" "
                                "xmlns:i=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:t=\"http://www.tessary.com\">";
    seed("soap", "response.xml",
         envelope + "<e:Body><t:IsUpdateResponse><t:out_vi><t:shBuild>42</t:shBuild><t:bBytes>bG9n</t:bBytes>"
                    "<t:fUpdate>true</t:fUpdate><t:strPatchURL>http://h/p/patch2.exe</t:strPatchURL>"
                    "<t:strLocalName>collage</t:strLocalName><t:strPatchAppParams>-q &amp; -v</t:strPatchAppParams>"
                    "<t:strUpdateMsg i:nil=\"true\"/></t:out_vi><t:IsUpdateResult>Success</t:IsUpdateResult>"
                    "</t:IsUpdateResponse></e:Body></e:Envelope>");
    seed("soap", "header.xml",
         envelope + "<e:Header><t:x e:mustUnderstand=\"1\"/></e:Header><e:Body><t:IsUpdateResponse>"
                    "<t:IsUpdateResult>Success</t:IsUpdateResult></t:IsUpdateResponse></e:Body></e:Envelope>");
    seed("soap", "fault.xml",
         "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Body><s:Fault>"
         "<faultcode>s:Server</faultcode><faultstring>Resting</faultstring><detail><x>1</x></detail>"
         "</s:Fault></s:Body></s:Envelope>");

    // The first byte sets the size of each piece the socket delivers.
    seed("smtpreply", "session.txt",
         "\x05" "220 mail.example ESMTP\r\n250-mail.example\r\n250-STARTTLS\r\n250-AUTH PLAIN LOGIN\r\n"
         "250 AUTH=LOGIN\r\n334 VXNlcm5hbWU6\r\n235 ok\r\n354 go ahead\r\n");
    seed("smtpreply", "garbage.txt", "\x01" "250\n550-no\n5x0 broken\r\n");

    seed("updatercommandline", "collage.txt", "Temp.DAT;patch2.exe;collage;");
    seed("updatercommandline", "patcher.txt", "Temp.DAT;patch2.exe;patch.bin;-q \"a b\" \\\"c");
    seed("updatercommandline", "short.txt", "Temp.DAT;patch2.exe");

    // The first byte sets the size of each piece and, at 0x80, a server
    // that closes the connection at the end.
    seed("httpanswer", "continue.txt",
         "\x05" "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello"
         "HTTP/1.1 204 No Content\r\n\r\n");
    seed("httpanswer", "chunked.txt",
         "\x07" "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4;x=1\r\nWiki\r\n0\r\nT: 1\r\n\r\n");
    seed("httpanswer", "toend.txt", "\x83" "HTTP/1.0 500 Oops\r\nConnection: close\r\n\r\n<fault/>");

    seed("mailcontacts", "cards.vcf",
         "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Smith\r\nEMAIL;TYPE=work:ann@work.example\r\n"
         "EMAIL;TYPE=pref:ann@example.com\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:2.1\r\n"
         "N:Bloggs;Joe\r\nEMAIL;INTERNET:joe@example.org\r\nNOTE;ENCODING=QUOTED-PRINTABLE:a=\r\n b\r\nEND:VCARD\r\n");
    seed("mailcontacts", "prefs.js",
         "user_pref(\"mail.accountmanager.accounts\", \"account1\");\n"
         "user_pref(\"mail.account.account1.identities\", \"id1\");\n"
         "user_pref(\"mail.account.account1.server\", \"server1\");\n"
         "user_pref(\"mail.identity.id1.useremail\", \"ann@example.com\");\n"
         "user_pref(\"mail.identity.id1.smtpServer\", \"smtp1\");\n"
         "user_pref(\"mail.server.server1.name\", \"Home\");\n"
         "user_pref(\"mail.smtpserver.smtp1.hostname\", \"mail.example.com\");\n"
         "user_pref(\"mail.smtpserver.smtp1.port\", 587);\n");
}

void thumbStoreSeeds()
{
    seed("thumbstore", "jpeg.rec", CThumbStore::encodeRecord(picture(32, 24, Qt::red)));
    seed("thumbstore", "png.rec", CThumbStore::encodeRecord(picture(16, 16, Qt::blue, true)));
    const QString folder = Fuzz::scratchFolder() + "/thumbseeds";
    {
        CThumbStore store(folder);
        store.AllocateThumb(picture(32, 24, Qt::green));
        store.AllocateThumb(picture(20, 30, Qt::yellow, true));
        if (!store.CommitThumbs())
            std::abort();
    }
    seed("thumbstore", "Thumbs.DAT", fileBytes(folder + "/Thumbs.DAT"));
    QDir(folder).removeRecursively();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: makeseeds OUT\n");
        return 2;
    }
    Fuzz::startQt();
    g_out = QString::fromLocal8Bit(argv[1]);
    projectAndDatabaseSeeds();
    imageRecordSeeds();
    textSeeds();
    thumbStoreSeeds();
    return 0;
}
