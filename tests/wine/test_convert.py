"""Big5 / GB2312 conversion of the shown text, through the tool menu."""
ONE_SESSION = True


def test_big5_bytes_shown_through_the_chinese_code_page_become_gb2312(korvimo, tmp_path):
    # Characters whose Big5 bytes are valid code page 936 codes, so that the
    # text box can hold them as the garbled text a user would see.
    key = korvimo.copy(text="體國 ok".encode("big5").decode("gbk"))
    korvimo.select(key)
    korvimo.command("IDM_BIG2GB")
    korvimo.wait_until(lambda: korvimo.text1() == "体国 ok", what="the converted text")

    # The entry itself holds the converted text: select away and back, and save it.
    korvimo.select("T")
    korvimo.select(key)
    assert korvimo.text1() == "体国 ok"
    target = tmp_path / "gb.txt"
    korvimo.command("IDM_SAVE")
    korvimo.file_dialog(target, 1)
    korvimo.wait_for_file(target)
    assert target.read_bytes() == "体国 ok".encode("gb2312")


def test_gb2312_text_becomes_big5_bytes_but_not_while_a_picture_is_shown(korvimo):
    text = korvimo.copy(text="国体", bitmap=(8, 8, 1))
    picture = korvimo.entries("Pic")[-1]
    korvimo.select(picture)
    korvimo.command("IDM_GB2BIG")
    korvimo.select(text)
    assert korvimo.text1() == "国体"
    korvimo.command("IDM_GB2BIG")
    # 国 has only its traditional form in Big5; 体 is a Big5 character of its own.
    korvimo.wait_until(lambda: korvimo.text1() == "國体".encode("big5").decode("gbk"), what="Big5 bytes")
