#pragma once

// Naming and writing a downloaded picture. A picture is never written under its real name until
// it is complete: the bytes go to a hidden temporary file in the target folder, which is then
// given its name in one step that never replaces an existing file. A name already in use gets
// the next counter ("_00001", ...), so no picture is ever overwritten.

#include <QByteArray>
#include <QString>

namespace orvix {

inline constexpr int kMaxFullNameLength = 250; // characters of the whole path
inline constexpr int kMaxNameBytes = 255;      // UTF-8 bytes of one file-name component

// ".jpg" when the URL contains "jpg" anywhere, else ".png" when it contains "png", else ".jpg".
QString PictureExtension(const QString &url);

// A media line's file base made safe for a file name (every "__" shortened once more).
QString PictureFileStem(const QString &fileBase);

// The folder a picture goes into (unsafe characters replaced, trailing dots removed), with a
// final "/".
QString PictureFolder(const QString &targetFolder);

// Candidate names for folder + stem + extension, counter 0 being the plain name and n the name
// with "_" and n in five digits before the extension. Each is held to kMaxFullNameLength
// characters (when longer, a final "_" and letter of the stem stay with the extension and the
// stem is cut) and its name to kMaxNameBytes bytes (the stem shortened further, the extension
// kept). The counter is never cut off.
class PictureNamer
{
public:
    PictureNamer(const QString &folder, const QString &stem, const QString &extension);
    QString candidate(int counter) const;
    // The plain name was longer than kMaxFullNameLength (it is reported as trimmed).
    bool isTrimmed() const { return m_trimmed; }
    QString untrimmedName() const { return m_folder + m_stem + m_extension; }

private:
    QString m_folder;
    QString m_stem;
    QString m_extension;
    QString m_keptTail; // "_x" moved before the extension when the name is trimmed
    bool m_trimmed = false;
};

// Writes bytes as a new picture file: a hidden temporary file in the folder (created when
// missing), flushed to disk, then named with the first free candidate. Returns the path.
// Raises EFileError; no temporary file is left behind then.
QString SaveNewPictureFile(const PictureNamer &namer, const QString &folder, const QByteArray &bytes);

// Whether folder holds a saved file of the picture with this key (id + "_" + secret): a file
// whose name is the key followed by a blank or by the extension.
bool PictureFileInFolder(const QString &folder, const QString &key);

} // namespace orvix
