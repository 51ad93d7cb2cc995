// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/Edid.h"

#include <QUuid>

namespace tisko {

namespace {

constexpr int baseBlockSize = 128;
constexpr int firstDescriptor = 54;
constexpr int descriptorSize = 18;
constexpr unsigned char serialTextTag = 0xFF;
const QUuid displayNamespace(QStringLiteral("{6c1f2a7e-93d4-4b8e-a0c5-1d2e3f405162}"));

unsigned byteAt(const QByteArray& blob, int index) {
    return static_cast<unsigned char>(blob.at(index));
}

// A descriptor's 13 bytes of text end at the first line feed; trailing padding is dropped.
QString descriptorText(const QByteArray& blob, int offset) {
    QByteArray text = blob.mid(offset + 5, 13);
    const qsizetype end = text.indexOf('\n');
    if (end >= 0)
        text.truncate(end);
    return QString::fromLatin1(text).trimmed();
}

} // namespace

std::optional<Edid> Edid::parse(const QByteArray& blob) {
    static const QByteArray header = QByteArray::fromHex("00ffffffffffff00");
    if (blob.size() < baseBlockSize || !blob.startsWith(header))
        return std::nullopt;

    Edid edid;
    const unsigned maker = (byteAt(blob, 8) << 8) | byteAt(blob, 9);
    for (int shift : {10, 5, 0}) {
        const unsigned letter = (maker >> shift) & 0x1F;
        edid.vendor += (letter >= 1 && letter <= 26) ? QChar(u'A' + letter - 1) : QChar(u'?');
    }
    edid.product = static_cast<std::uint16_t>(byteAt(blob, 10) | (byteAt(blob, 11) << 8));
    edid.serial = byteAt(blob, 12) | (byteAt(blob, 13) << 8) | (byteAt(blob, 14) << 16) |
                  (static_cast<std::uint32_t>(byteAt(blob, 15)) << 24);
    for (int d = 0; d < 4; ++d) {
        const int offset = firstDescriptor + d * descriptorSize;
        const bool isDisplayDescriptor = byteAt(blob, offset) == 0 &&
                                         byteAt(blob, offset + 1) == 0 &&
                                         byteAt(blob, offset + 2) == 0;
        if (isDisplayDescriptor && byteAt(blob, offset + 3) == serialTextTag) {
            edid.serialText = descriptorText(blob, offset);
            break;
        }
    }
    return edid;
}

QString Edid::uuidText() const {
    const QString name = QStringLiteral("%1:%2:%3:%4")
                             .arg(vendor)
                             .arg(product, 4, 16, QChar(u'0'))
                             .arg(serial, 8, 16, QChar(u'0'))
                             .arg(serialText);
    return QUuid::createUuidV5(displayNamespace, name).toString(QUuid::WithoutBraces).toUpper();
}

} // namespace tisko
