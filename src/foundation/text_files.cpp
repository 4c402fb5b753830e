#include "text_files.h"

#include "errors.h"
#include "files.h"
#include "posix_file.h"
#include "retry_timing.h"
#include "text.h"
#include "text_codec.h"
#include "text_list.h"

#include <fcntl.h>
#include <unistd.h>

namespace orvix {

namespace {

void appendUtf8(const QString &file, const QString &text)
{
    ForceFolderOf(file);
    PosixFile f;
    if (!f.open(file, O_RDWR | O_APPEND | O_CREAT))
        throw EFileError(QStringLiteral("Cannot open file \"%1\". %2").arg(file, f.errorText()));
    // Other writers hold the file only for the moment of one append.
    if (!f.lock(true, GetRetryTiming().lockWaitMs))
        throw EFileError(QStringLiteral("Cannot lock file \"%1\". %2").arg(file, f.errorText()));
    // The mark goes in under the lock, so two instances creating the file write it once.
    const qint64 size = f.size();
    QByteArray bytes = size == 0 ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    // A line appended after a last line without its end would be glued to it as one record.
    char last = '\n';
    if (size > 3 && text.endsWith(u'\n') && ::pread(f.fd(), &last, 1, size - 1) == 1 && last != '\n')
        bytes += "\r\n";
    bytes += text.toUtf8();
    if (!f.writeAll(bytes))
        throw EFileError(QStringLiteral("Cannot write file \"%1\". %2").arg(file, f.errorText()));
}

template<typename F>
void retry5x(const char *name, const QString &file, int pauseMs, F &&attempt)
{
    if (!RetryAttempts(pauseMs, attempt))
        throw EFileError(QLatin1String(name) + QStringLiteral(" failed: ") + file);
}

} // namespace

void WriteTextToNewFile(const QString &file, const QString &text)
{
    // Replaced atomically rather than deleted first: a crash leaves the old text, not none.
    SaveListUtf8(SplitTextLines(text), file);
}

void AppendTextUtf8(const QString &file, const QString &text)
{
    appendUtf8(file, text);
}

void AppendLineUtf8(const QString &file, const QString &text)
{
    try {
        appendUtf8(file, text + QStringLiteral("\r\n"));
    } catch (const EFileError &) {
        // A lost line is accepted here; AppendToFileLn_5x is the form that insists.
    }
}

QString ReadTextFile(const QString &file)
{
    return TextTrim(DecodeTextBytes(ReadFileBytes(file)));
}

QStringList LoadTextList(const QString &file)
{
    if (!FileExists(file))
        return {};
    return SplitTextLines(DecodeTextBytes(ReadFileBytes(file)));
}

QString ReadFromFile_s_5x(const QString &file)
{
    QString text;
    retry5x("ReadFromFile_s_5x", file, GetRetryTiming().filePauseMs, [&] { text = ReadTextFile(file); });
    return text;
}

QStringList ReadFromFile_sl_5x(const QString &file)
{
    QStringList lines;
    retry5x("ReadFromFile_sl_5x", file, GetRetryTiming().listPauseMs, [&] { lines = LoadTextList(file); });
    return lines;
}

void WriteToNewFile_5x(const QString &file, const QString &text)
{
    retry5x("WriteToNewFile_5x", file, GetRetryTiming().filePauseMs, [&] { WriteTextToNewFile(file, text); });
}

void AppendToFile_5x(const QString &file, const QString &text)
{
    retry5x("AppendToFile_5x", file, GetRetryTiming().filePauseMs, [&] { appendUtf8(file, text); });
}

void AppendToFileLn_5x(const QString &file, const QString &text)
{
    retry5x("AppendToFileLn_5x", file, GetRetryTiming().filePauseMs,
            [&] { appendUtf8(file, text + QStringLiteral("\r\n")); });
}

} // namespace orvix
