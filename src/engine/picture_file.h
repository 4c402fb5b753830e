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

// The folder a picture goes into (the target folder as it is, trailing dots removed), with a
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

// The hidden file a picture is written to before it gets its name, created in the folder (made
// when missing); removed when it goes out of scope unless it was published. Created like any
// new file (the user's umask applies). Raises EFileError.
class TemporaryPicture
{
public:
    explicit TemporaryPicture(const QString &folder);
    ~TemporaryPicture();
    TemporaryPicture(const TemporaryPicture &) = delete;
    TemporaryPicture &operator=(const TemporaryPicture &) = delete;

    const QString &name() const { return m_name; }
    // Appends bytes as they arrive; false after a write error (error() says which).
    bool append(const char *data, qint64 size);
    // Empties the file for another attempt.
    void restart();
    // Ends writing (the file may then be replaced under its name, for example by a decoded form).
    void close();
    QString error() const { return m_error; }
    // The first n bytes as they are now on disk.
    QByteArray head(qint64 n) const;
    // Flushes the file to disk and names it with the first free candidate, never replacing a
    // file. Returns the path.
    QString publish(const PictureNamer &namer);

private:
    void openFile(int flags);

    QString m_name;
    int m_fd = -1;
    bool m_released = false;
    QString m_error;
};

// Writes bytes as a new picture file: a hidden temporary file in the folder (created when
// missing), flushed to disk, then named with the first free candidate. Returns the path.
// Raises EFileError; no temporary file is left behind then.
QString SaveNewPictureFile(const PictureNamer &namer, const QString &folder, const QByteArray &bytes);

// Held while this process saves the picture with this key (id + "_" + secret) into a folder, so
// that another run given the same picture leaves it alone. The operating system lets go of it
// when the process ends, however it ends.
class PictureClaim
{
public:
    PictureClaim(const QString &folder, const QString &key);
    ~PictureClaim();
    PictureClaim(const PictureClaim &) = delete;
    PictureClaim &operator=(const PictureClaim &) = delete;
    // False when another process holds the picture.
    bool held() const { return m_held; }

private:
    QString m_name;
    int m_fd = -1;
    bool m_held = false;
};

// Whether bytes start like a picture the program can show: JPEG, PNG, GIF, BMP or icon.
bool LooksLikePicture(QByteArrayView head);

// Removes temporary files and claims that a process no longer running left in folder (it was
// killed while it wrote a picture).
void RemoveStaleTemporaryFiles(const QString &folder);

// The saved file of the picture with this key (id + "_" + secret) in folder, full path: a file
// whose name is the key followed by a blank or by the extension. Empty when there is none.
QString FindPictureFileInFolder(const QString &folder, const QString &key);
inline bool PictureFileInFolder(const QString &folder, const QString &key)
{
    return !FindPictureFileInFolder(folder, key).isEmpty();
}

} // namespace orvix
