#include "driver/texts.h"

// The texts as the characters they are, in UTF-8. The build writes the
// Shift_JIS table from these lines: one text a line, with \n and \\ as the
// only escapes.
const char* const utf8Texts[] = {
    "表示レイアウト（フォーマット）文字列指定ダンプ\n",
    "使い方:Tolvarin [入力ファイル名] \n",
    "                     [バイトオーダー：-L or -B] \n",
    "                     [レイアウト（数字文字列）]\n",
    "１行のレイアウト（フォーマット）を数字文字列で指定し、アドレスなしでダンプします\n",
    "レイアウト（数字文字列）の説明\n",
    "  1 - 1バイト\n",
    "  2 - 2バイト\n",
    "  4 - 4バイト\n",
    "  8 - 8バイト\n",
    "[例]\n",
    "C:\\>Tolvarin TEST.bin -B 112444\n",
    "エンディアンは -l か -L か -b か -B で 指定して下さい\n",
    "表示レイアウト（フォーマット）文字列は%d文字以下で指定して下さい\n",
    "表示レイアウト（フォーマット）文字列は [1 or 2 or 4 or 8] で指定して下さい\n",
    "ファイルオープンエラー\n",
    "ファイルリードエラー\n",
};
static_assert(sizeof utf8Texts / sizeof *utf8Texts == textCount, "one text for each id");
