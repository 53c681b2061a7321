#pragma once
// The file side of the open and save commands: how a text file becomes an
// entry, what a saved text file holds, and which format a picture gets.
#include <cstdint>
#include <functional>
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

// Larger files are not opened: the history keeps texts in memory, and the
// text box would take minutes to show such a text.
inline constexpr uint64_t kLargestOpenedFile = 128ull * 1024 * 1024;

// The entry made from a file's bytes: every line, its end turned into CR LF.
// A line ends at CR LF or a lone CR; a lone LF stays inside its line.
std::u16string TextFromFile(const std::string& bytes, const AnsiCodec& codec);

// The bytes of a saved text file: the text in the code page, unchanged otherwise.
std::string TextFileBytes(const std::u16string& text, const AnsiCodec& codec);

// A stored text in the code page, handed over a piece at a time, so that no
// copy of a big text is ever made whole; a piece always ends on a character.
// False when the text could not be read or the sink refused a piece.
bool ReadAnsiPieces(const TextRef& text, const AnsiCodec& codec, const std::function<bool(const std::string&)>& sink);

// The bytes of a saved text file for a stored text, written as they are made.
bool WriteTextFile(const TextRef& text, const AnsiCodec& codec, ByteSink& file);

enum class PictureFormat { Bitmap, Gif, None };

// The format follows the filter the user left selected, never the name typed.
PictureFormat PictureFormatForFilter(int filterIndex);

// The dialog's form of a filter: "|" becomes NUL, and the list ends in two NULs.
std::u16string DialogFilter(const std::u16string& filter);

}  // namespace korvimo
