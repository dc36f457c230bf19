#include "imagetypes.h"

#include <QImageReader>

#include <algorithm>

namespace ImageTypes {

const QSet<QString>& extensions()
{
    // A function-local static is built once even when two threads ask first.
    static const QSet<QString> table = [] {
        QSet<QString> set;
        for (const QByteArray& format : QImageReader::supportedImageFormats())
            set.insert(QString::fromLatin1(format).toLower());
        return set;
    }();
    return table;
}

QStringList extensionList()
{
    QStringList list(extensions().cbegin(), extensions().cend());
    std::sort(list.begin(), list.end());
    return list;
}

bool isImage(const QString& path)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot < 0)
        return false;
    const qsizetype slash = path.lastIndexOf(u'/');
    // A dot in a folder name, or a name that is nothing but the dot, is no extension.
    if (slash > dot || dot + 1 >= path.size())
        return false;
    const QStringView suffix = QStringView(path).mid(dot + 1);
    return extensions().contains(suffix.toString().toLower());
}

} // namespace ImageTypes
