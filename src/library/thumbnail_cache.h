#pragma once

// The thumbnail cache: the folder "thumbs" in the pictures folder keeps one small PNG per
// picture shown in a strip, so a picture shown again need not be decoded and scaled again.
// Recently shown thumbnails are touched, and the cache is cut back to the newest at close.

#include <QString>

namespace orvix {

inline constexpr int kThumbnailsKept = 500;
// Cache folder, file name and folder part of a cache name together stay within this length.
inline constexpr int kThumbnailNameBudget = 120;

// The pictures folder's "thumbs" folder, ending with "/".
QString ThumbnailCacheFolder(const QString &picturesFolder);

// The cached thumbnail of a picture file: its file name, "_", its folder with the separators
// removed, ".png". When the cache folder, the file name and the folder part are longer than the
// budget together, the folder part loses characters at its start (its end tells folders apart
// best). The name is made safe for the file system.
QString CachedThumbnailPath(const QString &cacheFolder, const QString &picturePath);

// True when the cached thumbnail exists and the picture is not newer than it; the thumbnail's
// time is then set to now, so thumbnails in use survive trimming.
bool TakeCachedThumbnail(const QString &cachedPath, const QString &picturePath);

// At close: when the folder holds keep files or more, deletes the oldest until keep remain.
// Returns how many were deleted.
int TrimThumbnailCache(const QString &cacheFolder, int keep = kThumbnailsKept);

} // namespace orvix
