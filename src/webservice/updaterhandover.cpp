#include "updaterhandover.h"

#include <QDir>
#include <QProcess>

namespace UpdaterHandOver {

namespace {

bool isPlainName(const QString& name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') && !name.contains(u';')
        && !name.contains(QChar(0));
}

qsizetype utf8Length(const QString& text)
{
    return text.toUtf8().size();
}

} // namespace

QString patchFileName(const QString& patchUrl)
{
    const qsizetype cut = qMax(patchUrl.lastIndexOf(u'/'), patchUrl.lastIndexOf(u'\\'));
    return patchUrl.mid(cut + 1);
}

QString arguments(const UpdateInfo& update)
{
    return QStringList{QString::fromLatin1(kDownloadFile), patchFileName(update.patchUrl), update.localName,
                       update.patchParameters}
        .join(u';');
}

bool isAcceptable(const UpdateInfo& update)
{
    const QString patchName = patchFileName(update.patchUrl);
    const qsizetype patcherLength = utf8Length(update.localName)
                                    + (update.patchParameters.isEmpty() ? 0 : 1 + utf8Length(update.patchParameters));
    return !update.patchUrl.isEmpty() && isPlainName(update.localName)
        && (patchName.isEmpty() || isPlainName(patchName)) && utf8Length(patchName) <= kMaxCommandChars
        && patcherLength <= kMaxCommandChars;
}

QString updaterPath(const QString& programFolder)
{
    return QDir(programFolder).filePath(QString::fromLatin1(kUpdaterProgram));
}

QString downloadPath(const QString& programFolder)
{
    return QDir(programFolder).filePath(QString::fromLatin1(kDownloadFile));
}

bool start(const QString& programFolder, const UpdateInfo& update)
{
    return QProcess::startDetached(updaterPath(programFolder), {arguments(update)}, programFolder);
}

} // namespace UpdaterHandOver
