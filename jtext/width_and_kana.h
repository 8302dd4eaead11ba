#pragma once

#include "jtext/conversion.h"

#include <QStringView>

// The conversions between full-width and half-width forms and between the two kana.
//
// Full and half width pair exactly as the Unicode full-width forms do (U+FF01-U+FF5E with
// U+0021-U+007E): '~' with ～ (U+FF5E, as CP932 maps it), '\' with ＼ (U+FF3C), '"' and '\''
// with the straight ＂ and ＇, never with curly quotes. ￥ (U+FFE5) is left alone: its
// half-width partner ¥ is not ASCII, and turning it into '\' would change what a UTF-8 page
// says. Spaces are left alone both ways: a full-width space in Japanese text is meant, and a
// full-width one in markup would break it.
namespace jtext {

// 全角英数字→半角: full-width letters, digits and symbols to ASCII, except ＜ ＞ ＆ ＂ ＇: as
// ASCII they would turn text into tags, references or the end of a value. Those are counted
// as left.
Conversion fullWidthToHalfWidth(QStringView text);

// 半角→全角: ASCII letters, digits and symbols to full width.
Conversion halfWidthToFullWidth(QStringView text);

// 半角カナ→全角カナ, with the sound marks joined to their kana: ｶﾞ → ガ, ﾊﾟ → パ, ｳﾞ → ヴ.
// A mark that cannot join stands alone as ゛ or ゜.
Conversion halfWidthKanaToFullWidth(QStringView text);

// ひらがな→カタカナ and back (ゝゞ with ヽヾ). ヷヸヹヺ have no hiragana and stay as they are.
Conversion hiraganaToKatakana(QStringView text);
Conversion katakanaToHiragana(QStringView text);

}
