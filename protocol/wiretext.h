#pragma once

#include <cstddef>
#include <cstdint>

#include <QByteArray>
#include <QString>

// Texts travel in the Windows-1251 code page.

// Checks once that the toolkit offers the code page; false means texts
// outside ASCII would be garbled (the caller reports it at start).
bool WireCodecAvailable();

QString DecodeWireText(const uint8_t *bytes, size_t count);
QString DecodeWireText(const QByteArray &bytes);
// The text cut to maxChars characters (negative: no cut), in the code page.
QByteArray EncodeWireText(const QString &text, int maxChars = -1);

// A short string of capacity N: one length byte, then up to N bytes.
// Writes N + 1 bytes at out (zero-filled past the text).
void WriteShortString(uint8_t *out, const QString &text, int capacity);
