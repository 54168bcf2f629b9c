// SPDX-License-Identifier: MIT
#include "colorcode.h"

#include <algorithm>

namespace colorcode {

namespace {

    constexpr char16_t HexDigits[] = u"0123456789ABCDEF";

    // Upper-case hex digits without leading zeros; "0" for zero.
    std::u16string hex(std::uint32_t value)
    {
        std::u16string digits;
        do {
            digits.insert(digits.begin(), HexDigits[value & 0xFu]);
            value >>= 4;
        } while (value != 0);
        return digits;
    }

    std::u16string decimal(std::int64_t value)
    {
        const bool negative = value < 0;
        auto magnitude = static_cast<std::uint64_t>(negative ? -value : value);
        std::u16string digits;
        do {
            digits.insert(digits.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
            magnitude /= 10;
        } while (magnitude != 0);
        if (negative)
            digits.insert(digits.begin(), u'-');
        return digits;
    }

    std::uint32_t channel(int value)
    {
        return static_cast<std::uint32_t>(std::clamp(value, 0, 255));
    }

} // namespace

std::u16string ChannelDecimalText(int value)
{
    return decimal(channel(value)) + std::u16string(DecimalSeparator);
}

std::u16string ChannelHexText(int value)
{
    std::u16string h = hex(channel(value));
    if (h.size() == 1)
        h.insert(h.begin(), u'0');
    return h;
}

std::u16string ColorcodeFromChannels(std::u16string_view r, std::u16string_view g, std::u16string_view b)
{
    std::u16string code = u"#";
    code.append(r).append(g).append(b);
    return code;
}

std::u16string ColorcodeFromScreenColor(std::uint32_t color)
{
    std::u16string h = hex(color & 0xFFFFFFu); // BBGGRR, one to six digits
    h.insert(0, 6 - h.size(), u'0');
    std::u16string code = u"#";
    code.append(h, 4, 2).append(h, 2, 2).append(h, 0, 2);
    return code;
}

std::u16string CopyText(std::u16string_view code, bool withFontTag)
{
    if (!withFontTag)
        return std::u16string(code);
    std::u16string text = u"<font color=\"";
    text.append(code).append(u"\">");
    return text;
}

std::u16string CursorPositionText(std::int32_t x, std::int32_t y)
{
    return u"X\uFF1A" + decimal(x) + u"\u3000\u3000Y\uFF1A" + decimal(y);
}

} // namespace colorcode
