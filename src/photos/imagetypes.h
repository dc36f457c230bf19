#pragma once
// Which files the photo collection treats as images: those whose last
// file-name extension names a format the installed image decoders read.

#include <QSet>
#include <QString>
#include <QStringList>

namespace ImageTypes {

// The lower-cased extensions of every installed decoder, built once on first
// use. Any thread.
const QSet<QString>& extensions();

// Sorted, for display and diagnostics.
QStringList extensionList();

// True when the file name has a "." and the text after the last one matches
// a whole entry of extensions(), letter case aside: "a.JPG" is an image,
// "a.jpeg.txt" and "jpg" are not. Only the file-name part of the path counts.
bool isImage(const QString& path);

} // namespace ImageTypes
