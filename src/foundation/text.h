#pragma once

// Pure text functions every parser of the program is built on. Positions are 1-based,
// 0 means "not found". All functions are thread-safe (no shared state).

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace orvix {

using ArStrX = QStringList;

// Basic operations.
int TextPos(QStringView s, QStringView sub);
int TextPos(QStringView s, QStringView sub, int from); // search starting at 1-based position from
int TextLastPos(QStringView s, QStringView sub);
QString TextCopy(QStringView s, int start, int count);
QStringView TextCopyView(QStringView s, int start, int count);
QString TextDelete(QStringView s, int start, int count);
QString TextInsert(QStringView s, QStringView piece, int pos);
QString TextTrim(QStringView s);
QStringView TextTrimView(QStringView s);
QString TextLower(QStringView s);
QString TextUpper(QStringView s);
QString TextReverse(QStringView s);
int TextToInt(QStringView s);         // raises EConvertError
qint64 TextToInt64(QStringView s);    // raises EConvertError
int TextToIntDef(QStringView s, int def);
qint64 TextToInt64Def(QStringView s, qint64 def);

// Marker cuts: an absent or empty marker leaves the text whole.
QString TextAfter(QStringView s, QStringView marker);
QString TextFrom(QStringView s, QStringView marker);
QString TextUpTo(QStringView s, QStringView marker);
QString TextBefore(QStringView s, QStringView marker);
// The same cuts as views into s, for loops over whole pages (no copies).
QStringView TextAfterView(QStringView s, QStringView marker);
QStringView TextFromView(QStringView s, QStringView marker);
QStringView TextUpToView(QStringView s, QStringView marker);
QStringView TextBeforeView(QStringView s, QStringView marker);

// Tests.
bool TextContains(QStringView s, QStringView sub);
bool TextNotContains(QStringView s, QStringView sub);
bool TextContainsNoCase(QStringView s, QStringView sub);
bool TextNotContainsNoCase(QStringView s, QStringView sub);
bool TextStartsWith(QStringView s, QStringView prefix);
bool TextNotStartsWith(QStringView s, QStringView prefix);
bool TextEndsWith(QStringView s, QStringView suffix);
bool TextNotEndsWith(QStringView s, QStringView suffix);

// Replacing.
QString TextReplaceAll(QStringView s, QStringView oldText, QStringView newText);
QString TextReplaceAllNoCase(QStringView s, QStringView oldText, QStringView newText);
QString TextRemoveSuffix(QStringView s, QStringView suffix);

// Lists.
ArStrX TextSplit(QStringView s, QStringView separator, bool trimItems = false);
ArStrX TextFilterContaining(const ArStrX &items, QStringView sub);

// Formatting: '{0}', '{1}'... filled in order.
QString TextFormatBraces(QStringView templ, const QStringList &values);
QString TextFormatBraces(QStringView templ, qint64 value);

// Byte-text variants.
int ByteLength(const QByteArray &s);
int BytePos(const QByteArray &s, const QByteArray &sub);
void ByteSetLength(QByteArray &s, int length);
QByteArray ByteDelete(const QByteArray &s, int start, int count);
bool ByteStartsWith(const QByteArray &s, const QByteArray &prefix);

} // namespace orvix
