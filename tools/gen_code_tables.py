#!/usr/bin/python3
"""Generate the two Big5/GB2312 code tables carried as resources 101 and 102.

    /usr/bin/python3 tools/gen_code_tables.py [OUTPUT_DIR]

writes big5gb.tbl (35,908 bytes) and gbbig5.tbl (16,544 bytes) into OUTPUT_DIR
(default: resources/ beside this script). Standard library only, OpenCC's
opencc_dict to read its dictionaries, and apt-get and dpkg-deb to fetch one
file of the mediawiki package.

Sources, from Debian packages and this folder so that anyone can regenerate the
tables (OpenCC and MediaWiki are read here only; the program itself uses neither):

* Character sets: glibc's iconv converters "BIG5" and "GB2312", called through
  ctypes, one code at a time. A code is part of a set when iconv decodes it to
  exactly one character without error.
* Traditional/simplified correspondence:
  - the variant fields of the Unihan database in the unicode-data package
    (/usr/share/unicode/Unihan_Variants.txt[.bz2] or Unihan.zip), with
    kFrequency (Unihan_DictionaryLikeData) to choose among several variants;
  - OpenCC's character dictionaries in the opencc package
    (/usr/share/opencc/*.ocd2, dumped to text with opencc_dict):
    STCharacters (simplified -> traditional), TSCharacters (traditional ->
    simplified), TWVariants and TWVariantsRev (the forms standard in Taiwan);
  - MediaWiki's conversion tables, curated by Chinese Wikipedia's editors
    apart from OpenCC and Unihan: the single-character entries of zh2Hans
    and zh2Hant in includes/languages/data/ZhConversion.php of the mediawiki
    package. Installing that package would bring a web server and PHP, so
    the file is read from the package's archive, fetched with apt-get
    download and kept under build/mediawiki/ (KORVIMO_BUILD/mediawiki/),
    unless the package is installed;
  - compatibility decompositions (NFKC) from Python's unicodedata;
  - code_table_pairs.txt beside this script, the reviewed entries: a
    character the sources miss, give only through one dictionary's link, or
    link astray, with its counterpart (or none) and the reason.
  glibc also has a direct BIG5 <-> GB2312 converter, but its choices are not
  ours (it maps 并 to 並 although Big5 has 并, and small-form punctuation to
  full-width marks), so it serves only as a yardstick for speed.

Layout of both files: entries of two bytes (lead byte, then trail byte of the
target code), row after row, column after column, no header.

big5gb.tbl: 94 rows for Big5 lead 0xA1..0xFE, 191 columns for trail 0x40..0xFE.
  * The GB2312 code of the same character when GB2312 has it.
  * Otherwise the GB2312 code of a simplified form (choice rules below).
  * Otherwise 0xA1 0xA1, the GB2312 ideographic space.
  * Columns for trail 0x7F..0xA0 are no Big5 trail bytes: each entry holds the
    source pair itself, so such pairs pass through the conversion unchanged.
  * Rows for lead 0xC8 and 0xFA..0xFE hold no mappings (0xA1 0xA1 outside the
    pass-through columns) whatever iconv decodes there: they are user-defined
    or vendor extension areas that differ between Big5 variants.

gbbig5.tbl: 88 rows for GB lead 0xA1..0xA9 and 0xB0..0xFE, 94 columns for
trail 0xA1..0xFE.
  * The Big5 code of the same character when Big5 has it, so 体, 后, 面 and 里
    keep their own codes rather than becoming 體, 後, 麵, 裡.
  * Otherwise the Big5 code of a traditional form (国 gives 國).
  * Otherwise 0xA1 0x40, the Big5 ideographic space.
  * Rows for GB lead 0xF8 and 0xF9 hold no mappings.
  * Rows for GB lead 0xFA..0xFD are the user-defined area of both sets: they
    map position by position onto the Big5 codes from 0xFA40 onward (lead
    0xFA, then 0xFB, ...; within a lead trail 0x40..0x7E, then 0xA1..0xFE),
    376 codes, so a user-defined character keeps its place in the other set.
  * Row for GB lead 0xFE: no mappings (all 0xA1 0x40). GB2312 defines nothing
    there, and continuing the user-defined run would send those codes to Big5
    positions that big5gb.tbl does not bring back, so a text would change
    silently instead of showing the ideographic space.

Choosing among variants (deterministic; only characters of the target set
count as candidates; the first step that finds one decides):
  1. the character itself, then the symbols of its group in SAME_SYMBOL, in
     code point order (iconv decodes a few punctuation marks of the two sets to
     different code points although they are the same mark in use: GB2312's em
     dash is U+2015, Big5's U+2014; GB2312's middle dot U+30FB, Big5's U+00B7);
  2. its reviewed entry in code_table_pairs.txt, which may also say that it
     has no counterpart (刓, whose only link is to 园, a garden);
  3. its simplified or traditional forms: first those of Unihan's
     kSimplifiedVariant towards GB2312 (kTraditionalVariant towards Big5)
     that OpenCC also gives, then those of the opposite field (the target
     characters that name it as their variant) that OpenCC also gives, then
     OpenCC's own candidates in OpenCC's order, then Unihan's forward and
     opposite fields alone. So where the two disagree OpenCC decides (净 ->
     淨, not Unihan's 凈; 鹼 -> 碱, not 硷), and where they agree Unihan's
     frequency does (签 -> 簽, 钟 -> 鐘). OpenCC's candidates are TSCharacters
     towards GB2312 (with a Taiwan form that TSCharacters lacks simplified
     from its standard form in TWVariantsRev: 痺 -> 痹) and STCharacters
     towards Big5. Among Unihan's candidates: the most frequent by kFrequency
     (1 = most frequent; characters without a value count as 6), then one
     among the target set's common characters (Big5 leads 0xA4..0xC6, GB2312
     level 1) before one among its less common ones, and among equals the
     first in Unihan's order, which is code point order (当 -> 當 rather than
     噹, 发 -> 發 rather than 髮);
  4. the characters whose OpenCC form it is (伕 -> 夫, which STCharacters
     lists as 夫 -> 夫 伕), chosen as in 3;
  5. its semantic and specialized semantic variants, listed by it or listing
     it (週 -> 周, 佔 -> 占): the one that the most dictionaries cite over all
     those listings, then one that is a plain semantic variant, then as in 3;
  6. the characters two links away, where each link has at least two sources
     (Unihan's simplified/traditional fields, OpenCC's dictionaries, and each
     dictionary that Unihan's semantic fields cite), chosen as in 3
     (俓 -> 徑 -> 径, 绔 -> 絝 -> 褲). A link that rests on one dictionary
     leads astray too often to be followed (猋 -> 颮 -> 飑, 巉 -> 嶄 -> 崭);
  7. MediaWiki's counterpart (zh2Hans towards GB2312, zh2Hant towards Big5)
     when one link or two links of any source reach it: the table is the
     second witness such a link lacks (囓 -> 齧 -> 啮, 繖 -> 傘 -> 伞).
     A counterpart that no link reaches takes a reviewed entry (step 2);
  8. the target characters with the same compatibility decomposition (NFKC),
     chosen as in 3 (﹔ -> ；, ① -> １).
Towards Big5 every candidate of steps 3 to 8 is taken in its Taiwan form
(TWVariants) where Big5 has that (腭 -> 齶 -> 顎).
When a character has two codes in the target set (Big5 has a few duplicates)
the lowest code is taken.
"""

import bz2
import ctypes
import ctypes.util
import os
import re
import subprocess
import sys
import tarfile
import tempfile
import unicodedata
import zipfile

BIG5_LEADS = range(0xA1, 0xFF)            # 94 rows
BIG5_COLUMNS = range(0x40, 0xFF)          # 191 columns
BIG5_TRAILS = [t for t in range(0x40, 0x7F)] + [t for t in range(0xA1, 0xFF)]
BIG5_NO_MAPPING_LEADS = {0xC8, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE}

GB_LEADS = list(range(0xA1, 0xAA)) + list(range(0xB0, 0xFF))   # 88 rows
GB_TRAILS = range(0xA1, 0xFF)                                  # 94 columns
GB_NO_MAPPING_LEADS = {0xF8, 0xF9, 0xFE}
GB_USER_DEFINED_LEADS = (0xFA, 0xFB, 0xFC, 0xFD)
BIG5_USER_DEFINED_START = 0xFA

GB_SPACE = b"\xA1\xA1"
BIG5_SPACE = b"\xA1\x40"

SAME_SYMBOL = (
    (0x2014, 0x2015),           # em dash / horizontal bar
    (0x00B7, 0x2027, 0x30FB),   # middle dot / hyphenation point / katakana middle dot
    (0x2016, 0x2225),           # double vertical line / parallel to
    (0x2264, 0x2266),           # less-than or equal to, two forms
    (0x2265, 0x2267),           # greater-than or equal to, two forms
    (0x00AF, 0xFFE3),           # macron / fullwidth macron
)
SAME_SYMBOL_OF = {c: sorted(set(group) - {c}) for group in SAME_SYMBOL for c in group}

UNIHAN_DIR = "/usr/share/unicode"
OPENCC_DIR = "/usr/share/opencc"
HERE = os.path.dirname(os.path.abspath(__file__))
REVIEWED_PAIRS = os.path.join(HERE, "code_table_pairs.txt")
MEDIAWIKI_TABLES = "usr/share/mediawiki/includes/languages/data/ZhConversion.php"
MEDIAWIKI_CACHE = os.path.join(os.environ.get("KORVIMO_BUILD", os.path.join(HERE, "..", "build")),
                               "mediawiki")


class Iconv:
    """Decode single codes with glibc iconv(3) into Unicode code points."""

    def __init__(self, charset):
        self._libc = ctypes.CDLL(ctypes.util.find_library("c") or "libc.so.6",
                                 use_errno=True)
        self._libc.iconv_open.restype = ctypes.c_void_p
        self._libc.iconv_open.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
        self._libc.iconv.restype = ctypes.c_size_t
        self._libc.iconv.argtypes = [ctypes.c_void_p,
                                     ctypes.POINTER(ctypes.c_char_p),
                                     ctypes.POINTER(ctypes.c_size_t),
                                     ctypes.POINTER(ctypes.c_char_p),
                                     ctypes.POINTER(ctypes.c_size_t)]
        self._libc.iconv_close.argtypes = [ctypes.c_void_p]
        self._cd = self._libc.iconv_open(b"UTF-32LE", charset.encode())
        if self._cd in (None, ctypes.c_void_p(-1).value):
            raise RuntimeError("iconv cannot convert from " + charset)

    def decode(self, code):
        """The single character `code` stands for, or None."""
        inbuf = ctypes.create_string_buffer(code, len(code))
        outbuf = ctypes.create_string_buffer(16)
        inptr = ctypes.c_char_p(ctypes.addressof(inbuf))
        outptr = ctypes.c_char_p(ctypes.addressof(outbuf))
        inleft = ctypes.c_size_t(len(code))
        outleft = ctypes.c_size_t(16)
        # Reset the shift state so that a failed code cannot affect the next.
        self._libc.iconv(self._cd, None, None, None, None)
        result = self._libc.iconv(self._cd, ctypes.byref(inptr), ctypes.byref(inleft),
                                  ctypes.byref(outptr), ctypes.byref(outleft))
        if result == ctypes.c_size_t(-1).value or inleft.value != 0:
            return None
        produced = 16 - outleft.value
        if produced != 4:
            return None
        return int.from_bytes(outbuf.raw[:4], "little")

    def close(self):
        self._libc.iconv_close(self._cd)


def read_unihan(part):
    """Text of Unihan_<part>.txt, plain, bzip2-compressed or inside Unihan.zip."""
    name = "Unihan_%s.txt" % part
    plain = os.path.join(UNIHAN_DIR, name)
    if os.path.exists(plain):
        with open(plain, encoding="utf-8") as f:
            return f.read()
    if os.path.exists(plain + ".bz2"):
        with bz2.open(plain + ".bz2", "rt", encoding="utf-8") as f:
            return f.read()
    archive = os.path.join(UNIHAN_DIR, "Unihan.zip")
    if os.path.exists(archive):
        with zipfile.ZipFile(archive) as z:
            return z.read(name).decode("utf-8")
    raise SystemExit(name + " not found; install the unicode-data package")


def parse_frequency(text):
    """kFrequency: 1 for the most frequent characters .. 5 for the least."""
    frequency = {}
    for line in text.splitlines():
        parts = line.split("\t")
        if len(parts) >= 3 and parts[1] == "kFrequency" and parts[0].startswith("U+"):
            frequency[parse_code_point(parts[0])] = int(parts[2])
    return frequency


def parse_code_point(field):
    # Values look like "U+570B", some carry a source tag ("U+4E7E<kFenn").
    return int(field.split("<")[0][2:], 16)


# Unihan spells a few source tags in more than one way; Fenn's index is part
# of Fenn's dictionary.
SAME_DICTIONARY = {"kMathews": "kMatthews", "kMeyeWempe": "kMeyerWempe",
                   "kMeterWempe": "kMeyerWempe", "kFennIndex": "kFenn",
                   "sSoengMou2003": "sSoengmou2003", "sSoengmou": "sSoengmou2003"}


def dictionaries(field):
    """The dictionaries a variant value cites ("U+9E7B<kLau,kMatthews:T" ->
    {kLau, kMatthews}); a value without a tag is Unihan's own."""
    if "<" not in field:
        return frozenset(["Unihan"])
    names = (tag.split(":")[0] for tag in field.split("<")[1].split(","))
    return frozenset(SAME_DICTIONARY.get(name, name) for name in names)


VARIANT_FIELDS = ("kSimplifiedVariant", "kTraditionalVariant",
                  "kSemanticVariant", "kSpecializedSemanticVariant")


def parse_variants(text):
    """field -> {char: [(variant, dictionaries), ...]} for the VARIANT_FIELDS."""
    fields = {name: {} for name in VARIANT_FIELDS}
    for line in text.splitlines():
        parts = line.split("\t")
        if len(parts) < 3 or not parts[0].startswith("U+") or parts[1] not in fields:
            continue
        fields[parts[1]][parse_code_point(parts[0])] = [(parse_code_point(v), dictionaries(v))
                                                       for v in parts[2].split()]
    return fields


def read_opencc(name):
    """OpenCC's dictionary <name>.ocd2, dumped with opencc_dict, as char ->
    [candidate, ...] in OpenCC's order; single characters only."""
    with tempfile.TemporaryDirectory() as tmp:
        text = os.path.join(tmp, name + ".txt")
        try:
            subprocess.run(["opencc_dict", "-i", os.path.join(OPENCC_DIR, name + ".ocd2"),
                            "-o", text, "-f", "ocd2", "-t", "text"],
                           check=True, stdout=subprocess.DEVNULL)
            with open(text, encoding="utf-8") as f:
                lines = f.read().splitlines()
        except (OSError, subprocess.CalledProcessError):
            raise SystemExit(name + ".ocd2 cannot be read; install the opencc package")
    table = {}
    for line in lines:
        key, _, values = line.partition("\t")
        if len(key) == 1:
            table[ord(key)] = [ord(v) for v in values.split() if len(v) == 1]
    return table


def mediawiki_tables_path():
    """ZhConversion.php of the installed mediawiki package, else the copy kept
    from the archive of the version apt offers, fetched once."""
    if os.path.exists("/" + MEDIAWIKI_TABLES):
        return "/" + MEDIAWIKI_TABLES
    hint = "; run apt-get update if apt knows no mediawiki package"
    try:
        # "'URI' mediawiki_1%3a1.39..._all.deb SIZE HASH": the file name carries the version.
        uris = subprocess.run(["apt-get", "download", "--print-uris", "mediawiki"], check=True,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True).stdout
        deb = uris.split()[1]
    except (OSError, subprocess.CalledProcessError, IndexError):
        raise SystemExit("apt-get cannot locate the mediawiki package" + hint)
    cached = os.path.join(MEDIAWIKI_CACHE, deb[:-len(".deb")] + "_ZhConversion.php")
    if os.path.exists(cached):
        return cached
    os.makedirs(MEDIAWIKI_CACHE, exist_ok=True)
    with tempfile.TemporaryDirectory(dir=MEDIAWIKI_CACHE) as tmp:
        try:
            subprocess.run(["apt-get", "download", "mediawiki"], cwd=tmp, check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            tar = subprocess.Popen(["dpkg-deb", "--fsys-tarfile", os.path.join(tmp, deb)],
                                   stdout=subprocess.PIPE)
            data = None
            # Read to the end of the stream, so that dpkg-deb finishes writing it.
            with tarfile.open(fileobj=tar.stdout, mode="r|") as archive:
                for member in archive:
                    if member.name.lstrip("./") == MEDIAWIKI_TABLES:
                        data = archive.extractfile(member).read()
            if tar.wait() != 0 or data is None:
                raise OSError("no " + MEDIAWIKI_TABLES)
        except (OSError, subprocess.CalledProcessError, tarfile.TarError) as e:
            raise SystemExit("cannot fetch %s from the mediawiki package (%s)%s" % (MEDIAWIKI_TABLES, e, hint))
        with open(os.path.join(tmp, "ZhConversion.php"), "wb") as f:
            f.write(data)
        os.replace(os.path.join(tmp, "ZhConversion.php"), cached)
    return cached


def read_mediawiki():
    """MediaWiki's single-character entries, char -> counterpart, as
    (zh2Hans, zh2Hant)."""
    with open(mediawiki_tables_path(), encoding="utf-8") as f:
        text = f.read()
    tables = {}
    for name, body in re.findall(r"public static \$(\w+) = \[\n(.*?)\n\];", text, re.S):
        tables[name] = {ord(key): ord(value) for key, value in
                        re.findall(r"^'([^'\\])' => '([^'\\])',$", body, re.M)}
    if not tables.get("zh2Hans") or not tables.get("zh2Hant"):
        raise SystemExit("ZhConversion.php holds no zh2Hans or zh2Hant table")
    return tables["zh2Hans"], tables["zh2Hant"]


def plain(variants):
    """char -> [variant, ...], dropping the dictionaries."""
    return {char: [v for v, _ in listed] for char, listed in variants.items()}


def invert(variants):
    """variant -> sorted list of characters that list it."""
    inverse = {}
    for char, listed in variants.items():
        for v in listed:
            inverse.setdefault(v, []).append(char)
    for chars in inverse.values():
        chars.sort()
    return inverse


def semantic_links(fields):
    """char -> {variant: (dictionaries, full)} over the semantic and specialized
    semantic variants, in both directions: the dictionaries of every listing of
    the pair together, and full tells that one of them is a (plain) semantic variant."""
    links = {}
    for name in ("kSemanticVariant", "kSpecializedSemanticVariant"):
        for char, listed in fields[name].items():
            for variant, cited in listed:
                for a, b in ((char, variant), (variant, char)):
                    known, full = links.setdefault(a, {}).get(b, (frozenset(), False))
                    links[a][b] = (known | cited, full or name == "kSemanticVariant")
    return links


def read_reviewed_pairs(path):
    """char -> counterpart (None: the fill value) of the reviewed list: one
    entry a line, the character, its counterpart in the other set or "-",
    then the reason; # starts a comment."""
    pairs = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            fields = line.split("#")[0].split()
            if fields:
                if len(fields) < 3 or len(fields[0]) != 1 or len(fields[1]) != 1:
                    raise SystemExit("%s: bad line: %s" % (path, line.strip()))
                pairs[ord(fields[0])] = None if fields[1] == "-" else ord(fields[1])
    return pairs


def links(fields, opencc_tables, least):
    """char -> set of the characters it is linked to by at least `least`
    sources: Unihan's own untagged links, its simplified/traditional fields
    among them (one source), each dictionary that Unihan's semantic fields
    cite, and OpenCC's dictionaries (one source); either character may list
    the other."""
    sources = {}
    listings = [(char, v, cited) for listed in fields.values()
                for char, variants in listed.items() for v, cited in variants]
    listings += [(char, v, {"OpenCC"}) for table in opencc_tables
                 for char, candidates in table.items() for v in candidates]
    for a, b, cited in listings:
        for x, y in ((a, b), (b, a)):
            sources.setdefault(x, {}).setdefault(y, set()).update(cited)
    return {char: {near for near, cited in linked.items() if len(cited) >= least}
            for char, linked in sources.items()}


def two_steps(graph, char):
    """The characters two links away from `char`, in code point order."""
    return sorted({far for near in graph.get(char, ()) for far in graph.get(near, ())} - {char})


class Direction:
    """What the choice rules read when mapping into one target set."""

    def __init__(self, target_codes, less_common, forward, backward, opencc, opencc_backward, local,
                 reviewed, semantic, graph, frequency, mediawiki, any_link):
        self.target_codes = target_codes
        self.less_common = less_common
        self.forward, self.backward, self.opencc, self.local = forward, backward, opencc, local
        self.opencc_backward = opencc_backward
        self.reviewed, self.semantic, self.graph = reviewed, semantic, graph
        self.frequency = frequency
        self.mediawiki, self.any_link = mediawiki, any_link
        self.nfkc_twins = {}
        for char in sorted(target_codes):
            self.nfkc_twins.setdefault(unicodedata.normalize("NFKC", chr(char)), []).append(char)

    def rank(self, char):
        return (self.frequency.get(char, 6), self.less_common(self.target_codes[char]))

    def present(self, candidates):
        """The candidates of the target set, each in its local form where the set has that."""
        found = [self.local.get(c, c) if self.local.get(c) in self.target_codes else c
                 for c in candidates]
        return [c for i, c in enumerate(found) if c in self.target_codes and c not in found[:i]]

    def tiers(self, char):
        """Candidate lists of the target set in order of preference, each with the
        sort key that picks among them (None: the listed order)."""
        yield [c for c in [char] + SAME_SYMBOL_OF.get(char, []) if c in self.target_codes], None
        agreed = self.present(self.opencc.get(char, []))
        forward = self.present(self.forward.get(char, []))
        backward = self.present(self.backward.get(char, []))
        yield [c for c in forward if c in agreed], self.rank
        yield [c for c in backward if c in agreed], self.rank
        yield agreed, None
        yield forward, self.rank
        yield backward, self.rank
        yield self.present(self.opencc_backward.get(char, [])), self.rank
        links = self.semantic.get(char, {})
        yield self.present(sorted(links)), lambda c: (-len(links[c][0]), not links[c][1]) + self.rank(c)
        yield self.present(two_steps(self.graph, char)), self.rank
        counterpart = self.mediawiki.get(char)
        reached = self.any_link.get(char, set()) | set(two_steps(self.any_link, char))
        yield self.present([counterpart] if counterpart in reached else []), None
        yield self.present(self.nfkc_twins.get(unicodedata.normalize("NFKC", chr(char)), [])), self.rank

    def choose(self, char):
        """Code in the target set for `char`, by the rules in the module comment."""
        if char in self.reviewed and char not in self.target_codes:
            counterpart = self.reviewed[char]
            if counterpart is not None and counterpart not in self.target_codes:
                raise SystemExit("%s: %s is not in the target set" % (REVIEWED_PAIRS, chr(counterpart)))
            return self.target_codes.get(counterpart)
        for found, key in self.tiers(char):
            if found:
                # min() keeps the first of equals, so the listed order breaks ties.
                return self.target_codes[min(found, key=key or (lambda c: 0))]
        return None


# Both sets split their characters by use: Big5 leads 0xA4..0xC6 hold the
# common characters and 0xC9..0xF9 the less common ones; GB2312 leads
# 0xB0..0xD7 are level 1 (common), 0xD8..0xF7 level 2. Symbols lie below both
# splits and count as common.
def big5_less_common(code):
    return code[0] >= 0xC9


def gb_less_common(code):
    return code[0] >= 0xD8


def build_big5gb(big5_chars, to_gb):
    out = bytearray()
    for lead in BIG5_LEADS:
        for trail in BIG5_COLUMNS:
            if 0x7F <= trail <= 0xA0:
                out += bytes((lead, trail))
                continue
            char = big5_chars.get((lead, trail))
            code = None
            if char is not None and lead not in BIG5_NO_MAPPING_LEADS:
                code = to_gb.choose(char)
            out += code if code is not None else GB_SPACE
    return bytes(out)


def big5_user_defined_codes():
    for lead in range(BIG5_USER_DEFINED_START, 0xFF):
        for trail in BIG5_TRAILS:
            yield bytes((lead, trail))


def build_gbbig5(gb_chars, to_big5):
    user_defined = big5_user_defined_codes()
    out = bytearray()
    for lead in GB_LEADS:
        for trail in GB_TRAILS:
            if lead in GB_USER_DEFINED_LEADS:
                out += next(user_defined)
                continue
            char = gb_chars.get((lead, trail))
            code = None
            if char is not None and lead not in GB_NO_MAPPING_LEADS:
                code = to_big5.choose(char)
            out += code if code is not None else BIG5_SPACE
    return bytes(out)


def decode_all(charset, leads, trails):
    """(lead, trail) -> code point for every code the set defines."""
    iconv = Iconv(charset)
    try:
        chars = {}
        for lead in leads:
            for trail in trails:
                char = iconv.decode(bytes((lead, trail)))
                if char is not None:
                    chars[(lead, trail)] = char
        return chars
    finally:
        iconv.close()


def load():
    """Both character sets, (lead, trail) -> character, and the two
    Directions: (big5_chars, gb_chars, to_gb, to_big5)."""
    big5_chars = decode_all("BIG5", BIG5_LEADS, BIG5_TRAILS)
    gb_chars = decode_all("GB2312", GB_LEADS, GB_TRAILS)
    big5_codes, gb_codes = {}, {}
    for (lead, trail), char in sorted(big5_chars.items()):
        if lead not in BIG5_NO_MAPPING_LEADS:
            big5_codes.setdefault(char, bytes((lead, trail)))
    for (lead, trail), char in sorted(gb_chars.items()):
        if lead not in GB_NO_MAPPING_LEADS and lead not in GB_USER_DEFINED_LEADS:
            gb_codes.setdefault(char, bytes((lead, trail)))

    fields = parse_variants(read_unihan("Variants"))
    simplified = plain(fields["kSimplifiedVariant"])
    traditional = plain(fields["kTraditionalVariant"])
    semantic = semantic_links(fields)
    frequency = parse_frequency(read_unihan("DictionaryLikeData"))
    reviewed = read_reviewed_pairs(REVIEWED_PAIRS)
    to_traditional, to_simplified = read_opencc("STCharacters"), read_opencc("TSCharacters")
    taiwan, from_taiwan = read_opencc("TWVariants"), read_opencc("TWVariantsRev")
    graph = links(fields, (to_traditional, to_simplified, taiwan), 2)
    any_link = links(fields, (to_traditional, to_simplified, taiwan), 1)
    mediawiki_to_gb, mediawiki_to_big5 = read_mediawiki()
    # A Taiwan form that TSCharacters lacks (痺, whose standard form is 痹) is
    # simplified from its standard form.
    towards_gb = dict(to_simplified)
    for char, standard in from_taiwan.items():
        towards_gb[char] = to_simplified.get(char, []) + [
            c for form in standard for c in [form] + to_simplified.get(form, [])]
    to_gb = Direction(gb_codes, gb_less_common, simplified, invert(traditional), towards_gb,
                      invert(to_traditional), {}, reviewed, semantic, graph, frequency,
                      mediawiki_to_gb, any_link)
    to_big5 = Direction(big5_codes, big5_less_common, traditional, invert(simplified), to_traditional,
                        invert(to_simplified), {char: forms[0] for char, forms in taiwan.items()},
                        reviewed, semantic, graph, frequency, mediawiki_to_big5, any_link)
    return big5_chars, gb_chars, to_gb, to_big5


def main(argv):
    out_dir = argv[1] if len(argv) > 1 else os.path.join(HERE, "..", "resources")
    big5_chars, gb_chars, to_gb, to_big5 = load()
    big5gb = build_big5gb(big5_chars, to_gb)
    gbbig5 = build_gbbig5(gb_chars, to_big5)
    assert len(big5gb) == 94 * 191 * 2 and len(gbbig5) == 88 * 94 * 2

    os.makedirs(out_dir, exist_ok=True)
    for name, data in (("big5gb.tbl", big5gb), ("gbbig5.tbl", gbbig5)):
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
