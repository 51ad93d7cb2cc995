// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "TestFiles.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>

namespace tisko::test {

// A 128-byte EDID base block laid out as a monitor sends it: header, manufacturer, product,
// serial, four 18-byte descriptors (a name, and a serial text when given), checksum.
inline QByteArray edidBlob(const char vendor[3], std::uint16_t product, std::uint32_t serial,
                           const QByteArray& serialText = {}) {
    QByteArray blob(128, '\0');
    const QByteArray header = QByteArray::fromHex("00ffffffffffff00");
    blob.replace(0, header.size(), header);
    unsigned maker = 0;
    for (int i = 0; i < 3; ++i)
        maker = (maker << 5) | static_cast<unsigned>(vendor[i] - 'A' + 1);
    blob[8] = static_cast<char>(maker >> 8);
    blob[9] = static_cast<char>(maker & 0xFF);
    blob[10] = static_cast<char>(product & 0xFF);
    blob[11] = static_cast<char>(product >> 8);
    for (int i = 0; i < 4; ++i)
        blob[12 + i] = static_cast<char>((serial >> (8 * i)) & 0xFF);
    blob[18] = 1;
    blob[19] = 4;
    auto descriptor = [&blob](int offset, unsigned char tag, const QByteArray& text) {
        blob[offset + 3] = static_cast<char>(tag);
        // Up to 13 characters, ended by a line feed when shorter, padded with spaces.
        blob.replace(offset + 5, 13,
                     (text.left(13) + (text.size() < 13 ? "\n" : "")).leftJustified(13, ' '));
    };
    // The first descriptor holds a detailed timing (non-zero pixel clock).
    blob[54] = 0x02;
    blob[55] = 0x3A;
    descriptor(72, 0xFC, "TISKO SCREEN");
    if (!serialText.isEmpty())
        descriptor(90, 0xFF, serialText);
    else
        descriptor(90, 0xFE, "NOT A SERIAL");
    unsigned sum = 0;
    for (int i = 0; i < 127; ++i)
        sum += static_cast<unsigned char>(blob[i]);
    blob[127] = static_cast<char>((256 - (sum % 256)) % 256);
    return blob;
}

// A made-up /sys/class/drm with connectors added by the test.
class FakeDrmTree {
public:
    // Adds or rewrites the connector's status, EDID, dpms state and enabled state.
    void addConnector(const char* name, const QByteArray& status, const QByteArray& edid,
                      const QByteArray& dpms = "On", const QByteArray& enabled = "enabled") {
        const QString folder = m_dir.filePath(QString::fromLatin1(name)) + QLatin1Char('/');
        writeFile(folder + QStringLiteral("status"), status + '\n');
        writeFile(folder + QStringLiteral("edid"), edid);
        writeFile(folder + QStringLiteral("dpms"), dpms + '\n');
        writeFile(folder + QStringLiteral("enabled"), enabled + '\n');
    }
    QString root() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

} // namespace tisko::test
