// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/Appcast.h"

#include <QXmlStreamReader>

namespace tisko {

namespace {

// A version text longer than this is nobody's version, only a way to fill the screen and log.
constexpr qsizetype longestVersionText = 64;

// An address that may be opened in the browser; anything else is dropped.
QUrl webAddress(const QString& text) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("https") && scheme != QLatin1String("http")))
        return {};
    return url;
}

// The texts of one <item> before they are checked.
struct RawItem {
    QString version;
    QString shortVersion;
    QString releaseNotes;
    QString enclosure;
    QString link;
};

void readEnclosure(const QXmlStreamAttributes& attributes, RawItem& raw) {
    for (const QXmlStreamAttribute& attribute : attributes) {
        const auto name = attribute.name();
        if (name == QLatin1String("url"))
            raw.enclosure = attribute.value().toString();
        else if (name == QLatin1String("version") && raw.version.isEmpty())
            raw.version = attribute.value().toString();
        else if (name == QLatin1String("shortVersionString") && raw.shortVersion.isEmpty())
            raw.shortVersion = attribute.value().toString();
    }
}

RawItem readItem(QXmlStreamReader& reader) {
    RawItem raw;
    while (reader.readNextStartElement()) {
        const auto name = reader.name();
        if (name == QLatin1String("enclosure")) {
            readEnclosure(reader.attributes(), raw);
            reader.skipCurrentElement();
        } else if (name == QLatin1String("version")) {
            raw.version = reader.readElementText();
        } else if (name == QLatin1String("shortVersionString")) {
            raw.shortVersion = reader.readElementText();
        } else if (name == QLatin1String("releaseNotesLink")) {
            raw.releaseNotes = reader.readElementText();
        } else if (name == QLatin1String("link")) {
            raw.link = reader.readElementText();
        } else {
            reader.skipCurrentElement();
        }
    }
    return raw;
}

} // namespace

QUrl AppcastItem::downloadAddress() const {
    if (!enclosure.isEmpty())
        return enclosure;
    return page.isEmpty() ? releaseNotes : page;
}

std::optional<QVersionNumber> Appcast::versionFrom(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.size() > longestVersionText)
        return std::nullopt;
    qsizetype end = 0;
    const QVersionNumber version = QVersionNumber::fromString(trimmed, &end);
    if (version.isNull() || end != trimmed.size())
        return std::nullopt;
    return version;
}

Appcast::Reading Appcast::read(const QByteArray& document) {
    Reading reading;
    QXmlStreamReader reader(document);
    if (!reader.readNextStartElement() || reader.name() != QLatin1String("rss")) {
        reading.refused = true;
        reading.problem = reader.hasError() ? reader.errorString()
                                            : QStringLiteral("el documento no es un canal RSS");
        return reading;
    }
    while (reader.readNextStartElement()) {
        if (reader.name() != QLatin1String("channel")) {
            reader.skipCurrentElement();
            continue;
        }
        while (reader.readNextStartElement()) {
            if (reader.name() != QLatin1String("item")) {
                reader.skipCurrentElement();
                continue;
            }
            const RawItem raw = readItem(reader);
            const QString shortVersion = raw.shortVersion.trimmed();
            const bool shortTooLong = shortVersion.size() > longestVersionText;
            const std::optional<QVersionNumber> version =
                shortTooLong ? std::nullopt : versionFrom(raw.version);
            if (!version) {
                if (reading.problem.isEmpty())
                    reading.problem =
                        QStringLiteral("versión ilegible «%1»")
                            .arg((shortTooLong ? shortVersion : raw.version).left(40));
                continue;
            }
            reading.items.push_back(
                {*version, shortVersion.isEmpty() ? version->toString() : shortVersion,
                 webAddress(raw.releaseNotes), webAddress(raw.enclosure), webAddress(raw.link)});
        }
    }
    // A document cut short or broken anywhere, even after the channel, is refused whole.
    while (!reader.atEnd())
        reader.readNext();
    if (reader.hasError()) {
        reading = {};
        reading.refused = true;
        reading.problem = QStringLiteral("XML mal formado (línea %1: %2)")
                              .arg(reader.lineNumber())
                              .arg(reader.errorString());
    }
    return reading;
}

std::optional<AppcastItem> Appcast::newest(const std::vector<AppcastItem>& items,
                                           const QVersionNumber& current) {
    std::optional<AppcastItem> best;
    for (const AppcastItem& item : items) {
        // "0.9.0" is the same version as "0.9".
        if (item.version.normalized() > current.normalized() &&
            (!best || item.version.normalized() > best->version.normalized()))
            best = item;
    }
    return best;
}

} // namespace tisko
