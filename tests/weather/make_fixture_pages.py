#!/usr/bin/env python3
"""Writes the weather fixture pages under tests/data/weather/site in code page 932.

The folder is laid out like the two weather sites (world/wd001.html ...,
cities/63.html), so the loopback test server and the headless downloader serve
it as it is. Each page holds one case of the reduction; the weather value each
city must get is listed in tests/weather/FixtureExpectations.h. Run it again
after changing a page: python3 tests/weather/make_fixture_pages.py
"""
import pathlib

ROOT = pathlib.Path(__file__).resolve().parent.parent / "data" / "weather"
SITE = ROOT / "site"
CRLF = "\r\n"


def world_page(title, body_lines, line_end=CRLF, end_with_terminator=True):
    head = [
        "<HTML>",
        "<HEAD><META http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">",
        f"<TITLE>世界の天気 {title}</TITLE></HEAD>",
        "<BODY>",
        "<TABLE border=1>",
    ]
    lines = head + body_lines
    text = line_end.join(lines)
    return text + (line_end if end_with_terminator else "")


def row(city, weather):
    return [f"<TR><TD>{city}</TD>", f"<TD ALIGN=center>{weather}</TD></TR>"]


TAIL = ["</TABLE>", "</BODY></HTML>"]

PAGES = {
    "world/wd001.html": world_page("東アジア1", row("香港", "晴れ時々雨") + TAIL),
    "world/wd002.html": world_page("東アジア2", row("ソウル", "くもり") + TAIL),
    "world/wd003.html": world_page(
        "東南アジア",
        row("バンコク", "雨のち雪") + row("シンガポール", "くもり時々晴れ") + row("マニラ", "くもり一時雨") + TAIL),
    # Only the kanji form of "cloudy": no rule of a world page takes it.
    "world/wd004.html": world_page("南アジア", row("ニューデリー", "曇り") + TAIL),
    # The name first stands in the menu; the line after the menu decides.
    "world/wd005.html": world_page(
        "カナダ",
        ["<A href=\"#v\">バンクーバー</A> | <A href=\"#t\">トロント</A>", "<HR>"] + row("バンクーバー", "晴れ") + TAIL),
    # Leading tabs stay in a value that holds no weather word.
    "world/wd006.html": world_page(
        "アメリカ",
        row("ワシントンD.C.", "雪") + ["<TR><TD>ニューヨーク</TD>", "\t\t<TD>---</TD></TR>"] + TAIL),
    "world/wd009.html": world_page("メキシコ", row("メキシコシティー", "晴れ") + TAIL),
    # An all-blank line and an empty line after the names.
    "world/wd010.html": world_page(
        "南アメリカ",
        ["<TR><TD>サンパウロ</TD>", "     ", "<TR><TD>ブエノスアイレス</TD>", "", "</TR>"] + TAIL),
    # "ロンドン" is first found inside a longer word; "ベルリン" is absent.
    "world/wd011.html": world_page(
        "ヨーロッパ",
        ["<H3>ロンドン塔のある街</H3>", "<P>くもり</P>"] + row("パリ", "雨") + TAIL),
    "world/wd012.html": world_page("ロシア", row("モスクワ", "雪") + TAIL),
    # "アテネ" stands on the last line, with nothing after it.
    "world/wd014.html": world_page(
        "南ヨーロッパ", row("ローマ", "晴れ") + ["</TABLE>", "<TR><TD>アテネ</TD>"], end_with_terminator=False),
    # Lines end in LF alone: the whole page is one line.
    "world/wd016.html": world_page("北ヨーロッパ", row("ストックホルム", "晴れ") + TAIL, line_end="\n"),
    "world/wd017.html": world_page(
        "中東", row("イスタンブール", "晴れのち雨") + row("バーレーン", "晴れ") + TAIL),
    "world/wd018.html": world_page("アフリカ", row("カイロ", "晴れ") + row("ナイロビ", "雷雨") + TAIL),
    "world/wd019.html": world_page("オーストラリア", row("シドニー", "くもり") + TAIL),
    # Half-width katakana are not the word "くもり".
    "world/wd020.html": world_page("ニュージーランド", row("オークランド", "ｸﾓﾘ") + TAIL),
}

# Bytes that are not code page 932 (0xFF) before and in the rows of the
# Pacific page: the reduction goes on over them.
PACIFIC = world_page("太平洋", ["<!-- @@ -->"] + row("ホノルル", "晴れ") + row("グアム", "<B>@@</B>") + TAIL)

TOKYO_HEADING = "</DIV><DIV class=right_box><H2>東京<small>(東京都東京地方)</small>の天気</H2>"
JAPAN = (
    "<HTML><HEAD><TITLE>東京の天気</TITLE></HEAD><BODY><DIV class=left_box>メニュー</DIV>"
    + TOKYO_HEADING
    + "<TABLE><TR><TD>今日</TD></TR><TR><TD colspan=4><IMG SRC='/icon/200.gif' ALT='曇り' WIDTH=80></TD></TR>"
    + "</TABLE>" + CRLF + "<P>晴れ</P>" + CRLF + "</BODY></HTML>" + CRLF
)


def main():
    for name, text in PAGES.items():
        path = SITE / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(text.encode("cp932"))
    (SITE / "world" / "wd021.html").write_bytes(PACIFIC.encode("cp932").replace(b"@@", b"\xff\xff"))
    (SITE / "cities").mkdir(parents=True, exist_ok=True)
    (SITE / "cities" / "63.html").write_bytes(JAPAN.encode("cp932"))


if __name__ == "__main__":
    main()
