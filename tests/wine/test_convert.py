"""Big5 / GB2312 conversion of the shown text, through the tool menu."""


def select_copied_text(wine, korvimo, text):
    wine.set_clipboard(text=text)
    korvimo.wait_until(lambda: korvimo.entries("Txt") == ["Txt0"], what="the entry")
    korvimo.select("Txt0")


def test_big5_bytes_shown_through_the_chinese_code_page_become_gb2312(wine, korvimo, tmp_path):
    # Characters whose Big5 bytes are valid code page 936 codes, so that the
    # text box can hold them as the garbled text a user would see.
    big5 = "體國 ok".encode("big5")
    select_copied_text(wine, korvimo, big5.decode("gbk"))
    korvimo.command("IDM_BIG2GB")
    korvimo.wait_until(lambda: korvimo.text1() == "体国 ok", what="the converted text")

    # The entry itself holds the converted text: select away and back, and save it.
    korvimo.select("T")
    korvimo.select("Txt0")
    assert korvimo.text1() == "体国 ok"
    target = tmp_path / "gb.txt"
    korvimo.command("IDM_SAVE")
    korvimo.file_dialog(target, 1)
    korvimo.wait_for_file(target)
    assert target.read_bytes() == "体国 ok".encode("gb2312")


def test_gb2312_text_becomes_big5_bytes(wine, korvimo):
    select_copied_text(wine, korvimo, "国体")
    korvimo.command("IDM_GB2BIG")
    # 国 has only its traditional form in Big5; 体 is a Big5 character of its own.
    korvimo.wait_until(lambda: korvimo.text1() == "國体".encode("big5").decode("gbk"), what="Big5 bytes")


def test_conversion_does_nothing_while_a_picture_is_shown(wine, korvimo):
    wine.set_clipboard(text="国", bitmap=(8, 8, 1))
    korvimo.wait_until(lambda: "Pic0" in korvimo.keys(), what="the picture")
    korvimo.select("Pic0")
    korvimo.command("IDM_GB2BIG")
    korvimo.select("Txt0")
    assert korvimo.text1() == "国"
