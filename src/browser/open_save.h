#pragma once
// The file side of the open and save commands: how a text file becomes an
// entry, what a saved text file holds, and which format a picture gets.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "common/ansi_codec.h"
#include "gif/byte_sink.h"
#include "store/stored_text.h"

namespace korvimo {

// Dialog filters: description and pattern pairs, each followed by "|".
inline constexpr const char16_t* kOpenFilter = u"文本文件(*.txt)|*.txt|";
inline constexpr const char16_t* kSaveTextFilter = u"文本文件(*.txt)|*.txt|所有文件(*.*)|*.*|";
inline constexpr const char16_t* kSavePictureFilter = u"位图文件(*.bmp;*.dib)|*.bmp;*.dib|GIF文件(*.gif)|*.gif|";

inline constexpr const char16_t* kReplaceQuestion = u"文件已存在，是否替换？";
inline constexpr const char16_t* kUtf8Question =
    u"文本中有当前代码页不能表示的字符，按 ANSI 保存时它们会变成“?”。是否以 UTF-8 编码保存？";
inline constexpr const char16_t* kSaveFailed = u"保存失败！";
inline constexpr const char16_t* kOpenFailed = u"打开失败！";

// Larger files are not opened: the history keeps texts in memory, and the
// text box would take minutes to show such a text.
inline constexpr uint64_t kLargestOpenedFile = 128ull * 1024 * 1024;

// The entry made from a file's bytes: every line, its end turned into CR LF.
// A line ends at CR LF or a lone CR; a lone LF stays inside its line. The
// bytes are Unicode or ANSI as UnicodeFileText decides; NULs are text too.
std::u16string TextFromFile(const std::string& bytes, const AnsiCodec& codec);

// Whether the code page holds the whole stored text, read a piece at a time:
// characters it lacks would become its default character, so a text with
// such characters is worth saving as UTF-8. Nothing when it cannot be read.
std::optional<bool> AnsiHoldsText(const TextRef& text, const AnsiCodec& codec);

// The bytes of a saved text file for a stored text, written as they are made,
// a piece at a time, so that no copy of a big text is ever made whole: in the
// code page, unchanged otherwise, or as UTF-8 after its mark.
enum class TextFileEncoding { Ansi, Utf8 };
bool WriteTextFile(const TextRef& text, const AnsiCodec& codec, TextFileEncoding encoding, ByteSink& file);

enum class PictureFormat { Bitmap, Gif, None };

// The format follows the filter the user left selected, never the name typed.
PictureFormat PictureFormatForFilter(int filterIndex);

// The name with the extension of the chosen filter's first pattern ("*.bmp"
// of "*.bmp;*.dib") when its last part has none; "*.*" adds nothing.
std::u16string WithFilterExtension(const std::u16string& path, const std::u16string& filter, int filterIndex);

// The dialog's form of a filter: "|" becomes NUL, and the list ends in two NULs.
std::u16string DialogFilter(const std::u16string& filter);

}  // namespace korvimo
