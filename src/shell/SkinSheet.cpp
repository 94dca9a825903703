#include "shell/SkinSheet.h"

#include "base/BookError.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace zarelo {

namespace {

struct Hsl {
    double h = 0; // 0..1
    double s = 0; // 0..1
    double l = 0; // 0..1
};

Hsl ToHsl(Rgb c)
{
    const double r = c.r / 255.0, g = c.g / 255.0, b = c.b / 255.0;
    const double hi = std::max({r, g, b}), lo = std::min({r, g, b});
    Hsl out;
    out.l = (hi + lo) / 2;
    const double d = hi - lo;
    if (d <= 0)
        return out;
    out.s = out.l > 0.5 ? d / (2 - hi - lo) : d / (hi + lo);
    if (hi == r)
        out.h = (g - b) / d + (g < b ? 6 : 0);
    else if (hi == g)
        out.h = (b - r) / d + 2;
    else
        out.h = (r - g) / d + 4;
    out.h /= 6;
    return out;
}

double HueChannel(double p, double q, double t)
{
    if (t < 0)
        t += 1;
    if (t > 1)
        t -= 1;
    if (t < 1.0 / 6)
        return p + (q - p) * 6 * t;
    if (t < 0.5)
        return q;
    if (t < 2.0 / 3)
        return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
}

int Byte(double v)
{
    return std::clamp(static_cast<int>(std::lround(v * 255.0)), 0, 255);
}

Rgb FromHsl(Hsl c)
{
    if (c.s <= 0)
        return {Byte(c.l), Byte(c.l), Byte(c.l)};
    const double q = c.l < 0.5 ? c.l * (1 + c.s) : c.l + c.s - c.l * c.s;
    const double p = 2 * c.l - q;
    return {Byte(HueChannel(p, q, c.h + 1.0 / 3)), Byte(HueChannel(p, q, c.h)),
            Byte(HueChannel(p, q, c.h - 1.0 / 3))};
}

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

QString HexText(Rgb c)
{
    return QStringLiteral("#%1%2%3")
        .arg(c.r, 2, 16, QChar(u'0'))
        .arg(c.g, 2, 16, QChar(u'0'))
        .arg(c.b, 2, 16, QChar(u'0'));
}

// A decimal integer, blanks around it allowed. QString::toInt stops reading
// at a NUL character and would take "1\0garbage" as 1, so a NUL refuses it.
std::optional<int> DecimalInt(QStringView text)
{
    if (text.contains(QChar(0)))
        return std::nullopt;
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

bool IsNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'-';
}

// Length of a hex colour literal starting at sheet[i] == '#' (3 or 6 digits
// not followed by another name character), 0 when there is none.
qsizetype HexLiteralLength(const QString& sheet, qsizetype i)
{
    qsizetype n = 0;
    while (i + 1 + n < sheet.size() && HexDigit(sheet[i + 1 + n]) >= 0)
        ++n;
    if (i + 1 + n < sheet.size() && IsNameChar(sheet[i + 1 + n]))
        return 0;
    return n == 3 || n == 6 ? n + 1 : 0;
}

// Parses "rgb(r, g, b)" at sheet[i]; returns its length, 0 when it is not one.
qsizetype RgbLiteral(const QString& sheet, qsizetype i, Rgb& out)
{
    if (sheet.mid(i, 4).compare(QStringLiteral("rgb("), Qt::CaseInsensitive) != 0)
        return 0;
    if (i > 0 && IsNameChar(sheet[i - 1]))
        return 0;
    const qsizetype close = sheet.indexOf(u')', i + 4);
    if (close < 0)
        return 0;
    const QStringList parts = sheet.mid(i + 4, close - i - 4).split(u',');
    if (parts.size() != 3)
        return 0;
    int v[3];
    for (int k = 0; k < 3; ++k) {
        const std::optional<int> value = DecimalInt(parts[k]);
        if (!value || *value < 0 || *value > 255)
            return 0;
        v[k] = *value;
    }
    out = {v[0], v[1], v[2]};
    return close - i + 1;
}

} // namespace

Rgb Colorize(Rgb colour, Rgb tint, double strength)
{
    strength = std::clamp(strength, 0.0, 1.0);
    const Hsl t = ToHsl(tint);
    const Rgb full = FromHsl({t.h, t.s, ToHsl(colour).l});
    auto mix = [strength](int a, int b) {
        return std::clamp(static_cast<int>(std::lround(a + (b - a) * strength)), 0, 255);
    };
    return {mix(colour.r, full.r), mix(colour.g, full.g), mix(colour.b, full.b)};
}

QString TintStyleSheet(const QString& sheet, Rgb tint, double strength)
{
    QString out;
    out.reserve(sheet.size());
    int depth = 0;
    qsizetype i = 0;
    while (i < sheet.size()) {
        const QChar c = sheet[i];
        if (c == u'/' && i + 1 < sheet.size() && sheet[i + 1] == u'*') {
            const qsizetype end = sheet.indexOf(QStringLiteral("*/"), i + 2);
            const qsizetype stop = end < 0 ? sheet.size() : end + 2;
            out += QStringView(sheet).sliced(i, stop - i);
            i = stop;
            continue;
        }
        if (c == u'{')
            ++depth;
        else if (c == u'}' && depth > 0)
            --depth;
        if (depth > 0 && c == u'#') {
            if (const qsizetype n = HexLiteralLength(sheet, i)) {
                Rgb v;
                if (n == 4) {
                    v = {HexDigit(sheet[i + 1]) * 17, HexDigit(sheet[i + 2]) * 17,
                         HexDigit(sheet[i + 3]) * 17};
                } else {
                    v = {HexDigit(sheet[i + 1]) * 16 + HexDigit(sheet[i + 2]),
                         HexDigit(sheet[i + 3]) * 16 + HexDigit(sheet[i + 4]),
                         HexDigit(sheet[i + 5]) * 16 + HexDigit(sheet[i + 6])};
                }
                out += HexText(Colorize(v, tint, strength));
                i += n;
                continue;
            }
        }
        if (depth > 0 && (c == u'r' || c == u'R')) {
            Rgb v;
            if (const qsizetype n = RgbLiteral(sheet, i, v)) {
                out += HexText(Colorize(v, tint, strength));
                i += n;
                continue;
            }
        }
        out += c;
        ++i;
    }
    return out;
}

int32_t ParseSkinColour(const QString& text)
{
    if (text.isEmpty())
        return -1;
    const std::optional<int> value = DecimalInt(text);
    if (!value)
        throw BookError(QStringLiteral("设置值 selectcolor 不是整数：\"%1\"").arg(text));
    return *value;
}

} // namespace zarelo
