// SPDX-License-Identifier: MIT
#include "gui/tx330/Tx330Form.h"

#include "settings/Config_TX330.h"

namespace Tormel::Gui::Tx330Form {

namespace {

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// Digits only, at most nine of them so that the value fits.
std::optional<int64_t> digitsValue(const QString& text) {
    if (text.isEmpty() || text.size() > 9) {
        return std::nullopt;
    }
    int64_t value = 0;
    for (QChar c : text) {
        if (!isDigit(c)) {
            return std::nullopt;
        }
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

// "2.75" -> {"2", "75"}; one point at most, at least one digit in all.
std::optional<std::pair<QString, QString>> decimalParts(const QString& text) {
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    const QString whole = point < 0 ? text : text.left(point);
    const QString fraction = point < 0 ? QString() : text.mid(point + 1);
    if (whole.isEmpty() && fraction.isEmpty()) {
        return std::nullopt;
    }
    for (const QString& part : {whole, fraction}) {
        for (QChar c : part) {
            if (!isDigit(c)) {
                return std::nullopt;
            }
        }
    }
    if (whole.size() > 6) {
        return std::nullopt;
    }
    return std::make_pair(whole, fraction);
}

int32_t digitAt(const QString& text, qsizetype i) {
    return i < text.size() ? static_cast<int32_t>(text[i].unicode() - u'0') : 0;
}

}  // namespace

std::optional<int32_t> wholeNumber(const QString& text) {
    const std::optional<int64_t> value = digitsValue(text);
    if (!value) {
        return std::nullopt;
    }
    return static_cast<int32_t>(*value);
}

std::optional<int32_t> diDelayTenths(const QString& text) {
    const auto parts = decimalParts(text);
    if (!parts) {
        return std::nullopt;
    }
    const int32_t whole = parts->first.isEmpty() ? 0 : *wholeNumber(parts->first);
    const int32_t tenths = whole * 10 + digitAt(parts->second, 0);
    return digitAt(parts->second, 1) >= 5 ? tenths + 1 : tenths;
}

QString diDelayText(int32_t tenths) {
    const QString sign = tenths < 0 ? QStringLiteral("-") : QString();
    const int32_t magnitude = tenths < 0 ? -tenths : tenths;
    return sign + QString::number(magnitude / 10) + QLatin1Char('.') + QString::number(magnitude % 10);
}

QString leaveAwtText(const QString& text) {
    const std::optional<int32_t> value = wholeNumber(text);
    if (!value) {
        return QStringLiteral("0");
    }
    if (*value > 250) {
        return QStringLiteral("250");
    }
    QString cut = text;
    cut[cut.size() - 1] = QLatin1Char('0');
    return cut;
}

QString leaveDiDelayText(const QString& text) {
    const auto parts = decimalParts(text);
    if (!parts) {
        return QStringLiteral("0.0");
    }
    const int32_t whole = parts->first.isEmpty() ? 0 : *wholeNumber(parts->first);
    const int32_t tenths = whole * 10 + digitAt(parts->second, 0);
    return diDelayText(tenths > 100 ? 100 : tenths);
}

std::optional<int32_t> nodeIdOf(const QString& text) { return wholeNumber(text); }

QByteArray settingsDocument(const ApplicationConfig_TX330& config) {
    ApplicationConfig_TX330 copy = config;
    copy.m_version = emptyText();
    copy.m_tabSelect = 0;
    return Config_TX330::toXml(copy).value_or(QByteArray());
}

}  // namespace Tormel::Gui::Tx330Form
