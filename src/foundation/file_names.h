#pragma once

// Names for files the program creates from page text: characters a file system or a shell
// would trip over become "_", and names are made unique or stamped instead of overwriting.

#include <QString>

namespace orvix {

// Below code 128 only the blank, ' + , - . digits A-Z [ ] ^ _ a-z ~ stay; every other such
// character becomes "_", then runs of "_" are shortened (twice "__" -> "_").
QString SafeFileName(const QString &s);
// As SafeFileName for each part, keeping the "/" separators; trailing dots removed first.
QString SafePath(const QString &s);
// The folder without its trailing dots ("pics..." names "pics"), as folders typed with them
// were always taken; a last part "." or ".." is kept.
QString WithoutTrailingDots(const QString &folder);
// The folder a download goes to: the pictures folder the user chose, used as it is, "/", and the
// subfolder, which the program names from a setting or a box, made safe as one file name
// (trailing dots removed; nothing left of it means the pictures folder itself).
QString DownloadTargetFolder(const QString &picturesFolder, const QString &subfolder);
// path when free, else name_00001.ext, name_00002.ext, ... the first that is free.
QString UniqueFileName(const QString &path);
// name + "_" + "yyyymmdd_hhnnss_zzz" (now) + extension.
QString TimestampedFileName(const QString &path);

} // namespace orvix
