// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QtEndian>

#include <cstdint>

namespace tisko::test {

// A 128-byte EDID base block laid out as a monitor sends it: header, manufacturer, product,
// serial, a detailed timing, a monitor name, and a serial text when one is given.
inline QByteArray edidBlob(const char vendor[3], std::uint16_t product, std::uint32_t serial,
                           const QByteArray& serialText = {}) {
    QByteArray blob = QByteArray::fromHex("00ffffffffffff00") + QByteArray(120, '\0');
    const auto letter = [vendor](int i) { return unsigned(vendor[i] - 'A' + 1); };
    qToBigEndian(std::uint16_t(letter(0) << 10 | letter(1) << 5 | letter(2)), blob.data() + 8);
    qToLittleEndian(product, blob.data() + 10);
    qToLittleEndian(serial, blob.data() + 12);
    blob[54] = 0x02; // a pixel clock: not a display descriptor
    // Up to 13 characters, ended by a line feed when shorter, padded with spaces.
    const auto descriptor = [&blob](int offset, char tag, const QByteArray& text) {
        blob[offset + 3] = tag;
        blob.replace(offset + 5, 13, (text + '\n').leftJustified(13, ' ', true));
    };
    descriptor(72, char(0xFC), "TISKO SCREEN");
    if (!serialText.isEmpty())
        descriptor(90, char(0xFF), serialText);
    return blob;
}

} // namespace tisko::test
