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
// path when free, else name_00001.ext, name_00002.ext, ... the first that is free.
QString UniqueFileName(const QString &path);
// name + "_" + "yyyymmdd_hhnnss_zzz" (now) + extension.
QString TimestampedFileName(const QString &path);

} // namespace orvix
